#include "bmp.h"

#include "common/errors.h"
#include "common/pump.h"
#include "common/regularfile.h"
#include "jpeg.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Windows bitmaps are read here rather than by Qt's reader: every size in the headers is checked
// against the file and the limits before anything is allocated, and the rows go straight into the
// 24-bit result.

constexpr qint64 FileHeaderSize = 14;
constexpr qint64 StripBytes = 1024 * 1024;

enum Compression : std::uint32_t { Uncompressed = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

struct Rgb {
    uchar r = 0, g = 0, b = 0;
};

// One colour channel of a 16- or 32-bit pixel, given by its mask, scaled to 0..255.
class Channel {
public:
    Channel() = default;
    explicit Channel(std::uint32_t mask) : mask_(mask)
    {
        if (mask == 0)
            return;
        shift_ = std::countr_zero(mask);
        const int bits = std::popcount(mask);
        drop_ = std::max(0, bits - 8);
        const int kept = bits - drop_;
        const int top = (1 << kept) - 1;
        for (int v = 0; v <= top; ++v)
            scale_[std::size_t(v)] = uchar((v * 255 + top / 2) / top);
    }
    // A mask must be one run of bits; one with gaps is a damaged header.
    bool contiguous() const
    {
        const std::uint32_t bits = mask_ >> shift_;
        return (bits & (bits + 1)) == 0;
    }
    uchar operator()(std::uint32_t pixel) const
    {
        return scale_[((pixel & mask_) >> shift_) >> drop_];
    }

private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    int drop_ = 0; // low bits beyond the eight kept
    std::array<uchar, 256> scale_{};
};

struct BitmapLayout {
    qint64 pixelOffset = 0;
    int width = 0;
    int height = 0; // rows, always positive
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = Uncompressed;
    qint64 compressedSize = 0;       // for RLE: the bytes that may be read from pixelOffset
    std::array<Channel, 3> channels; // red, green, blue of 16- and 32-bit pixels
    std::array<Rgb, 256> palette{};  // entries the file does not give stay black
};

std::uint32_t le32(const QByteArray& d, qint64 at)
{
    const auto* p = reinterpret_cast<const uchar*>(d.constData() + at);
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::uint32_t le16(const QByteArray& d, qint64 at)
{
    const auto* p = reinterpret_cast<const uchar*>(d.constData() + at);
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
}

class BitmapReader {
public:
    explicit BitmapReader(const QString& path) : path_(path), file_(path)
    {
        if (!file_.openForReading(QIODevice::Unbuffered))
            throw InvalidPictureError(
                QStringLiteral("Cannot open file \"%1\". %2").arg(path, file_.errorString()));
        size_ = file_.size();
    }

    QImage read()
    {
        readLayout();
        // 24-bit rows are copied as they are and their bytes swapped by Qt in one pass at the
        // end, which is several times faster than swapping them pixel by pixel here.
        const bool bgr = layout_.bits == 24;
        QImage image(layout_.width, layout_.height,
                     bgr ? QImage::Format_BGR888 : QImage::Format_RGB888);
        if (image.isNull())
            throw AppError(QStringLiteral("Not enough memory for the picture \"%1\".").arg(path_));
        if (layout_.compression == Rle8 || layout_.compression == Rle4)
            readRle(image);
        else
            readRows(image);
        if (bgr)
            image.convertTo(QImage::Format_RGB888);
        return image;
    }

private:
    [[noreturn]] void refuse(const char* reason) const
    {
        throw InvalidPictureError(
            QStringLiteral("Cannot read the picture \"%1\". %2").arg(path_, QLatin1String(reason)));
    }
    [[noreturn]] void truncated() const { refuse("The file is shorter than its header says."); }

    QByteArray readAt(qint64 offset, qint64 count)
    {
        QByteArray data;
        if (offset + count > size_)
            truncated();
        data.resize(count);
        if (!file_.seek(offset) || file_.read(data.data(), count) != count)
            truncated();
        return data;
    }

    void readLayout();
    void readPalette(qint64 offset, std::uint32_t used, int entrySize);
    void readRows(QImage& image);
    void convertRow(const uchar* in, uchar* out) const;
    void readRle(QImage& image);

    QString path_;
    RegularFile file_;
    qint64 size_ = 0;
    BitmapLayout layout_;
};

void BitmapReader::readLayout()
{
    if (size_ < FileHeaderSize + 12)
        refuse("The file is not a Windows bitmap.");
    const QByteArray head = readAt(0, FileHeaderSize + 4);
    if (head[0] != 'B' || head[1] != 'M')
        refuse("The file is not a Windows bitmap.");
    BitmapLayout& l = layout_;
    l.pixelOffset = le32(head, 10);
    const std::uint32_t infoSize = le32(head, 14);

    // The OS/2 header of 12 bytes, and the Windows headers from version 3 to 5.
    if (infoSize != 12 && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 &&
        infoSize != 124)
        refuse("The bitmap header is of an unknown kind.");
    const QByteArray info = readAt(FileHeaderSize, infoSize);
    qint64 width = 0, height = 0;
    std::uint32_t used = 0;
    qint64 headersEnd = FileHeaderSize + infoSize;
    if (infoSize == 12) {
        width = le16(info, 4);
        height = le16(info, 6);
        l.bits = int(le16(info, 10));
        if (l.bits == 16 || l.bits == 32)
            refuse("The bitmap has an unsupported number of bits per pixel.");
    } else {
        width = qint32(le32(info, 4));
        // A negative height is a top-down bitmap; negated in 64 bits, so INT_MIN stays too large.
        const qint32 rawHeight = qint32(le32(info, 8));
        l.topDown = rawHeight < 0;
        height = l.topDown ? -qint64(rawHeight) : rawHeight;
        l.bits = int(le16(info, 14));
        l.compression = le32(info, 16);
        const std::uint32_t imageSize = le32(info, 20);
        used = le32(info, 32);
        if (l.compression == BitFields) {
            // The masks follow a version 3 header and are part of the later ones.
            const QByteArray masks = infoSize == 40 ? readAt(headersEnd, 12) : info.mid(40, 12);
            if (infoSize == 40)
                headersEnd += 12;
            for (int i = 0; i < 3; ++i) {
                l.channels[std::size_t(i)] = Channel(le32(masks, 4 * i));
                if (!l.channels[std::size_t(i)].contiguous())
                    refuse("The bitmap has invalid colour masks.");
            }
        }
        l.compressedSize = imageSize;
    }

    if (width < 1 || height < 1 || width > MaxJpegSide || height > MaxJpegSide ||
        width * height > MaxJpegPixels)
        refuse("The bitmap size is invalid or too large.");
    l.width = int(width);
    l.height = int(height);

    if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 16 && l.bits != 24 && l.bits != 32)
        refuse("The bitmap has an unsupported number of bits per pixel.");
    const bool rle = l.compression == Rle8 || l.compression == Rle4;
    const bool valid = (l.compression == Uncompressed) ||
                       (l.compression == Rle8 && l.bits == 8 && !l.topDown) ||
                       (l.compression == Rle4 && l.bits == 4 && !l.topDown) ||
                       (l.compression == BitFields && (l.bits == 16 || l.bits == 32));
    if (!valid)
        refuse("The bitmap compression is not supported.");
    if (l.compression == Uncompressed && l.bits == 16)
        l.channels = {Channel(0x7C00), Channel(0x03E0), Channel(0x001F)};
    if (l.compression == Uncompressed && l.bits == 32)
        l.channels = {Channel(0xFF0000), Channel(0xFF00), Channel(0xFF)};

    if (l.bits <= 8)
        readPalette(headersEnd, used, infoSize == 12 ? 3 : 4);

    if (l.pixelOffset < headersEnd || l.pixelOffset > size_)
        refuse("The bitmap data offset is invalid.");
    const qint64 available = size_ - l.pixelOffset;
    if (rle) {
        // Even the worst encoding needs no more than two bytes a pixel and two for each row end.
        const qint64 most = 2 * width * height + 2 * height + 2;
        qint64 size = l.compressedSize > 0 ? std::min(l.compressedSize, available) : available;
        l.compressedSize = std::min(size, most);
    } else {
        const qint64 stride = (width * l.bits + 31) / 32 * 4;
        if (stride * height > available)
            truncated();
    }
}

void BitmapReader::readPalette(qint64 offset, std::uint32_t used, int entrySize)
{
    const std::uint32_t most = 1u << layout_.bits;
    const std::uint32_t entries = used == 0 ? most : std::min(used, most);
    const QByteArray data = readAt(offset, qint64(entries) * entrySize);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const auto* bgr = reinterpret_cast<const uchar*>(data.constData()) + i * entrySize;
        layout_.palette[i] = {bgr[2], bgr[1], bgr[0]};
    }
}

