#pragma once

// One desktop backend per kind of Linux desktop: how the wallpaper the registry names reaches the
// running desktop, and what the desktop shows now.

#include "platform/desktop.h"
#include "session.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform::posix {

// What the desktop is to show.
struct WallpaperRequest {
    std::string picture; // the file to show; "" for no picture: the background colour alone
    Placement placement = Placement::Centred;
    int originX = 0; // Placement::Origin only
    int originY = 0;
    std::uint32_t background = 0; // 0x00RRGGBB
};

// What the desktop shows now, as far as it tells.
struct DesktopState {
    std::optional<std::string> picture; // a local file ("" for none); nullopt when not told
    std::optional<Placement> placement;
    std::optional<std::uint32_t> background; // 0x00RRGGBB
};

class DesktopBackend {
public:
    virtual ~DesktopBackend() = default;

    // True when the desktop is given the picture by file name: it then gets a name it has not
    // seen for every change, and an origin placement composed by the program. False when the
    // backend draws the picture itself.
    virtual bool takesFiles() const = 0;

    // Shows the wallpaper. False when the desktop refused or could not be reached in time.
    virtual bool apply(const WallpaperRequest& request) = 0;

    // Sets the desktop's solid colour to current.background; current is the wallpaper as shown,
    // for desktops whose colour is part of their picture. True where the desktop has no colour.
    virtual bool setBackground(const WallpaperRequest& current) = 0;

    // What the desktop shows now.
    virtual DesktopState read() = 0;
};

// The backend of kind; nullptr for DesktopKind::None.
std::unique_ptr<DesktopBackend> createBackend(DesktopKind kind,
                                              std::shared_ptr<PicturePainter> painter);

// GNOME (and its relatives), Cinnamon and MATE, through their GSettings keys.
std::unique_ptr<DesktopBackend> makeGSettingsBackend(DesktopKind kind);
// KDE Plasma, through the shell's scripting call on the session bus.
std::unique_ptr<DesktopBackend> makePlasmaBackend();
// Xfce, through the xfce4-desktop settings channel.
std::unique_ptr<DesktopBackend> makeXfceBackend();
// LXQt, through its desktop's file manager.
std::unique_ptr<DesktopBackend> makeLxqtBackend();
// sway and other compositors that speak its IPC.
std::unique_ptr<DesktopBackend> makeSwayBackend();
// A bare X server: the program paints the root window itself.
std::unique_ptr<DesktopBackend> makeX11Backend(std::string display,
                                               std::shared_ptr<PicturePainter> painter);

// Placements and colours in the words of the registry's desktop values.

// TileWallpaper "1" tiles; otherwise WallpaperStyle 2 stretches, 6 fits, 10 fills, 22 spans, and
// 0 centres, or places at the origin when an origin other than (0, 0) is given. Any other style
// centres.
Placement placementOf(const std::string& tile, const std::string& style, int originX, int originY);
// The TileWallpaper and WallpaperStyle texts of a placement (Origin: those of the origin mode).
std::string tileOf(Placement placement);
std::string styleOf(Placement placement);

// "r g b" (Control Panel\Colors) to 0x00RRGGBB and back; nullopt for any other text.
std::optional<std::uint32_t> colourFromText(const std::string& text);
std::string colourToText(std::uint32_t rgb);
// "#rrggbb" and back; parsing also takes "#rgb" and "#rrrrggggbbbb".
std::optional<std::uint32_t> colourFromHex(const std::string& text);
std::string colourToHex(std::uint32_t rgb);

// The value of a hexadecimal digit; -1 for any other character.
int hexDigit(char c);

// file:// URIs of local paths: every byte outside the unreserved set and "/" percent-encoded, so
// the URI is safe inside any quoting. fileUriToPath gives nullopt for anything but a local file
// URI.
std::string pathToFileUri(const std::string& path);
std::optional<std::string> fileUriToPath(const std::string& uri);

} // namespace platform::posix
