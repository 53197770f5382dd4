#include "jpeg.h"

#include "bmp.h"
#include "common/errors.h"
#include "common/pump.h"
#include "common/regularfile.h"
#include "common/replacingfile.h"

#include <QFile>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h expects size_t and FILE to be declared
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo is needed: the bitmap is decoded straight to BGR (JCS_EXT_BGR)"
#endif

namespace {

// The memory libjpeg may take for itself. The large blocks are the whole-image coefficient buffers
// of progressive files, 2 bytes per sample: 1 GiB holds a 4:2:0 colour picture of the largest size
// accepted, but not a crafted file that claims many components or full-resolution ones.
constexpr long MaxDecoderMemory = 1L << 30;

// How much input is read per call, and roughly how much of the bitmap is decoded before it is
// written out.
constexpr qint64 InputChunk = 64 * 1024;
constexpr qint64 StripBytes = 1024 * 1024;

// libjpeg's error_exit must not return. It jumps back to the step that called into libjpeg, which
// then throws from plain C++ code, so that no exception ever unwinds through libjpeg's frames.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jumpOut(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// Corrupt-data warnings leave a picture worth showing (the damaged blocks are grey or smeared, as
// in any viewer), so they are only counted. Trace messages are dropped: there is no console.
void countWarnings(j_common_ptr cinfo, int level)
{
    if (level < 0)
        ++cinfo->err->num_warnings;
}

void printNothing(j_common_ptr) {}

void initErrorManager(ErrorManager& manager)
{
    jpeg_std_error(&manager.pub);
    manager.pub.error_exit = jumpOut;
    manager.pub.emit_message = countWarnings;
    manager.pub.output_message = printNothing;
    manager.message[0] = '\0';
}

// Runs one step that calls into libjpeg; false when libjpeg gave up (the text is in the manager).
// The step must not keep objects with destructors alive across its libjpeg calls.
template <class Step> bool succeeds(ErrorManager& manager, const Step& step)
{
    if (setjmp(manager.jump) != 0)
        return false;
    step();
    return true;
}

// Input read through QFile: paths in any script work everywhere, and a file that ends early stops
// the decoder. libjpeg's own sources would only warn (JWRN_JPEG_EOF) and pad the rest with grey,
// which is not a picture to put on the desktop.
struct FileSource {
    jpeg_source_mgr pub;
    QFile* file;
    std::vector<JOCTET> buffer;
};

boolean fillInput(j_decompress_ptr cinfo)
{
    auto* source = reinterpret_cast<FileSource*>(cinfo->src);
    const qint64 count =
        source->file->read(reinterpret_cast<char*>(source->buffer.data()), InputChunk);
    if (count <= 0)
        ERREXIT(cinfo, JERR_INPUT_EOF);
    source->pub.next_input_byte = source->buffer.data();
    source->pub.bytes_in_buffer = static_cast<size_t>(count);
    return TRUE;
}

void skipInput(j_decompress_ptr cinfo, long count)
{
    // Only markers the decoder does not use are skipped, and they are short: read through them.
    jpeg_source_mgr* source = cinfo->src;
    while (count > static_cast<long>(source->bytes_in_buffer)) {
        count -= static_cast<long>(source->bytes_in_buffer);
        fillInput(cinfo);
    }
    if (count > 0) {
        source->next_input_byte += count;
        source->bytes_in_buffer -= static_cast<size_t>(count);
    }
}

enum class PixelOrder { Rgb, Bgr };

// One JPEG being decoded: open() reads and checks the header, start() begins decoding, and rows
// then come in order from the top. Every libjpeg failure is thrown as InvalidPictureError.
class JpegReader {
public:
    JpegReader()
    {
        initErrorManager(errors_);
        cinfo_.err = &errors_.pub;
        created_ = succeeds(errors_, [this] { jpeg_create_decompress(&cinfo_); });
    }
    ~JpegReader() { jpeg_destroy_decompress(&cinfo_); }
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;

    void open(const QString& path);
    void start(PixelOrder order);
    // Decodes the next count rows into rows[0..count), each width() * 3 bytes.
    void readRows(JSAMPROW* rows, int count);

    int width() const { return static_cast<int>(cinfo_.output_width); }
    int height() const { return static_cast<int>(cinfo_.output_height); }

private:
    [[noreturn]] void fail() const
    {
        throw InvalidPictureError(QStringLiteral("Cannot read the picture \"%1\". %2")
                                      .arg(path_, QString::fromLocal8Bit(errors_.message)));
    }
    // Runs a step that calls into libjpeg, throwing what libjpeg reported if it gave up.
    template <class Step> void run(const Step& step)
    {
        if (!succeeds(errors_, step))
            fail();
    }
    void convertCmyk(JSAMPROW* rows, int count) const;

