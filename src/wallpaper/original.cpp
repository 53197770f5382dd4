#include "original.h"

#include "common/errors.h"
#include "common/paths.h"
#include "common/strings.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace {

using platform::RootKey;

const std::string DesktopKey = "Control Panel\\Desktop";
const std::string ColorsKey = "Control Panel\\Colors";

QString originalBitmapPath() { return userDataPath(QStringLiteral("original.bmp")); }

// A registry value read as text; nullopt when it is missing. A DWORD where text belongs reads as
// its decimal number, as the system's own string reader would convert it.
std::optional<QString> readText(platform::Platform& system, const std::string& key,
                                const char* name)
{
    const auto value = system.registry->readValue(RootKey::CurrentUser, key, name);
    if (!value)
        return std::nullopt;
    if (const auto* text = std::get_if<std::string>(&*value))
        return fromStd(*text);
    return QString::number(std::get<std::uint32_t>(*value));
}

void saveWallpaperValues(platform::Platform& system, OriginalWallpaperStore& store)
{
    const std::optional<QString> wallpaper = readText(system, DesktopKey, "Wallpaper");
    if (!wallpaper) {
        store.write(OriginalValue::Path, QString());
        return;
    }
    // No picture, or one that is gone: whatever an earlier save wrote stays.
    if (wallpaper->isEmpty() || !platform::fileExists(toStd(*wallpaper)))
        return;
    CopyWholeFile(*wallpaper, originalBitmapPath());
    store.write(OriginalValue::Path, originalBitmapPath());
    if (const auto tile = readText(system, DesktopKey, "TileWallpaper"))
        store.write(OriginalValue::Tile, *tile);
    if (const auto style = readText(system, DesktopKey, "WallpaperStyle"))
        store.write(OriginalValue::Style, *style);
    store.write(OriginalValue::OriginX,
                readText(system, DesktopKey, "WallpaperOriginX").value_or("0"));
    store.write(OriginalValue::OriginY,
                readText(system, DesktopKey, "WallpaperOriginY").value_or("0"));
}

// Splits off the text before the first blank (all of it without one) and removes it and the
// blank from text.
QString takeField(QString& text)
{
    const qsizetype blank = text.indexOf(u' ');
    if (blank < 0)
        return std::exchange(text, QString());
    const QString field = text.left(blank);
    text.remove(0, blank + 1);
    return field;
}

// The registry value counts from the next logon; the running desktop is told at once. Its answer
// changes nothing here.
void setDesktopColour(platform::Platform& system, const QColor& colour)
{
    system.desktop->setSysColor(platform::COLOR_BACKGROUND,
                                std::uint32_t(colour.red()) + 256u * std::uint32_t(colour.green()) +
                                    65536u * std::uint32_t(colour.blue()));
}

} // namespace

void SaveOriginalWallpaperIfNeeded(platform::Platform& system, OriginalWallpaperStore& store)
{
    if (!store.saved()) {
        SaveOriginalWallpaper(system, store);
        return;
    }
    if (!system.registry->createKey(RootKey::CurrentUser, DesktopKey))
        return;
    // Only the path tells the program's wallpaper from the user's, compared exactly as written.
    if (readText(system, DesktopKey, "Wallpaper").value_or(QString()) != currentBitmapPath())
        SaveOriginalWallpaper(system, store);
}

void SaveOriginalWallpaper(platform::Platform& system, OriginalWallpaperStore& store)
{
    if (system.registry->createKey(RootKey::CurrentUser, DesktopKey))
        saveWallpaperValues(system, store);
    if (system.registry->createKey(RootKey::CurrentUser, ColorsKey))
        if (const auto colour = readText(system, ColorsKey, "Background"))
            store.write(OriginalValue::BackgroundColor, *colour);
}

void RestoreOriginalWallpaper(platform::Platform& system, const OriginalWallpaperStore& store,
                              const WallpaperSettings& settings)
{
    if (!store.saved())
        return;
    const int style = store.integer(OriginalValue::Style);
    const int originX = store.integer(OriginalValue::OriginX);
    const int originY = store.integer(OriginalValue::OriginY);
    const QString tile = store.text(OriginalValue::Tile);
    const QString path = store.text(OriginalValue::Path);

    if (!path.isEmpty() && platform::fileExists(toStd(path))) {
        // Shown as current.bmp, the program's own name, so the next show step does not take the
        // copy for a new wallpaper of the user's.
        CopyWholeFile(path, currentBitmapPath());
        WriteDesktopWallpaperValues(system, currentBitmapPath(), tile, style, originX, originY);
    } else {
        WriteDesktopWallpaperValues(system, QString(), tile, style, originX, originY);
    }
    RestoreBackgroundColour(system, store, settings);
}

void RestoreBackgroundColour(platform::Platform& system, const OriginalWallpaperStore& store,
                             const WallpaperSettings& settings)
{
    const QString saved = store.text(OriginalValue::BackgroundColor);
    // Converted before anything is changed.
    const QColor colour = backgroundColourFromText(saved);

    if (!system.registry->createKey(RootKey::CurrentUser, ColorsKey))
        throw AppError(QStringLiteral("Failed to set data for 'Background'"));
    system.registry->writeString(RootKey::CurrentUser, ColorsKey, "Background", toStd(saved));
    setDesktopColour(system, colour);
    ApplyIconTextTransparency(system, settings.transparentText());
}

QColor backgroundColourFromText(const QString& text)
{
    QString rest = text;
    const int red = toInteger(takeField(rest));
    const int green = toInteger(takeField(rest));
    const int blue = toInteger(rest);
    // Each number counts as a byte, as the system's colour values take them.
    return QColor(qRgb(red, green, blue));
}

QColor ReadBackgroundColour(platform::Platform& system)
{
    // A key that can not be made reads as a missing value: the conversion error follows.
    system.registry->createKey(RootKey::CurrentUser, ColorsKey);
    return backgroundColourFromText(readText(system, ColorsKey, "Background").value_or(QString()));
}

void ApplyBackgroundColour(platform::Platform& system, const QColor& colour)
{
    const QString text =
        QStringLiteral("%1 %2 %3").arg(colour.red()).arg(colour.green()).arg(colour.blue());
    if (system.registry->createKey(RootKey::CurrentUser, ColorsKey))
        system.registry->writeString(RootKey::CurrentUser, ColorsKey, "Background", toStd(text));
    setDesktopColour(system, colour);
}
