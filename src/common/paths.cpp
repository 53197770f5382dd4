#include "paths.h"

#include "platform/files.h"
#include "platform/system.h"
#include "strings.h"

#include <algorithm>
#include <iterator>

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

QString userDataDir()
{
    return joinPath(fromStd(platform::appDataDir()), QStringLiteral("Tapestron"));
}

QString userDataPath(const QString& name) { return joinPath(userDataDir(), name); }

QString settingsFilePath() { return userDataPath(QStringLiteral("settings.ini")); }

QString currentBitmapPath() { return userDataPath(QStringLiteral("current.bmp")); }

QString fileNameOf(const QString& path)
{
    const QChar sep = QLatin1Char(platform::pathSeparator());
    return path.mid(path.lastIndexOf(sep) + 1);
}

namespace {

// The files and folders the program keeps in userDataDir() and in its "data" folder, beside the
// files named by the service.
const char* const ProgramFileNames[] = {
    "settings.ini", "current.bmp",   "original.bmp", "version",     "Temp",
    "Profiles",     "Favorites",     "Preview",      "cat.tsl",     "profiles.tsl",
    "cat1.tsl",     "profiles1.tsl", "noimg.jpg",    "plugins.ini",
};

bool isNameCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
           u == u'-' || u == u'_' || u == u'.' || u == u'~' || u == u'@' || u == u'+';
}

// Windows opens the device, not a file, for these names whatever the extension, and it ignores
// blanks before the extension.
bool isDeviceName(const QString& name)
{
    const QString base = name.left(name.indexOf(u'.')).trimmed().toUpper();
    if (base == QLatin1String("CON") || base == QLatin1String("PRN") ||
        base == QLatin1String("AUX") || base == QLatin1String("NUL"))
        return true;
    return base.size() == 4 &&
           (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
           base.at(3) >= u'1' && base.at(3) <= u'9';
}

bool isProgramFileName(const QString& name)
{
    return std::any_of(std::begin(ProgramFileNames), std::end(ProgramFileNames),
                       [&](const char* own) {
                           return name.compare(QLatin1String(own), Qt::CaseInsensitive) == 0;
                       });
}

} // namespace

bool isValidFileName(const QString& name)
{
    static const QString reserved = QStringLiteral("\\/:*?\"<>|");
    const auto allowed = [](QChar c) { return c.unicode() >= 32 && !reserved.contains(c); };
    return !name.isEmpty() && name.size() <= 255 && !name.endsWith(u'.') && !name.endsWith(u' ') &&
           std::all_of(name.begin(), name.end(), allowed) && !isDeviceName(name);
}

bool isSafeFileName(const QString& name)
{
    return isValidFileName(name) && name.size() <= 128 && !name.startsWith(u'.') &&
           std::all_of(name.begin(), name.end(), isNameCharacter) && !isProgramFileName(name);
}

void createUserFolders()
{
    for (const QString& folder : {userDataDir(), userDataPath(QStringLiteral("Temp")),
                                  userDataPath(QStringLiteral("Profiles"))})
        platform::createDirectory(toStd(folder));
}

void removeStaleTemporaryFiles(const QString& dataFolder)
{
    for (const QString& folder : {userDataDir(), userDataPath(QStringLiteral("Temp")),
                                  userDataPath(QStringLiteral("Profiles")),
                                  userDataPath(QStringLiteral("Favorites")), dataFolder})
        platform::removeStaleTemporaries(toStd(folder));
}
