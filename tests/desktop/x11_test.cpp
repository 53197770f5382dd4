#include "app/forms.h"
#include "app/main.h"
#include "app/systemevents.h"
#include "common/strings.h"
#include "fixtures.h"
#include "platform/posix/desktop/process.h"
#include "platform/system.h"
#include "settings/hotkeyedit.h"
#include "settings/settings.h"
#include "wallpaper/apply.h"
#include "wallpaper/bmp.h"
#include "wallpaper/desktoppainter.h"
#include "xserver.h"

#include <QCoreApplication>
#include <QImage>
#include <QPushButton>
#include <QWindow>

#include <chrono>
#include <filesystem>
#include <poll.h>

namespace {

using Clock = std::chrono::steady_clock;
using Presses = std::vector<std::pair<platform::WindowHandle, int>>;

constexpr std::uint32_t CtrlAlt = platform::MOD_CONTROL | platform::MOD_ALT;
constexpr std::uint16_t ControlMod1 = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr std::uint32_t KeyR = 'R';
constexpr xcb_keysym_t KeysymR = 'r';

// The session the cases drive: a server of their own, named as the session's X display.
struct X11Session {
    explicit X11Session(int width, int height, int depth = 24,
                        const std::vector<std::string>& extra = {})
        : server(width, height, depth, extra)
    {
    }

    XServer server;
    ScopedEnv desktop{"TAPESTRON_DESKTOP", std::string("x11")};
    ScopedEnv display{"DISPLAY", server.display()};
    ScopedEnv wayland{"WAYLAND_DISPLAY", std::nullopt};
};

#define SKIP_WITHOUT_XVFB()                                                                        \
    if (!haveXvfb())                                                                               \
    GTEST_SKIP() << "Xvfb is not installed"

// A key press as a user makes it, through the server's input emulation.
bool press(const std::string& keys)
{
    return platform::posix::runTool({"xdotool", "key", keys}).succeeded();
}

class X11DesktopTest : public AppFixture {
protected:
    // Starts a server with a screen of this size and has the platform's desktop drive it.
    void startSession(int width, int height, int depth = 24,
                      const std::vector<std::string>& extra = {})
    {
        session.reset();
        session.emplace(width, height, depth, extra);
        system.desktop = platform::createDesktop(std::make_shared<DesktopPainter>());
        desktop = nullptr; // the recording desktop went with the swap
    }

    void setBackground(const std::string& rgb)
    {
        system.registry->createKey(platform::RootKey::CurrentUser, "Control Panel\\Colors");
        system.registry->writeString(platform::RootKey::CurrentUser, "Control Panel\\Colors",
                                     "Background", rgb);
    }

    // A small picture with a colour of its own in every pixel.
    static QImage picture()
    {
        QImage image(10, 6, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(10 + 20 * x, 40 * y, 200 - 10 * x));
        return image;
    }

    // The screen as width x height pixels of colour with the picture's top-left corner at
    // (left, top); tiled repeats it over the whole screen.
    static std::vector<std::uint32_t> expected(int width, int height, std::uint32_t colour,
                                               int left, int top, bool tiled = false)
    {
        const QImage image = picture();
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int px = x - left, py = y - top;
                if (tiled) {
                    px %= image.width();
                    py %= image.height();
                }
                const bool inside = px >= 0 && py >= 0 && px < image.width() && py < image.height();
                pixels.push_back(inside ? image.pixel(px, py) & 0xFFFFFF : colour);
            }
        return pixels;
    }

    std::optional<X11Session> session;
};

