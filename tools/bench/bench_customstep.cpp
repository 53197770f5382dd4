// Times one step of the custom show, from the call of NextCustomWallpaper to its return (registry
// written, preview drawn), on a 3840x2160 picture:
//   - a JPEG entry, beside "djpeg -bmp -outfile x.bmp in.jpg" followed by "cp x.bmp y.bmp";
//   - a bitmap entry, beside "cp in.bmp y.bmp".
// The tools are started with posix_spawnp, without a shell. The rounds alternate between a step
// and its counterpart so that both see the same cache and clock conditions; one untimed round of
// each comes first (page cache, library loading, and the first step's save of the original).
//
//   bench-customstep [--runs N] [--djpeg PATH] [--cp PATH] [--parts]
//
// --parts also times the pieces a step is made of, called one by one the way the step calls them.

#include "benchsupport.h"
#include "common/errors.h"
#include "common/paths.h"
#include "customhost.h"
#include "custommode/customshow.h"
#include "settings/originalstore.h"
#include "wallpaper/apply.h"
#include "wallpaper/desktoppainter.h"
#include "wallpaper/jpeg.h"
#include "wallpaper/original.h"
#include "wallpaper/picture.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using namespace bench;

struct Bench {
    platform::Platform system = platform::createPlatform(std::make_shared<DesktopPainter>());
    StretchedSettings settings;
    CustomHost host;

    // One step on entry; false when it did not succeed.
    bool step(const QString& entry) { return host.step(system, settings, entry); }
};

struct Timings {
    std::vector<double> ours, theirs;
};

// Alternating rounds of a step and its counterpart, after one untimed round of each.
bool compare(int runs, const std::function<bool()>& ours, const std::function<bool()>& theirs,
             Timings& t)
{
    if (!ours() || !theirs())
        return false;
    for (int round = 0; round < runs; ++round) {
        auto start = Clock::now();
        if (!ours())
            return false;
        t.ours.push_back(msSince(start));
        start = Clock::now();
        if (!theirs())
            return false;
        t.theirs.push_back(msSince(start));
    }
    return true;
}

void report(const char* ours, const char* theirs, const Timings& t, double target)
{
    const double a = median(t.ours), b = median(t.theirs);
    std::printf("  %-36s median %8.2f ms  (min %8.2f)\n", ours, a,
                *std::min_element(t.ours.begin(), t.ours.end()));
    std::printf("  %-36s median %8.2f ms  (min %8.2f)\n", theirs, b,
                *std::min_element(t.theirs.begin(), t.theirs.end()));
    std::printf("  %-36s %.3f   (target <= %.1f)  %s\n", "ratio", a / b, target,
                a / b <= target ? "met" : "MISSED");
}

// Each piece of a step on its own, median of runs calls.
void timeParts(int runs, Bench& bench, const QString& jpeg, const QString& bitmap)
{
    const QString temp = userDataPath(QStringLiteral("Temp/parts.bmp"));
    const QString current = currentBitmapPath();
    const QSize box(421, 270);
    std::optional<QImage> loaded;
    const auto none = [] {};
    const auto convert = [&] { ConvertJpegToBitmapFile(jpeg, temp); };
    const struct {
        const char* name;
        std::function<void()> prepare; // untimed, before each call
        std::function<void()> run;
    } parts[] = {
        {"SaveOriginalWallpaperIfNeeded", none,
         [&] {
             SettingsOriginalStore store;
             SaveOriginalWallpaperIfNeeded(bench.system, store);
         }},
        {"ConvertJpegToBitmapFile", none, convert},
        {"CopyWholeFile (24 MB)", none, [&] { CopyWholeFile(temp, current); }},
        {"LoadPictureAsBitmap (current.bmp)", none, [&] { loaded = LoadPictureAsBitmap(current); }},
        {"ShowPreviewScaled", [&] { loaded = LoadPictureAsBitmap(current); },
         [&] { (void)ShowPreviewScaled(std::move(loaded), box); }},
        {"ApplyCustomModePosition", none,
         [&] { ApplyCustomModePosition(bench.system, bench.settings); }},
        {"ApplyIconTextTransparency", none,
         [&] { ApplyIconTextTransparency(bench.system, false); }},
        {"deleting the temporary bitmap", convert, [&] { QFile::remove(temp); }},
        {"LoadPictureAsBitmap (bitmap entry)", none, [&] { loaded = LoadPictureAsBitmap(bitmap); }},
    };
    std::printf("Parts, median of %d calls each:\n", runs);
    for (const auto& part : parts) {
        part.prepare();
        part.run();
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            part.prepare();
            const auto start = Clock::now();
            part.run();
            ms.push_back(msSince(start));
        }
        std::printf("  %-36s %8.2f ms\n", part.name, median(ms));
    }
    QFile::remove(temp);
}

