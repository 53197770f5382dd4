#pragma once

#include <QString>

// How a profile appears in the profile lists: its file name, " (", its entry count, ")", for
// example "favorites.tsl (12)". Throws AppError when the file can not be read.
QString profileListEntry(const QString& profilePath);

// The profile file name of a list entry: the text before the last " (", so that a profile named
// "old (2).tsl" keeps its whole name. An entry without a count is its own name; an empty entry
// gives an empty name.
QString profileNameOfEntry(const QString& entry);
