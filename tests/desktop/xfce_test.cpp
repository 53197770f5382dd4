#include "sessionbus.h"

#include "common/paths.h"
#include "common/strings.h"
#include "platform/posix/desktop/process.h"
#include "wallpaper/original.h"

namespace {

const std::string Workspace0 = "/backdrop/screen0/monitorVGA-1/workspace0";
const std::string Workspace1 = "/backdrop/screen0/monitorVGA-1/workspace1";

class XfceDesktopTest : public RealDesktopTest {
protected:
    XfceDesktopTest() : RealDesktopTest("xfce") {}

    std::string get(const std::string& property)
    {
        return toolOutput({"xfconf-query", "-c", "xfce4-desktop", "-p", property});
    }
    // Makes property with one value of each type, as xfdesktop leaves them.
    void make(const std::string& property, const std::vector<std::string>& types,
              const std::vector<std::string>& values)
    {
        std::vector<std::string> argv{"xfconf-query", "-c", "xfce4-desktop", "-n", "-p", property};
        for (const std::string& type : types)
            argv.insert(argv.end(), {"-t", type});
        for (const std::string& value : values)
            argv.insert(argv.end(), {"-s", value});
        toolOutput(argv);
    }
    // Two workspaces with a backdrop; only the first has a colour style.
    void makeBackdrops(const std::string& picture)
    {
        for (const std::string& workspace : {Workspace0, Workspace1}) {
            make(workspace + "/last-image", {"string"}, {picture});
            make(workspace + "/image-style", {"int"}, {"4"});
        }
        make(Workspace0 + "/color-style", {"int"}, {"1"});
        make(Workspace0 + "/rgba1", {"double", "double", "double", "double"},
             {"0.062745", "0.125490", "0.188235", "1.0"});
    }

    SessionBus bus;
};

TEST_F(XfceDesktopTest, EveryWorkspaceShowsEachChangeAndTheColour)
{
    const std::string folder = useAwkwardAppData();
    makeBackdrops(userPicture("lake.bmp", "lake"));
    startDesktop();
    writeFileBytes(toStd(currentBitmapPath()), "first");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeStretched, 0, 0);
    const std::string first = get(Workspace0 + "/last-image");
    EXPECT_EQ(first.rfind(folder + "/Tapestron/.current-", 0), 0u) << first;
    EXPECT_EQ(readFileBytes(first), "first");
    EXPECT_EQ(get(Workspace1 + "/last-image"), first);
    EXPECT_EQ(get(Workspace0 + "/image-style"), "3");
    EXPECT_EQ(get(Workspace1 + "/image-style"), "3");

    writeFileBytes(toStd(currentBitmapPath()), "second");
    ApplyDesktopWallpaper(system, currentBitmapPath(), ModeTiled, 0, 0);
    const std::string second = get(Workspace1 + "/last-image");
    EXPECT_NE(second, first);
    EXPECT_EQ(readFileBytes(second), "second");
    EXPECT_EQ(get(Workspace1 + "/image-style"), "2");

    ApplyBackgroundColour(system, QColor(255, 128, 0));
    const std::string orange =
        "Value is an array with 4 items:\n\n1.000000\n0.501961\n0.000000\n1.000000";
    EXPECT_EQ(get(Workspace0 + "/rgba1"), orange);
    EXPECT_EQ(get(Workspace1 + "/rgba1"), orange);
    EXPECT_EQ(get(Workspace0 + "/color-style"), "0");
    const auto noStyle = platform::posix::runTool(
        {"xfconf-query", "-c", "xfce4-desktop", "-p", Workspace1 + "/color-style"});
    EXPECT_NE(noStyle.exitCode, 0); // not made where xfdesktop had none
    EXPECT_EQ(get(Workspace1 + "/last-image"), second);

    // No picture: the style alone hides it.
    WriteDesktopWallpaperValues(system, "", "0", 0, 0, 0);
    EXPECT_EQ(get(Workspace0 + "/image-style"), "0");
}

TEST_F(XfceDesktopTest, AFirstStartSeedsTheRegistryFromTheFirstBackdrop)
{
    const std::string lake = userPicture("lake 'it's' \"$HOME\"; x.bmp", "lake");
    makeBackdrops(lake);
    startDesktop();
    EXPECT_EQ(registryWallpaper(), (QStringList{fromStd(lake), "0", "6", "16 32 48"}));
}

TEST_F(XfceDesktopTest, ADesktopWithoutBackdropsOrAnswerRefusesTheChange)
{
    startDesktop();
    EXPECT_FALSE(reloadCurrent("first", ModeCentered));

    makeBackdrops(userPicture("lake.bmp", "lake"));
    SilentBus silent;
    bool shown = true;
    EXPECT_LT(timed([&] { shown = reloadCurrent("second", ModeCentered); }).count(), 2500);
    EXPECT_FALSE(shown);
}

} // namespace
