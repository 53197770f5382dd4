#include "fixtures.h"

#include "common/errors.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "common/strings.h"
#include "platform/registry.h"
#include "wallpaper/apply.h"

namespace {

using platform::RootKey;

const std::string DesktopKey = "Control Panel\\Desktop";
const std::string AdvancedKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

class FixedSettings : public WallpaperSettings {
public:
    PositionChoice autoPosition() const override { return autoChoice; }
    PositionChoice customPosition() const override { return customChoice; }
    bool managePosition() const override { return manage; }
    bool transparentText() const override { return false; }

    PositionChoice autoChoice;
    PositionChoice customChoice;
    bool manage = false;
};

class WallpaperApplyTest : public AppFixture {
protected:
    // Wallpaper, TileWallpaper, WallpaperStyle, WallpaperOriginX, WallpaperOriginY; a value that
    // is not REG_SZ shows as "dword", a missing one as "none".
    QStringList desktopValues() const
    {
        QStringList values;
        for (const char* name : {"Wallpaper", "TileWallpaper", "WallpaperStyle", "WallpaperOriginX",
                                 "WallpaperOriginY"}) {
            const auto value = system.registry->readValue(RootKey::CurrentUser, DesktopKey, name);
            const auto* text = value ? std::get_if<std::string>(&*value) : nullptr;
            values << (text ? fromStd(*text) : value ? "dword" : "none");
        }
        return values;
    }
    // True when the desktop was told exactly once, to reload from the registry only.
    bool reloadedOnce() const
    {
        return desktop->calls.size() == 1 &&
               desktop->calls[0].kind == RecordingDesktop::Call::ReloadWallpaper &&
               desktop->calls[0].a == platform::SPIF_SENDWININICHANGE;
    }
    // Values a step must leave alone.
    QStringList writeOldValues(const QString& path)
    {
        WriteDesktopWallpaperValues(system, path, QStringLiteral("0"), 2, 7, 8);
        desktop->calls.clear();
        return {path, "0", "2", "7", "8"};
    }
    QStringList current(const char* tile, const char* style, const char* x = "0",
                        const char* y = "0") const
    {
        return {currentBitmapPath(), tile, style, x, y};
    }
    FixedSettings settings;
};

TEST_F(WallpaperApplyTest, EachModeWritesItsDesktopValuesAndReloadsOnce)
{
    const QString path = QStringLiteral("C:\\Pictures\\a b.bmp");
    const struct {
        int mode;
        QStringList values;
    } cases[] = {
        // The origin first: the modes after it must put it back to 0.
        {ModeOrigin, {path, "0", "0", "30", "-5"}},
        {ModeTiled, {path, "1", "0", "0", "0"}},
        {ModeCentered, {path, "0", "0", "0", "0"}},
        {ModeStretched, {path, "0", "2", "0", "0"}},
        {7, {path, "0", "7", "0", "0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        desktop->calls.clear();
        ApplyDesktopWallpaper(system, path, c.mode, 30, -5);
        EXPECT_EQ(desktopValues(), c.values);
        EXPECT_TRUE(reloadedOnce());
    }
}

TEST_F(WallpaperApplyTest, RawValuesAreWrittenAsGiven)
{
    WriteDesktopWallpaperValues(system, QString(), QStringLiteral(" 1x"), 6, -1, 12);
    EXPECT_EQ(desktopValues(), (QStringList{"", " 1x", "6", "-1", "12"}));
    EXPECT_TRUE(reloadedOnce());
}

TEST_F(WallpaperApplyTest, IconTextIsSetOnlyUnderAnExistingKey)
{
    ApplyIconTextTransparency(system, true);
    EXPECT_FALSE(system.registry->keyExists(RootKey::CurrentUser, AdvancedKey));
    ASSERT_EQ(desktop->calls.size(), 1u);
    EXPECT_EQ(desktop->calls[0].kind, RecordingDesktop::Call::Broadcast);

    ASSERT_TRUE(system.registry->createKey(RootKey::CurrentUser, AdvancedKey));
    for (const bool transparent : {true, false}) {
        ApplyIconTextTransparency(system, transparent);
        const auto value =
            system.registry->readValue(RootKey::CurrentUser, AdvancedKey, "ListviewShadow");
        ASSERT_TRUE(value && std::holds_alternative<std::uint32_t>(*value));
        EXPECT_EQ(std::get<std::uint32_t>(*value), transparent ? 1u : 0u);
    }
    EXPECT_EQ(desktop->calls.size(), 3u);
    EXPECT_EQ(desktop->calls.back().kind, RecordingDesktop::Call::Broadcast);
}

TEST_F(WallpaperApplyTest, PositionChoicesApplyEveryCheckedButtonInOrder)
{
    applyPositionChoice(system, PositionChoice{});
    EXPECT_FALSE(system.registry->keyExists(RootKey::CurrentUser, DesktopKey));
    EXPECT_TRUE(desktop->calls.empty());

    applyPositionChoice(system, {false, false, false, true, " 40", "-3"});
    EXPECT_EQ(desktopValues(), current("0", "0", "40", "-3"));

    desktop->calls.clear();
    applyPositionChoice(system, {true, false, true, false, "", ""}); // centred, then stretched
    EXPECT_EQ(desktopValues(), current("0", "2"));
    EXPECT_EQ(desktop->calls.size(), 2u);
}

TEST_F(WallpaperApplyTest, AutomaticModeFollowsTheManagedHint)
{
    settings.autoChoice.tiled = true;
    ApplyAutoModePosition(system, settings, QStringLiteral("2")); // not managed: the group
    EXPECT_EQ(desktopValues(), current("1", "0"));

    settings.manage = true;
    ApplyAutoModePosition(system, settings, QStringLiteral("0"));
    EXPECT_EQ(desktopValues(), current("1", "0"));
    ApplyAutoModePosition(system, settings, QStringLiteral("2"));
    EXPECT_EQ(desktopValues(), current("0", "2"));
    ApplyAutoModePosition(system, settings, QStringLiteral("1"));
    EXPECT_EQ(desktopValues(), current("0", "0"));

    const QStringList old = writeOldValues(QStringLiteral("old.bmp"));
    for (const QString& hint : {QStringLiteral("3"), QString(), QStringLiteral(" 1")}) {
        ApplyAutoModePosition(system, settings, hint);
        EXPECT_EQ(desktopValues(), old);
        EXPECT_TRUE(desktop->calls.empty());
    }
}

TEST_F(WallpaperApplyTest, AnOriginThatIsNoNumberWritesNothing)
{
    const QStringList old = writeOldValues(QStringLiteral("old.bmp"));
    settings.customChoice = {false, false, false, true, "12", "1O"};
    try {
        ApplyCustomModePosition(system, settings);
        ADD_FAILURE() << "no conversion error";
    } catch (const AppError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("'1O' is not a valid integer value"));
    }
    EXPECT_EQ(desktopValues(), old);
    EXPECT_TRUE(desktop->calls.empty());
}

TEST_F(WallpaperApplyTest, ReapplyingNeedsTheExactBitmapAndAKnownMode)
{
    settings.customChoice.tiled = true;
    settings.autoChoice.origin = true;
    settings.autoChoice.originX = "5";
    settings.autoChoice.originY = "6";

    // Another spelling of the path: someone else's wallpaper.
    const QStringList other = writeOldValues(currentBitmapPath().toUpper());
    ReapplyWallpaperPosition(system, settings, Mode::Custom, 0);
    EXPECT_EQ(desktopValues(), other);
    EXPECT_TRUE(desktop->calls.empty());

    writeOldValues(currentBitmapPath());
    ReapplyWallpaperPosition(system, settings, Mode::Custom, 0);
    EXPECT_EQ(desktopValues(), current("1", "0"));
    EXPECT_TRUE(reloadedOnce());

    ReapplyWallpaperPosition(system, settings, Mode::Auto, 1); // not managed: the automatic group
    EXPECT_EQ(desktopValues(), current("0", "0", "5", "6"));
    settings.manage = true;
    ReapplyWallpaperPosition(system, settings, Mode::Auto, 2);
    EXPECT_EQ(desktopValues(), current("0", "2"));

    const QStringList old = writeOldValues(currentBitmapPath());
    ReapplyWallpaperPosition(system, settings, Mode::Neither, 0);
    EXPECT_EQ(desktopValues(), old);
    EXPECT_TRUE(desktop->calls.empty());

    ReapplyWallpaperPosition(system, settings, Mode::Auto, 3); // managed, a hint with no position
    EXPECT_TRUE(desktop->calls.empty());
}

TEST_F(WallpaperApplyTest, WholeFilesAreCopiedOverLongerOnes)
{
    const QByteArray content(200'000, 'a');
    writeFileBytes(toStd(tempPath("source")), content.toStdString());
    writeFileBytes(toStd(tempPath("target")), std::string(500'000, 'b'));
    CopyWholeFile(tempPath("source"), tempPath("target"));
    EXPECT_EQ(readFileBytes(toStd(tempPath("target"))), content.toStdString());

    try {
        CopyWholeFile(tempPath("missing"), tempPath("target"));
        ADD_FAILURE() << "copied a missing file";
    } catch (const AppError& error) {
        EXPECT_TRUE(error.message().contains(tempPath("missing")));
    }
    EXPECT_EQ(readFileBytes(toStd(tempPath("target"))), content.toStdString());
    EXPECT_THROW(CopyWholeFile(tempPath("source"), tempPath("nowhere/target")), AppError);

    // Copying a file onto itself keeps it whole.
    CopyWholeFile(tempPath("source"), tempPath("../scratch/source"));
    EXPECT_EQ(readFileBytes(toStd(tempPath("source"))), content.toStdString());
}

} // namespace
