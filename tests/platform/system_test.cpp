#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/system.h"
#include "tempenv.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(SystemTest, TheProgramKnowsWhereItRuns)
{
    const std::string path = executablePath();
    const std::string dir = programDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), pathSeparator());
    EXPECT_EQ(path.substr(0, dir.size()), dir);
    EXPECT_EQ(path.find(pathSeparator(), dir.size()), std::string::npos);
    EXPECT_TRUE(fileExists(path));
    EXPECT_TRUE(directoryExists(dir));
}

TEST(SystemTest, EnvironmentTellsEmptyFromMissing)
{
    const std::string name = "TAPESTRON_PLATFORM_TEST_VARIABLE";
    {
        ScopedEnv set(name, "C:\\Users\\Gr\xC3\xBC\xC3\x9F"
                            "e");
        EXPECT_EQ(environmentVariable(name), "C:\\Users\\Gr\xC3\xBC\xC3\x9F"
                                             "e");
    }
    EXPECT_EQ(environmentVariable(name), std::nullopt);
    ScopedEnv empty(name, "");
    EXPECT_EQ(environmentVariable(name), "");
}

TEST(SystemTest, AppDataComesFromItsVariable)
{
    TempDir dir;
    ScopedEnv appData("APPDATA", dir.path());
    EXPECT_EQ(appDataDir(), dir.path());
}

TEST(SystemTest, ThePerformanceCounterRunsForward)
{
    EXPECT_GT(performanceFrequency(), 0);
    const std::int64_t first = performanceCounter();
    std::int64_t later = first;
    while (later == first)
        later = performanceCounter();
    EXPECT_GT(later, first);
}

TEST(DesktopTest, TheSystemAcceptsTheNotifications)
{
    TempDir dir;
    ScopedEnv registry("TAPESTRON_REGISTRY", dir.file("registry.reg"));
    auto desktop = createDesktop(nullptr);
    EXPECT_TRUE(desktop->reloadWallpaper(0));
    EXPECT_TRUE(desktop->setSysColor(COLOR_BACKGROUND, 0x00804020));
    desktop->broadcastSettingChange();
}

} // namespace
