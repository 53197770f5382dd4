#include "platform/desktop.h"

#include "desktop/backend.h"
#include "desktop/desktopvalues.h"
#include "desktop/wallpaperfiles.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/registry.h"

#include <charconv>

// The emulated registry stays the program's record of the desktop, as on Windows; this desktop
// reads what the program wrote there and has the user's running Linux desktop show it.
namespace platform {

namespace {

using posix::DesktopBackend;
using posix::WallpaperRequest;

const std::string DesktopKey = "Control Panel\\Desktop";
const std::string ColorsKey = "Control Panel\\Colors";

// The colour a desktop shows where no colour was ever set.
constexpr std::uint32_t Black = 0;

int integerOr(const std::string& text, int fallback)
{
    int value = fallback;
    const char* first = text.data();
    if (!text.empty() && *first == '+')
        ++first;
    const auto [rest, error] = std::from_chars(first, text.data() + text.size(), value);
    return error == std::errc() && rest == text.data() + text.size() ? value : fallback;
}

class PosixDesktop final : public Desktop {
public:
    PosixDesktop(std::unique_ptr<DesktopBackend> backend, std::shared_ptr<PicturePainter> painter)
        : registry_(createRegistry()), backend_(std::move(backend)), painter_(std::move(painter))
    {
        posix::seedDesktopValues(*registry_, backend_.get());
    }

    bool reloadWallpaper(std::uint32_t) override
    {
        if (!backend_)
            return true;                     // no desktop to tell: the values are the whole of it
        const posix::DesktopValuesHeld ours; // the desktop still shows the picture before ours
        const bool shown = show(request(std::nullopt));
        posix::forgetLiveDesktop();
        return shown;
    }

    bool setSysColor(int element, std::uint32_t colour) override
    {
        if (!backend_ || element != COLOR_BACKGROUND)
            return true;
        // The system's colour is 0x00BBGGRR; the desktops take red, green, blue.
        const std::uint32_t rgb = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
        const posix::DesktopValuesHeld ours;
        WallpaperRequest current = request(rgb);
        // A composed origin picture carries the colour around it: compose it again.
        const bool composed = backend_->takesFiles() && current.placement == Placement::Origin &&
                              !current.picture.empty();
        const bool set = (!composed || show(current)) && backend_->setBackground(current);
        posix::forgetLiveDesktop();
        return set;
    }

    // The icon text setting has no counterpart on these desktops.
    void broadcastSettingChange() override {}

private:
    std::string readString(const std::string& key, const std::string& name)
    {
        const auto value = registry_->readValue(RootKey::CurrentUser, key, name);
        const auto* text = value ? std::get_if<std::string>(&*value) : nullptr;
        return text ? *text : std::string();
    }

    // The wallpaper as the registry values name it; background overrides the stored colour.
    WallpaperRequest request(std::optional<std::uint32_t> background)
    {
        WallpaperRequest wallpaper;
        wallpaper.picture = readString(DesktopKey, "Wallpaper");
        const int x = integerOr(readString(DesktopKey, "WallpaperOriginX"), 0);
        const int y = integerOr(readString(DesktopKey, "WallpaperOriginY"), 0);
        wallpaper.placement = posix::placementOf(readString(DesktopKey, "TileWallpaper"),
                                                 readString(DesktopKey, "WallpaperStyle"), x, y);
        if (wallpaper.placement == Placement::Origin) {
            wallpaper.originX = x;
            wallpaper.originY = y;
        }
        wallpaper.background = background.value_or(
            posix::colourFromText(readString(ColorsKey, "Background")).value_or(Black));
        return wallpaper;
    }

    bool show(WallpaperRequest wallpaper)
    {
        if (!wallpaper.picture.empty() && !fileExists(wallpaper.picture))
            return false; // as the system refuses a wallpaper it can not load
        if (backend_->takesFiles() && !wallpaper.picture.empty()) {
            const auto given = wallpaper.placement == Placement::Origin
                                   ? composeOrigin(wallpaper)
                                   : posix::publishPicture(wallpaper.picture);
            if (!given)
                return false;
            if (wallpaper.placement == Placement::Origin)
                wallpaper.placement = Placement::Stretched;
            wallpaper.picture = *given;
        }
        return backend_->apply(wallpaper);
    }

    // Desktops that take files have no origin placement: the program lays the picture out on a
    // canvas of the primary screen's size, which then fills the screen.
    std::optional<std::string> composeOrigin(const WallpaperRequest& wallpaper)
    {
        if (!painter_)
            return std::nullopt;
        const auto screen = painter_->primaryScreenSize();
        if (!screen || screen->width <= 0 || screen->height <= 0)
            return std::nullopt;
        std::vector<std::uint32_t> canvas(static_cast<std::size_t>(screen->width) *
                                          static_cast<std::size_t>(screen->height));
        if (!painter_->paint(wallpaper.picture, Placement::Origin, wallpaper.originX,
                             wallpaper.originY, wallpaper.background, screen->width, screen->height,
                             canvas.data()))
            return std::nullopt;
        return posix::publishCanvas(wallpaper.picture, canvas, screen->width, screen->height);
    }

    std::unique_ptr<Registry> registry_; // its own view of the same registry file
    std::unique_ptr<DesktopBackend> backend_;
    std::shared_ptr<PicturePainter> painter_;
};

} // namespace

std::unique_ptr<Desktop> createDesktop(std::shared_ptr<PicturePainter> painter)
{
    auto backend = posix::createBackend(posix::sessionDesktop(), painter);
    return std::make_unique<PosixDesktop>(std::move(backend), std::move(painter));
}

} // namespace platform
