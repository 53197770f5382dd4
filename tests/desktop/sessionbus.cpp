#include "sessionbus.h"

#include "common/paths.h"
#include "common/strings.h"
#include "platform/posix/desktop/process.h"
#include "wallpaper/apply.h"
#include "wallpaper/desktoppainter.h"

#include <filesystem>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A folder of root's, made private as a runtime folder must be.
std::string privateFolder(const TempDir& root, const std::string& name)
{
    const std::string path = root.file(name);
    fs::create_directories(path);
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

} // namespace

SessionBus::SessionBus()
    : config_("XDG_CONFIG_HOME", privateFolder(root_, "config")),
      data_("XDG_DATA_HOME", privateFolder(root_, "data")),
      cache_("XDG_CACHE_HOME", privateFolder(root_, "cache")),
      runtime_("XDG_RUNTIME_DIR", privateFolder(root_, "runtime")),
      // Its socket in the case's folder, gone with it.
      daemon_({"dbus-daemon", "--session", "--nofork", "--print-address=3",
               "--address=unix:dir=" + root_.path()}),
      address_("DBUS_SESSION_BUS_ADDRESS", daemon_.announced())
{
}

SilentBus::SilentBus() : socket_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
{
    // Connections wait in the backlog, never accepted: a client sees a bus that does not reply.
    const std::string path = root_.file("bus");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const auto* at = reinterpret_cast<sockaddr*>(&address);
    if (socket_ < 0 || ::bind(socket_, at, sizeof address) != 0 || ::listen(socket_, 64) != 0)
        throw std::runtime_error("no socket at " + path);
    address_ = std::make_unique<ScopedEnv>("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + path);
}

SilentBus::~SilentBus()
{
    if (socket_ >= 0)
        ::close(socket_);
}

RealDesktopTest::RealDesktopTest(const std::string& kind) : kind_("TAPESTRON_DESKTOP", kind)
{
    userData();
}

void RealDesktopTest::startDesktop()
{
    system.desktop = platform::createDesktop(std::make_shared<DesktopPainter>());
    desktop = nullptr;
}

std::string RealDesktopTest::useAwkwardAppData()
{
    const std::string folder = root.file("it's \"$HOME\"; a, b  c\\d \xC3\xA9t\xC3\xA9");
    appData_ = std::make_unique<ScopedEnv>("APPDATA", folder);
    fs::create_directories(fs::path(folder) / "Tapestron");
    return folder;
}

std::string RealDesktopTest::userPicture(const std::string& name, const std::string& bytes)
{
    const std::string path = toStd(tempPath(fromStd(name)));
    writeFileBytes(path, bytes);
    return path;
}

QStringList RealDesktopTest::registryWallpaper() const
{
    const QString desktopKey = QStringLiteral("Control Panel\\Desktop");
    return {regString(desktopKey, "Wallpaper"), regString(desktopKey, "TileWallpaper"),
            regString(desktopKey, "WallpaperStyle"),
            regString(QStringLiteral("Control Panel\\Colors"), "Background")};
}

bool RealDesktopTest::reloadCurrent(const std::string& bytes, int mode)
{
    writeFileBytes(toStd(currentBitmapPath()), bytes);
    auto real = std::move(system.desktop);
    system.desktop = std::make_unique<RecordingDesktop>();
    ApplyDesktopWallpaper(system, currentBitmapPath(), mode, 0, 0);
    system.desktop = std::move(real);
    return system.desktop->reloadWallpaper(platform::SPIF_UPDATEINIFILE);
}

std::string toolOutput(const std::vector<std::string>& argv)
{
    const platform::posix::ToolResult result = platform::posix::runTool(argv);
    EXPECT_TRUE(result.succeeded()) << argv[0] << ": " << result.errors;
    std::string output = result.output;
    while (!output.empty() && (output.back() == '\n' || output.back() == ' '))
        output.pop_back();
    return output;
}
