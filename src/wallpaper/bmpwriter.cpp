#include "bmp.h"

#include "common/errors.h"
#include "common/pump.h"
#include "common/replacingfile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

void putLittleEndian(unsigned char* at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

constexpr std::uint32_t BitmapHeaderSize = 14 + 40;

// Roughly how much of the bitmap is converted before it is written out.
constexpr qint64 StripBytes = 1024 * 1024;

// BITMAPFILEHEADER and BITMAPINFOHEADER of a 24-bit, uncompressed, bottom-up bitmap. No resolution
// is stated (0), as the desktop ignores it.
void fillBitmapHeader(unsigned char* header, int width, int height, std::uint32_t imageSize)
{
    std::memset(header, 0, BitmapHeaderSize);
    header[0] = 'B';
    header[1] = 'M';
    const struct {
        int offset, bytes;
        std::uint32_t value;
    } fields[] = {
        {2, 4, BitmapHeaderSize + imageSize},        // bfSize
        {10, 4, BitmapHeaderSize},                   // bfOffBits
        {14, 4, 40},                                 // biSize
        {18, 4, static_cast<std::uint32_t>(width)},  // biWidth
        {22, 4, static_cast<std::uint32_t>(height)}, // biHeight, positive: bottom-up
        {26, 2, 1},                                  // biPlanes
        {28, 2, 24},                                 // biBitCount; biCompression 0 = BI_RGB
        {34, 4, imageSize},                          // biSizeImage
    };
    for (const auto& field : fields)
        putLittleEndian(header + field.offset, field.value, field.bytes);
}

} // namespace

void saveBitmap(const QImage& picture, const QString& path)
{
    if (picture.isNull())
        throw AppError(
            QStringLiteral("Cannot create file \"%1\". There is no picture to write.").arg(path));
    // Strip by strip: a whole converted copy (Qt's own writer makes one of 4 bytes a pixel) would
    // more than double the memory a large picture takes.
    const int height = picture.height();
    BitmapFileWriter file(path, picture.width(), height);
    const qint64 stride = file.stride();
    const int stripRows = static_cast<int>(std::clamp<qint64>(StripBytes / stride, 1, height));
    std::vector<uchar> strip(std::size_t(stripRows) * std::size_t(stride), 0);
    for (int top = 0; top < height; top += stripRows) {
        const int count = std::min(stripRows, height - top);
        const QImage part =
            picture.copy(0, top, picture.width(), count).convertToFormat(QImage::Format_BGR888);
        for (int i = 0; i < count; ++i)
            std::memcpy(strip.data() + std::size_t(count - 1 - i) * std::size_t(stride),
                        part.constScanLine(i), std::size_t(part.width()) * 3);
        file.writeRows(top, count, strip.data());
        pumpEvents();
    }
    file.commit();
}

BitmapFileWriter::BitmapFileWriter(const QString& path, int width, int height)
    : height_(height),
      // Within the picture limits at most 90,000 bytes a row and 804 MB in all, well inside the
      // header's 32-bit fields.
      stride_((qint64(width) * 3 + 3) & ~qint64(3)),
      file_(path, ReplacingFile::Durability::Remakeable)
{
    unsigned char header[BitmapHeaderSize];
    fillBitmapHeader(header, width, height, static_cast<std::uint32_t>(stride_ * height));
    file_.writeAt(0, header, BitmapHeaderSize);
}

void BitmapFileWriter::writeRows(int top, int count, const void* bottomUpRows)
{
    file_.writeAt(BitmapHeaderSize + stride_ * (height_ - top - count), bottomUpRows,
                  stride_ * count);
}
