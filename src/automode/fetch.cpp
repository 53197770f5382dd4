#include "fetch.h"

#include "catalog.h"
#include "common/collectfiles.h"
#include "common/errors.h"
#include "common/partialdownload.h"
#include "common/paths.h"
#include "common/service.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "platform/files.h"
#include "platform/system.h"
#include "settings/originalstore.h"
#include "wallpaper/bmp.h"
#include "wallpaper/jpeg.h"
#include "wallpaper/original.h"
#include "wallpaper/picture.h"

#include <algorithm>
#include <exception>
#include <optional>

namespace {

const QString GettingText = QStringLiteral("Getting new Wallpaper...");
const QString SuccessText = QStringLiteral("New Wallpaper set successfully!");
const QString FailureText = QStringLiteral(
    "Can not retrive wallpaper. There is no wallpapers in this category or check your internet "
    "connection.");
const QString NoCaption = QStringLiteral("none");

enum class Kind { Bitmap, Jpeg, Other };

// ".JPG" and ".jpeg" are the same pictures as ".jpg" to everyone who names files.
Kind kindOf(const QString& extension)
{
    const QString lower = extension.toLower();
    if (lower == QLatin1String(".bmp"))
        return Kind::Bitmap;
    if (lower == QLatin1String(".jpg") || lower == QLatin1String(".jpeg"))
        return Kind::Jpeg;
    return Kind::Other;
}

// The chosen entry is removed by its text, not its old index: a catalog refresh may have replaced
// the list while the step waited for a download.
void removeEntry(QStringList& pending, int index, const QString& line)
{
    if (index < pending.size() && pending.at(index) == line)
        pending.removeAt(index);
    else
        pending.removeOne(line);
}

// The picture at path at full size; a missing file fails the step. A file that is no picture (an
// error page served for it, a truncated bitmap) is deleted, so that the next time its entry comes
// up it is fetched again instead of failing for good.
QImage loadPicture(const QString& path)
{
    std::optional<QImage> picture;
    try {
        picture = LoadPictureAsBitmap(path);
    } catch (const InvalidPictureError&) {
        platform::deleteFile(toStd(path));
        throw;
    }
    if (!picture)
        throw AppError(QStringLiteral("The picture \"%1\" was not downloaded.").arg(path));
    return std::move(*picture);
}

// The caption goes into the cached bitmap itself, so the desktop shows it and a later showing of
// the same entry needs no drawing.
void captionBitmap(QImage& picture, const QString& caption, const QString& bmp)
{
    if (caption == NoCaption)
        return;
    StampCaption(picture, caption);
    saveBitmap(picture, bmp);
}

// A caption is one line on the picture and in the status bar; a longer one would only cost time
// and memory to draw (a path of a million glyphs takes gigabytes). A surrogate pair is never split.
QString cutCaption(QStringView caption)
{
    if (caption.size() <= MaxCaptionLength)
        return caption.toString();
    const bool splitsPair = caption.at(MaxCaptionLength - 1).isHighSurrogate();
    return caption.left(MaxCaptionLength - (splitsPair ? 1 : 0)).toString();
}

class Step {
public:
    Step(platform::Platform& system, const WallpaperSettings& settings, AutoFetchHost& host)
        : system_(system), settings_(settings), host_(host)
    {
    }

    void run()
    {
        host_.clearBalloon();
        host_.setTrayAnimated(true);
        SettingsOriginalStore store;
        SaveOriginalWallpaperIfNeeded(system_, store);
        if (!host_.balloonsDisabled())
            host_.showBalloon(GettingText);
        host_.disableReloadCommands();
        loadPendingList();
        chooseEntry();
        if (settings_.managePosition())
            host_.setManagedPositionHint(toInteger(entry_.position));
        host_.setCaptionText(entry_.caption == NoCaption ? QString() : entry_.caption);

        const QString temp = userDataPath(QStringLiteral("Temp"));
        platform::createDirectory(toStd(userDataDir()));
        platform::createDirectory(toStd(temp));
        removeAbandonedDownloads(temp);
        bmp_ = joinPath(temp, entry_.name + QStringLiteral(".bmp"));
        jpg_ = joinPath(temp, entry_.name + QStringLiteral(".jpg"));

        if (platform::fileExists(toStd(bmp_))) {
            setCurrent(loadPicture(bmp_));
            succeed();
        } else if (kind_ == Kind::Bitmap) {
            fetchBitmap();
            succeed();
        } else {
            fetchJpeg();
        }
    }

private:
    void loadPendingList()
    {
        const QString code = categoryCode(host_.categoryCodes(), selectedCategoryIndex());
        if (code.isEmpty())
            return; // nothing to load: the step then finds no wallpaper
        const QString local = userDataPath(code);
        if (!platform::fileExists(toStd(local)))
            host_.http().DownloadFile(serviceBaseUrl() + QStringLiteral("/wallpapers/") + code,
                                      local, DownloadKind::Text);
        QStringList& pending = host_.pendingList();
        if (pending.isEmpty())
            pending = readTextList(local);
        platform::deleteFile(toStd(local));
    }

