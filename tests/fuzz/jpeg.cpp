#include "fuzzsupport.h"

#include "common/errors.h"
#include "wallpaper/bmp.h"
#include "wallpaper/jpeg.h"

// The JPEG decoder and the conversion to a bitmap file: a refused picture leaves the target as it
// was; an accepted one is a bitmap that holds the very pixels the decoder gives.

namespace {

// The largest picture any frame header of data declares, in pixels.
qint64 largestFrame(const std::uint8_t* data, std::size_t size)
{
    qint64 largest = 0;
    for (std::size_t i = 0; i + 8 < size; ++i) {
        const std::uint8_t marker = data[i + 1];
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (data[i] != 0xFF || !frame)
            continue;
        const qint64 height = data[i + 5] << 8 | data[i + 6];
        const qint64 width = data[i + 7] << 8 | data[i + 8];
        largest = std::max(largest, width * height);
    }
    return largest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Pictures of more than 4 megapixels are left to the test suite, so that every run is quick.
    if (largestFrame(data, size) > 4 * 1024 * 1024)
        return 0;
    const QString jpeg = writeScratch(QStringLiteral("in.jpg"), data, size);
    const QByteArray before("the bitmap of an earlier step");
    const QString bitmap = writeScratch(QStringLiteral("out.bmp"), before);
    try {
        ConvertJpegToBitmapFile(jpeg, bitmap);
    } catch (const InvalidPictureError&) {
        fuzzCheck(readScratch(bitmap) == before, "a refused JPEG leaves the bitmap as it was");
        return 0;
    }
    const QImage converted = decodeBitmap(bitmap);
    const QImage decoded = decodeJpeg(jpeg);
    fuzzCheck(converted == decoded, "the bitmap holds the pixels of the decoded JPEG");
    return 0;
}
