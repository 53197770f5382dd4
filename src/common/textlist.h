#pragma once

#include <QByteArrayList>
#include <QString>
#include <QStringList>

// Text list files: one entry per line in the system's 8-bit code page. A line ends at CR, LF or
// CR LF; a line end after the last line starts no further entry. Written with CR LF after every
// line, the last included.

// The lines as stored, bytes unchanged. Throws AppError "Cannot open file "<path>". <reason>".
QByteArrayList readTextLines(const QString& path);
// readTextLines decoded from the 8-bit code page.
QStringList readTextList(const QString& path);
// The first count lines of readTextList, reading the file no further than their end: a list from
// the network may be any length. Throws as readTextLines does.
QStringList readFirstTextLines(const QString& path, int count);

// Replaces the file in one step (temporary file, then rename), so a failure never leaves half a
// file. Throws AppError "Cannot create file "<path>". <reason>".
void writeTextLines(const QString& path, const QByteArrayList& lines);
void writeTextList(const QString& path, const QStringList& lines);

// Splits bytes into lines by the rules above.
QByteArrayList splitTextLines(const QByteArray& content);
