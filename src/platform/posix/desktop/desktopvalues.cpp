#include "desktopvalues.h"

#include "backend.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "wallpaperfiles.h"

#include <chrono>
#include <mutex>
#include <optional>

namespace platform::posix {

namespace {

const std::string DesktopKey = "Control Panel\\Desktop";
const std::string ColorsKey = "Control Panel\\Colors";
constexpr std::uint32_t Black = 0;

thread_local bool held = false;

// A show step reads the wallpaper value a few times; the desktop is asked once for all of them.
constexpr auto LiveStateKept = std::chrono::seconds(5);

struct LiveCache {
    std::mutex mutex;
    std::optional<DesktopState> state;
    std::chrono::steady_clock::time_point readAt;
};

LiveCache& liveCache()
{
    static LiveCache cache;
    return cache;
}

DesktopState readLive(DesktopBackend& backend)
{
    LiveCache& cache = liveCache();
    {
        const std::lock_guard lock(cache.mutex);
        if (cache.state && std::chrono::steady_clock::now() - cache.readAt < LiveStateKept)
            return *cache.state;
    }
    DesktopState state = backend.read();
    const std::lock_guard lock(cache.mutex);
    cache.state = state;
    cache.readAt = std::chrono::steady_clock::now();
    return state;
}

bool exists(Registry& registry, const std::string& key, const char* name)
{
    return registry.readValue(RootKey::CurrentUser, key, name).has_value();
}

std::string text(Registry& registry, const std::string& key, const char* name)
{
    const auto value = registry.readValue(RootKey::CurrentUser, key, name);
    const auto* string = value ? std::get_if<std::string>(&*value) : nullptr;
    return string ? *string : std::string();
}

void writeWallpaper(Registry& registry, const DesktopState& live)
{
    if (!registry.createKey(RootKey::CurrentUser, DesktopKey))
        return;
    const std::string picture =
        live.picture && fileExists(*live.picture) ? *live.picture : std::string();
    const Placement placement = live.placement.value_or(Placement::Centred);
    const auto put = [&](const char* name, const std::string& value) {
        registry.writeString(RootKey::CurrentUser, DesktopKey, name, value);
    };
    put("Wallpaper", picture);
    put("TileWallpaper", tileOf(placement));
    put("WallpaperStyle", styleOf(placement));
    put("WallpaperOriginX", "0");
    put("WallpaperOriginY", "0");
}

// True when the desktop shows a picture of the user's rather than the one the values name (or a
// copy the program gave the desktop of it).
bool userPictureShown(const DesktopState& live, const std::string& named)
{
    return live.picture && !live.picture->empty() && *live.picture != named &&
           !isPublishedFrom(*live.picture, named) && fileExists(*live.picture);
}

} // namespace

void seedDesktopValues(Registry& registry, DesktopBackend* backend)
{
    const DesktopValuesHeld reading; // the values are read here as they are
    try {
        const bool hasWallpaper = exists(registry, DesktopKey, "Wallpaper");
        const bool hasColour = exists(registry, ColorsKey, "Background");
        // A desktop that names its picture by file tells a change of the user's cheaply; a
        // painted one is read (a screen's worth of pixels) only while no picture is known.
        const bool byFile = backend && backend->takesFiles();
        const bool askDesktop = byFile || (backend && !hasWallpaper);
        if (!askDesktop && hasWallpaper && hasColour)
            return;
        const DesktopState live = askDesktop ? backend->read() : DesktopState{};
        if (!hasWallpaper ||
            (byFile && userPictureShown(live, text(registry, DesktopKey, "Wallpaper"))))
            writeWallpaper(registry, live);
        if (!hasColour && registry.createKey(RootKey::CurrentUser, ColorsKey))
            registry.writeString(RootKey::CurrentUser, ColorsKey, "Background",
                                 colourToText(live.background.value_or(Black)));
    } catch (const PlatformError&) {
        // A registry that can not be written keeps what it has: the values are only a start.
    }
}

void followLiveDesktop(Registry& registry)
{
    if (held)
        return;
    static std::mutex mutex;
    static DesktopKind kind = DesktopKind::None;
    static std::unique_ptr<DesktopBackend> backend;
    const std::lock_guard lock(mutex);
    const DesktopKind now = sessionDesktop();
    if (now == DesktopKind::None)
        return;
    if (!backend || kind != now) {
        backend = createBackend(now, nullptr);
        kind = now;
        forgetLiveDesktop();
    }
    if (!backend || !backend->takesFiles())
        return;
    const DesktopValuesHeld reading;
    try {
        // One read of the registry: every read parses the whole file again.
        const auto named = registry.readValue(RootKey::CurrentUser, DesktopKey, "Wallpaper");
        if (!named)
            return; // not seeded yet: the desktop's start does that
        const auto* namedText = std::get_if<std::string>(&*named);
        const DesktopState live = readLive(*backend);
        if (userPictureShown(live, namedText ? *namedText : std::string()))
            writeWallpaper(registry, live);
    } catch (const PlatformError&) {
    }
}

void forgetLiveDesktop()
{
    LiveCache& cache = liveCache();
    const std::lock_guard lock(cache.mutex);
    cache.state.reset();
}

DesktopValuesHeld::DesktopValuesHeld() : wasHeld_(held) { held = true; }

DesktopValuesHeld::~DesktopValuesHeld() { held = wasHeld_; }

} // namespace platform::posix
