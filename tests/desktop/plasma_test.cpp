#include "sessionbus.h"

#include "common/paths.h"
#include "common/strings.h"
#include "platform/posix/desktop/backend.h"
#include "wallpaper/original.h"

#include <filesystem>
#include <regex>

namespace {

using platform::posix::fileUriToPath;

class PlasmaDesktopTest : public RealDesktopTest {
protected:
    PlasmaDesktopTest() : RealDesktopTest("kde") {}

    // The stand-in shell on the case's bus; silent: it never answers.
    std::unique_ptr<Server> startShell(bool silent = false)
    {
        std::vector<std::string> argv{TAPESTRON_PLASMA_STANDIN, scripts_.path()};
        if (silent)
            argv.push_back("--silent");
        return std::make_unique<Server>(argv);
    }
    // The scripts the shell was given, in order.
    std::vector<std::string> scripts() const
    {
        std::vector<std::string> given;
        for (int n = 1; std::filesystem::exists(scripts_.file(std::to_string(n) + ".js")); ++n)
            given.push_back(readFileBytes(scripts_.file(std::to_string(n) + ".js")));
        return given;
    }
    std::string lastScript() const
    {
        const auto given = scripts();
        return given.empty() ? std::string() : given.back();
    }
    void reply(const std::string& text) { writeFileBytes(scripts_.file("reply"), text); }

    // The Image a script writes: a file URI, plain enough for any string literal.
    static std::string imageOf(const std::string& script)
    {
        static const std::regex image(R"re(writeConfig\("Image", "([^"]*)"\))re");
        std::smatch found;
        if (!std::regex_search(script, found, image))
            return "";
        const std::string uri = found[1];
        EXPECT_TRUE(std::regex_match(uri, std::regex("file:///[A-Za-z0-9%/._~-]+"))) << uri;
        return fileUriToPath(uri).value_or("");
    }
    static bool has(const std::string& script, const std::string& part)
    {
        return script.find(part) != std::string::npos;
    }

    SessionBus bus;
    TempDir scripts_;
};

TEST_F(PlasmaDesktopTest, EachChangeGivesEveryDesktopTheCopyItsFillModeAndColour)
{
    const std::string folder = useAwkwardAppData();
    const auto shell = startShell();
    startDesktop();
    writeFileBytes(toStd(currentBitmapPath()), "first");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeCentered, 0, 0);
    std::string script = lastScript();
    EXPECT_TRUE(has(script, "desktops()"));
    EXPECT_TRUE(has(script, "d.wallpaperPlugin = \"org.kde.image\";"));
    EXPECT_TRUE(
        has(script, "d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];"));
    EXPECT_TRUE(has(script, "d.writeConfig(\"FillMode\", 6);"));
    EXPECT_TRUE(has(script, "d.writeConfig(\"Color\", \"#000000\");"));
    const std::string first = imageOf(script);
    EXPECT_EQ(first.rfind(folder + "/Tapestron/.current-", 0), 0u) << first;
    EXPECT_EQ(readFileBytes(first), "first");

    writeFileBytes(toStd(currentBitmapPath()), "second");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeTiled, 0, 0);
    script = lastScript();
    EXPECT_TRUE(has(script, "d.writeConfig(\"FillMode\", 3);"));
    const std::string second = imageOf(script);
    EXPECT_NE(second, first);
    EXPECT_EQ(readFileBytes(second), "second");

    // The colour around the picture, which is left as it is.
    ApplyBackgroundColour(system, QColor(16, 32, 48));
    script = lastScript();
    EXPECT_TRUE(has(script, "d.writeConfig(\"Color\", \"#102030\");"));
    EXPECT_FALSE(has(script, "Image"));
    EXPECT_FALSE(has(script, "wallpaperPlugin"));

    // No picture: the colour plugin.
    WriteDesktopWallpaperValues(system, "", "0", 0, 0, 0);
    script = lastScript();
    EXPECT_TRUE(has(script, "d.wallpaperPlugin = \"org.kde.color\";"));
    EXPECT_TRUE(has(script, "d.writeConfig(\"Color\", \"#102030\");"));
}

TEST_F(PlasmaDesktopTest, AFirstStartSeedsTheRegistryFromTheFirstDesktop)
{
    const std::string lake = userPicture("lake 'it's' \"$HOME\"; x.bmp", "lake");
    reply("Plugin=org.kde.image\nImage=" + platform::posix::pathToFileUri(lake) +
          "\nFillMode=1\nColor=16,32,48\n");
    const auto shell = startShell();
    startDesktop();
    ASSERT_EQ(scripts().size(), 1u);
    EXPECT_TRUE(has(scripts()[0], "print("));
    EXPECT_EQ(registryWallpaper(), (QStringList{fromStd(lake), "0", "6", "16 32 48"}));
}

TEST_F(PlasmaDesktopTest, AShellThatIsMissingOrSilentRefusesTheChange)
{
    startDesktop();
    EXPECT_FALSE(reloadCurrent("first", ModeCentered));

    const auto shell = startShell(true);
    bool shown = true;
    EXPECT_LT(timed([&] { shown = reloadCurrent("second", ModeCentered); }).count(), 2500);
    EXPECT_FALSE(shown);
    EXPECT_TRUE(has(lastScript(), "org.kde.image")); // it was asked
}

} // namespace
