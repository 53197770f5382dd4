#pragma once

#include "automode/downloader.h"

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QStringList>

// A service in a map: a known url gives its body, any other fails the way a real download does
// (no target file afterwards). Every asked url is kept in order.
class FakeDownloader : public FileDownloader {
public:
    void DownloadFile(const QString& url, const QString& target, DownloadKind kind) override
    {
        requested.append(url);
        kinds.append(kind);
        QFile file(target);
        if (!bodies.contains(url) || !file.open(QIODevice::WriteOnly)) {
            QFile::remove(target);
            return;
        }
        file.write(bodies.value(url));
    }

    int count(const QString& url) const { return static_cast<int>(requested.count(url)); }

    QMap<QString, QByteArray> bodies;
    QStringList requested;
    QList<DownloadKind> kinds; // of each request, in the same order
};
