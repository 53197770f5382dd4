#include "platform/desktop.h"

#include "win32support.h"

namespace platform {

namespace {

class Win32Desktop final : public Desktop {
public:
    // A null path makes the desktop take the wallpaper its registry values name.
    bool reloadWallpaper(std::uint32_t flags) override
    {
        return ::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, nullptr, flags) != 0;
    }

    bool setSysColor(int element, std::uint32_t colour) override
    {
        const COLORREF value = colour;
        return ::SetSysColors(1, &element, &value) != 0;
    }

    // Notify, not send: a hung top-level window must not hang us.
    void broadcastSettingChange() override
    {
        ::SendNotifyMessageW(HWND_BROADCAST, WM_WININICHANGE, 0, 0);
    }
};

} // namespace

// The Windows desktop reads and places its pictures itself: no painter is needed.
std::unique_ptr<Desktop> createDesktop(std::shared_ptr<PicturePainter>)
{
    return std::make_unique<Win32Desktop>();
}

} // namespace platform