TEST_F(X11DesktopTest, EachPositionPaintsTheRootAndTheNextFreesThePixmapBefore)
{
    SKIP_WITHOUT_XVFB();
    constexpr int W = 64, H = 48;
    constexpr std::uint32_t Background = 0x0080FF;
    startSession(W, H);
    XServer& x = session->server;
    const QString path = tempPath("current.bmp");
    saveBitmap(picture(), path);
    setBackground("0 128 255");

    ApplyDesktopWallpaper(system, path, ModeCentered, 0, 0);
    EXPECT_EQ(x.rootPixels(), expected(W, H, Background, (W - 10) / 2, (H - 6) / 2));
    const auto first = x.rootPixmap("_XROOTPMAP_ID");
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(x.rootPixmap("ESETROOT_PMAP_ID"), first);
    EXPECT_EQ(x.pixmapSize(*first), std::make_pair(W, H));

    ApplyDesktopWallpaper(system, path, ModeTiled, 0, 0);
    EXPECT_EQ(x.rootPixels(), expected(W, H, Background, 0, 0, true));
    const auto second = x.rootPixmap("_XROOTPMAP_ID");
    ASSERT_TRUE(second.has_value());
    EXPECT_NE(*second, *first);
    EXPECT_FALSE(x.pixmapSize(*first).has_value()) << "the replaced pixmap was kept";
    EXPECT_TRUE(x.pixmapSize(*second).has_value());

    ApplyDesktopWallpaper(system, path, ModeOrigin, 30, 20);
    EXPECT_EQ(x.rootPixels(), expected(W, H, Background, 30, 20));

    // Stretched over the screen: no background left, the corners are the picture's corners.
    ApplyDesktopWallpaper(system, path, ModeStretched, 0, 0);
    const auto stretched = x.rootPixels();
    ASSERT_EQ(stretched.size(), std::size_t{W * H});
    EXPECT_EQ(std::count(stretched.begin(), stretched.end(), Background), 0);
    const auto near = [](std::uint32_t a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) < 8 && std::abs(qGreen(a) - qGreen(b)) < 8 &&
               std::abs(qBlue(a) - qBlue(b)) < 8;
    };
    EXPECT_TRUE(near(stretched.front(), picture().pixel(0, 0)));
    EXPECT_TRUE(near(stretched.back(), picture().pixel(9, 5)));

    // No picture: the colour alone.
    WriteDesktopWallpaperValues(system, QString(), "0", 0, 0, 0);
    EXPECT_EQ(x.rootPixels(), std::vector<std::uint32_t>(W * H, Background));
}

// A root picture set before the program's first start is what it keeps as the user's own:
// read back into a bitmap of the screen, which a restore puts back as it was.
TEST_F(X11DesktopTest, AFirstStartKeepsTheRootPictureThatWasThere)
{
    SKIP_WITHOUT_XVFB();
    constexpr int W = 40, H = 30;
    startSession(W, H);
    const QString path = tempPath("current.bmp");
    saveBitmap(picture(), path);
    setBackground("1 2 3");
    ApplyDesktopWallpaper(system, path, ModeTiled, 0, 0);
    const std::vector<std::uint32_t> before = session->server.rootPixels();

    std::filesystem::remove(root.file("registry.reg")); // as on a machine new to the program
    system.desktop = platform::createDesktop(std::make_shared<DesktopPainter>());
    const QString kept = regString("Control Panel\\Desktop", "Wallpaper");
    EXPECT_EQ(kept, QString::fromStdString(root.file(".root-background-1.bmp")));
    EXPECT_EQ(regString("Control Panel\\Desktop", "WallpaperStyle"), "2");
    const QImage bitmap = decodeBitmap(kept);
    ASSERT_EQ(bitmap.size(), QSize(W, H));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(bitmap.pixel(x, y) & 0xFFFFFF, before[std::size_t(y * W + x)])
                << x << "," << y;

    // Another start with the values there reads nothing back.
    system.desktop = platform::createDesktop(std::make_shared<DesktopPainter>());
    EXPECT_FALSE(std::filesystem::exists(root.file(".root-background-2.bmp")));

    WriteDesktopWallpaperValues(system, kept, "0", 2, 0, 0);
    EXPECT_EQ(session->server.rootPixels(), before);
}

TEST_F(X11DesktopTest, OtherDepthsAreConvertedOrRefused)
{
    SKIP_WITHOUT_XVFB();
    constexpr int W = 40, H = 30;
    const QString path = tempPath("current.bmp");
    saveBitmap(picture(), path);
    setBackground("255 64 8");

    // 16 bits of 5-6-5: converted here.
    startSession(W, H, 16);
    ApplyDesktopWallpaper(system, path, ModeCentered, 0, 0);
    std::vector<std::uint32_t> packed;
    for (const std::uint32_t rgb : expected(W, H, 0xFF4008, (W - 10) / 2, (H - 6) / 2))
        packed.push_back((rgb >> 19 & 0x1F) << 11 | (rgb >> 10 & 0x3F) << 5 | (rgb >> 3 & 0x1F));
    EXPECT_EQ(session->server.rootPixels(), packed);

    // A colour-mapped screen can not show the picture faithfully: refused, the root untouched.
    startSession(W, H, 8);
    EXPECT_FALSE(system.desktop->reloadWallpaper(platform::SPIF_UPDATEINIFILE));
    EXPECT_FALSE(session->server.rootPixmap("_XROOTPMAP_ID").has_value());
}

