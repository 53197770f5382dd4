#include "sessionbus.h"

#include "common/paths.h"
#include "common/strings.h"
#include "platform/posix/desktop/backend.h"
#include "platform/posix/desktop/gvarianttext.h"
#include "settings/originalstore.h"
#include "wallpaper/original.h"

#include <filesystem>

namespace {

using platform::posix::fileUriToPath;
using platform::posix::pathToFileUri;

struct Family {
    const char* kind;
    const char* schema;
    const char* pictureKey;
    bool uri; // the picture is kept as a file URI, otherwise as a plain path
};

void PrintTo(const Family& value, std::ostream* out) { *out << value.kind; }

const Family Families[] = {
    {"gnome", "org.gnome.desktop.background", "picture-uri", true},
    {"cinnamon", "org.cinnamon.desktop.background", "picture-uri", true},
    {"mate", "org.mate.background", "picture-filename", false},
};

class NoPositionSettings : public WallpaperSettings {
public:
    PositionChoice autoPosition() const override { return {}; }
    PositionChoice customPosition() const override { return {}; }
    bool managePosition() const override { return false; }
    bool transparentText() const override { return false; }
};

class GSettingsDesktopTest : public RealDesktopTest, public ::testing::WithParamInterface<Family> {
protected:
    GSettingsDesktopTest() : RealDesktopTest(GetParam().kind) {}

    std::string get(const char* key)
    {
        const std::string printed = toolOutput({"gsettings", "get", GetParam().schema, key});
        const auto value = platform::posix::gvariantString(printed);
        EXPECT_TRUE(value.has_value()) << key;
        return value.value_or("");
    }
    // Sets a key to a string as a user's tool would, in GVariant's double-quoted form.
    void set(const char* key, const std::string& text)
    {
        std::string literal = "\"";
        for (const char c : text) {
            if (c == '"' || c == '\\')
                literal += '\\';
            literal += c;
        }
        toolOutput({"gsettings", "set", GetParam().schema, key, literal + "\""});
    }
    // The file the desktop shows, from its picture key.
    std::string shownFile()
    {
        const std::string picture = get(GetParam().pictureKey);
        return GetParam().uri ? fileUriToPath(picture).value_or("") : picture;
    }
    void showUserPicture(const std::string& path)
    {
        set(GetParam().pictureKey, GetParam().uri ? pathToFileUri(path) : path);
        set("picture-options", "zoom");
        set("primary-color", "#102030");
    }

    SessionBus bus;
};

TEST_P(GSettingsDesktopTest, EachChangeShowsANewCopyWithItsPlacementAndColour)
{
    startDesktop();
    writeFileBytes(toStd(currentBitmapPath()), "first");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeTiled, 0, 0);
    const std::string first = shownFile();
    EXPECT_EQ(std::filesystem::path(first).parent_path(), toStd(userDataDir()));
    EXPECT_NE(first, toStd(currentBitmapPath()));
    EXPECT_EQ(readFileBytes(first), "first");
    EXPECT_EQ(get("picture-options"), "wallpaper");
    if (std::string(GetParam().kind) == "gnome") {
        EXPECT_EQ(get("picture-uri-dark"), get("picture-uri"));
    }

    writeFileBytes(toStd(currentBitmapPath()), "second");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeStretched, 0, 0);
    const std::string second = shownFile();
    EXPECT_NE(second, first);
    EXPECT_EQ(readFileBytes(second), "second");
    EXPECT_EQ(get("picture-options"), "stretched");

    ApplyBackgroundColour(system, QColor(16, 32, 48));
    EXPECT_EQ(get("primary-color"), "#102030");
    EXPECT_EQ(get("color-shading-type"), "solid");
    EXPECT_EQ(shownFile(), second);

    // No picture: the colour alone.
    WriteDesktopWallpaperValues(system, "", "0", 0, 0, 0);
    if (GetParam().uri) {
        EXPECT_EQ(get("picture-options"), "none");
    } else {
        EXPECT_EQ(get("picture-filename"), "");
    }
}

TEST_P(GSettingsDesktopTest, AFirstStartSeedsTheRegistryFromTheKeys)
{
    const std::string lake = userPicture("lake 'it's' \"$HOME\"; x.bmp", "lake");
    showUserPicture(lake);
    startDesktop();
    EXPECT_EQ(registryWallpaper(), (QStringList{fromStd(lake), "0", "10", "16 32 48"}));
}

TEST_P(GSettingsDesktopTest, RestoringTheOriginalShowsACopyOfTheUsersPicture)
{
    const std::string lake = userPicture("lake.bmp", "lake");
    showUserPicture(lake);
    startDesktop();
    SettingsOriginalStore store;
    SaveOriginalWallpaper(system, store);
    writeFileBytes(toStd(currentBitmapPath()), "ours");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeCentered, 0, 0);
    EXPECT_EQ(readFileBytes(shownFile()), "ours");
    EXPECT_EQ(get("picture-options"), "centered");

    RestoreOriginalWallpaper(system, store, NoPositionSettings());
    const std::string shown = shownFile();
    EXPECT_NE(shown, lake);
    EXPECT_EQ(readFileBytes(shown), "lake");
    EXPECT_EQ(get("picture-options"), "zoom");
    EXPECT_EQ(get("primary-color"), "#102030");

    // A picture the user picks in the desktop's settings while the program runs is the one the
    // next step keeps, as the system's own values would have it.
    const std::string river = userPicture("river.bmp", "river");
    showUserPicture(river);
    SaveOriginalWallpaperIfNeeded(system, store);
    EXPECT_EQ(readFileBytes(toStd(userDataDir()) + "/original.bmp"), "river");
    EXPECT_EQ(registryWallpaper().front(), fromStd(river));
}

TEST_P(GSettingsDesktopTest, AnAwkwardPictureFolderReachesTheKeysUnchanged)
{
    const std::string folder = useAwkwardAppData();
    startDesktop();
    writeFileBytes(toStd(currentBitmapPath()), "odd");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeStretched, 0, 0);
    const std::string shown = shownFile();
    EXPECT_EQ(shown.rfind(folder + "/Tapestron/.current-", 0), 0u) << shown;
    EXPECT_EQ(readFileBytes(shown), "odd");
}

TEST_P(GSettingsDesktopTest, ASettingsServiceOutOfReachRefusesTheChange)
{
    startDesktop();
    {
        // dconf takes the change and then can not hand it on: a warning tells, at most.
        ScopedEnv gone("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + root.file("no-bus"));
        EXPECT_FALSE(reloadCurrent("first", ModeCentered));
    }
    {
        // A store in memory keeps nothing for the desktop to see.
        ScopedEnv memory("GSETTINGS_BACKEND", "memory");
        EXPECT_FALSE(reloadCurrent("first", ModeCentered));
    }
    SilentBus silent;
    bool shown = true;
    EXPECT_LT(timed([&] { shown = reloadCurrent("second", ModeCentered); }).count(), 2500);
    EXPECT_FALSE(shown);
}

INSTANTIATE_TEST_SUITE_P(Desktops, GSettingsDesktopTest, ::testing::ValuesIn(Families),
                         [](const ::testing::TestParamInfo<Family>& info) {
                             return std::string(info.param.kind);
                         });

} // namespace