    QString path_;
    RegularFile file_;
    FileSource source_{};
    ErrorManager errors_{};
    jpeg_decompress_struct cinfo_{};
    bool created_ = false;
    PixelOrder order_ = PixelOrder::Rgb;
    bool cmyk_ = false;
    std::vector<JSAMPLE> cmykRows_;
    std::vector<JSAMPROW> cmykPointers_;
};

void JpegReader::open(const QString& path)
{
    path_ = path;
    if (!created_)
        fail();
    cinfo_.mem->max_memory_to_use = MaxDecoderMemory;

    file_.setFileName(path);
    if (!file_.openForReading(QIODevice::Unbuffered))
        throw InvalidPictureError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, file_.errorString()));
    source_.file = &file_;
    source_.buffer.resize(InputChunk);
    source_.pub.init_source = [](j_decompress_ptr) {};
    source_.pub.fill_input_buffer = fillInput;
    source_.pub.skip_input_data = skipInput;
    source_.pub.resync_to_restart = jpeg_resync_to_restart;
    source_.pub.term_source = [](j_decompress_ptr) {};
    cinfo_.src = &source_.pub;

    run([this] { jpeg_read_header(&cinfo_, TRUE); });
    const long long w = cinfo_.image_width;
    const long long h = cinfo_.image_height;
    if (w > MaxJpegSide || h > MaxJpegSide || w * h > MaxJpegPixels)
        throw InvalidPictureError(
            QStringLiteral("The picture \"%1\" is too large (%2 x %3 pixels); "
                           "the most is %4 pixels a side and %5 million "
                           "pixels in all.")
                .arg(path)
                .arg(w)
                .arg(h)
                .arg(MaxJpegSide)
                .arg(MaxJpegPixels / 1'000'000));
}

void JpegReader::start(PixelOrder order)
{
    order_ = order;
    // libjpeg converts YCbCr, RGB and grey to the byte order we need (grey is replicated). CMYK
    // and YCCK come out as CMYK and are converted here, as libjpeg does not do it.
    cmyk_ = cinfo_.jpeg_color_space == JCS_CMYK || cinfo_.jpeg_color_space == JCS_YCCK;
    if (cmyk_)
        cinfo_.out_color_space = JCS_CMYK;
    else
        cinfo_.out_color_space = order == PixelOrder::Bgr ? JCS_EXT_BGR : JCS_EXT_RGB;
    // The large buffers are allocated here, after open() has checked the size.
    run([this] { jpeg_start_decompress(&cinfo_); });
}

void JpegReader::readRows(JSAMPROW* rows, int count)
{
    JSAMPROW* decoded = rows;
    if (cmyk_) {
        const std::size_t rowBytes = std::size_t(width()) * 4;
        if (cmykPointers_.size() < std::size_t(count)) {
            cmykRows_.resize(rowBytes * std::size_t(count));
            cmykPointers_.resize(std::size_t(count));
            for (std::size_t i = 0; i < cmykPointers_.size(); ++i)
                cmykPointers_[i] = cmykRows_.data() + rowBytes * i;
        }
        decoded = cmykPointers_.data();
    }
    run([&] {
        int done = 0;
        while (done < count)
            done += static_cast<int>(jpeg_read_scanlines(&cinfo_, decoded + done,
                                                         static_cast<JDIMENSION>(count - done)));
    });
    if (cmyk_)
        convertCmyk(rows, count);
}

void JpegReader::convertCmyk(JSAMPROW* rows, int count) const
{
    // Photoshop writes Adobe-marked CMYK inverted (0 = full ink); without the marker 0 = no ink.
    const bool inverted = cinfo_.saw_Adobe_marker;
    const int r = order_ == PixelOrder::Rgb ? 0 : 2;
    const int b = 2 - r;
    for (int y = 0; y < count; ++y) {
        const JSAMPLE* in = cmykPointers_[std::size_t(y)];
        JSAMPLE* out = rows[y];
        for (int x = 0; x < width(); ++x, in += 4, out += 3) {
            const unsigned k = inverted ? in[3] : 255u - in[3];
            const auto channel = [&](unsigned ink) {
                const unsigned paper = inverted ? ink : 255u - ink;
                return static_cast<JSAMPLE>((paper * k + 127) / 255);
            };
            out[r] = channel(in[0]);
            out[1] = channel(in[1]);
            out[b] = channel(in[2]);
        }
    }
}

constexpr qint64 OutputChunk = 64 * 1024;

