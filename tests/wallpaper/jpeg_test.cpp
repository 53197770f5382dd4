#include "fixtures.h"
#include "testpictures.h"

#include "common/errors.h"
#include "common/pump.h"
#include "common/strings.h"
#include "wallpaper/apply.h"
#include "wallpaper/bmp.h"
#include "wallpaper/jpeg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QtEndian>

#include <cstdio>
#include <filesystem>
#include <functional>

#include <jpeglib.h>

namespace {

quint32 le32(const std::string& d, int at) { return qFromLittleEndian<quint32>(d.data() + at); }
quint16 le16(const std::string& d, int at) { return qFromLittleEndian<quint16>(d.data() + at); }

// A bottom-up bitmap of 24 bits, or of 8 with a palette (djpeg's grey output), as RGB.
QImage readBitmap(const QString& path, int* bits = nullptr)
{
    const std::string d = readFileBytes(toStd(path));
    const int width = int(le32(d, 18)), height = int(le32(d, 22)), depth = le16(d, 28);
    const std::size_t stride = (std::size_t(width) * depth + 31) / 32 * 4;
    if (bits)
        *bits = depth;
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        const char* row = d.data() + le32(d, 10) + (height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const char* bgr = depth == 24 ? row + 3 * x : d.data() + 54 + 4 * uchar(row[x]);
            image.setPixel(x, y, qRgb(uchar(bgr[2]), uchar(bgr[1]), uchar(bgr[0])));
        }
    }
    return image;
}

// The header fields the desktop reads agree with the size, and the row padding is zero.
void expectWellFormed(const QString& path, int width, int height)
{
    const std::string d = readFileBytes(toStd(path));
    const quint32 stride = (quint32(width) * 3 + 3) & ~3u;
    ASSERT_EQ(d.size(), 54 + stride * quint32(height));
    EXPECT_EQ(d.substr(0, 2), "BM");
    EXPECT_EQ((std::vector{le32(d, 2), le32(d, 10), le32(d, 14), le32(d, 18), le32(d, 22),
                           quint32(le16(d, 26)), quint32(le16(d, 28)), le32(d, 30), le32(d, 34)}),
              (std::vector{quint32(d.size()), 54u, 40u, quint32(width), quint32(height), 1u, 24u,
                           0u, stride * quint32(height)}));
    for (quint32 y = 0; y < quint32(height); ++y)
        for (quint32 p = quint32(width) * 3; p < stride; ++p)
            ASSERT_EQ(d[54 + y * stride + p], 0) << "padding of row " << y;
}

double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

QImage djpegBitmap(const QString& jpeg, const QString& bmp, int* bits = nullptr)
{
    EXPECT_EQ(QProcess::execute("/usr/bin/djpeg", {"-bmp", "-outfile", bmp, jpeg}), 0);
    return readBitmap(bmp, bits);
}

