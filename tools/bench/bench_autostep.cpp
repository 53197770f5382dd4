// Times one step of the automatic show, from the call of FetchAutoWallpaper to its return, on a
// 3840x2160 picture served by the local wallpaper service on loopback:
//   - cached: the bitmap is in the cache already, beside "cp cached.bmp y.bmp";
//   - uncached: the JPEG is downloaded, converted, captioned and cached, beside
//     "djpeg -bmp -outfile x.bmp in.jpg" followed by "cp x.bmp y.bmp".
// Rounds alternate between a step and its counterpart after one untimed round of each. The
// process's peak resident memory is reported at the end.
//
//   bench-autostep [--runs N] [--djpeg PATH] [--cp PATH]

#include "automode/fetch.h"
#include "benchsupport.h"
#include "common/paths.h"
#include "online/download.h"
#include "service.h"
#include "wallpaper/desktoppainter.h"
#include "wallpaper/jpeg.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

using namespace bench;

const QString Success = QStringLiteral("New Wallpaper set successfully!");

class BenchSettings : public WallpaperSettings {
public:
    PositionChoice autoPosition() const override
    {
        PositionChoice choice;
        choice.stretched = true;
        return choice;
    }
    PositionChoice customPosition() const override { return {}; }
    bool managePosition() const override { return false; }
    bool transparentText() const override { return false; }
};

class ClientDownloader : public FileDownloader {
public:
    void DownloadFile(const QString& url, const QString& target, DownloadKind kind) override
    {
        ::DownloadFile(client, url, target, kind);
    }
    HttpClient client;
};

class BenchHost : public AutoFetchHost {
public:
    FileDownloader& http() override { return downloader; }
    const QStringList& categoryCodes() const override { return codes; }
    QStringList& pendingList() override { return pending; }
    bool balloonsDisabled() const override { return false; }
    void showBalloon(const QString& text) override { last = text; }
    void clearBalloon() override {}
    void setTrayAnimated(bool) override {}
    void disableReloadCommands() override {}
    void setCaptionText(const QString&) override {}
    void setManagedPositionHint(int) override {}
    QSize previewSize() const override { return {421, 270}; }
    void showPreview(const QImage&) override {}
    void startTidyUp() override {}
    void resetProgress() override {}
    void enableFavourites() override {}
    QString tempCacheLimit() const override { return QStringLiteral("100"); }

    ClientDownloader downloader;
    QStringList codes;
    QStringList pending;
    QString last;
};

void report(const char* ours, const char* theirs, const std::vector<double>& a,
            const std::vector<double>& b, double target)
{
    const double ma = median(a), mb = median(b);
    std::printf("  %-28s median %8.2f ms  (min %8.2f)\n", ours, ma,
                *std::min_element(a.begin(), a.end()));
    std::printf("  %-28s median %8.2f ms  (min %8.2f)\n", theirs, mb,
                *std::min_element(b.begin(), b.end()));
    if (target > 0)
        std::printf("  %-28s %.3f   (target <= %.1f)  %s\n", "ratio", ma / mb, target,
                    ma / mb <= target ? "met" : "MISSED");
    else
        std::printf("  %-28s %.3f\n", "ratio", ma / mb);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int runs = 11;
    std::string djpeg = "djpeg", cp = "cp";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (arg == "--djpeg")
            djpeg = argv[i + 1];
        else if (arg == "--cp")
            cp = argv[i + 1];
        else {
            std::fprintf(stderr, "usage: bench-autostep [--runs N] [--djpeg PATH] [--cp PATH]\n");
            return 2;
        }
    }

    QTemporaryDir scratch;
    const QString dir = scratch.path();
    setenv("APPDATA", QDir(dir).filePath("appdata").toLocal8Bit().constData(), 1);
    setenv("TAPESTRON_REGISTRY", QDir(dir).filePath("registry.reg").toLocal8Bit().constData(), 1);
    QDir().mkpath(userDataPath(QStringLiteral("Temp")));
    QDir().mkpath(dir + QStringLiteral("/pictures/bench"));

    try {
        const QString jpeg = dir + QStringLiteral("/pictures/bench/Bench_Mountains.jpg");
        encodeJpeg(makeBenchImage(3840, 2160), jpeg, 90);
        WallpaperService service(scanFolder((dir + QStringLiteral("/pictures")).toStdString()));
        service.start();
        setenv("TAPESTRON_SERVICE_URL", service.baseUrl().c_str(), 1);

        platform::Platform system = platform::createPlatform(std::make_shared<DesktopPainter>());
        BenchSettings settings;
        BenchHost host;
        host.codes = QStringList{QStringLiteral("bench")};
        const QString cached = userDataPath(QStringLiteral("Temp/Bench_Mountains.bmp"));
        const auto step = [&] {
            host.last.clear();
            FetchAutoWallpaper(system, settings, host);
            return host.last == Success;
        };
        const std::string jpeg8 = jpeg.toStdString(), cached8 = cached.toStdString();
        const std::string x = (dir + QStringLiteral("/x.bmp")).toStdString();
        const std::string y = (dir + QStringLiteral("/y.bmp")).toStdString();

        std::vector<double> uncached, tools, cachedSteps, copies;
        for (int round = -1; round < runs; ++round) {
            QFile::remove(cached);
            auto start = Clock::now();
            if (!step())
                throw std::runtime_error("an uncached step failed");
            const double ours = msSince(start);
            start = Clock::now();
            if (!spawnAndWait({djpeg, "-bmp", "-outfile", x, jpeg8}) || !spawnAndWait({cp, x, y}))
                throw std::runtime_error("djpeg or cp could not be run");
            const double theirs = msSince(start);
            start = Clock::now();
            if (!step())
                throw std::runtime_error("a cached step failed");
            const double oursCached = msSince(start);
            start = Clock::now();
            if (!spawnAndWait({cp, cached8, y}))
                throw std::runtime_error("cp could not be run");
            const double copy = msSince(start);
            if (round < 0)
                continue; // page cache, library loading, the first save of the original
            uncached.push_back(ours);
            tools.push_back(theirs);
            cachedSteps.push_back(oursCached);
            copies.push_back(copy);
        }
        service.stop();

        struct rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("One automatic step on 3840x2160 (%lld-byte JPEG over loopback, %lld-byte "
                    "bitmap), %d alternating rounds\n",
                    static_cast<long long>(QFile(jpeg).size()),
                    static_cast<long long>(QFile(cached).size()), runs);
        std::printf("Cached:\n");
        report("FetchAutoWallpaper", "cp", cachedSteps, copies, 2.0);
        std::printf("Uncached (download, convert, caption):\n");
        report("FetchAutoWallpaper", "djpeg -bmp, then cp", uncached, tools, 0);
        std::printf("Peak resident memory of this process: %.1f MiB\n", usage.ru_maxrss / 1024.0);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench-autostep: %s\n", error.what());
        return 1;
    }
    return 0;
}
