#include "fuzzsupport.h"

#include "common/errors.h"
#include "wallpaper/bmp.h"

#include <QtEndian>

#include <cstdlib>

// The bitmap reader: whatever it accepts has exactly the size its header declares, in 24-bit RGB,
// and what it writes back reads as the same pixels.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Run-length bitmaps may declare any size within the limits whatever their length; pictures
    // of more than 16 megapixels are left to the test suite, so that every run stays quick.
    if (size < 26)
        return 0;
    const bool core = qFromLittleEndian<quint32>(data + 14) == 12;
    const qint64 declaredWidth =
        core ? qFromLittleEndian<quint16>(data + 18) : qFromLittleEndian<qint32>(data + 18);
    const qint64 declaredHeight = std::abs(core ? qint64(qFromLittleEndian<quint16>(data + 20))
                                                : qFromLittleEndian<qint32>(data + 22));
    if (declaredWidth * declaredHeight > 16 * 1024 * 1024)
        return 0;

    QImage picture;
    try {
        picture = decodeBitmap(writeScratch(QStringLiteral("in.bmp"), data, size));
    } catch (const InvalidPictureError&) {
        return 0;
    }
    fuzzCheck(picture.width() == declaredWidth && picture.height() == declaredHeight,
              "a decoded bitmap has the size its header declares");
    fuzzCheck(picture.format() == QImage::Format_RGB888, "a decoded bitmap is 24-bit RGB");

    // Small pictures also go through the writer and back.
    if (declaredWidth * declaredHeight > 4096)
        return 0;
    const QString copy = scratchPath(QStringLiteral("copy.bmp"));
    saveBitmap(picture, copy);
    fuzzCheck(decodeBitmap(copy) == picture, "a written bitmap reads back as the same pixels");
    return 0;
}
