#pragma once

#include <cstdint>
#include <memory>

namespace platform {

inline constexpr std::uint32_t SPI_SETDESKWALLPAPER = 20;
inline constexpr std::uint32_t SPIF_UPDATEINIFILE = 1;
inline constexpr std::uint32_t SPIF_SENDWININICHANGE = 2;
inline constexpr int COLOR_BACKGROUND = 1;

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

std::unique_ptr<Desktop> createDesktop();

} // namespace platform
