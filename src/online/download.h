#pragma once

#include "httpclient.h"

#include <QString>

// The three ways the program fetches one URL into one file. None shows, logs or throws anything:
// the caller learns the outcome from the file or the result alone. For all three, target exists
// afterwards if and only if the answer was a 2xx and its whole body is in it: whatever target held
// before is gone, and a failed request, or one made while the client is busy (from inside its
// pump), leaves no target at all.

// Fetches url into target within the client's limits for kind. Connect timeout 1000 ms.
void DownloadFile(HttpClient& http, const QString& url, const QString& target, DownloadKind kind);

// The two below fetch text files.

// The first line of the body (the line end removed; a line ends at CR, LF or CR LF), or "" on
// any failure, for an empty body, and for a first line longer than MaxFirstLineLength characters
// (only that much of the file is read). The body stays in target. Connect timeout 1000 ms.
inline constexpr qsizetype MaxFirstLineLength = 64;
QString FetchFirstLine(HttpClient& http, const QString& url, const QString& target);

// The first line of the file at path by the rules of FetchFirstLine; "" when it can not be read.
QString readFirstLine(const QString& path);

// Like DownloadFile, but keeps the client's current connect timeout.
void DoDownload(HttpClient& http, const QString& url, const QString& target);
