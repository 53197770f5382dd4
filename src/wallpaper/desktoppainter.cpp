#include "desktoppainter.h"

#include "bmp.h"
#include "common/errors.h"
#include "common/regularfile.h"
#include "common/strings.h"
#include "jpeg.h"
#include "picture.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// Bitmaps and JPEG through the program's own checked decoders; anything else Qt reads (a PNG the
// user had as a wallpaper, say) through Qt.
QImage decodeByContent(const QString& path)
{
    RegularFile file(path);
    if (!file.openForReading())
        return {};
    const QByteArray head = file.peek(3);
    if (head.startsWith("BM"))
        return decodeBitmap(path);
    if (head.startsWith("\xFF\xD8\xFF"))
        return decodeJpeg(path);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

// The picture scaled by factor, centred on the canvas (and cut at its edges).
QRect centredScaled(QSize canvas, QSize picture, double factor)
{
    const int w = std::max(1, static_cast<int>(std::lround(picture.width() * factor)));
    const int h = std::max(1, static_cast<int>(std::lround(picture.height() * factor)));
    return {(canvas.width() - w) / 2, (canvas.height() - h) / 2, w, h};
}

// Where the picture goes on a canvas of size; its size is the picture's own unless the
// placement scales it.
QRect targetOf(platform::Placement placement, QSize canvas, QSize picture, int x, int y)
{
    using platform::Placement;
    const double across = double(canvas.width()) / picture.width();
    const double down = double(canvas.height()) / picture.height();
    switch (placement) {
    case Placement::Stretched:
        return QRect(QPoint(0, 0), canvas);
    case Placement::Fit:
        return centredScaled(canvas, picture, std::min(across, down));
    case Placement::Fill:
    case Placement::Span:
        return centredScaled(canvas, picture, std::max(across, down));
    case Placement::Origin:
        return QRect(QPoint(x, y), picture);
    case Placement::Centred:
    case Placement::Tiled:
        break;
    }
    return QRect(
        QPoint((canvas.width() - picture.width()) / 2, (canvas.height() - picture.height()) / 2),
        picture);
}

// A 24-bit picture at its own size straight into the canvas, cut at its edges: converting it
// whole first would cost a second screen-sized picture in memory.
void copyRows(const QImage& picture, QImage& screen, QPoint at)
{
    const QRect shown = QRect(at, picture.size()).intersected(screen.rect());
    for (int y = shown.top(); y <= shown.bottom(); ++y) {
        const uchar* from = picture.constScanLine(y - at.y()) + 3 * (shown.left() - at.x());
        auto* to = reinterpret_cast<QRgb*>(screen.scanLine(y)) + shown.left();
        for (int x = 0; x < shown.width(); ++x, from += 3)
            to[x] = qRgb(from[0], from[1], from[2]);
    }
}

} // namespace

bool DesktopPainter::paint(const std::string& path, platform::Placement placement, int x, int y,
                           std::uint32_t background, int width, int height, std::uint32_t* canvas)
{
    using platform::Placement;
    QImage picture;
    try {
        picture = decodeByContent(fromStd(path));
    } catch (const AppError&) {
        return false;
    }
    if (picture.isNull() || width <= 0 || height <= 0)
        return false;

    QImage screen(reinterpret_cast<uchar*>(canvas), width, height, width * 4, QImage::Format_RGB32);
    screen.fill(0xFF000000u | background);
    QRect target = targetOf(placement, screen.size(), picture.size(), x, y);
    if (target.size() == picture.size() && placement != Placement::Tiled &&
        picture.format() == QImage::Format_RGB888) {
        copyRows(picture, screen, target.topLeft());
        return true;
    }
    // Only the part that shows is converted to the canvas's own format (drawing is then a copy of
    // rows, and Qt's smooth scaling averages areas), so a large picture never has a second
    // full-size copy made of it.
    if (target.size() != picture.size()) {
        const QRect visible = target.intersected(screen.rect());
        if (visible.isEmpty())
            return true;
        const double sx = double(picture.width()) / target.width();
        const double sy = double(picture.height()) / target.height();
        const QRect source =
            QRect(
                QPoint(static_cast<int>(std::floor((visible.left() - target.left()) * sx)),
                       static_cast<int>(std::floor((visible.top() - target.top()) * sy))),
                QPoint(static_cast<int>(std::ceil((visible.right() + 1 - target.left()) * sx)) - 1,
                       static_cast<int>(std::ceil((visible.bottom() + 1 - target.top()) * sy)) - 1))
                .intersected(picture.rect());
        picture = reducedTo32Bits(picture, source, visible.size())
                      .scaled(visible.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        target = visible;
    } else {
        // At its own size, tiles included, the picture shows from its top-left corner at most
        // one screen's worth.
        const QRect shown = placement == Placement::Tiled
                                ? QRect(0, 0, width, height).intersected(picture.rect())
                                : target.intersected(screen.rect()).translated(-target.topLeft());
        if (shown.isEmpty())
            return true;
        picture = reducedTo32Bits(picture, shown, shown.size());
        if (placement != Placement::Tiled)
            target = shown.translated(target.topLeft());
    }
    QPainter painter(&screen);
    if (placement != Placement::Tiled) {
        painter.drawImage(target.topLeft(), picture);
        return true;
    }
    for (int top = 0; top < height; top += picture.height())
        for (int left = 0; left < width; left += picture.width())
            painter.drawImage(left, top, picture);
    return true;
}

std::optional<platform::ScreenSize> DesktopPainter::primaryScreenSize()
{
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen)
        return std::nullopt;
    const QSize pixels = screen->size() * screen->devicePixelRatio();
    return platform::ScreenSize{pixels.width(), pixels.height()};
}