// A JPEG of the kinds encodeJpeg does not write: grey, CMYK, YCCK.
void writeRawJpeg(const QString& path, int width, int height, J_COLOR_SPACE input,
                  J_COLOR_SPACE stored, bool adobe, const std::function<int(int, int, int)>& sample)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    FILE* file = std::fopen(path.toLocal8Bit().constData(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_stdio_dest(&c, file);
    const int components = input == JCS_GRAYSCALE ? 1 : 4;
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = components;
    c.in_color_space = input;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, stored);
    c.write_Adobe_marker = adobe;
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width * components));
    for (JSAMPROW pointer = row.data(); c.next_scanline < c.image_height;) {
        for (int i = 0; i < width * components; ++i)
            row[std::size_t(i)] =
                JSAMPLE(sample(i / components, int(c.next_scanline), i % components));
        jpeg_write_scanlines(&c, &pointer, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(file);
}

class JpegTest : public AppFixture {
protected:
    JpegTest() { QDir().mkpath(outDir()); }
    QString outDir() const { return tempPath("out"); }
    QString target() const { return tempPath("out/current.bmp"); }
    QString in(const char* name) const { return tempPath(name); }

    // A broken input leaves the previous bitmap as it was and no temporary file behind.
    void expectRefused(const QString& jpeg, const char* messagePart = "")
    {
        writeFileBytes(toStd(target()), "previous bitmap");
        try {
            ConvertJpegToBitmapFile(jpeg, target());
            ADD_FAILURE() << "converted " << jpeg.toStdString();
        } catch (const InvalidPictureError& error) {
            EXPECT_TRUE(error.message().contains(messagePart)) << error.what();
        }
        EXPECT_EQ(readFileBytes(toStd(target())), "previous bitmap");
        EXPECT_EQ(QDir(outDir()).entryList(QDir::Files), QStringList{"current.bmp"});
    }

    // A valid JPEG's bytes with the frame's width and height replaced.
    std::string withFrameSize(int width, int height)
    {
        writeTestJpeg(in("small.jpg"), 64, 48);
        std::string d = readFileBytes(toStd(in("small.jpg")));
        const std::size_t sof = d.find("\xFF\xC0");
        qToBigEndian<quint16>(quint16(height), d.data() + sof + 5);
        qToBigEndian<quint16>(quint16(width), d.data() + sof + 7);
        return d;
    }
};

TEST_F(JpegTest, BitmapsAreWellFormedAndShowThePictureUpright)
{
    // Odd widths need row padding; one pixel and one row are the edges of the strip loop.
    for (const auto& [w, h] :
         {std::pair{1, 1}, {17, 9}, {33, 31}, {101, 203}, {640, 1}, {1282, 725}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        writeTestJpeg(in("in.jpg"), w, h);
        writeFileBytes(toStd(target()), std::string(8 << 20, 'x')); // a longer old file
        ConvertJpegToBitmapFile(in("in.jpg"), target());
        expectWellFormed(target(), w, h);
        const QImage ours = readBitmap(target());
        const QImage source = makeTestImage(w, h);
        const double loss = meanDifference(ours, source);
        for (const QImage& wrong :
             {source.mirrored(true, false), source.mirrored(false, true), source.rgbSwapped()}) {
            if (wrong != source) {
                EXPECT_LT(3 * loss, meanDifference(ours, wrong));
            }
        }
        EXPECT_EQ(ours, decodeJpeg(in("in.jpg"))); // the same decoder, the other byte order
    }
    EXPECT_EQ(QDir(outDir()).entryList(QDir::Files), QStringList{"current.bmp"});
}

// Within a pump's scope, a large picture's decoding, conversion and writing let the window's events
// run between strips.
TEST_F(JpegTest, LargePicturesLetEventsRunBetweenTheirStrips)
{
    writeTestJpeg(in("large.jpg"), 1600, 1200); // some 6 MB decoded: several strips
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(0);
    const PumpScope pump([] { QCoreApplication::processEvents(); });
    const auto ticksDuring = [&](const std::function<void()>& work) {
        ticks = 0;
        work();
        return ticks;
    };
    QImage picture;
    EXPECT_GT(ticksDuring([&] { ConvertJpegToBitmapFile(in("large.jpg"), target()); }), 2);
    EXPECT_GT(ticksDuring([&] { picture = decodeBitmap(target()); }), 2);
    EXPECT_GT(ticksDuring([&] { decodeJpeg(in("large.jpg")); }), 2);
    EXPECT_GT(ticksDuring([&] { saveBitmap(picture, in("saved.bmp")); }), 2);
    EXPECT_EQ(decodeBitmap(in("saved.bmp")), picture);
}

TEST_F(JpegTest, PixelsEqualThoseOfDjpeg)
{
    if (!QFile::exists("/usr/bin/djpeg"))
        GTEST_SKIP() << "djpeg is not installed";
    for (const auto& [w, h] : {std::pair{1, 1}, {17, 9}, {33, 31}, {250, 251}, {1923, 1081}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        writeTestJpeg(in("in.jpg"), w, h);
        ConvertJpegToBitmapFile(in("in.jpg"), target());
        EXPECT_EQ(readBitmap(target()), djpegBitmap(in("in.jpg"), in("djpeg.bmp")));
    }
    // djpeg writes grey pictures with a palette; ours repeat the grey in all three bytes.
    writeRawJpeg(in("grey.jpg"), 45, 23, JCS_GRAYSCALE, JCS_GRAYSCALE, false,
                 [](int x, int y, int) { return (x * 5 + y * 11) % 256; });
    ConvertJpegToBitmapFile(in("grey.jpg"), target());
    expectWellFormed(target(), 45, 23);
    int bits = 0;
    EXPECT_EQ(readBitmap(target()), djpegBitmap(in("grey.jpg"), in("djpeg.bmp"), &bits));
    EXPECT_EQ(bits, 8);
}

TEST_F(JpegTest, CmykIsConvertedWithOrWithoutTheAdobeInversion)
{
    const int magentaInk[4] = {0, 255, 0, 0}; // Adobe-marked files store every ink inverted
    QImage magenta(24, 16, QImage::Format_RGB888);
    magenta.fill(QColor(255, 0, 255));
    for (const auto& [stored, adobe] :
         {std::pair{JCS_CMYK, true}, {JCS_CMYK, false}, {JCS_YCCK, true}}) {
        SCOPED_TRACE(std::to_string(stored) + (adobe ? " Adobe" : ""));
        writeRawJpeg(in("cmyk.jpg"), 24, 16, JCS_CMYK, stored, adobe,
                     [&](int, int, int c) { return adobe ? 255 - magentaInk[c] : magentaInk[c]; });
        ConvertJpegToBitmapFile(in("cmyk.jpg"), target());
        const QImage rgb = readBitmap(target());
        ASSERT_EQ(rgb.size(), magenta.size());
        EXPECT_LT(meanDifference(rgb, magenta), 2.0);
    }
}

TEST_F(JpegTest, BrokenOrMissingPicturesLeaveTheTargetAlone)
{
    writeTestJpeg(in("good.jpg"), 640, 480);
    const std::string good = readFileBytes(toStd(in("good.jpg")));
    const std::size_t scan = good.find("\xFF\xDA");
    writeFileBytes(toStd(in("cut.jpg")), good.substr(0, scan + (good.size() - scan) / 2));
    expectRefused(in("cut.jpg"), "Premature end");

    std::string precision = good;
    precision[precision.find("\xFF\xC0") + 4] = 12; // a sample precision libjpeg can not read
    writeFileBytes(toStd(in("precision.jpg")), precision);
    expectRefused(in("precision.jpg"));

    writeFileBytes(toStd(in("text.jpg")), "This is not a picture at all.");
    expectRefused(in("text.jpg"), "Not a JPEG file");
    writeFileBytes(toStd(in("empty.jpg")), "");
    expectRefused(in("empty.jpg"));
    expectRefused(in("missing.jpg"), "missing.jpg");
}

TEST_F(JpegTest, OversizedPicturesAreRefusedFromTheHeader)
{
    for (const auto& [w, h] : {std::pair{64, 40000}, {30001, 48}, {20000, 20000}, {16384, 16384}}) {
        writeFileBytes(toStd(in("big.jpg")), withFrameSize(w, h));
        expectRefused(in("big.jpg"), "too large");
    }
    writeTestJpeg(in("edge.jpg"), MaxJpegSide, 8); // the longest side allowed
    ConvertJpegToBitmapFile(in("edge.jpg"), target());
    expectWellFormed(target(), MaxJpegSide, 8);
}

TEST_F(JpegTest, DamagedScanDataStillGivesAPicture)
{
    writeTestJpeg(in("good.jpg"), 320, 240);
    std::string d = readFileBytes(toStd(in("good.jpg")));
    d.replace(d.find("\xFF\xDA") + 200, 60, 60, '\0');
    writeFileBytes(toStd(in("damaged.jpg")), d);
    ConvertJpegToBitmapFile(in("damaged.jpg"), target());
    expectWellFormed(target(), 320, 240);
}

TEST_F(JpegTest, UnwritableTargetsAreAppErrorsNotPictureErrors)
{
    writeTestJpeg(in("in.jpg"), 32, 32);
    const QString nowhere = tempPath("no-such-folder/current.bmp");
    try {
        ConvertJpegToBitmapFile(in("in.jpg"), nowhere);
        ADD_FAILURE() << "wrote into a missing folder";
    } catch (const InvalidPictureError&) {
        ADD_FAILURE() << "the picture is fine; the target is the problem";
    } catch (const AppError& error) {
        EXPECT_TRUE(error.message().contains(nowhere)) << error.what();
    }
    EXPECT_THROW(encodeJpeg(makeTestImage(8, 8), nowhere, 90), AppError);
}

TEST_F(JpegTest, EncodedJpegsReplaceTheFileWhole)
{
    writeFileBytes(toStd(in("out.jpg")), std::string(4 << 20, 'x'));
    encodeJpeg(makeTestImage(200, 120), in("out.jpg"), 90);
    const std::string d = readFileBytes(toStd(in("out.jpg")));
    EXPECT_TRUE(d.starts_with("\xFF\xD8") && d.ends_with("\xFF\xD9"));
    EXPECT_NE(d.find("\xFF\xC0"), std::string::npos); // baseline frame
    EXPECT_LT(meanDifference(decodeJpeg(in("out.jpg")), makeTestImage(200, 120)), 3.0);
}

// current.bmp made a link to a picture of the user's: every way of writing a bitmap replaces the
// link and leaves the user's picture as it was.
TEST_F(JpegTest, BitmapsReplaceALinkAtTheTargetInsteadOfWritingThroughIt)
{
    namespace fs = std::filesystem;
    writeTestJpeg(in("in.jpg"), 32, 24);
    writeFileBytes(toStd(in("in.bmp")), "a bitmap to copy");
    writeFileBytes(toStd(in("user.bmp")), "the user's picture");
    const std::vector<std::pair<const char*, std::function<void()>>> writers = {
        {"convert", [&] { ConvertJpegToBitmapFile(in("in.jpg"), target()); }},
        {"save", [&] { saveBitmap(makeTestImage(32, 24), target()); }},
        {"copy", [&] { CopyWholeFile(in("in.bmp"), target()); }},
    };
    for (const auto& [name, write] : writers) {
        fs::remove(toStd(target()));
        fs::create_symlink(toStd(in("user.bmp")), toStd(target()));
        write();
        EXPECT_FALSE(fs::is_symlink(toStd(target()))) << name;
        EXPECT_TRUE(QFile::exists(target())) << name;
        EXPECT_EQ(readFileBytes(toStd(in("user.bmp"))), "the user's picture") << name;
        EXPECT_EQ(QDir(outDir()).entryList(QDir::Files), QStringList{"current.bmp"}) << name;
    }
}

} // namespace
