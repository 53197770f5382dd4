#include "testpictures.h"

#include "wallpaper/jpeg.h"

#include <QColor>
#include <QPainter>

#include <algorithm>

QImage makeTestImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    // Red runs left to right and green top to bottom, so a mirrored or flipped copy differs
    // everywhere; blue rises and falls diagonally in 8-pixel steps.
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<uchar>(width > 1 ? 255 * x / (width - 1) : 0);
            row[3 * x + 1] = static_cast<uchar>(height > 1 ? 255 * y / (height - 1) : 0);
            const int step = (x / 8 + y / 8) * 24 % 512;
            row[3 * x + 2] = static_cast<uchar>(step < 256 ? step : 511 - step);
        }
    }
    // Solid blocks with sharp edges near the corners, where an off-by-one row or column shows.
    QPainter painter(&image);
    const int bw = std::max(1, width / 5);
    const int bh = std::max(1, height / 5);
    painter.fillRect(0, 0, bw, bh, QColor(250, 20, 20));
    painter.fillRect(width - bw, 0, bw, bh, QColor(20, 250, 20));
    painter.fillRect(0, height - bh, bw, bh, QColor(20, 20, 250));
    painter.fillRect(width - bw, height - bh, bw, bh, QColor(240, 240, 240));
    painter.fillRect(width / 2 - bw / 2, height / 2 - bh / 2, bw, bh, QColor(10, 10, 10));
    painter.end();
    return image;
}

void writeTestJpeg(const QString& path, int width, int height)
{
    encodeJpeg(makeTestImage(width, height), path, 90);
}
