#include "fixtures.h"
#include "testpictures.h"

#include "common/errors.h"
#include "common/strings.h"
#include "wallpaper/picture.h"

#include <QtEndian>

#include <climits>

namespace {

using namespace std::string_literals;

void put32(std::string& d, int at, qint32 v) { qToLittleEndian(v, d.data() + at); }

// A bitmap with a 40-byte header, then palette (or masks) and rows as given.
std::string bitmapFile(int width, int height, int bits, int compression, const std::string& palette,
                       const std::string& pixels)
{
    std::string d(54, '\0');
    d[0] = 'B';
    d[1] = 'M';
    for (const auto& [at, value] : {std::pair{10, int(54 + palette.size())},
                                    {14, 40},
                                    {18, width},
                                    {22, height},
                                    {26, 1 + (bits << 16)},
                                    {30, compression}})
        put32(d, at, value);
    return d + palette + pixels;
}

// 256 distinct entries, stored blue, green, red, unused.
std::string palette()
{
    std::string palette;
    for (int i = 0; i < 256; ++i)
        palette += {char(i / 2), char(255 - i), char(i), '\0'};
    return palette;
}
QRgb paletteColour(int i) { return qRgb(i, 255 - i, i / 2); }

class PictureTest : public AppFixture {
protected:
    QString write(const char* name, const std::string& bytes) const
    {
        writeFileBytes(toStd(tempPath(name)), bytes);
        return tempPath(name);
    }
    QImage load(const char* name, const std::string& bytes) const
    {
        return LoadPictureAsBitmap(write(name, bytes)).value_or(QImage());
    }
    // makeTestImage(7, 5) as Qt writes it: 24 bits, bottom-up, rows padded from 21 to 24 bytes.
    std::string qtBitmap() const
    {
        EXPECT_TRUE(makeTestImage(7, 5).save(tempPath("qt.bmp")));
        return readFileBytes(toStd(tempPath("qt.bmp")));
    }
};

TEST_F(PictureTest, PicturesLoadWithTheirPixelsAndMissingOnesAreNone)
{
    std::string bitmap = qtBitmap();
    EXPECT_EQ(load("a.Bmp", bitmap), makeTestImage(7, 5));
    put32(bitmap, 22, -5); // the same rows from the top down
    EXPECT_EQ(load("b.bmp", bitmap), makeTestImage(7, 5).mirrored());

    std::string indices; // 5 a row, padded to 8
    QImage expected(5, 3, QImage::Format_RGB888);
    for (int row = 0; row < 3; ++row, indices += "\0\0\0"s)
        for (int x = 0; x < 5; ++x) {
            indices += char(x * 37 + row * 101);
            expected.setPixel(x, 2 - row, paletteColour((x * 37 + row * 101) & 255));
        }
    EXPECT_EQ(load("c.bmp", bitmapFile(5, 3, 8, 0, palette(), indices)), expected);

    // 32 bits as blue, green, red, unused; 16 bits by colour masks, 5-6-5 here.
    const QImage wide = load("d.bmp", bitmapFile(1, 1, 32, 0, {}, "\x10\x20\x30\x07"s));
    EXPECT_EQ(wide.pixel(0, 0), qRgb(0x30, 0x20, 0x10));
    const std::string masks = "\x00\xf8\0\0\xe0\x07\0\0\x1f\0\0\0"s;
    const QImage narrow = load("e.bmp", bitmapFile(2, 1, 16, 3, masks, "\xe0\x07\x10\x00"s));
    EXPECT_EQ(narrow.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(narrow.pixel(1, 0), qRgb(0, 0, 132)); // 16 of 31

    // Run-length encoded: a run, a skip (left black), end of row, pixels as they are (padded to an
    // even count), a run, end of picture.
    const QImage rle = load("f.bmp", bitmapFile(4, 2, 8, 1, palette(),
                                                "\x02\x10\x00\x02\x01\x00\x00\x00"
                                                "\x00\x03\x20\x21\x22\x00\x01\x23\x00\x01"s));
    const QRgb a = paletteColour(0x10), black = qRgb(0, 0, 0);
    EXPECT_EQ((std::vector{rle.pixel(0, 1), rle.pixel(1, 1), rle.pixel(2, 1), rle.pixel(3, 1)}),
              (std::vector{a, a, black, black}));
    EXPECT_EQ(rle.pixel(2, 0), paletteColour(0x22));
    EXPECT_EQ(rle.pixel(3, 0), paletteColour(0x23));

    writeTestJpeg(tempPath("photo.JPEG"), 40, 30);
    EXPECT_EQ(LoadPictureAsBitmap(tempPath("photo.JPEG")).value_or(QImage()).size(), QSize(40, 30));
    EXPECT_EQ(LoadPictureAsBitmap(tempPath("none.bmp")), std::nullopt);
    EXPECT_THROW(ShowPreviewScaled(std::nullopt, QSize(421, 270)), AppError);
}

TEST_F(PictureTest, FilesThatAreNoSupportedPictureAreRefused)
{
    const std::string gif = QByteArray::fromHex("47494638396101000100800000ffffff00000021f904010000"
                                                "00002c00000000010001000002024401003b")
                                .toStdString();
    ASSERT_TRUE(makeTestImage(4, 4).save(tempPath("p.png")));
    const std::string png = readFileBytes(toStd(tempPath("p.png")));
    const std::string good = qtBitmap();
    const auto lie = [&](int at, qint32 value) {
        std::string d = good;
        put32(d, at, value);
        return d;
    };
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"x.gif", gif},
        {"x.png", png},
        {"png.bmp", png},
        {"gif.jpg", gif},
        {"wide.bmp", lie(18, 100000)},
        {"high.bmp", lie(22, -100000)},
        {"intmin.bmp", lie(22, INT_MIN)},
        // Each side is allowed, not all the pixels; nothing shows the size is a lie but the limit.
        {"rle.bmp", bitmapFile(20000, 20000, 8, 1, palette(), "\0\1"s)},
        {"bits0.bmp", lie(26, 1)},
        {"bits7.bmp", lie(26, 1 + (7 << 16))},
        {"bits64.bmp", lie(26, 1 + (64 << 16))},
        {"offset.bmp", lie(10, 1000000)},
        {"header.bmp", lie(14, 200)},
        {"short.bmp", good.substr(0, good.size() - 10)},
        {"headeronly.bmp", good.substr(0, 30)},
        {"shortrle.bmp", bitmapFile(5, 2, 8, 1, palette(), "\x03\x10\x00\x00\x02"s)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(LoadPictureAsBitmap(write(c.name, c.bytes)), InvalidPictureError);
    }
}

TEST(PreviewTest, PicturesFitTheBoxCentredOnWhite)
{
    const QSize box(421, 270);
    const struct {
        QSize picture;
        QRect target;
    } cases[] = {
        {{800, 600}, {30, 0, 360, 270}}, {{1024, 768}, {30, 0, 360, 270}},
        {{1000, 200}, {0, 93, 421, 84}}, // 84.2 high
        {{842, 540}, {0, 0, 421, 270}},  // the box's own proportions
        {{1, 4}, {176, 0, 68, 270}},     // 67.5 wide rounds up; enlarged
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture.width());
        EXPECT_EQ(previewTargetRect(box, c.picture), c.target);
        QImage picture(c.picture, QImage::Format_RGB888);
        picture.fill(QColor(90, 20, 20));
        const QImage preview = ShowPreviewScaled(picture, box);
        ASSERT_EQ(preview.size(), box);
        const QRect t = c.target;
        const QPoint m = t.center();
        for (const QPoint inside : {t.topLeft(), t.bottomRight(), m})
            EXPECT_EQ(preview.pixel(inside), qRgb(90, 20, 20));
        for (const QPoint outside : {QPoint(t.left() - 1, m.y()), QPoint(t.right() + 1, m.y()),
                                     QPoint(m.x(), t.top() - 1), QPoint(m.x(), t.bottom() + 1)})
            EXPECT_TRUE(!preview.rect().contains(outside) || preview.pixel(outside) == ~0u);
    }
}

TEST(CaptionTest, TheCaptionIsLightGreyTextNearTheLowerLeftCorner)
{
    QImage picture(300, 600, QImage::Format_RGB888);
    picture.fill(Qt::black);
    const QImage blank = picture;
    StampCaption(picture, QString());
    EXPECT_EQ(picture, blank);

    StampCaption(picture, QStringLiteral("WALL caption"));
    QRect lit;
    int solid = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            lit |= p != qRgb(0, 0, 0) ? QRect(x, y, 1, 1) : QRect();
            solid += p == qRgb(192, 192, 192);
            ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && qRed(p) <= 192);
        }
    // Capitals of the 16-pixel font begin a few rows below the top of their cell at (5, 550); the
    // rest is antialiased edge.
    EXPECT_TRUE(lit.left() >= 4 && lit.left() <= 7) << lit.left();
    EXPECT_TRUE(lit.top() >= 550 && lit.top() <= 556) << lit.top();
    EXPECT_LE(lit.bottom(), 550 + 20);
    EXPECT_GT(lit.width(), 60);
    EXPECT_GT(solid, 50);
}

} // namespace
