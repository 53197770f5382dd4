// Draws the placeholder shown when there is no picture to show, data/noimg.jpg.

#include "common/errors.h"
#include "wallpaper/jpeg.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tapestron-mknoimg <out.jpg>\n");
        return 2;
    }
    QImage image(400, 300, QImage::Format_RGB888);
    image.fill(QColor(0x5a, 0x5f, 0x66));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QPen(QColor(0x8a, 0x90, 0x98), 2));
    painter.drawRect(QRectF(10.5, 10.5, 379, 279));
    // Arial where it exists; the metric-compatible Liberation Sans elsewhere.
    QFont font(QStringLiteral("Arial"));
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(26);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0xf0, 0xf0, 0xf0));
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("No picture available"));
    painter.end();
    try {
        encodeJpeg(image, QString::fromLocal8Bit(argv[1]), 90);
    } catch (const AppError& error) {
        std::fprintf(stderr, "tapestron-mknoimg: %s\n", error.what());
        return 1;
    }
    return 0;
}
