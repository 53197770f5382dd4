// Times ConvertJpegToBitmapFile against libjpeg-turbo's own "djpeg" on a 3840x2160 JPEG: "-ppm"
// is the same decode written top-down as it comes, the fair yardstick; "-bmp" also reorders the
// rows bottom-up as a bitmap needs, which costs djpeg a buffer of the whole picture.
//
//   bench-jpeg2bmp [--runs N] [--djpeg PATH] [--keep DIR] [--input FILE]
//
// The rounds alternate between the two so that both see the same cache and clock conditions.

#include "benchsupport.h"
#include "common/errors.h"
#include "wallpaper/jpeg.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace bench;

bool runDjpeg(const std::string& djpeg, const char* format, const std::string& input,
              const std::string& output)
{
    return spawnAndWait({djpeg, format, "-outfile", output, input});
}

// The pixel arrays of two bottom-up 24-bit bitmaps (the headers may differ in resolution).
bool samePixels(const QString& a, const QString& b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    const QByteArray da = fa.readAll(), db = fb.readAll();
    if (da.size() < 54 || db.size() < 54)
        return false;
    const auto offset = [](const QByteArray& d) {
        return qsizetype(uchar(d[10]) | uchar(d[11]) << 8 | uchar(d[12]) << 16);
    };
    return da.mid(offset(da)) == db.mid(offset(db)) && da.mid(18, 8) == db.mid(18, 8);
}

int usage()
{
    std::fprintf(stderr,
                 "usage: bench-jpeg2bmp [--runs N] [--djpeg PATH] [--keep DIR] [--input FILE]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int runs = 15;
    std::string djpeg = "djpeg";
    QString keep, input;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return usage();
        if (arg == "--runs")
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--djpeg")
            djpeg = argv[++i];
        else if (arg == "--keep")
            keep = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--input")
            input = QString::fromLocal8Bit(argv[++i]);
        else
            return usage();
    }

    QTemporaryDir scratch;
    const QString dir = keep.isEmpty() ? scratch.path() : keep;
    QDir().mkpath(dir);
    try {
        if (input.isEmpty()) {
            input = dir + QStringLiteral("/bench-3840x2160.jpg");
            encodeJpeg(makeBenchImage(3840, 2160), input, 90);
        }
        const QString ours = dir + QStringLiteral("/ours.bmp");
        const QString theirs = dir + QStringLiteral("/djpeg.bmp");
        const std::string in8 = input.toStdString(), theirs8 = theirs.toStdString();
        const std::string ppm8 = (dir + QStringLiteral("/djpeg.ppm")).toStdString();

        // One untimed round each: page cache, library loading, first-touch allocations.
        ConvertJpegToBitmapFile(input, ours);
        if (!runDjpeg(djpeg, "-bmp", in8, theirs8) || !runDjpeg(djpeg, "-ppm", in8, ppm8)) {
            std::fprintf(stderr, "bench-jpeg2bmp: could not run %s\n", djpeg.c_str());
            return 1;
        }
        std::vector<double> oursMs, djpegMs, ppmMs;
        for (int round = 0; round < runs; ++round) {
            auto start = Clock::now();
            ConvertJpegToBitmapFile(input, ours);
            oursMs.push_back(msSince(start));
            start = Clock::now();
            if (!runDjpeg(djpeg, "-bmp", in8, theirs8))
                return 1;
            djpegMs.push_back(msSince(start));
            start = Clock::now();
            if (!runDjpeg(djpeg, "-ppm", in8, ppm8))
                return 1;
            ppmMs.push_back(msSince(start));
        }
        const QImage probe = decodeJpeg(input);
        const double a = median(oursMs), b = median(djpegMs), c = median(ppmMs);
        std::printf("JPEG -> 24-bit BMP, %s (%dx%d, %lld bytes), %d alternating rounds\n",
                    in8.c_str(), probe.width(), probe.height(),
                    static_cast<long long>(QFile(input).size()), runs);
        std::printf("  ConvertJpegToBitmapFile  median %7.2f ms  (min %7.2f)\n", a,
                    *std::min_element(oursMs.begin(), oursMs.end()));
        std::printf("  djpeg -bmp -outfile      median %7.2f ms  (min %7.2f)\n", b,
                    *std::min_element(djpegMs.begin(), djpegMs.end()));
        std::printf("  djpeg -ppm -outfile      median %7.2f ms  (min %7.2f)\n", c,
                    *std::min_element(ppmMs.begin(), ppmMs.end()));
        std::printf("  ratio ours/djpeg -bmp    %.3f   (target <= 1.2)\n", a / b);
        std::printf("  ratio ours/djpeg -ppm    %.3f   (target <= 1.1)\n", a / c);
        std::printf("  pixels identical         %s\n", samePixels(ours, theirs) ? "yes" : "NO");
    } catch (const AppError& error) {
        std::fprintf(stderr, "bench-jpeg2bmp: %s\n", error.what());
        return 1;
    }
    return 0;
}
