// The program's memory around automatic steps on a 3840x2160 picture: resident before the first
// step (after a second of idling from the start), resident a second after the last, and the peak.
// With --plain WxH the picture is one colour of that size instead: a JPEG of a few kilobytes that
// decodes to a large bitmap, measured against one and a half times its decoded size.
// Each run is a fresh process built as the program's entry builds it, against the local wallpaper
// service run by this parent on loopback, with its own APPDATA, registry file and program folder.
// The desktop is left alone unless TAPESTRON_DESKTOP says otherwise (x11 with DISPLAY set to an
// Xvfb also counts painting the root).
//
//   bench-stepmemory [--runs N] [--steps N] [--plain WxH]

#include "app/forms.h"
#include "app/main.h"
#include "app/trayicon.h"
#include "benchsupport.h"
#include "common/context.h"
#include "platform/platform.h"
#include "printingdialogs.h"
#include "service.h"
#include "tapestron/version.h"
#include "wallpaper/desktoppainter.h"
#include "wallpaper/jpeg.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace bench;

const QString Success = QStringLiteral("New Wallpaper set successfully!");

int child(int argc, char** argv, const std::string& programDir, int steps, const char* out)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(version::ApplicationName));
    QApplication::setQuitOnLastWindowClosed(false);
    PrintingDialogs dialogs("bench-stepmemory");
    platform::Platform system = platform::createPlatform(std::make_shared<DesktopPainter>());
    AppContext context{system, dialogs, QString::fromStdString(programDir)};
    Forms forms(context);
    if (forms.createAll() != Forms::Start::Run)
        return 1;
    long before = 0;
    QTimer::singleShot(1000, [&] {
        before = statusKiB("VmRSS");
        for (int step = 0; step < steps; ++step)
            forms.Form1->ReloadWallpaper(TForm1::ReloadSource::AutomaticPage);
        QTimer::singleShot(1000, [] { QApplication::quit(); });
    });
    QApplication::exec();
    if (forms.Form1->TrayIcon1->balloon().text != Success) // the tidy-up has not run yet
        std::fprintf(stderr, "bench-stepmemory: the step did not succeed\n");
    std::ofstream(out) << before << ' ' << statusKiB("VmRSS") << ' ' << statusKiB("VmHWM") << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--child")
        return child(argc, argv, argv[2], std::atoi(argv[3]), argv[4]);
    int runs = 5, steps = 1, width = 3840, height = 2160;
    bool plain = false;
    for (int i = 1; i < argc; i += 2) {
        const std::string arg = argv[i];
        if (i + 1 < argc && (arg == "--runs" || arg == "--steps")) {
            (arg == "--runs" ? runs : steps) = std::max(1, std::atoi(argv[i + 1]));
        } else if (i + 1 < argc && arg == "--plain" &&
                   std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2 && width > 0 &&
                   height > 0) {
            plain = true;
        } else {
            std::fprintf(stderr, "usage: bench-stepmemory [--runs N] [--steps N] [--plain WxH]\n");
            return 2;
        }
    }

    QTemporaryDir scratch;
    const std::string dir = scratch.path().toStdString();
    std::filesystem::create_directories(dir + "/pictures/bench");
    const QString jpeg = QString::fromStdString(dir + "/pictures/bench/Bench_Mountains.jpg");
    if (plain) {
        QImage one(width, height, QImage::Format_RGB888);
        one.fill(QColor(40, 90, 160));
        encodeJpeg(one, jpeg, 90);
    } else {
        encodeJpeg(makeBenchImage(width, height), jpeg, 90);
    }
    WallpaperService service(scanFolder(dir + "/pictures"));
    service.start();
    setenv("TAPESTRON_SERVICE_URL", service.baseUrl().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TAPESTRON_DESKTOP", "none", 0); // the user's desktop keeps its wallpaper

    std::vector<double> before, after, peak;
    for (int run = 0; run < runs; ++run) {
        const std::string runDir = dir + "/run" + std::to_string(run);
        std::filesystem::create_directories(runDir + "/appdata");
        std::filesystem::create_directories(runDir + "/program/plugins");
        // The run's catalog refresh writes into the program folder, never into the build's.
        std::filesystem::copy(TAPESTRON_BENCH_DATA_DIR, runDir + "/program/data",
                              std::filesystem::copy_options::recursive);
        setenv("APPDATA", (runDir + "/appdata").c_str(), 1);
        setenv("TAPESTRON_REGISTRY", (runDir + "/registry.reg").c_str(), 1);
        const std::string out = runDir + "/result";
        if (!spawnAndWait({argv[0], "--child", runDir + "/program/", std::to_string(steps), out})) {
            std::fprintf(stderr, "bench-stepmemory: a run failed\n");
            return 1;
        }
        double b = 0, a = 0, p = 0;
        std::ifstream(out) >> b >> a >> p;
        before.push_back(b / 1024);
        after.push_back(a / 1024);
        peak.push_back(p / 1024);
    }
    service.stop();
    std::printf("%d automatic step(s) on %dx%d%s in the program, desktop \"%s\", %d fresh "
                "processes\n",
                steps, width, height, plain ? " (one colour)" : "", getenv("TAPESTRON_DESKTOP"),
                runs);
    std::printf("  resident before the steps  median %6.1f MiB\n", median(before));
    std::printf("  resident 1 s after them    median %6.1f MiB (max %6.1f)  target <= 60\n",
                median(after), *std::max_element(after.begin(), after.end()));
    if (!plain) {
        std::printf("  peak resident              median %6.1f MiB (max %6.1f)  target <= 110\n",
                    median(peak), *std::max_element(peak.begin(), peak.end()));
        return 0;
    }
    // The bitmap's rows are padded to 4 bytes.
    const double decoded = double((qint64(width) * 3 + 3) / 4 * 4 * height) / (1 << 20);
    std::printf("  peak resident              median %6.1f MiB (max %6.1f)  target <= %.1f "
                "(1.5 x the decoded %.1f)\n",
                median(peak), *std::max_element(peak.begin(), peak.end()), 1.5 * decoded, decoded);
    return 0;
}
