#pragma once

#include "downloader.h"

#include <QString>
#include <QStringList>

// The category catalog: the codes under which the service publishes each category's wallpaper
// list, the display names, and the list of the selected category's wallpapers not shown yet.

// How many category codes the program keeps; lines past this in the code file are ignored.
inline constexpr int CategoryCodeCapacity = 50;

// What the lines of a catalog file hold: the category codes, or the names shown for them.
enum class CatalogLines { Codes, Names };

// The longest category name a catalog may hold.
inline constexpr int MaxCategoryNameLength = 256;

// Whether the file at path is a catalog of lines: at least one line that is not empty, and every
// line empty (a category the service leaves out) or else a code isSafeFileName accepts, or a name
// of at most MaxCategoryNameLength printable characters. False when the file can not be read.
bool isUsableCatalog(const QString& path, CatalogLines lines);

// Refreshes one catalog file of lines from the service's serverPath. The answer is downloaded
// beside the file and replaces it only when the download succeeded and isUsableCatalog accepts
// it, so a failed refresh or a garbled answer keeps the last good content. The first accepted
// refresh keeps the previous content as backupPath, which never changes after; a missing file is
// brought back from the backup. Never throws.
void RefreshCatalogFile(FileDownloader& http, const QString& path, const QString& backupPath,
                        const QString& serverPath, CatalogLines lines);

// The code file's lines, padded with null codes to CategoryCodeCapacity entries; all null when the
// file can not be read. An empty line stays an empty code that is not null: the category is there
// but has nothing to load.
QStringList readCategoryCodes(const QString& path);

// [AutoMode] Category of the settings file, read afresh: 0 when missing, -1 when not a number.
int selectedCategoryIndex();

// The code of category index, fit to name a file of ours, or an empty text for an empty line of the
// code file, which has nothing to load. Throws AppError for an index outside the table, for a null
// code (past the file's lines) and for a code that isSafeFileName refuses (it came from the
// service).
QString categoryCode(const QStringList& codes, int index);

// Downloads the selected category's wallpaper list to UserDataDir\<code> and loads it into
// pending (emptied first when clearFirst), deleting the file again. A failed download and an empty
// code load nothing. Throws for an unusable category and a list that can not be read.
void ReloadPendingList(FileDownloader& http, const QStringList& codes, QStringList& pending,
                       bool clearFirst);
