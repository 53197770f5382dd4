#pragma once

#include "apply.h"
#include "platform/platform.h"

// Keeping the user's own wallpaper, its position values and the desktop colour before the program
// replaces it, and bringing them back. The saved state lives in original.bmp and the
// [OriginalWallpaper] section of the settings file.

// At the start of each show step: saves unless the desktop shows exactly current.bmp (the
// program's own wallpaper) and a saved state exists.
void SaveOriginalWallpaperIfNeeded(platform::Platform& system);

// The save itself.
void SaveOriginalWallpaper(platform::Platform& system);

// "Restore Original Wallpaper": the saved picture (as current.bmp) and values back on the desktop,
// then the colour and the icon text option. Nothing when nothing was saved.
void RestoreOriginalWallpaper(platform::Platform& system, const WallpaperSettings& settings);

// The saved desktop colour back into the registry and onto the running desktop, then the icon
// text option. A missing or malformed saved colour raises the conversion error.
void RestoreBackgroundColour(platform::Platform& system, const WallpaperSettings& settings);
