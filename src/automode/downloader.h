#pragma once

#include "online/httpclient.h"

#include <QString>

// The download the automatic mode relies on: afterwards target exists exactly when the transfer
// succeeded, and it holds the response body. While the body arrives it is kept under
// partialDownloadPath(target), never under target itself; kind sets its limits. Never throws.
class FileDownloader {
public:
    virtual ~FileDownloader() = default;
    virtual void DownloadFile(const QString& url, const QString& target, DownloadKind kind) = 0;
};
