#include "fixtures.h"

#include "common/errors.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "common/strings.h"
#include "platform/registry.h"
#include "settings/originalstore.h"
#include "wallpaper/original.h"

namespace {

using platform::RootKey;

const QString Desktop = QStringLiteral("Control Panel\\Desktop");
const QString Colors = QStringLiteral("Control Panel\\Colors");

class TransparentText : public WallpaperSettings {
public:
    PositionChoice autoPosition() const override { return {}; }
    PositionChoice customPosition() const override { return {}; }
    bool managePosition() const override { return false; }
    bool transparentText() const override { return true; }
};

class OriginalWallpaperTest : public AppFixture {
protected:
    OriginalWallpaperTest() { userData(); }

    void set(const QString& key, const char* name, const QString& value)
    {
        ASSERT_TRUE(system.registry->createKey(RootKey::CurrentUser, toStd(key)));
        system.registry->writeString(RootKey::CurrentUser, toStd(key), name, toStd(value));
    }
    // A picture of the user's, tiling "0", style "2".
    void showUserPicture(const QString& path, const std::string& bytes)
    {
        writeFileBytes(toStd(path), bytes);
        set(Desktop, "Wallpaper", path);
        set(Desktop, "TileWallpaper", "0");
        set(Desktop, "WallpaperStyle", "2");
    }
    // Path, Tile, Style, OriginX, OriginY, BackgroundColor; "-" for a missing key.
    QStringList saved() const
    {
        const IniFile ini(settingsFilePath());
        QStringList values;
        for (const char* key : {"Path", "Tile", "Style", "OriginX", "OriginY", "BackgroundColor"})
            values << (ini.valueExists("OriginalWallpaper", key)
                           ? ini.readString("OriginalWallpaper", key, "")
                           : "-");
        return values;
    }
    QStringList desktopValues() const
    {
        QStringList values;
        for (const char* name : {"Wallpaper", "TileWallpaper", "WallpaperStyle", "WallpaperOriginX",
                                 "WallpaperOriginY"})
            values << regString(Desktop, name);
        return values;
    }
    std::string originalBytes() const { return readFileBytes(toStd(userDataPath("original.bmp"))); }

    TransparentText settings;
    SettingsOriginalStore store;
};

TEST_F(OriginalWallpaperTest, TheUsersWallpaperIsSavedUntilTheProgramShowsItsOwn)
{
    const QString original = userDataPath("original.bmp");
    showUserPicture(tempPath("lake.bmp"), "lake");
    set(Colors, "Background", "0 78 152");
    SaveOriginalWallpaperIfNeeded(system, store);
    EXPECT_EQ(originalBytes(), "lake");
    EXPECT_EQ(saved(), (QStringList{original, "0", "2", "0", "0", "0 78 152"}));

    writeFileBytes(toStd(currentBitmapPath()), "ours");
    set(Desktop, "Wallpaper", currentBitmapPath());
    set(Colors, "Background", "1 2 3");
    SaveOriginalWallpaperIfNeeded(system, store);
    EXPECT_EQ(originalBytes(), "lake");
    EXPECT_EQ(saved().last(), "0 78 152");

    // A name differing only in letter case is another file, the user's.
    showUserPicture(userDataPath("Current.bmp"), "river");
    set(Desktop, "WallpaperOriginX", "12");
    system.registry->writeDword(RootKey::CurrentUser, toStd(Desktop), "WallpaperOriginY", 7);
    SaveOriginalWallpaperIfNeeded(system, store);
    EXPECT_EQ(originalBytes(), "river");
    EXPECT_EQ(saved(), (QStringList{original, "0", "2", "12", "7", "1 2 3"}));
}

TEST_F(OriginalWallpaperTest, RestoringPutsTheSavedStateBackUnderTheProgramsName)
{
    RestoreOriginalWallpaper(system, store, settings); // nothing saved yet
    EXPECT_TRUE(desktop->calls.empty());

    showUserPicture(tempPath("lake.bmp"), "lake");
    set(Desktop, "WallpaperOriginX", "12");
    set(Desktop, "WallpaperOriginY", "-7");
    set(Colors, "Background", "0 78 152");
    SaveOriginalWallpaper(system, store);
    set(Desktop, "Wallpaper", tempPath("other.bmp"));
    set(Colors, "Background", "9 9 9");

    RestoreOriginalWallpaper(system, store, settings);
    EXPECT_EQ(readFileBytes(toStd(currentBitmapPath())), "lake");
    EXPECT_EQ(desktopValues(), (QStringList{currentBitmapPath(), "0", "2", "12", "-7"}));
    EXPECT_EQ(regString(Colors, "Background"), "0 78 152");
    ASSERT_EQ(desktop->calls.size(), 3u); // reload, colour, icon text broadcast
    EXPECT_EQ(desktop->calls[1].kind, RecordingDesktop::Call::SetSysColor);
    EXPECT_EQ(desktop->calls[1].a, 1u);
    EXPECT_EQ(desktop->calls[1].b, 78u * 256 + 152u * 65536);
    EXPECT_EQ(desktop->calls[2].kind, RecordingDesktop::Call::Broadcast);

    set(Colors, "Background", "1 1 1"); // the restored copy is not saved again
    SaveOriginalWallpaperIfNeeded(system, store);
    EXPECT_EQ(saved().last(), "0 78 152");
}

TEST_F(OriginalWallpaperTest, ADesktopWithoutPictureIsRestoredWithoutOne)
{
    set(Desktop, "Wallpaper", "");
    set(Desktop, "TileWallpaper", "1");
    set(Colors, "Background", "10 20 30");
    SaveOriginalWallpaper(system, store);
    EXPECT_EQ(saved(), (QStringList{"-", "-", "-", "-", "-", "10 20 30"}));

    RestoreOriginalWallpaper(system, store, settings);
    EXPECT_EQ(desktopValues(), (QStringList{"", "", "-1", "-1", "-1"}));
    EXPECT_EQ(desktop->calls.at(1).b, 10u + 20u * 256 + 30u * 65536);

    ASSERT_TRUE(system.registry->deleteValue(RootKey::CurrentUser, toStd(Desktop), "Wallpaper"));
    SaveOriginalWallpaper(system, store);
    EXPECT_EQ(saved().first(), "");
}

TEST_F(OriginalWallpaperTest, AMalformedColourFailsAfterTheWallpaperWasRestored)
{
    IniFile ini(settingsFilePath());
    ini.writeString("OriginalWallpaper", "Style", "3");
    set(Colors, "Background", "5 5 5");
    // The saved text (none at first) and the part that is not a number.
    for (const auto& [text, bad] : {std::pair<const char*, const char*>{nullptr, ""},
                                    {"0 78", ""},
                                    {"a 1 2", "a"},
                                    {"0 78 1 5", "1 5"}}) {
        SCOPED_TRACE(text ? text : "missing");
        if (text)
            ini.writeString("OriginalWallpaper", "BackgroundColor", text);
        desktop->calls.clear();
        try {
            RestoreOriginalWallpaper(system, store, settings);
            ADD_FAILURE() << "no conversion error";
        } catch (const AppError& error) {
            EXPECT_EQ(error.message(),
                      QStringLiteral("'%1' is not a valid integer value").arg(bad));
        }
        EXPECT_EQ(regString(Desktop, "WallpaperStyle"), "3");
        EXPECT_EQ(regString(Colors, "Background"), "5 5 5");
        EXPECT_EQ(desktop->calls.size(), 1u); // the wallpaper reload only
    }
}

} // namespace
