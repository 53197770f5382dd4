// Times the program's start with no settings file and no wallpaper service reachable: from the
// entry (before QApplication) to the first turn of the message loop, in fresh processes, each with
// a new APPDATA and registry file. Each child then idles in the loop for a second and reports its
// resident memory.
//
//   bench-startup [--runs N]
//
// A child does what the program's entry does, with the built program folder as ProgramDir and
// dialogs that print instead of waiting for a click.

#include "app/forms.h"
#include "benchsupport.h"
#include "common/context.h"
#include "platform/platform.h"
#include "printingdialogs.h"
#include "tapestron/version.h"
#include "wallpaper/desktoppainter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace bench;

int child(int argc, char** argv, const char* out)
{
    const Clock::time_point entry = Clock::now();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(version::ApplicationName));
    QApplication::setQuitOnLastWindowClosed(false);
    PrintingDialogs dialogs("bench-startup");
    platform::Platform system = platform::createPlatform(std::make_shared<DesktopPainter>());
    AppContext context{system, dialogs, QStringLiteral(TAPESTRON_BENCH_PROGRAM_DIR)};
    Forms forms(context);
    if (forms.createAll() != Forms::Start::Run)
        return 1;
    double startMs = 0;
    QTimer::singleShot(0, [&] { startMs = msSince(entry); });
    QTimer::singleShot(1000, [] { QApplication::quit(); });
    QApplication::exec();
    std::ofstream(out) << startMs << ' ' << statusKiB("VmRSS") << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--child")
        return child(argc, argv, argv[2]);
    int runs = 11;
    if (argc == 3 && std::string(argv[1]) == "--runs")
        runs = std::max(1, std::atoi(argv[2]));
    else if (argc != 1) {
        std::fprintf(stderr, "usage: bench-startup [--runs N]\n");
        return 2;
    }

    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TAPESTRON_SERVICE_URL", "http://127.0.0.1:9", 1); // nothing listens there
    std::vector<double> times, memory;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir scratch;
        const std::string dir = scratch.path().toStdString();
        setenv("APPDATA", (dir + "/appdata").c_str(), 1);
        setenv("TAPESTRON_REGISTRY", (dir + "/registry.reg").c_str(), 1);
        QDir().mkpath(scratch.path() + "/appdata");
        const std::string out = dir + "/result";
        if (!spawnAndWait({argv[0], "--child", out})) {
            std::fprintf(stderr, "bench-startup: a start failed\n");
            return 1;
        }
        double ms = 0, kib = 0;
        std::ifstream(out) >> ms >> kib;
        times.push_back(ms);
        memory.push_back(kib / 1024.0);
    }
    std::printf("Start with no settings file and no service, %d fresh processes\n", runs);
    std::printf(
        "  entry to first loop turn   median %7.1f ms  (min %7.1f, max %7.1f)  target < 500\n",
        median(times), *std::min_element(times.begin(), times.end()),
        *std::max_element(times.begin(), times.end()));
    std::printf("  resident after 1 s idle    median %7.1f MiB (max %7.1f)  target < 60\n",
                median(memory), *std::max_element(memory.begin(), memory.end()));
    return 0;
}
