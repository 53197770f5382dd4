#pragma once

#include <QString>

// Every path is built afresh from its root at each use: "APPDATA" may change while the program runs
// and nothing caches it.

// Joins folder and name with exactly one native separator; "/" inside name becomes native too.
QString joinPath(const QString& folder, const QString& name);

// "APPDATA" + "\Tapestron".
QString userDataDir();
// userDataDir() + "\" + name.
QString userDataPath(const QString& name);
// The settings file "settings.ini" in userDataDir().
QString settingsFilePath();
// The bitmap the desktop shows while the program is in charge, "current.bmp" in userDataDir().
QString currentBitmapPath();

// userDataDir() and its folders "Temp" and "Profiles", each made (one level) where missing. A
// folder that can not be made is not reported: it shows later, where it is needed.
void createUserFolders();

// Removes the temporary files that writes killed before their end left in userDataDir(), its
// "Temp", "Profiles" and "Favorites" folders and in dataFolder (the program's "data" folder); a
// write under way in another instance keeps its own.
void removeStaleTemporaryFiles(const QString& dataFolder);

// The file name without its folder.
QString fileNameOf(const QString& path);

// Whether Windows can keep a file of this name: 1 to 255 characters, none of \ / : * ? " < > | nor
// a control character, not ending in a dot or a blank, and not a device name, also with an
// extension ("CON", "lpt1.txt"). Judged the same on every system, so that what works on one works
// on all.
bool isValidFileName(const QString& name);

// Whether name, which came from outside (the network, a list file), may become one file name
// inside a folder of ours: 1 to 128 printable ASCII letters, digits and "-_.~@+", not starting or
// ending with a dot, not a device name on any system ("CON", "lpt1.txt"), and, ignoring case, not
// a file or folder the program keeps in userDataDir() or its "data" folder ("settings.ini",
// "Temp", "cat.tsl"). A refused name is never renamed: the caller does without it.
bool isSafeFileName(const QString& name);
