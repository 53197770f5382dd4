#include "profiles.h"

#include "common/collectfiles.h"
#include "common/errors.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "common/textlist.h"

QString profileListEntry(const QString& profilePath)
{
    return QStringLiteral("%1 (%2)").arg(fileNameOf(profilePath)).arg(readTextLines(profilePath).size());
}

QString profileNameOfEntry(const QString& entry)
{
    const qsizetype suffix = entry.lastIndexOf(QStringLiteral(" ("));
    return suffix < 0 ? entry : entry.left(suffix);
}

QString profilePath(const QString& name) { return userDataPath(QStringLiteral("Profiles/") + name); }

QStringList listProfileEntries()
{
    QStringList paths;
    CollectFiles(userDataPath(QStringLiteral("Profiles/")), QStringLiteral("*.tsl"), paths);
    QStringList entries;
    for (const QString& path : paths) {
        // A profile that can not be read still shows, with no entries; using it reports the
        // problem where it matters.
        try {
            entries.append(profileListEntry(path));
        } catch (const AppError&) {
            entries.append(fileNameOf(path) + QStringLiteral(" (0)"));
        }
    }
    return entries;
}

QString currentProfileEntry()
{
    const QString name = IniFile(settingsFilePath())
                             .readString(QStringLiteral("CustomMode"),
                                         QStringLiteral("CurrentProfile"), QString());
    if (name.isEmpty())
        return QString();
    try {
        return profileListEntry(profilePath(name));
    } catch (const AppError&) {
        return QString(); // an unreadable current profile is simply not selected
    }
}

QStringList readProfile(const QString& name) { return readTextList(profilePath(name)); }
