#include "desktoppainter.h"

#include "bmp.h"
#include "common/errors.h"
#include "common/strings.h"
#include "jpeg.h"

#include <QFile>
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(3);
    file.close();
    if (head.startsWith("BM"))
        return decodeBitmap(path);
    if (head.startsWith("\xFF\xD8\xFF"))
        return decodeJpeg(path);
    QImageReader reader(path);
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

} // namespace

bool DesktopPainter::paint(const std::string& path, platform::Placement placement, int x, int y,
                           std::uint32_t background, int width, int height,
                           std::uint32_t* canvas)
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
    const QSize size(width, height);
    if (placement == Placement::Stretched && picture.size() == size) {
        // The common case of a picture made for the screen: no scaling at all.
        QPainter(&screen).drawImage(0, 0, picture);
        return true;
    }
    QPainter painter(&screen);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double across = double(width) / picture.width();
    const double down = double(height) / picture.height();
    switch (placement) {
    case Placement::Centred:
        painter.drawImage((width - picture.width()) / 2, (height - picture.height()) / 2, picture);
        break;
    case Placement::Tiled:
        for (int top = 0; top < height; top += picture.height())
            for (int left = 0; left < width; left += picture.width())
                painter.drawImage(left, top, picture);
        break;
    case Placement::Stretched:
        painter.drawImage(QRect(QPoint(0, 0), size), picture);
        break;
    case Placement::Fit:
        painter.drawImage(centredScaled(size, picture.size(), std::min(across, down)), picture);
        break;
    case Placement::Fill:
    case Placement::Span:
        painter.drawImage(centredScaled(size, picture.size(), std::max(across, down)), picture);
        break;
    case Placement::Origin:
        painter.drawImage(x, y, picture);
        break;
    }
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
