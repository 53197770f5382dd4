#include "demopicture.h"

#include "common/errors.h"
#include "wallpaper/jpeg.h"

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTemporaryDir>

#include <random>

namespace {

QByteArray encodeAsJpeg(const QImage& image)
{
    // encodeJpeg writes files only; a private temporary folder keeps concurrent calls apart.
    QTemporaryDir dir;
    if (!dir.isValid())
        throw AppError(QStringLiteral("no temporary folder for the demo pictures"));
    const QString path = dir.filePath(QStringLiteral("picture.jpg"));
    encodeJpeg(image, path, 88);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("demo picture vanished"));
    return file.readAll();
}

QByteArray encodeAsBitmap(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // RGB888 so that Qt writes a plain 24-bit bitmap.
    image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
    return bytes;
}

} // namespace

QByteArray drawDemoPicture(const QString& title, unsigned seed, bool bitmap)
{
    std::mt19937 random(seed);
    const auto colour = [&random] {
        std::uniform_int_distribution<int> part(0, 255);
        return QColor(part(random), part(random), part(random));
    };
    const int w = DemoPictureWidth;
    const int h = DemoPictureHeight;
    QImage image(w, h, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient background(0, 0, w, h);
    background.setColorAt(0, colour());
    background.setColorAt(1, colour());
    painter.fillRect(image.rect(), background);

    std::uniform_int_distribution<int> x(0, w), y(0, h), size(60, 420);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 7; ++i) {
        QColor fill = colour();
        fill.setAlpha(150);
        const QRectF box(x(random) - 200, y(random) - 200, size(random), size(random));
        if (i % 2 == 0) {
            QRadialGradient glow(box.center(), box.width() / 2);
            glow.setColorAt(0, fill);
            glow.setColorAt(1, Qt::transparent);
            painter.setBrush(glow);
            painter.drawEllipse(box);
        } else {
            painter.setBrush(fill);
            painter.drawRoundedRect(box, 24, 24);
        }
    }

    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(44);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(QColor(255, 255, 255, 220));
        painter.drawText(QRect(40, h - 120, w - 80, 80), Qt::AlignLeft | Qt::AlignVCenter, title);
    }
    painter.end();
    return encodePicture(image, bitmap);
}

QByteArray encodePicture(const QImage& image, bool bitmap)
{
    return bitmap ? encodeAsBitmap(image) : encodeAsJpeg(image);
}
