#include "paths.h"

#include "platform/files.h"
#include "platform/system.h"
#include "strings.h"

#include <algorithm>

QString joinPath(const QString& folder, const QString& name)
{
    const QChar sep = QLatin1Char(platform::pathSeparator());
    QString tail = name;
    tail.replace(u'/', sep);
    while (tail.startsWith(sep))
        tail.remove(0, 1);
    if (folder.isEmpty() || folder.endsWith(sep))
        return folder + tail;
    return folder + sep + tail;
}

QString userDataDir() { return joinPath(fromStd(platform::appDataDir()), QStringLiteral("Tapestron")); }

QString userDataPath(const QString& name) { return joinPath(userDataDir(), name); }

QString settingsFilePath() { return userDataPath(QStringLiteral("settings.ini")); }

QString currentBitmapPath() { return userDataPath(QStringLiteral("current.bmp")); }

QString fileNameOf(const QString& path)
{
    const QChar sep = QLatin1Char(platform::pathSeparator());
    return path.mid(path.lastIndexOf(sep) + 1);
}

bool isSafeFileName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar c) {
        return c == u'/' || c == u'\\' || c == u':' || c.unicode() < 0x20 || c.unicode() == 0x7F;
    });
}
