#include "samples.h"

#include "automode/catalog.h"
#include "common/errors.h"
#include "common/partialdownload.h"
#include "common/paths.h"
#include "common/service.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "download.h"
#include "platform/files.h"
#include "wallpaper/picture.h"

#include <QPainter>

namespace {

// The code whose preview list the service publishes; none for an index without one.
std::optional<QString> previewCode(const QStringList& codes, int index)
{
    try {
        const QString code = categoryCode(codes, index);
        if (!code.isEmpty())
            return code;
    } catch (const AppError&) {
        // No entry, or one that can not name a file: there is no list to ask for.
    }
    return std::nullopt;
}

// The first lines of the category's list, fetched afresh; none when it did not arrive. The last
// list that did arrive stays in previewFolder() until a new one replaces it.
QStringList fetchPreviewList(HttpClient& http, const QString& code)
{
    const QString kept = joinPath(previewFolder(), code);
    // No name from the service starts with a dot, so this one is never a sample's.
    const QString arriving = joinPath(previewFolder(), u'.' + code + QStringLiteral(".new"));
    DoDownload(http, serviceBaseUrl() + QStringLiteral("/preview/") + code, arriving);
    if (!platform::fileExists(toStd(arriving)))
        return {};
    const QStringList lines = readFirstTextLines(arriving, SampleBoxCount);
    if (!platform::moveFileReplacing(toStd(arriving), toStd(kept)))
        platform::deleteFile(toStd(arriving));
    return lines;
}

QImage loadSample(HttpClient& http, const QString& url)
{
    const std::optional<QString> file = sampleFile(url);
    if (!file)
        throw AppError(QStringLiteral("The sample \"%1\" is not fetched.").arg(url));
    if (!platform::fileExists(toStd(*file)))
        DownloadFile(http, url, *file, DownloadKind::Picture);
    try {
        std::optional<QImage> sample = LoadPictureAsBitmap(*file);
        if (!sample)
            throw AppError(QStringLiteral("The sample \"%1\" did not arrive.").arg(url));
        return std::move(*sample);
    } catch (const InvalidPictureError&) {
        platform::deleteFile(toStd(*file));
        throw;
    }
}

} // namespace

QString previewFolder() { return userDataPath(QStringLiteral("Preview")); }

std::optional<QString> sampleFile(const QString& url)
{
    if (!url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
        !url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return std::nullopt;
    const qsizetype cut =
        std::max({url.lastIndexOf(u'/'), url.lastIndexOf(u'\\'), url.lastIndexOf(u':')});
    const QString name = url.mid(cut + 1);
    if (!isSafeFileName(name))
        return std::nullopt;
    return joinPath(previewFolder(), name);
}

QImage sampleInBox(const QImage& sample, QSize box)
{
    QImage result(box, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    const QRect placed(
        QPoint((box.width() - sample.width()) / 2, (box.height() - sample.height()) / 2),
        sample.size());
    const QRect visible = placed & result.rect();
    QPainter painter(&result);
    painter.drawImage(visible.topLeft(), sample, visible.translated(-placed.topLeft()));
    return result;
}

void LoadCategorySamples(HttpClient& http, const QStringList& codes, int index,
                         const QString& placeholderPath, SampleBoxes& boxes)
{
    removeAbandonedDownloads(previewFolder());
    QStringList lines;
    if (const std::optional<QString> code = previewCode(codes, index))
        lines = fetchPreviewList(http, *code);
    for (int box = 0; box < SampleBoxCount; ++box)
        boxes.showInBox(box, QImage());
    const QSize size = boxes.boxSize();
    QImage placeholder;
    for (int box = 0; box < SampleBoxCount; ++box) {
        if (box < lines.size()) {
            boxes.showInBox(box, sampleInBox(loadSample(http, lines.at(box)), size));
            continue;
        }
        if (placeholder.isNull())
            placeholder = ShowPreviewScaled(LoadPictureAsBitmap(placeholderPath), size);
        boxes.showInBox(box, placeholder);
    }
}