// A current.bmp that is cut short or not a picture at all is refused; the root keeps what it
// showed.
TEST_F(X11DesktopTest, APictureThatDoesNotDecodeLeavesTheRootAsItWas)
{
    SKIP_WITHOUT_XVFB();
    constexpr int W = 24, H = 16;
    startSession(W, H);
    const QString path = tempPath("current.bmp");
    saveBitmap(picture(), path);
    setBackground("9 9 9");
    ApplyDesktopWallpaper(system, path, ModeCentered, 0, 0);
    const std::vector<std::uint32_t> before = session->server.rootPixels();
    const auto pixmap = session->server.rootPixmap("_XROOTPMAP_ID");

    const std::string whole = readFileBytes(toStd(path));
    for (const std::string& bad : {whole.substr(0, whole.size() / 2), std::string("<html>")}) {
        writeFileBytes(toStd(path), bad);
        EXPECT_FALSE(system.desktop->reloadWallpaper(platform::SPIF_SENDWININICHANGE));
        EXPECT_EQ(session->server.rootPixels(), before);
        EXPECT_EQ(session->server.rootPixmap("_XROOTPMAP_ID"), pixmap);
    }
}

TEST_F(X11DesktopTest, NoServerFailsWithinASecond)
{
    const QString path = tempPath("current.bmp");
    saveBitmap(picture(), path);
    const ScopedEnv kind("TAPESTRON_DESKTOP", std::string("x11"));
    const ScopedEnv display("DISPLAY", std::string(":4091")); // no server listens there
    const ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
    system.desktop = platform::createDesktop(std::make_shared<DesktopPainter>());
    desktop = nullptr;
    WriteDesktopWallpaperValues(system, path, "0", 0, 0, 0);
    const auto start = Clock::now();
    EXPECT_FALSE(system.desktop->reloadWallpaper(platform::SPIF_UPDATEINIFILE));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

class X11SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveXvfb())
            GTEST_SKIP() << "Xvfb is not installed";
        session.emplace(32, 32);
        hotkeys->setHotKeyHandler(
            [this](platform::WindowHandle window, int id) { presses.emplace_back(window, id); });
    }

    // Hands on presses as they come in, until one arrived or the deadline passed.
    void waitForPress()
    {
        const int descriptor = hotkeys->systemEventDescriptor();
        ASSERT_GE(descriptor, 0);
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (presses.empty() && Clock::now() < deadline) {
            pollfd wait{descriptor, POLLIN, 0};
            ::poll(&wait, 1, 100);
            hotkeys->dispatchSystemEvents();
        }
    }

    std::optional<X11Session> session;
    std::unique_ptr<platform::GlobalHotkeys> hotkeys = platform::createGlobalHotkeys();
    Presses presses;
};

TEST_F(X11SessionTest, AGrabbedPressReachesItsHandlerUntilUnregistered)
{
    ASSERT_TRUE(hotkeys->registerHotKey(0x1234, 7, CtrlAlt, KeyR));
    ASSERT_TRUE(press("ctrl+alt+r"));
    waitForPress();
    EXPECT_EQ(presses, (Presses{{0x1234, 7}}));

    XServer& x = session->server;
    const xcb_keycode_t r = x.keycode(KeysymR);
    EXPECT_FALSE(x.grabKey(ControlMod1, r)) << "the program holds the combination";
    EXPECT_TRUE(hotkeys->unregisterHotKey(0x1234, 7));
    EXPECT_TRUE(x.grabKey(ControlMod1, r)) << "the combination was not let go";
}

TEST_F(X11SessionTest, ACombinationHeldElsewhereIsRefusedAndNothingOfItKept)
{
    XServer& x = session->server;
    const xcb_keycode_t r = x.keycode(KeysymR);
    ASSERT_TRUE(x.grabKey(ControlMod1, r)); // Caps Lock and Num Lock off only
    EXPECT_FALSE(hotkeys->registerHotKey(0x1234, 1, CtrlAlt, KeyR));
    EXPECT_FALSE(hotkeys->pressKey(CtrlAlt, KeyR)) << "a refused hotkey was recorded";
    // The variants the program could have taken are free again.
    EXPECT_TRUE(x.grabKey(ControlMod1 | XCB_MOD_MASK_LOCK, r));
    EXPECT_TRUE(x.grabKey(ControlMod1 | XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK, r));
    x.ungrabKeys();
    EXPECT_TRUE(hotkeys->registerHotKey(0x1234, 1, CtrlAlt, KeyR));
}

