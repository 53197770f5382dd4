#include "apply.h"

#include "common/errors.h"
#include "common/paths.h"
#include "common/regularfile.h"
#include "common/strings.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/registry.h"

#include <string>

namespace {

using platform::RootKey;

const std::string DesktopKey = "Control Panel\\Desktop";
const std::string AdvancedKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\";

bool writeDesktopValues(platform::Platform& system, const QString& path, const QString& tile,
                        int style, int originX, int originY)
{
    platform::Registry& registry = *system.registry;
    if (!registry.createKey(RootKey::CurrentUser, DesktopKey))
        throw AppError(QStringLiteral("Failed to set data for 'Wallpaper'"));
    const auto put = [&](const char* name, const QString& value) {
        registry.writeString(RootKey::CurrentUser, DesktopKey, name, toStd(value));
    };
    put("Wallpaper", path);
    put("TileWallpaper", tile);
    put("WallpaperStyle", QString::number(style));
    put("WallpaperOriginX", QString::number(originX));
    put("WallpaperOriginY", QString::number(originY));
    // SPIF_SENDWININICHANGE alone: the values are written above, and SPIF_UPDATEINIFILE would have
    // the system store its own idea of them on top. A refusal leaves the old picture showing.
    return system.desktop->reloadWallpaper(platform::SPIF_SENDWININICHANGE);
}

// The managed-position hint of automatic mode, as in ApplyAutoModePosition.
bool applyManagedHint(platform::Platform& system, const WallpaperSettings& settings,
                      const QString& hint)
{
    if (hint == QLatin1String("0"))
        return applyPositionChoice(system, settings.autoPosition());
    if (hint == QLatin1String("1"))
        return ApplyDesktopWallpaper(system, currentBitmapPath(), ModeCentered, 0, 0);
    if (hint == QLatin1String("2"))
        return ApplyDesktopWallpaper(system, currentBitmapPath(), ModeStretched, 0, 0);
    return true;
}

} // namespace

bool ApplyDesktopWallpaper(platform::Platform& system, const QString& path, int mode, int originX,
                           int originY)
{
    // The desktop knows tiling and a style; centred and tiled pictures both have style 0, and the
    // origin is only honoured for its own mode.
    QString tile = QStringLiteral("0");
    int style = mode;
    int x = 0;
    int y = 0;
    switch (mode) {
    case ModeTiled:
        tile = QStringLiteral("1");
        style = 0;
        break;
    case ModeCentered:
        style = 0;
        break;
    case ModeOrigin:
        style = 0;
        x = originX;
        y = originY;
        break;
    default:
        break;
    }
    return writeDesktopValues(system, path, tile, style, x, y);
}

bool WriteDesktopWallpaperValues(platform::Platform& system, const QString& path,
                                 const QString& tile, int style, int originX, int originY)
{
    return writeDesktopValues(system, path, tile, style, originX, originY);
}

void ApplyIconTextTransparency(platform::Platform& system, bool transparent)
{
    // Creating the key would hand the shell a setting it never had; only an existing one is set.
    if (system.registry->keyExists(RootKey::CurrentUser, AdvancedKey))
        system.registry->writeDword(RootKey::CurrentUser, AdvancedKey, "ListviewShadow",
                                    transparent ? 1 : 0);
    system.desktop->broadcastSettingChange();
}

bool applyPositionChoice(platform::Platform& system, const PositionChoice& choice)
{
    // Every checked button is applied, in this fixed order; the window lets only one be checked.
    bool taken = true;
    const auto apply = [&](int mode, int x, int y) {
        taken = ApplyDesktopWallpaper(system, currentBitmapPath(), mode, x, y) && taken;
    };
    if (choice.centered)
        apply(ModeCentered, 0, 0);
    if (choice.tiled)
        apply(ModeTiled, 0, 0);
    if (choice.stretched)
        apply(ModeStretched, 0, 0);
    if (choice.origin) {
        const int x = toInteger(choice.originX);
        const int y = toInteger(choice.originY);
        apply(ModeOrigin, x, y);
    }
    return taken;
}

bool ApplyCustomModePosition(platform::Platform& system, const WallpaperSettings& settings)
{
    return applyPositionChoice(system, settings.customPosition());
}

bool ApplyAutoModePosition(platform::Platform& system, const WallpaperSettings& settings,
                           const QString& hint)
{
    if (!settings.managePosition())
        return applyPositionChoice(system, settings.autoPosition());
    return applyManagedHint(system, settings, hint);
}

void requireDesktopTookWallpaper(bool taken)
{
    if (!taken)
        throw AppError(QStringLiteral("The desktop did not take the new wallpaper."));
}

void ReapplyWallpaperPosition(platform::Platform& system, const WallpaperSettings& settings,
                              Mode mode, int managedPositionHint)
{
    const auto shown = system.registry->readValue(RootKey::CurrentUser, DesktopKey, "Wallpaper");
    const std::string* shownPath = shown ? std::get_if<std::string>(&*shown) : nullptr;
    // The user chose another wallpaper since: leave it alone. The comparison is exact, as the
    // desktop's own value is what was written here.
    if (fromStd(shownPath ? *shownPath : std::string()) != currentBitmapPath())
        return;

    if (mode == Mode::Auto) {
        if (settings.managePosition())
            applyManagedHint(system, settings, QString::number(managedPositionHint));
        else
            applyPositionChoice(system, settings.autoPosition());
    }
    if (mode == Mode::Custom)
        ApplyCustomModePosition(system, settings);
}

void CopyWholeFile(const QString& source, const QString& target)
{
    RegularFile in(source);
    if (!in.openForReading())
        throw AppError(QStringLiteral("Cannot open file \"%1\". %2").arg(source, in.errorString()));
    in.close();
    // The desktop shows the target all along: it is replaced in one step by a whole copy, never
    // written in place (which a full disk or a crash would leave half done).
    if (!platform::copyFileReplacing(toStd(source), toStd(target)))
        throw AppError(QStringLiteral("Cannot write file \"%1\".").arg(target));
}
