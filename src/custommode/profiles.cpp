#include "profiles.h"

#include "common/collectfiles.h"
#include "common/dialogs.h"
#include "common/errors.h"
#include "common/paths.h"
#include "common/settingstable.h"
#include "common/textlist.h"

#include <QDir>

QString profileListEntry(const QString& profilePath)
{
    // One arg call: a name holding "%1" must not take the count in place of its own text.
    return QStringLiteral("%1 (%2)").arg(fileNameOf(profilePath),
                                         QString::number(readTextLines(profilePath).size()));
}

QString profileNameOfEntry(const QString& entry)
{
    const qsizetype suffix = entry.lastIndexOf(QStringLiteral(" ("));
    return suffix < 0 ? entry : entry.left(suffix);
}

QString profilePath(const QString& name)
{
    return userDataPath(QStringLiteral("Profiles/") + name);
}

namespace {

QStringList listProfilePaths()
{
    QStringList paths;
    CollectFiles(userDataPath(QStringLiteral("Profiles/")), QStringLiteral("*.tsl"), paths);
    return paths;
}

QString listedProfileEntry(const QString& profilePath)
{
    // A profile that can not be read still shows, with no entries; using it reports the problem
    // where it matters.
    try {
        return profileListEntry(profilePath);
    } catch (const AppError&) {
        return fileNameOf(profilePath) + QStringLiteral(" (0)");
    }
}

} // namespace

QStringList listProfileEntries()
{
    QStringList entries;
    for (const QString& path : listProfilePaths())
        entries.append(listedProfileEntry(path));
    return entries;
}

QString listedProfilePath(int index, const QString& entry)
{
    const QStringList paths = listProfilePaths();
    if (index < 0 || index >= paths.size() || listedProfileEntry(paths.at(index)) != entry)
        return QString();
    return paths.at(index);
}

QString profileFileOfEntry(int index, const QString& entry)
{
    const QString listed = listedProfilePath(index, entry);
    return listed.isEmpty() ? profilePath(profileNameOfEntry(entry)) : listed;
}

QString profileNameOfFile(const QString& path)
{
    return QDir(userDataPath(QStringLiteral("Profiles"))).relativeFilePath(path);
}

QString currentProfileEntry()
{
    const QString name = SettingsFile().currentProfile();
    if (name.isEmpty())
        return QString();
    try {
        return profileListEntry(profilePath(name));
    } catch (const AppError&) {
        return QString(); // an unreadable current profile is simply not selected
    }
}

QStringList readProfile(const QString& name) { return readTextList(profilePath(name)); }

QString askProfileName(Dialogs& dialogs)
{
    QString name;
    while (name.isEmpty())
        name = dialogs
                   .askText(QStringLiteral("Custom wallpaper show"),
                            QStringLiteral("Please type profile name:"), QString())
                   .value_or(QString());
    return name;
}

QString newProfileFileName(const QString& name)
{
    if (!isValidFileName(name))
        throw AppError(QStringLiteral("\"%1\" can not be the name of a profile: a name must not "
                                      "hold \\ / : * ? \" < > |, end in a dot or a blank, or be a "
                                      "device name such as CON, NUL, COM1 or LPT1.")
                           .arg(name));
    return name + QStringLiteral(".tsl");
}

std::optional<QString> askNewProfileFileName(Dialogs& dialogs)
{
    const QString name = askProfileName(dialogs);
    if (name == QLatin1String("favorites"))
        return std::nullopt;
    return newProfileFileName(name);
}
