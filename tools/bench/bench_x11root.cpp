// Times one step of the custom show on a 3840x2160 JPEG (conversion to current.bmp, the desktop
// change) when the desktop is a bare X server. The X server is an Xvfb of 3840x2160 at depth 24
// started for the run; one untimed round comes first.
//
//   bench-x11root [--runs N] [--parts]
//
// --parts also times the pieces of the step: the conversion, and the desktop change alone.

#include "benchsupport.h"
#include "common/paths.h"
#include "customhost.h"
#include "custommode/customshow.h"
#include "wallpaper/apply.h"
#include "wallpaper/desktoppainter.h"
#include "wallpaper/jpeg.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace bench;

// An Xvfb of its own for the run, stopped at the end.
class Xvfb {
public:
    Xvfb()
    {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            throw std::runtime_error("no pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipe[1], 3);
        std::vector<std::string> args{"Xvfb", "-noreset", "-nolisten", "tcp",         "-displayfd",
                                      "3",    "-screen",  "0",         "3840x2160x24"};
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const int failed = ::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipe[1]);
        char c = 0;
        pollfd wait{pipe[0], POLLIN, 0};
        while (failed == 0 && ::poll(&wait, 1, 10'000) > 0 && ::read(pipe[0], &c, 1) == 1 &&
               c != '\n')
            display_ += c;
        ::close(pipe[0]);
        if (failed != 0 || display_.empty())
            throw std::runtime_error("Xvfb did not start");
        display_ = ":" + display_;
    }
    ~Xvfb()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

std::vector<double> timed(int runs, const std::function<void()>& run)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        run();
        ms.push_back(msSince(start));
    }
    return ms;
}

int usage()
{
    std::fprintf(stderr, "usage: bench-x11root [--runs N] [--parts]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int runs = 9;
    bool parts = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--parts")
            parts = true;
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            return usage();
    }

    try {
        const Xvfb server;
        // A user of our own, whose desktop is the server's root window.
        QTemporaryDir scratch;
        const QString dir = scratch.path();
        setenv("APPDATA", QDir(dir).filePath("appdata").toLocal8Bit().constData(), 1);
        setenv("TAPESTRON_REGISTRY", QDir(dir).filePath("registry.reg").toLocal8Bit().constData(),
               1);
        setenv("TAPESTRON_DESKTOP", "x11", 1);
        setenv("DISPLAY", server.display().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        QDir().mkpath(userDataPath(QStringLiteral("Temp")));
        const QString jpeg = dir + QStringLiteral("/bench-3840x2160.jpg");
        encodeJpeg(makeBenchImage(3840, 2160), jpeg, 90);

        platform::Platform system = platform::createPlatform(std::make_shared<DesktopPainter>());
        const StretchedSettings settings;
        CustomHost host;
        const auto ours = [&] { return host.step(system, settings, jpeg); };
        if (!ours()) {
            std::fprintf(stderr, "bench-x11root: a step failed\n");
            return 1;
        }
        std::vector<double> a;
        for (int round = 0; round < runs; ++round) {
            const auto start = Clock::now();
            if (!ours())
                return 1;
            a.push_back(msSince(start));
        }
        std::printf("One custom step on a 3840x2160 JPEG (%lld bytes) to an Xvfb root of "
                    "3840x2160x24, %d rounds\n",
                    static_cast<long long>(QFile(jpeg).size()), runs);
        std::printf("  %-36s median %8.2f ms  (min %8.2f)\n", "NextCustomWallpaper", median(a),
                    *std::min_element(a.begin(), a.end()));
        if (parts) {
            const QString current = currentBitmapPath();
            std::printf("Parts, median of %d calls each:\n", runs);
            std::printf("  %-36s %8.2f ms\n", "ConvertJpegToBitmapFile",
                        median(timed(runs, [&] { ConvertJpegToBitmapFile(jpeg, current); })));
            std::printf("  %-36s %8.2f ms\n", "reloadWallpaper (paint + X upload)",
                        median(timed(runs, [&] {
                            system.desktop->reloadWallpaper(platform::SPIF_UPDATEINIFILE);
                        })));
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-x11root: %s\n", error.what());
        return 1;
    }
    return 0;
}
