#pragma once

#include <QString>
#include <QStringList>

class Dialogs;

// Favourites: JPEG copies of the wallpaper shown, kept in UserDataDir\Favorites as fav_000.jpg,
// fav_001.jpg, … The folder is the master copy; the profile "favorites.tsl" lists its pictures and
// is written afresh from it.

inline const QString FavouritesProfile = QStringLiteral("favorites.tsl");

QString favouritesFolder();

// A favourite's number as its file name writes it: at least three digits ("007", "099", "1000").
QString favouriteNumberText(int number);

// Keeps current.bmp as a new favourite (baseline JPEG, quality 90, full size) under the lowest
// number whose file does not exist yet, so no favourite is ever overwritten, then writes
// "favorites.tsl" from the folder. Every failure throws AppError; a missing current.bmp writes
// nothing at all.
void AddFavourite();

// Numbers the favourites afresh in the order of entries (full paths in the favourites folder):
// the first becomes fav_000.jpg and so on. A file that can not be renamed (gone, or the name taken)
// shows "nope" and stays where it was. Returns the folder's pictures afterwards.
QStringList RenumberFavourites(const QStringList& entries, Dialogs& dialogs);
