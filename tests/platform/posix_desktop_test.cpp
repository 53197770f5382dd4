#include "platform/desktop.h"
#include "platform/posix/desktop/backend.h"
#include "platform/posix/desktop/process.h"
#include "platform/posix/desktop/session.h"
#include "platform/posix/desktop/wallpaperfiles.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using namespace platform;
using namespace platform::posix;

namespace {

// The session's variables, cleared for the case and set as it says.
struct SessionEnv {
    ScopedEnv chosen{"TAPESTRON_DESKTOP", std::nullopt};
    ScopedEnv current{"XDG_CURRENT_DESKTOP", std::nullopt};
    ScopedEnv session{"DESKTOP_SESSION", std::nullopt};
    ScopedEnv sway{"SWAYSOCK", std::nullopt};
    ScopedEnv wayland{"WAYLAND_DISPLAY", std::nullopt};
    ScopedEnv display{"DISPLAY", std::nullopt};
};

TEST(PosixDesktopTest, TheSessionTellsItsDesktop)
{
    SessionEnv env;
    EXPECT_EQ(sessionDesktop(), DesktopKind::None);
    EXPECT_EQ(sessionX11Display(), std::nullopt);

    setEnvironmentVariable("DISPLAY", ":5");
    EXPECT_EQ(sessionDesktop(), DesktopKind::X11); // no desktop named: the bare X server
    EXPECT_EQ(sessionX11Display(), ":5");
    setEnvironmentVariable("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    EXPECT_EQ(sessionDesktop(), DesktopKind::Gnome);
    setEnvironmentVariable("XDG_CURRENT_DESKTOP", "X-Cinnamon");
    EXPECT_EQ(sessionDesktop(), DesktopKind::Cinnamon);
    setEnvironmentVariable("XDG_CURRENT_DESKTOP", "Unknown:KDE");
    EXPECT_EQ(sessionDesktop(), DesktopKind::Kde);
    setEnvironmentVariable("XDG_CURRENT_DESKTOP", "Unknown");
    setEnvironmentVariable("DESKTOP_SESSION", "xubuntu");
    EXPECT_EQ(sessionDesktop(), DesktopKind::Xfce);

    // Wayland: its X server for older programs takes no grabs, and an unknown desktop nothing.
    setEnvironmentVariable("DESKTOP_SESSION", std::nullopt);
    setEnvironmentVariable("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_EQ(sessionDesktop(), DesktopKind::None);
    EXPECT_EQ(sessionX11Display(), std::nullopt);
    setEnvironmentVariable("SWAYSOCK", "/run/user/1/sway.sock");
    EXPECT_EQ(sessionDesktop(), DesktopKind::Sway);

    // The user's choice comes first, in any case; a name it does not know is passed over.
    setEnvironmentVariable("TAPESTRON_DESKTOP", "LXQt");
    EXPECT_EQ(sessionDesktop(), DesktopKind::Lxqt);
    setEnvironmentVariable("TAPESTRON_DESKTOP", "none");
    EXPECT_EQ(sessionDesktop(), DesktopKind::None);
    setEnvironmentVariable("TAPESTRON_DESKTOP", "amiga");
    EXPECT_EQ(sessionDesktop(), DesktopKind::Sway);
}

TEST(PosixDesktopTest, ToolsGetTheirArgumentsUnchangedAndNeverHang)
{
    const std::string awkward = "a b \"c\" 'd' $HOME; e, `f` \\g %1 \xC3\xA9";
    const ToolResult echoed = runTool({"printf", "%s|%s", awkward, ""});
    ASSERT_TRUE(echoed.succeeded());
    EXPECT_EQ(echoed.output, awkward + "|");

    const ToolResult failing = runTool({"sh", "-c", "echo oops >&2; exit 3"});
    EXPECT_TRUE(failing.started);
    EXPECT_EQ(failing.exitCode, 3);
    EXPECT_EQ(failing.errors, "oops\n");
    EXPECT_FALSE(failing.succeeded());

    EXPECT_FALSE(runTool({"tapestron-no-such-tool"}).started);

    // A hung tool is killed at the limit, with what it started, even when that keeps its
    // output open.
    const auto start = std::chrono::steady_clock::now();
    const ToolResult hung = runTool({"sh", "-c", "sleep 30 & sleep 30"}, 300);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(hung.timedOut);
    EXPECT_FALSE(hung.succeeded());
    EXPECT_LT(took, std::chrono::seconds(2));
}

TEST(PosixDesktopTest, EveryChangeGetsANameOfItsOwnAndTheLastTwoStay)
{
    TempDir dir;
    const std::string picture = dir.file("current.bmp");
    namespace fs = std::filesystem;
    std::vector<std::string> given;
    for (const char* content : {"BM first", "\xFF\xD8\xFF jpeg", "BM third"}) {
        writeFileBytes(picture, content);
        const auto copy = publishPicture(picture);
        ASSERT_TRUE(copy);
        EXPECT_EQ(readFileBytes(*copy), content);
        EXPECT_TRUE(isPublishedFrom(*copy, picture));
        given.push_back(*copy);
    }
    EXPECT_EQ(given[0], dir.file(".current-1.bmp"));
    EXPECT_EQ(given[1], dir.file(".current-2.jpg")); // named by content
    EXPECT_EQ(given[2], dir.file(".current-3.bmp"));
    EXPECT_FALSE(fs::exists(given[0]));
    EXPECT_TRUE(fs::exists(given[1]));
    EXPECT_FALSE(isPublishedFrom(dir.file("current.bmp"), picture));
    EXPECT_FALSE(isPublishedFrom(dir.file(".current-x.bmp"), picture));
    EXPECT_FALSE(isPublishedFrom(dir.file("sub/.current-4.bmp"), picture));

    // A canvas is written as a bitmap of its size, bottom row first.
    const auto canvas = publishCanvas(picture, {0x00112233, 0x00445566}, 1, 2);
    ASSERT_TRUE(canvas);
    const std::string bytes = readFileBytes(*canvas);
    ASSERT_EQ(bytes.size(), 54u + 2 * 4);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(bytes.substr(54, 3), "\x66\x55\x44");
    EXPECT_EQ(bytes.substr(58, 3), "\x33\x22\x11");

    // A folder that can not be written gives no name, and leaves no part behind.
    EXPECT_FALSE(publishPicture(dir.file("missing/current.bmp")));
}

TEST(PosixDesktopTest, RegistryValuesMeanWhatTheWindowsDesktopMakesOfThem)
{
    EXPECT_EQ(placementOf("1", "2", 0, 0), Placement::Tiled);
    EXPECT_EQ(placementOf("0", "0", 0, 0), Placement::Centred);
    EXPECT_EQ(placementOf("0", "0", 30, -5), Placement::Origin);
    EXPECT_EQ(placementOf("0", "2", 30, -5), Placement::Stretched);
    EXPECT_EQ(placementOf("0", "6", 0, 0), Placement::Fit);
    EXPECT_EQ(placementOf("", "10", 0, 0), Placement::Fill);
    EXPECT_EQ(placementOf("0", "22", 0, 0), Placement::Span);
    EXPECT_EQ(placementOf("x", "7", 0, 0), Placement::Centred);
    for (const Placement placement : {Placement::Centred, Placement::Tiled, Placement::Stretched,
                                      Placement::Fit, Placement::Fill, Placement::Span})
        EXPECT_EQ(placementOf(tileOf(placement), styleOf(placement), 0, 0), placement);

    EXPECT_EQ(colourFromText("0 78 152"), 0x00004E98u);
    EXPECT_EQ(colourToText(0x00004E98), "0 78 152");
    for (const char* bad : {"", "1 2", "1 2 3 4", "1  2 3", "256 0 0", "a b c", "-1 0 0"})
        EXPECT_EQ(colourFromText(bad), std::nullopt) << bad;
    EXPECT_EQ(colourFromHex("#023c88"), 0x00023C88u);
    EXPECT_EQ(colourFromHex("#fff"), 0x00FFFFFFu);
    EXPECT_EQ(colourFromHex("#02003c008800"), 0x00023C88u);
    EXPECT_EQ(colourFromHex("023c88"), std::nullopt);
    EXPECT_EQ(colourToHex(0x00023C88), "#023c88");

    const std::string path = "/home/u/My \"Pics\"/$x;y,%z\xC3\xA9.bmp";
    const std::string uri = pathToFileUri(path);
    EXPECT_EQ(uri.find_first_of(" \"$;,'\\"), std::string::npos);
    EXPECT_EQ(fileUriToPath(uri), path);
    EXPECT_EQ(fileUriToPath("file://localhost/a%20b"), "/a b");
    EXPECT_EQ(fileUriToPath("resource:///org/x.png"), std::nullopt);
    EXPECT_EQ(fileUriToPath("file:///a%2"), std::nullopt);
    EXPECT_EQ(fileUriToPath("file:///a%00b"), std::nullopt);
}

// A desktop tool that never answers (its settings service stuck) costs the start its wait once
// and a step no more than the same, not every call's full wait again.
TEST(PosixDesktopTest, AHungToolStallsTheStartAndEachStepBriefly)
{
    using Clock = std::chrono::steady_clock;
    const struct {
        const char* desktop;
        const char* tool;
    } rows[] = {{"GNOME", "gsettings"}, {"XFCE", "xfconf-query"}};
    for (const auto& row : rows) {
        SessionEnv env;
        TempDir dir;
        const std::string tool = dir.file(row.tool);
        writeFileBytes(tool, "#!/bin/sh\nexec sleep 600\n");
        std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
        ScopedEnv path("PATH", dir.path() + ":" + environmentVariable("PATH").value_or(""));
        ScopedEnv registryFile("TAPESTRON_REGISTRY", dir.file("registry.reg"));
        setEnvironmentVariable("XDG_CURRENT_DESKTOP", row.desktop);
        const auto registry = createRegistry();
        const std::string picture = dir.file("current.bmp");
        writeFileBytes(picture, "BM");

        const auto began = Clock::now();
        const auto desktop = createDesktop(nullptr);
        std::vector<Clock::duration> took{Clock::now() - began};
        for (int step = 0; step < 2; ++step) {
            const auto stepBegan = Clock::now();
            for (int read = 0; read < 3; ++read)
                registry->readValue(RootKey::CurrentUser, "Control Panel\\Desktop", "Wallpaper");
            registry->writeString(RootKey::CurrentUser, "Control Panel\\Desktop", "Wallpaper",
                                  picture);
            EXPECT_FALSE(desktop->reloadWallpaper(SPIF_SENDWININICHANGE)) << row.tool;
            took.push_back(Clock::now() - stepBegan);
        }
        for (const Clock::duration& blocked : took)
            EXPECT_LT(blocked, std::chrono::milliseconds(4500)) << row.tool;
    }
}

// Without a desktop the registry gets what a new Windows profile has, and nothing it holds is
// replaced.
TEST(PosixDesktopTest, MissingDesktopValuesAreSeeded)
{
    SessionEnv env;
    TempDir dir;
    ScopedEnv registryFile("TAPESTRON_REGISTRY", dir.file("registry.reg"));
    const auto registry = createRegistry();
    const auto text = [&](const char* key, const char* name) {
        const auto value = registry->readValue(RootKey::CurrentUser, key, name);
        return value ? std::get<std::string>(*value) : std::string("<missing>");
    };
    createDesktop(nullptr);
    EXPECT_EQ(text("Control Panel\\Desktop", "Wallpaper"), "");
    EXPECT_EQ(text("Control Panel\\Desktop", "TileWallpaper"), "0");
    EXPECT_EQ(text("Control Panel\\Desktop", "WallpaperStyle"), "0");
    EXPECT_EQ(text("Control Panel\\Colors", "Background"), "0 0 0");

    registry->writeString(RootKey::CurrentUser, "Control Panel\\Desktop", "Wallpaper", "/x.bmp");
    registry->writeString(RootKey::CurrentUser, "Control Panel\\Colors", "Background", "1 2 3");
    const auto desktop = createDesktop(nullptr);
    EXPECT_EQ(text("Control Panel\\Desktop", "Wallpaper"), "/x.bmp");
    EXPECT_EQ(text("Control Panel\\Colors", "Background"), "1 2 3");
    EXPECT_TRUE(desktop->reloadWallpaper(SPIF_SENDWININICHANGE));
}

} // namespace
