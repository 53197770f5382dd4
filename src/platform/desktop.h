#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

inline constexpr std::uint32_t SPI_SETDESKWALLPAPER = 20;
inline constexpr std::uint32_t SPIF_UPDATEINIFILE = 1;
inline constexpr std::uint32_t SPIF_SENDWININICHANGE = 2;
inline constexpr int COLOR_BACKGROUND = 1;

// How a wallpaper covers the screen, as the desktop's registry values name it.
enum class Placement { Centred, Tiled, Stretched, Fit, Fill, Span, Origin };

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// Picture work a desktop may need that the platform layer leaves to the program's own picture
// code (its decoders and smooth scaling). The program hands one to createDesktop; Windows needs
// none, since its desktop reads and places the pictures itself.
class PicturePainter {
public:
    virtual ~PicturePainter() = default;

    // Paints the picture file (any kind the program reads, told by its content) onto canvas, a
    // width x height screen of 0x00RRGGBB pixels stored row after row from the top: first the
    // background everywhere, then the picture as placed (Origin: its top-left corner at x, y).
    // False when the picture can not be read; the canvas is then left as it was.
    virtual bool paint(const std::string& path, Placement placement, int x, int y,
                       std::uint32_t background, int width, int height, std::uint32_t* canvas) = 0;

    // The size of the primary screen in device pixels; nullopt when there is no screen.
    virtual std::optional<ScreenSize> primaryScreenSize() = 0;
};

// The running desktop: the notifications that make it re-read its registry values.
class Desktop {
public:
    virtual ~Desktop() = default;

    // SystemParametersInfo(SPI_SETDESKWALLPAPER, 0, null, flags): the desktop takes the wallpaper
    // named by its registry values. Returns the system's success flag.
    virtual bool reloadWallpaper(std::uint32_t flags) = 0;

    // SetSysColors for one element; colour is red + 256 * green + 65536 * blue. Returns the
    // system's success flag.
    virtual bool setSysColor(int element, std::uint32_t colour) = 0;

    // SendNotifyMessage(HWND_BROADCAST, WM_WININICHANGE, 0, 0).
    virtual void broadcastSettingChange() = 0;
};

// The desktop of this session. POSIX: the user's running Linux desktop, chosen from the session
// (or $TAPESTRON_DESKTOP), which is first asked for any desktop values the registry lacks;
// painter draws the pictures a desktop can not take as they are.
std::unique_ptr<Desktop> createDesktop(std::shared_ptr<PicturePainter> painter);

} // namespace platform
