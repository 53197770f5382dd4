#include "fuzzsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

void fuzzCheck(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "Broken: %s\n", what);
    std::abort();
}

QString scratchFolder()
{
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/tapestron-fuzz-XXXXXX"));
    static const bool ready = [] {
        fuzzCheck(folder.isValid(), "the scratch folder is made");
        qputenv("APPDATA", QFile::encodeName(folder.path() + QStringLiteral("/AppData")));
        return QDir().mkpath(folder.path() + QStringLiteral("/AppData/Tapestron"));
    }();
    fuzzCheck(ready, "the scratch folder is made");
    return folder.path();
}

QString scratchPath(const QString& name) { return scratchFolder() + u'/' + name; }

QString writeScratch(const QString& name, const std::uint8_t* data, std::size_t size)
{
    return writeScratch(name, QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                                      static_cast<qsizetype>(size)));
}

QString writeScratch(const QString& name, const QByteArray& bytes)
{
    const QString path = scratchPath(name);
    QFile file(path);
    fuzzCheck(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                  file.write(bytes) == bytes.size(),
              "the input is written to its scratch file");
    return path;
}

QByteArray readScratch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool directlyIn(const QString& path, const QString& folder)
{
    const QFileInfo file(path);
    return QDir::cleanPath(path) == path && file.absolutePath() == QDir::cleanPath(folder) &&
           file.fileName() != QLatin1String("..") && file.fileName() != QLatin1String(".");
}
