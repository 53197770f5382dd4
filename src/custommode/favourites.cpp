#include "favourites.h"

#include "common/collectfiles.h"
#include "common/dialogs.h"
#include "common/errors.h"
#include "common/paths.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "platform/files.h"
#include "profiles.h"
#include "wallpaper/jpeg.h"
#include "wallpaper/picture.h"

#include <vector>

namespace {

QString favouritePath(const QString& name) { return joinPath(favouritesFolder(), name); }

QStringList favouritePictures()
{
    QStringList pictures;
    CollectFiles(favouritesFolder(), QStringLiteral("*.jpg"), pictures);
    return pictures;
}

void writeFavouritesProfile()
{
    writeTextList(profilePath(FavouritesProfile), favouritePictures());
}

QString numberedName(int number)
{
    return QStringLiteral("fav_") + favouriteNumberText(number) + QStringLiteral(".jpg");
}

} // namespace

QString favouritesFolder() { return userDataPath(QStringLiteral("Favorites")); }

QString favouriteNumberText(int number)
{
    return QString::number(number).rightJustified(3, QLatin1Char('0'));
}

void AddFavourite()
{
    // Read first: without a wallpaper there is nothing to keep, and nothing is written.
    std::optional<QImage> wallpaper = LoadPictureAsBitmap(currentBitmapPath());
    if (!wallpaper)
        throw AppError(QStringLiteral("There is no wallpaper to add to the favorites yet."));
    const QString folder = favouritesFolder();
    if (!platform::directoryExists(toStd(folder)) && !platform::createDirectory(toStd(folder)))
        throw AppError(QStringLiteral("Cannot create folder \"%1\".").arg(folder));
    int number = 0;
    while (platform::fileExists(toStd(favouritePath(numberedName(number)))))
        ++number;
    // The list names the picture only once the picture is on the disk: after a power cut it
    // could otherwise name an empty file.
    encodeJpeg(*wallpaper, favouritePath(numberedName(number)), 90,
               ReplacingFile::Durability::Flushed);
    writeFavouritesProfile();
}

QStringList RenumberFavourites(const QStringList& entries, Dialogs& dialogs)
{
    // Two passes: a file's new name may still be held by another listed file, and after the first
    // pass no listed file bears a fav_ name any more.
    // A file that failed the first pass is not tried again, so it gets one "nope", not two.
    const auto renamed = [&dialogs](const QString& from, const QString& to) {
        if (platform::moveFileNoReplace(toStd(from), toStd(to)))
            return true;
        dialogs.showMessage(QStringLiteral("nope"));
        return false;
    };
    const auto interim = [](qsizetype i) {
        return favouritePath(QString::number(i) + QStringLiteral(".jpg"));
    };
    std::vector<bool> moved(static_cast<std::size_t>(entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i)
        moved[static_cast<std::size_t>(i)] = renamed(entries[i], interim(i));
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (moved[static_cast<std::size_t>(i)])
            renamed(interim(i), favouritePath(numberedName(static_cast<int>(i))));
    return favouritePictures();
}