void BitmapReader::convertRow(const uchar* in, uchar* out) const
{
    const int width = layout_.width;
    switch (layout_.bits) {
    case 24: // into a BGR image
        std::memcpy(out, in, std::size_t(width) * 3);
        break;
    case 16:
    case 32: {
        const auto& [red, green, blue] = layout_.channels;
        const int bytes = layout_.bits / 8;
        for (int x = 0; x < width; ++x, in += bytes, out += 3) {
            const std::uint32_t p = bytes == 2 ? std::uint32_t(in[0] | in[1] << 8)
                                               : std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 |
                                                     std::uint32_t(in[2]) << 16 |
                                                     std::uint32_t(in[3]) << 24;
            out[0] = red(p);
            out[1] = green(p);
            out[2] = blue(p);
        }
        break;
    }
    default: {
        // 1, 4 or 8 bits of palette index, the leftmost pixel in the high bits.
        const int bits = layout_.bits;
        const int perByte = 8 / bits;
        const unsigned mask = (1u << bits) - 1;
        for (int x = 0; x < width; ++x, out += 3) {
            const int shift = 8 - bits * (x % perByte + 1);
            const Rgb& c = layout_.palette[(in[x / perByte] >> shift) & mask];
            out[0] = c.r;
            out[1] = c.g;
            out[2] = c.b;
        }
    }
    }
}

