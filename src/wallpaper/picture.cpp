#include "picture.h"

#include "bmp.h"
#include "common/errors.h"
#include "common/paths.h"
#include "common/pump.h"
#include "common/strings.h"
#include "jpeg.h"
#include "platform/files.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// The extension from the last "." of the file name, lower-cased; empty without one.
QString extensionOf(const QString& path)
{
    const QString name = fileNameOf(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

// Windows' MulDiv: a * b / c with a 64-bit product, rounded half away from zero.
int mulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    long long quotient = product / c;
    const long long remainder = product % c;
    if (2 * std::abs(remainder) >= std::abs(static_cast<long long>(c)))
        quotient += (product < 0) == (c < 0) ? 1 : -1;
    return static_cast<int>(quotient);
}

} // namespace

QImage reducedTo32Bits(const QImage& picture, QRect source, QSize box)
{
    source = source.intersected(picture.rect());
    const int k = std::max(1, std::min(source.width() / std::max(1, box.width()),
                                       source.height() / std::max(1, box.height())));
    if (k < 2 || picture.format() != QImage::Format_RGB888)
        return (source == picture.rect() ? picture : picture.copy(source))
            .convertToFormat(QImage::Format_RGB32);
    QImage reduced(source.width() / k, source.height() / k, QImage::Format_RGB32);
    std::vector<unsigned> sums(static_cast<std::size_t>(reduced.width()) * 3);
    const unsigned count = static_cast<unsigned>(k * k);
    for (int y = 0; y < reduced.height(); ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int row = source.top() + y * k; row < source.top() + (y + 1) * k; ++row) {
            const uchar* from = picture.constScanLine(row) + 3 * source.left();
            for (int x = 0; x < reduced.width(); ++x)
                for (int i = 0; i < k; ++i, from += 3) {
                    sums[3 * x] += from[0];
                    sums[3 * x + 1] += from[1];
                    sums[3 * x + 2] += from[2];
                }
        }
        auto* to = reinterpret_cast<QRgb*>(reduced.scanLine(y));
        for (int x = 0; x < reduced.width(); ++x)
            to[x] = qRgb(int((sums[3 * x] + count / 2) / count),
                         int((sums[3 * x + 1] + count / 2) / count),
                         int((sums[3 * x + 2] + count / 2) / count));
        if (y % 64 == 63)
            pumpEvents();
    }
    return reduced;
}

std::optional<QImage> LoadPictureAsBitmap(const QString& path)
{
    if (!platform::fileExists(toStd(path)))
        return std::nullopt;
    const QString extension = extensionOf(path);
    if (extension == QLatin1String(".bmp"))
        return decodeBitmap(path);
    if (extension == QLatin1String(".jpg") || extension == QLatin1String(".jpeg"))
        return decodeJpeg(path);
    throw InvalidPictureError(
        QStringLiteral("The picture \"%1\" is not of a supported kind (%2).")
            .arg(path, extension.isEmpty() ? QStringLiteral("no extension") : extension));
}

QRect previewTargetRect(QSize box, QSize picture)
{
    const int W = box.width(), H = box.height(), w = picture.width(), h = picture.height();
    if (W <= 0 || H <= 0 || w <= 0 || h <= 0)
        return {};
    if (double(W) / H > double(w) / h) {
        const int dw = mulDiv(H, w, h);
        return {(W - dw) / 2, 0, dw, H};
    }
    const int dh = mulDiv(W, h, w);
    return {0, (H - dh) / 2, W, dh};
}

QImage ShowPreviewScaled(std::optional<QImage> picture, QSize box)
{
    // Taken over by value: the caller's bitmap is gone however this ends.
    const std::optional<QImage> owned = std::move(picture);
    if (!owned || owned->isNull())
        throw AppError(QStringLiteral("There is no picture to show."));
    QImage work(box, QImage::Format_RGB888);
    if (work.isNull())
        return work;
    work.fill(Qt::white);
    const QRect target = previewTargetRect(box, owned->size());
    if (target.isEmpty())
        return work;
    // One smooth reduction (or enlargement) straight to the target size, then drawn 1:1. Qt
    // averages areas only for 32-bit pictures (a 24-bit one would be sampled through its general
    // transform, some fifty times slower on a 4K picture and coarser), so the picture is first
    // brought to 32 bits, averaged down by a whole factor on the way when it is much larger.
    const QImage scaled =
        reducedTo32Bits(*owned, owned->rect(), target.size())
            .scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&work);
    painter.drawImage(target.topLeft(), scaled);
    painter.end();
    return work;
}

void StampCaption(QImage& picture, const QString& caption)
{
    if (caption.isEmpty() || picture.isNull())
        return;
    // 12 points as on a 96 dpi screen, whatever resolution the picture states.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(16);
    // The position is the top-left of the text cell; a path places text by its baseline.
    const int ascent = QFontMetrics(font).ascent();
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addText(5, picture.height() - 50 + ascent, font, caption);

    const QColor grey(192, 192, 192);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(grey, 1));
    painter.setBrush(grey);
    painter.drawPath(path);
}
