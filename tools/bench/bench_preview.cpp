// Times a main-window preview of a 3840x2160 24-bit bitmap: LoadPictureAsBitmap and
// ShowPreviewScaled into the 421x270 box, each against reading the same file as cat does.
//
//   bench-preview [--runs N] [--input FILE.bmp]
//
// The file is read once untimed first, so every round finds it in the page cache; the rounds
// alternate between the steps so that all of them see the same clock conditions.

#include "benchsupport.h"
#include "common/errors.h"
#include "wallpaper/picture.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace bench;

// A bottom-up 24-bit bitmap of gradients and noise.
bool writeBenchBitmap(const QString& path, int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    QByteArray data(54 + qsizetype(stride) * height, '\0');
    char* d = data.data();
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(quint32(data.size()), d + 2);
    qToLittleEndian<quint32>(54, d + 10);
    qToLittleEndian<quint32>(40, d + 14);
    qToLittleEndian<qint32>(width, d + 18);
    qToLittleEndian<qint32>(height, d + 22);
    qToLittleEndian<quint16>(1, d + 26);
    qToLittleEndian<quint16>(24, d + 28);
    std::uint32_t seed = 12345;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uchar*>(d + 54 + qsizetype(stride) * y);
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 28);
            row[3 * x] = uchar(255 * x / width ^ noise);
            row[3 * x + 1] = uchar(255 * y / height + noise);
            row[3 * x + 2] = uchar((x + y) / 16 - noise);
        }
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// What `cat FILE > /dev/null` does: read() through a reused 128 KiB buffer.
bool readLikeCat(const std::string& path)
{
    static std::vector<char> buffer(128 * 1024);
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    ssize_t count = 0;
    while ((count = ::read(fd, buffer.data(), buffer.size())) > 0) {
    }
    ::close(fd);
    return count == 0;
}

// cat itself, its output sent to /dev/null.
bool runCat(const std::string& path) { return spawnAndWait({"cat", path}, true); }

int usage()
{
    std::fprintf(stderr, "usage: bench-preview [--runs N] [--input FILE.bmp]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int runs = 15;
    QString input;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return usage();
        if (arg == "--runs")
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--input")
            input = QString::fromLocal8Bit(argv[++i]);
        else
            return usage();
    }

    QTemporaryDir scratch;
    if (input.isEmpty()) {
        input = scratch.path() + QStringLiteral("/bench-3840x2160.bmp");
        if (!writeBenchBitmap(input, 3840, 2160)) {
            std::fprintf(stderr, "bench-preview: can not write %s\n", qPrintable(input));
            return 1;
        }
    }
    const std::string path = input.toStdString();
    const QSize box(421, 270);
    try {
        // One untimed round of each: page cache, fonts and plugins, first-touch allocations.
        QImage preview = ShowPreviewScaled(LoadPictureAsBitmap(input), box);
        if (!readLikeCat(path) || !runCat(path)) {
            std::fprintf(stderr, "bench-preview: can not read %s with cat\n", path.c_str());
            return 1;
        }
        std::vector<double> loadMs, previewMs, totalMs, readMs, catMs;
        QSize picture;
        for (int round = 0; round < runs; ++round) {
            auto start = Clock::now();
            std::optional<QImage> bitmap = LoadPictureAsBitmap(input);
            loadMs.push_back(msSince(start));
            picture = bitmap ? bitmap->size() : QSize();
            const auto scaling = Clock::now();
            preview = ShowPreviewScaled(std::move(bitmap), box);
            previewMs.push_back(msSince(scaling));
            totalMs.push_back(msSince(start));

            start = Clock::now();
            readLikeCat(path);
            readMs.push_back(msSince(start));
            start = Clock::now();
            runCat(path);
            catMs.push_back(msSince(start));
        }
        const double load = median(loadMs), read = median(readMs), cat = median(catMs);
        std::printf("input: %s, %dx%d, %lld bytes; preview %dx%d; %d runs, medians:\n",
                    path.c_str(), picture.width(), picture.height(),
                    static_cast<long long>(QFile(input).size()), preview.width(), preview.height(),
                    runs);
        std::printf("  LoadPictureAsBitmap                 %8.2f ms\n", load);
        std::printf("  ShowPreviewScaled (421x270)         %8.2f ms\n", median(previewMs));
        std::printf("  both                                %8.2f ms\n", median(totalMs));
        std::printf("  read() like cat, 128 KiB buffer     %8.2f ms\n", read);
        std::printf("  cat FILE > /dev/null (spawned)      %8.2f ms\n", cat);
        std::printf("  load / read()  %.2f    load / cat  %.2f\n", load / read, load / cat);
    } catch (const AppError& error) {
        std::fprintf(stderr, "bench-preview: %s\n", error.what());
        return 1;
    }
    return 0;
}