// Output written straight into the temporary file; a refused write stops the encoder.
struct FileDestination {
    jpeg_destination_mgr pub;
    QFileDevice* file;
    std::vector<JOCTET> buffer;
};

void initDestination(j_compress_ptr cinfo)
{
    auto* destination = reinterpret_cast<FileDestination*>(cinfo->dest);
    destination->pub.next_output_byte = destination->buffer.data();
    destination->pub.free_in_buffer = destination->buffer.size();
}

void writeOutput(j_compress_ptr cinfo, qint64 size)
{
    auto* destination = reinterpret_cast<FileDestination*>(cinfo->dest);
    if (destination->file->write(reinterpret_cast<const char*>(destination->buffer.data()), size) !=
        size)
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

boolean emptyOutput(j_compress_ptr cinfo)
{
    // libjpeg calls this with the whole buffer full, whatever free_in_buffer says.
    writeOutput(cinfo, OutputChunk);
    initDestination(cinfo);
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    writeOutput(cinfo, OutputChunk - static_cast<qint64>(cinfo->dest->free_in_buffer));
}

} // namespace

void ConvertJpegToBitmapFile(const QString& jpegPath, const QString& bitmapPath)
{
    JpegReader reader;
    reader.open(jpegPath);
    reader.start(PixelOrder::Bgr);
    const int width = reader.width();
    const int height = reader.height();
    BitmapFileWriter file(bitmapPath, width, height);

    // Each strip of rows from the decoder is laid out upside down in the buffer, which makes it
    // one contiguous run of the bottom-up file, written at once. The row padding stays zero as
    // libjpeg writes only width * 3 bytes of each row.
    const qint64 stride = file.stride();
    const int stripRows = static_cast<int>(std::clamp<qint64>(StripBytes / stride, 1, height));
    std::vector<JSAMPLE> strip(std::size_t(stripRows) * std::size_t(stride), 0);
    std::vector<JSAMPROW> rows(static_cast<std::size_t>(stripRows));
    for (int top = 0; top < height; top += stripRows) {
        const int count = std::min(stripRows, height - top);
        for (int i = 0; i < count; ++i)
            rows[std::size_t(i)] = strip.data() + std::size_t(count - 1 - i) * std::size_t(stride);
        reader.readRows(rows.data(), count);
        file.writeRows(top, count, strip.data());
        pumpEvents();
    }
    file.commit();
}

QImage decodeJpeg(const QString& jpegPath)
{
    JpegReader reader;
    reader.open(jpegPath);
    reader.start(PixelOrder::Rgb);
    QImage image(reader.width(), reader.height(), QImage::Format_RGB888);
    if (image.isNull())
        throw AppError(QStringLiteral("Not enough memory for the picture \"%1\".").arg(jpegPath));
    std::vector<JSAMPROW> rows(static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y)
        rows[std::size_t(y)] = image.scanLine(y);
    const int stripRows =
        static_cast<int>(std::clamp<qint64>(StripBytes / image.bytesPerLine(), 1, image.height()));
    for (int top = 0; top < image.height(); top += stripRows) {
        reader.readRows(rows.data() + top, std::min(stripRows, image.height() - top));
        pumpEvents();
    }
    return image;
}

void encodeJpeg(const QImage& image, const QString& jpegPath, int quality,
                ReplacingFile::Durability durability)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        throw AppError(QStringLiteral("Cannot create file \"%1\". There is no picture to write.")
                           .arg(jpegPath));

    ReplacingFile file(jpegPath, durability);
    FileDestination destination{};
    destination.file = &file.device();
    destination.buffer.resize(OutputChunk);
    destination.pub.init_destination = initDestination;
    destination.pub.empty_output_buffer = emptyOutput;
    destination.pub.term_destination = termDestination;

    ErrorManager errors{};
    initErrorManager(errors);
    jpeg_compress_struct cinfo{};
    cinfo.err = &errors.pub;
    const bool encoded = succeeds(errors, [&] {
        jpeg_create_compress(&cinfo);
        cinfo.dest = &destination.pub;
        cinfo.image_width = static_cast<JDIMENSION>(rgb.width());
        cinfo.image_height = static_cast<JDIMENSION>(rgb.height());
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, quality, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            // libjpeg's API is not const-correct; it only reads the row.
            JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(cinfo.next_scanline)));
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
    });
    jpeg_destroy_compress(&cinfo);
    if (!encoded) {
        const QString reason = destination.file->error() != QFileDevice::NoError
                                   ? destination.file->errorString()
                                   : QString::fromLocal8Bit(errors.message);
        throw AppError(QStringLiteral("Cannot create file \"%1\". %2").arg(jpegPath, reason));
    }
    file.commit();
}
