#pragma once

#include "common/mode.h"
#include "platform/platform.h"

#include <QString>

// Making current.bmp the desktop wallpaper.

// Position modes of ApplyDesktopWallpaper. They are not the stored display method numbers
// (Centered = 1, Tiled = 2, Stretched = 3, origin = 4), which are converted by name.
enum WallpaperMode { ModeTiled = 0, ModeCentered = 1, ModeStretched = 2, ModeOrigin = 3 };

// One position group of the settings window, read at the moment of use.
struct PositionChoice {
    bool centered = false;
    bool tiled = false;
    bool stretched = false;
    bool origin = false;
    QString originX; // the spin edits' texts, converted only when origin is chosen
    QString originY;
};

// What the wallpaper steps read from the live settings.
class WallpaperSettings {
public:
    virtual ~WallpaperSettings() = default;
    virtual PositionChoice autoPosition() const = 0;   // automatic mode's group
    virtual PositionChoice customPosition() const = 0; // custom mode's group
    virtual bool managePosition() const = 0;           // "Let Tapestron manage Wallpaper Position"
    virtual bool transparentText() const = 0;          // "Set Transparent Text"
};

// Writes the five desktop values of HKEY_CURRENT_USER\Control Panel\Desktop for path and mode
// (origin used by ModeOrigin only), then tells the desktop to reload. Registry failures throw; the
// result is false when the desktop refused the change.
bool ApplyDesktopWallpaper(platform::Platform& system, const QString& path, int mode, int originX,
                           int originY);

// The raw variant that puts saved values back unchanged, then tells the desktop to reload; false
// when the desktop refused.
bool WriteDesktopWallpaperValues(platform::Platform& system, const QString& path,
                                 const QString& tile, int style, int originX, int originY);

// Sets "ListviewShadow" under ...\Explorer\Advanced when that key exists (never creating it), then
// broadcasts the setting change in every case.
void ApplyIconTextTransparency(platform::Platform& system, bool transparent);

// Applies current.bmp with the checked button of choice (Centered, Tiled, Stretched, origin, in
// that order). An origin text that is not an integer throws the conversion error. False when the
// desktop refused a change.
bool applyPositionChoice(platform::Platform& system, const PositionChoice& choice);

// current.bmp with the custom group's position; false when the desktop refused it.
bool ApplyCustomModePosition(platform::Platform& system, const WallpaperSettings& settings);

// current.bmp for automatic mode: the automatic group's position, or, when the program manages the
// position, the hint: "0" the group's choice, "1" centred, "2" stretched, anything else nothing at
// all (the registry is left as it is and the desktop is not told). False when the desktop refused.
bool ApplyAutoModePosition(platform::Platform& system, const WallpaperSettings& settings,
                           const QString& hint);

// Fails a step whose wallpaper the desktop refused, so it is never reported as set.
void requireDesktopTookWallpaper(bool taken);

// After the settings were saved: when the desktop shows exactly current.bmp (case-sensitive),
// applies the position of mode (automatic with managedPositionHint when the program manages the
// position, or custom; Neither applies nothing); otherwise leaves the desktop alone.
void ReapplyWallpaperPosition(platform::Platform& system, const WallpaperSettings& settings,
                              Mode mode, int managedPositionHint);

// Copies every byte of source to target through a new file that replaces target in one step, so
// target is always the old or the whole new picture (a link there is replaced, not followed).
// Throws AppError on a missing source or a target that can not be written; target is then as it
// was.
void CopyWholeFile(const QString& source, const QString& target);
