#include "customshow.h"

#include "common/errors.h"
#include "common/paths.h"
#include "common/settingstable.h"
#include "common/strings.h"
#include "platform/files.h"
#include "profiles.h"
#include "settings/originalstore.h"
#include "wallpaper/jpeg.h"
#include "wallpaper/original.h"
#include "wallpaper/picture.h"

#include <exception>

namespace {

const QString SettingText = QStringLiteral("Setting new Wallpaper...");
const QString SuccessText = QStringLiteral("New Wallpaper set successfully!");
const QString FailureText = QStringLiteral("Can not set wallpaper.");

enum class Kind { Bitmap, Jpeg, Other };

// By the extension of the file name, in any letter case: the profile editor takes ".jpeg" too, and
// names like "A.JPG" or "b.Bmp" are common.
Kind kindOf(const QString& entry)
{
    const QString name = fileNameOf(entry);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return Kind::Other;
    const QString extension = name.mid(dot).toLower();
    if (extension == QLatin1String(".bmp"))
        return Kind::Bitmap;
    if (extension == QLatin1String(".jpg") || extension == QLatin1String(".jpeg"))
        return Kind::Jpeg;
    return Kind::Other;
}

// The decoded JPEG waits here until it is copied over current.bmp. It is kept in our own folder,
// never beside the user's picture: that folder may be read-only and is not ours to write into. The
// leading dot keeps it apart from the automatic mode's cache, whose names never start with one.
QString temporaryBitmapPath() { return userDataPath(QStringLiteral("Temp/.custom-step.bmp")); }

// Deletes the temporary bitmap however the step ends; whether that works is not looked at.
class TemporaryBitmap {
public:
    TemporaryBitmap() : path_(temporaryBitmapPath())
    {
        // Start-up makes the folder; it may have been removed since.
        platform::createDirectory(toStd(userDataDir()));
        platform::createDirectory(toStd(userDataPath(QStringLiteral("Temp"))));
    }
    ~TemporaryBitmap() { platform::deleteFile(toStd(path_)); }
    TemporaryBitmap(const TemporaryBitmap&) = delete;
    TemporaryBitmap& operator=(const TemporaryBitmap&) = delete;

    const QString& path() const { return path_; }

private:
    QString path_;
};

void showPreviewOf(CustomShowHost& host, const QString& path)
{
    host.showPreview(ShowPreviewScaled(LoadPictureAsBitmap(path), host.previewSize()));
}

void reportSuccess(platform::Platform& system, const WallpaperSettings& settings,
                   CustomShowHost& host)
{
    if (!host.balloonsDisabled()) {
        host.showBalloon(SuccessText);
        ApplyIconTextTransparency(system, settings.transparentText());
    }
    host.startTidyUp();
}

// A picture that can not be read is dropped as a shown one is, or the show would stop at it for
// good; a failure to write current.bmp or the desktop's values leaves the entry at the head, so
// the next step tries it again.
void showBitmapEntry(platform::Platform& system, const WallpaperSettings& settings,
                     CustomShowHost& host, const QString& entry)
{
    try {
        showPreviewOf(host, entry);
    } catch (...) {
        host.showList().removeFirst();
        throw;
    }
    CopyWholeFile(entry, currentBitmapPath());
    requireDesktopTookWallpaper(ApplyCustomModePosition(system, settings));
    host.showList().removeFirst();
    reportSuccess(system, settings, host);
}

// A picture that does not decode is dropped from the list and the step fails. The desktop is
// pointed at current.bmp only when this step wrote it: pointing it there after a failure would
// take the user's own wallpaper away for a file that may not exist.
void showJpegEntry(platform::Platform& system, const WallpaperSettings& settings,
                   CustomShowHost& host, const QString& entry)
{
    std::exception_ptr failure;
    bool taken = true;
    {
        const TemporaryBitmap temporary;
        bool written = false;
        try {
            ConvertJpegToBitmapFile(entry, temporary.path());
            CopyWholeFile(temporary.path(), currentBitmapPath());
            written = true;
            showPreviewOf(host, currentBitmapPath());
        } catch (...) {
            failure = std::current_exception();
        }
        if (written)
            taken = ApplyCustomModePosition(system, settings);
    }
    // Refused, the entry stays at the head as a bitmap's does, for the next step to try again.
    requireDesktopTookWallpaper(taken);
    host.showList().removeFirst();
    reportSuccess(system, settings, host);
    if (failure)
        std::rethrow_exception(failure);
}

void runStep(platform::Platform& system, const WallpaperSettings& settings, CustomShowHost& host)
{
    QStringList& list = host.showList();
    if (list.isEmpty()) {
        const QString name = SettingsFile().currentProfile();
        if (name.isEmpty())
            throw AppError(QStringLiteral("No profile is chosen."));
        list = readProfile(name);
    }

    host.clearBalloon();
    host.setTrayAnimated(true);
    SettingsOriginalStore store;
    SaveOriginalWallpaperIfNeeded(system, store);
    host.showBalloon(SettingText);

    if (list.isEmpty())
        throw AppError(QStringLiteral("The profile has no pictures."));
    const QString entry = list.first();
    switch (kindOf(entry)) {
    case Kind::Bitmap:
        showBitmapEntry(system, settings, host, entry);
        break;
    case Kind::Jpeg:
        showJpegEntry(system, settings, host, entry);
        break;
    case Kind::Other:
        // Dropped, or it would stay at the head and stop the show for good.
        list.removeFirst();
        throw InvalidPictureError(
            QStringLiteral("The picture \"%1\" is not of a kind the show can set.").arg(entry));
    }
}

} // namespace

void NextCustomWallpaper(platform::Platform& system, const WallpaperSettings& settings,
                         CustomShowHost& host)
{
    bool failed = false;
    try {
        runStep(system, settings, host);
    } catch (...) {
        // Whatever went wrong, the user learns it from the balloon; the show goes on.
        failed = true;
    }
    if (failed)
        host.showFailureText(FailureText);
    if (failed && !host.balloonsDisabled()) {
        host.showBalloon(FailureText);
        host.startTidyUp();
    }
    host.finishStep();
}