int usage()
{
    std::fprintf(stderr,
                 "usage: bench-customstep [--runs N] [--djpeg PATH] [--cp PATH] [--parts]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int runs = 11;
    std::string djpeg = "djpeg", cp = "cp";
    bool parts = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--parts") {
            parts = true;
            continue;
        }
        if (i + 1 >= argc)
            return usage();
        if (arg == "--runs")
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--djpeg")
            djpeg = argv[++i];
        else if (arg == "--cp")
            cp = argv[++i];
        else
            return usage();
    }

    // A user of our own: settings, registry and current.bmp all live in the scratch folder.
    QTemporaryDir scratch;
    const QString dir = scratch.path();
    setenv("APPDATA", QDir(dir).filePath("appdata").toLocal8Bit().constData(), 1);
    setenv("TAPESTRON_REGISTRY", QDir(dir).filePath("registry.reg").toLocal8Bit().constData(), 1);
    QDir().mkpath(userDataPath(QStringLiteral("Temp")));
    QDir().mkpath(userDataPath(QStringLiteral("Profiles")));
    QDir().mkpath(dir + QStringLiteral("/pictures"));
    QDir().mkpath(dir + QStringLiteral("/tools"));

    try {
        const QString jpeg = dir + QStringLiteral("/pictures/bench-3840x2160.jpg");
        const QString bitmap = dir + QStringLiteral("/pictures/bench-3840x2160.bmp");
        encodeJpeg(makeBenchImage(3840, 2160), jpeg, 90);
        ConvertJpegToBitmapFile(jpeg, bitmap);
        const std::string jpeg8 = jpeg.toStdString(), bitmap8 = bitmap.toStdString();
        const std::string x = (dir + QStringLiteral("/tools/x.bmp")).toStdString();
        const std::string y = (dir + QStringLiteral("/tools/y.bmp")).toStdString();

        Bench bench;
        Timings jpegTimes, bitmapTimes;
        const bool ok = compare(
                            runs, [&] { return bench.step(jpeg); },
                            [&] {
                                return spawnAndWait({djpeg, "-bmp", "-outfile", x, jpeg8}) &&
                                       spawnAndWait({cp, x, y});
                            },
                            jpegTimes) &&
                        compare(
                            runs, [&] { return bench.step(bitmap); },
                            [&] {
                                return spawnAndWait({cp, bitmap8, y});
                            },
                            bitmapTimes);
        if (!ok) {
            std::fprintf(stderr, "bench-customstep: a step failed or %s / %s could not be run\n",
                         djpeg.c_str(), cp.c_str());
            return 1;
        }
        std::printf("One custom step on 3840x2160 (%lld-byte JPEG, %lld-byte bitmap), %d "
                    "alternating rounds\n",
                    static_cast<long long>(QFile(jpeg).size()),
                    static_cast<long long>(QFile(bitmap).size()), runs);
        std::printf("JPEG entry:\n");
        report("NextCustomWallpaper", "djpeg -bmp, then cp", jpegTimes, 1.5);
        std::printf("Bitmap entry:\n");
        report("NextCustomWallpaper", "cp", bitmapTimes, 2.0);
        if (parts)
            timeParts(runs, bench, jpeg, bitmap);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-customstep: %s\n", error.what());
        return 1;
    }
    return 0;
}
