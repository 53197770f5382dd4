#include "platform/desktop.h"

namespace platform {

namespace {

// The Linux desktops are not driven yet: each has its own way of being told about a new
// wallpaper, and none reads our registry file. The calls succeed, as they would on Windows, so
// the program runs unchanged; what it writes to the registry is still kept.
class PosixDesktop final : public Desktop {
public:
    bool reloadWallpaper(std::uint32_t) override { return true; }
    bool setSysColor(int, std::uint32_t) override { return true; }
    void broadcastSettingChange() override {}
};

} // namespace

std::unique_ptr<Desktop> createDesktop() { return std::make_unique<PosixDesktop>(); }

} // namespace platform
