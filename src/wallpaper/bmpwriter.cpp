#include "bmp.h"

#include "common/replacingfile.h"

#include <cstdint>
#include <cstring>

namespace {

void putLittleEndian(unsigned char* at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

constexpr std::uint32_t BitmapHeaderSize = 14 + 40;

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
    const QImage rgb = picture.format() == QImage::Format_RGB888
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB888);
    ReplacingFile file(path, ReplacingFile::Durability::Remakeable);
    if (!rgb.save(&file.device(), "BMP"))
        file.failed(file.device().errorString());
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
