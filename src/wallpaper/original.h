#pragma once

#include "apply.h"
#include "platform/platform.h"

#include <QColor>

// Keeping the user's own wallpaper, its position values and the desktop colour before the program
// replaces it, and bringing them back. The saved picture is original.bmp; the values are kept by
// the caller's store.

// The saved values, each kept as text.
enum class OriginalValue { Path, Tile, Style, OriginX, OriginY, BackgroundColor };

class OriginalWallpaperStore {
public:
    virtual ~OriginalWallpaperStore() = default;
    // Whether anything was ever saved.
    virtual bool saved() const = 0;
    // Empty when missing.
    virtual QString text(OriginalValue value) const = 0;
    // -1 when missing or not an integer.
    virtual int integer(OriginalValue value) const = 0;
    virtual void write(OriginalValue value, const QString& text) = 0;
};

// At the start of each show step: saves unless the desktop shows exactly current.bmp (the
// program's own wallpaper) and a saved state exists.
void SaveOriginalWallpaperIfNeeded(platform::Platform& system, OriginalWallpaperStore& store);

// The save itself.
void SaveOriginalWallpaper(platform::Platform& system, OriginalWallpaperStore& store);

// "Restore Original Wallpaper": the saved picture (as current.bmp) and values back on the desktop,
// then the colour and the icon text option. Nothing when nothing was saved.
void RestoreOriginalWallpaper(platform::Platform& system, const OriginalWallpaperStore& store,
                              const WallpaperSettings& settings);

// The saved desktop colour back into the registry and onto the running desktop, then the icon
// text option. A missing or malformed saved colour raises the conversion error.
void RestoreBackgroundColour(platform::Platform& system, const OriginalWallpaperStore& store,
                             const WallpaperSettings& settings);

// The desktop background colour is kept as the text "red green blue" (decimal, single blanks) in
// HKEY_CURRENT_USER\Control Panel\Colors "Background".

// The colour of such a text, split at its first two blanks; anything else raises the conversion
// error.
QColor backgroundColourFromText(const QString& text);

// The desktop's background colour from the registry (the key is created when missing). A missing or
// malformed value raises the conversion error.
QColor ReadBackgroundColour(platform::Platform& system);

// colour into the registry value (skipped when the key can not be made) and onto the running
// desktop.
void ApplyBackgroundColour(platform::Platform& system, const QColor& colour);
