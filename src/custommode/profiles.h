#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class Dialogs;

// Profiles: text list files "<name>.tsl" in UserDataDir\Profiles, one picture path per line, in
// the order of the show.

// How a profile appears in the profile lists: its file name, " (", its entry count, ")", for
// example "favorites.tsl (12)". Throws AppError when the file can not be read.
QString profileListEntry(const QString& profilePath);

// The profile file name of a list entry: the text before the last " (", so that a profile named
// "old (2).tsl" keeps its whole name. An entry without a count is its own name; an empty entry
// gives an empty name.
QString profileNameOfEntry(const QString& entry);

// The path of the profile file named name ("summer.tsl").
QString profilePath(const QString& name);

// The list entries of every profile under the profile folder, subfolders included, in the order
// the system finds them. A profile that can not be read is listed with no entries.
QStringList listProfileEntries();

// The file behind entry index of listProfileEntries(), or an empty text when the profiles on disk
// no longer give that entry there. An entry names no folder, and a subfolder may hold a profile
// of the same name, so only its place in the list tells which file it is.
QString listedProfilePath(int index, const QString& entry);

// The file to act on for entry index of listProfileEntries(): the listed file, or, where the list
// no longer matches the disk, the profile the entry names in the profile folder itself.
QString profileFileOfEntry(int index, const QString& entry);

// The name the current profile is kept under for the profile file at path: its path below the
// profile folder, "/" between folders ("summer.tsl", "winter/snow.tsl"), so profilePath finds it.
QString profileNameOfFile(const QString& path);

// The list entry of the current profile ([CustomMode] CurrentProfile), or an empty text when there
// is none or its file can not be read.
QString currentProfileEntry();

// The entries of the profile named name, for the show list. Throws AppError when it can not be
// read.
QStringList readProfile(const QString& name);

// Asks for the name of a new profile ("Please type profile name:", titled "Custom wallpaper show")
// until one is given; Cancel counts as no name.
QString askProfileName(Dialogs& dialogs);

// The file name of the new profile named name: name + ".tsl". Throws AppError naming it when name
// can not be a file name on Windows, whatever the system.
QString newProfileFileName(const QString& name);

// The file name of a new profile, asked for by askProfileName: nullopt for "favorites" (exactly so;
// that name is kept for the favourites). Throws as newProfileFileName does.
std::optional<QString> askNewProfileFileName(Dialogs& dialogs);