void BitmapReader::readRows(QImage& image)
{
    const BitmapLayout& l = layout_;
    const qint64 stride = (qint64(l.width) * l.bits + 31) / 32 * 4;
    const int stripRows = int(std::clamp<qint64>(StripBytes / stride, 1, l.height));
    std::vector<uchar> strip(std::size_t(stripRows * stride));
    if (!file_.seek(l.pixelOffset))
        truncated();
    for (int first = 0; first < l.height; first += stripRows) {
        const int count = std::min(stripRows, l.height - first);
        if (file_.read(reinterpret_cast<char*>(strip.data()), count * stride) != count * stride)
            truncated();
        for (int i = 0; i < count; ++i) {
            const int row = first + i; // in file order
            convertRow(strip.data() + i * stride,
                       image.scanLine(l.topDown ? row : l.height - 1 - row));
        }
        pumpEvents();
    }
}

void BitmapReader::readRle(QImage& image)
{
    // Pixels that the encoding skips stay black.
    image.fill(Qt::black);
    const BitmapLayout& l = layout_;
    const QByteArray data = readAt(l.pixelOffset, l.compressedSize);
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    const bool four = l.compression == Rle4;
    int x = 0, y = 0; // y counts rows from the bottom
    const auto put = [&](unsigned index) {
        if (x < l.width) {
            uchar* out = image.scanLine(l.height - 1 - y) + 3 * x;
            const Rgb& c = l.palette[index];
            out[0] = c.r;
            out[1] = c.g;
            out[2] = c.b;
        }
        ++x;
    };
    qint64 pos = 0;
    while (y < l.height) {
        if (pos + 2 > size)
            truncated();
        const int count = d[pos];
        const int code = d[pos + 1];
        pos += 2;
        if (count > 0) { // a run of one byte's pixels
            for (int i = 0; i < count && x < l.width; ++i)
                put(four ? (i % 2 ? code & 15 : code >> 4) : code);
        } else if (code == 0) { // end of row
            x = 0;
            ++y;
        } else if (code == 1) { // end of picture
            break;
        } else if (code == 2) { // move right and up
            if (pos + 2 > size)
                truncated();
            x = std::min(x + d[pos], l.width); // kept small: nothing is drawn beyond anyway
            y += d[pos + 1];
            pos += 2;
        } else { // code pixels as they are, padded to an even number of bytes
            const qint64 bytes = four ? (code + 1) / 2 : code;
            if (pos + bytes > size)
                truncated();
            for (int i = 0; i < code && x < l.width; ++i)
                put(four ? (i % 2 ? d[pos + i / 2] & 15 : d[pos + i / 2] >> 4) : d[pos + i]);
            pos += bytes + (bytes & 1);
        }
    }
}

} // namespace

QImage decodeBitmap(const QString& path) { return BitmapReader(path).read(); }
