#include "samples.h"

#include "collection.h"
#include "common/errors.h"
#include "demopicture.h"
#include "wallpaper/picture.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

std::string makeSample(const std::string& bytes, const std::string& file)
{
    // The program's own loader, with its limits: it reads files only, so the picture goes into a
    // private temporary folder under its own extension.
    QTemporaryDir dir;
    if (!dir.isValid())
        throw AppError(QStringLiteral("no temporary folder for the samples"));
    const auto dot = file.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : file.substr(dot);
    const QString path =
        dir.filePath(QStringLiteral("picture") + QString::fromStdString(extension));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()))
        throw AppError(QStringLiteral("can not write %1").arg(path));
    out.close();
    const std::optional<QImage> picture = LoadPictureAsBitmap(path);
    if (!picture || picture->isNull())
        throw AppError(
            QStringLiteral("the picture %1 can not be read").arg(QString::fromStdString(file)));
    const QSize box(SampleWidth, SampleHeight);
    const QImage covering =
        picture->scaled(box, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    const QImage sample =
        covering.copy((covering.width() - box.width()) / 2, (covering.height() - box.height()) / 2,
                      box.width(), box.height());
    const QByteArray encoded = encodePicture(sample, pictureContentType(file) == "image/bmp");
    return std::string(encoded.constData(), static_cast<std::size_t>(encoded.size()));
}