class X11ProgramTest : public WindowsFixture {
protected:
    void SetUp() override
    {
        if (!haveXvfb())
            GTEST_SKIP() << "Xvfb is not installed";
        session.emplace(32, 32);
    }

    std::optional<X11Session> session;
};

// A key press anywhere in the session runs a custom step, and the root shows its picture.
TEST_F(X11ProgramTest, TheSettingsHotkeyRunsACustomStepOntoTheRoot)
{
    QImage picture(32, 32, QImage::Format_RGB888); // the screen's size: stretching keeps it
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            picture.setPixel(x, y, qRgb(8 * x, 8 * y, 255 - 8 * x));
    const QString bitmap = tempPath("own.bmp");
    ASSERT_TRUE(picture.save(bitmap, "BMP"));
    writeProfile("a.tsl", {bitmap});
    writeIni("[CustomMode]\r\nCurrentProfile=a.tsl\r\n");
    system.desktop = platform::createDesktop(std::make_shared<DesktopPainter>());
    desktop = nullptr;

    Forms& windows = start(); // the settings window registers its default, Alt+R
    const SystemEvents events(*system.hotkeys);
    TForm1& main = *windows.Form1;
    main.SelectCustomMode();
    main.StopShow();
    for (int tick = 0; tick < 7; ++tick) // a reload starts the countdown again
        main.Timer4Timer();
    ASSERT_TRUE(press("alt+r"));
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (main.countdownElapsed() == 7 && Clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(main.countdownElapsed(), 0);

    std::vector<std::uint32_t> shown;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            shown.push_back(picture.pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(session->server.rootPixels(), shown);
}

// The settings window's native window is made anew as it is shown and hidden; the hotkey stays
// with the program all the same, and a new setting lets go of the old combination.
TEST_F(X11ProgramTest, TheHotkeyOutlivesTheSettingsWindowAndFollowsItsSetting)
{
    Forms& windows = start(); // Alt+R
    const SystemEvents events(*system.hotkeys);
    windows.Form1->StopShow();
    const auto reloads = [&main = *windows.Form1](const std::string& keys) {
        main.Timer4Timer();
        const auto end = Clock::now() + std::chrono::seconds(5);
        for (bool pressed = press(keys);
             pressed && main.countdownElapsed() != 0 && Clock::now() < end;)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return main.countdownElapsed() == 0;
    };
    TForm2& settings = *windows.Form2;
    settings.show();
    settings.Button3->click();
    settings.windowHandle()->destroy(); // X sessions may give it another one
    EXPECT_TRUE(reloads("alt+r")) << "after Close";
    settings.show();
    settings.HotKey1->setHotKey(Shortcut{'R', false, true, true});
    settings.Button1->click();
    EXPECT_TRUE(reloads("ctrl+alt+r"));
    XServer& x = session->server;
    EXPECT_TRUE(x.grabKey(XCB_MOD_MASK_1, x.keycode(KeysymR))) << "Alt+R was let go";
}

TEST_F(X11SessionTest, ActivationAsksTheWindowManager)
{
    XServer& x = session->server;
    // The case is the window manager: requests to the root's children come to it.
    const std::uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    const std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> refused(
        xcb_request_check(x.connection(),
                          xcb_change_window_attributes_checked(x.connection(), x.root(),
                                                               XCB_CW_EVENT_MASK, &redirect)),
        &std::free);
    ASSERT_EQ(refused, nullptr);
    const xcb_window_t window = xcb_generate_id(x.connection());
    xcb_create_window(x.connection(), XCB_COPY_FROM_PARENT, window, x.root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_flush(x.connection());

    platform::restoreAndActivateWindow(window + 1000); // no such window: nothing is asked
    platform::restoreAndActivateWindow(window);
    const auto event = x.waitForEvent(5000);
    ASSERT_NE(event, nullptr);
    ASSERT_EQ(event->response_type & 0x7F, XCB_CLIENT_MESSAGE);
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event.get());
    EXPECT_EQ(message->type, x.atom("_NET_ACTIVE_WINDOW"));
    EXPECT_EQ(message->window, window);
    EXPECT_EQ(message->format, 32);
    EXPECT_EQ(message->data.data32[0], 2u);
}

} // namespace