    void chooseEntry()
    {
        QStringList& pending = host_.pendingList();
        if (pending.isEmpty())
            throw AppError(QStringLiteral("The category has no wallpapers."));
        index_ = pickEntryIndex(static_cast<std::uint32_t>(platform::performanceCounter()),
                                static_cast<int>(pending.size()));
        line_ = pending.at(index_);
        entry_ = parseWallpaperEntry(line_, settings_.managePosition());
        kind_ = kindOf(entry_.extension);
        // An entry that can never be shown would otherwise be drawn again at every step.
        if (kind_ == Kind::Other || !isSafeFileName(entry_.name)) {
            removeEntry(pending, index_, line_);
            throw InvalidPictureError(
                QStringLiteral("The wallpaper \"%1\" can not be shown.").arg(line_));
        }
    }

    // Once saved, only the preview of the picture is kept: the desktop reads the file again, and
    // holding a 4K picture meanwhile would add its size to the step's peak.
    void setCurrent(QImage picture)
    {
        host_.showPreview(ShowPreviewScaled(std::move(picture), host_.previewSize()));
        CopyWholeFile(bmp_, currentBitmapPath());
        requireDesktopTookWallpaper(ApplyAutoModePosition(system_, settings_, entry_.position));
    }

    void fetchBitmap()
    {
        host_.http().DownloadFile(entry_.url, bmp_, DownloadKind::Picture);
        QImage picture = loadPicture(bmp_);
        captionBitmap(picture, entry_.caption, bmp_);
        setCurrent(std::move(picture));
    }

    // Once the JPEG is converted the wallpaper is set even when the caption can not be drawn or
    // saved; the step then still reports that failure.
    void fetchJpeg()
    {
        std::exception_ptr failure;
        std::optional<QImage> picture;
        try {
            host_.http().DownloadFile(entry_.url, jpg_, DownloadKind::Picture);
            ConvertJpegToBitmapFile(jpg_, bmp_);
            picture = loadPicture(bmp_);
            captionBitmap(*picture, entry_.caption, bmp_);
        } catch (...) {
            failure = std::current_exception();
        }
        if (!picture)
            picture = LoadPictureAsBitmap(bmp_);
        if (!picture)
            std::rethrow_exception(
                failure ? failure
                        : std::make_exception_ptr(AppError(
                              QStringLiteral("The picture \"%1\" was not converted.").arg(jpg_))));
        setCurrent(std::move(*picture));
        platform::deleteFile(toStd(jpg_));
        succeed();
        if (failure)
            std::rethrow_exception(failure);
    }

    void succeed()
    {
        removeEntry(host_.pendingList(), index_, line_);
        if (!host_.balloonsDisabled()) {
            host_.showBalloon(SuccessText);
            ApplyIconTextTransparency(system_, settings_.transparentText());
        }
        host_.startTidyUp();
    }

private:
    platform::Platform& system_;
    const WallpaperSettings& settings_;
    AutoFetchHost& host_;
    int index_ = 0;
    QString line_;
    WallpaperEntry entry_;
    Kind kind_ = Kind::Other;
    QString bmp_;
    QString jpg_;
};

} // namespace

WallpaperEntry parseWallpaperEntry(const QString& line, bool managedPosition)
{
    WallpaperEntry entry;
    const qsizetype p1 = line.indexOf(u';') + 1; // positions count from 1; 0 means none
    if (p1 > 0)
        entry.url = line.left(p1 - 1);
    const qsizetype dot = entry.url.lastIndexOf(u'.');
    if (dot >= 0) {
        const QString tail = entry.url.mid(dot);
        if (!tail.contains(u'\\') && !tail.contains(u':'))
            entry.extension = tail;
    }
    const qsizetype p2 = p1 > 0 ? line.indexOf(u';', p1) + 1 : 0;
    if (p2 > 0)
        entry.caption = cutCaption(QStringView(line).mid(p1, p2 - p1 - 1));
    if (managedPosition)
        entry.position = p2 > 0 ? line.mid(p2) : line.left(line.size() - p1 + 1);

    qsizetype slash = -1;
    for (const QChar separator : {u'/', u'\\', u':'})
        slash = std::max(slash, entry.url.lastIndexOf(separator));
    const QString fileName = entry.url.mid(slash + 1);
    const qsizetype extensionLength =
        entry.extension.compare(QLatin1String(".jpeg"), Qt::CaseInsensitive) == 0 ? 5 : 4;
    entry.name = fileName.left(std::max<qsizetype>(0, fileName.size() - extensionLength));
    return entry;
}

int pickEntryIndex(std::uint32_t seed, int count)
{
    if (count <= 0)
        return 0;
    const std::uint32_t next = seed * 134775813u + 1u;
    return static_cast<int>(
        (static_cast<std::uint64_t>(next) * static_cast<std::uint32_t>(count)) >> 32);
}

void FetchAutoWallpaper(platform::Platform& system, const WallpaperSettings& settings,
                        AutoFetchHost& host)
{
    Step step(system, settings, host);
    bool failed = false;
    try {
        step.run();
    } catch (...) {
        // The balloon is the whole report: the show goes on with the next step.
        failed = true;
    }
    if (failed) {
        host.showFailureText(FailureText);
        if (!host.balloonsDisabled())
            host.showBalloon(FailureText);
        host.startTidyUp();
    }
    host.resetProgress();
    TrimTempCache(host.tempCacheLimit());
    host.enableFavourites();
}

void TrimTempCache(const QString& limitText)
{
    const int limit = toInteger(limitText);
    QStringList listing;
    CollectFiles(userDataPath(QStringLiteral("Temp")), QStringLiteral("*.bmp"), listing);
    if (listing.size() > limit && listing.size() > 1)
        platform::deleteFile(toStd(listing.at(1)));
}
