#include "settingstable.h"

#include "context.h"
#include "errors.h"
#include "paths.h"

#include <QSet>

namespace {

const QString AutoText = QStringLiteral("auto");
const QString CustomText = QStringLiteral("custom");

} // namespace

SettingsFile::SettingsFile() : file_(settingsFilePath()) {}

Mode SettingsFile::defaultMode() const
{
    const QString text = file_.readString(keys::General, keys::DefaultMode, QString());
    if (text == AutoText)
        return Mode::Auto;
    if (text == CustomText)
        return Mode::Custom;
    return Mode::Neither;
}

void SettingsFile::setDefaultMode(Mode mode)
{
    file_.writeString(keys::General, keys::DefaultMode,
                      mode == Mode::Custom ? CustomText : AutoText);
}

QString SettingsFile::currentProfile() const
{
    return file_.readString(keys::CustomMode, keys::CurrentProfile, QString());
}

void SettingsFile::checkProfileName(const QString& name)
{
    if (name.contains(u'\r') || name.contains(u'\n'))
        throw AppError(QStringLiteral("The profile \"%1\" can not be selected: its file name holds "
                                      "a line break. Rename the file in the profile folder and "
                                      "select it again.")
                           .arg(name.simplified()));
}

void SettingsFile::setCurrentProfile(const QString& name)
{
    checkProfileName(name);
    file_.writeString(keys::CustomMode, keys::CurrentProfile, name);
}

bool SettingsFile::flag(const Flag& flag) const
{
    if (!file_.valueExists(flag.section, flag.key))
        return flag.whenMissing;
    return file_.readBool(flag.section, flag.key, flag.whenNotNumber);
}

void SettingsFile::setFlag(const Flag& flag, bool value)
{
    file_.writeBool(flag.section, flag.key, value);
}

std::optional<QString> SettingsFile::text(const QString& section, const QString& key) const
{
    if (!file_.valueExists(section, key))
        return std::nullopt;
    return file_.readString(section, key, QString());
}

void SettingsFile::setText(const QString& section, const QString& key, const QString& value)
{
    file_.writeString(section, key, value);
}

std::optional<int> SettingsFile::integer(const QString& section, const QString& key) const
{
    if (!file_.valueExists(section, key))
        return std::nullopt;
    return file_.readInteger(section, key, -1);
}

void SettingsFile::setInteger(const QString& section, const QString& key, int value)
{
    file_.writeInteger(section, key, value);
}

int SettingsFile::displayMethod(const QString& modeSection) const
{
    return file_.readInteger(modeSection, keys::DisplayMethod, -1);
}

int SettingsFile::reloadTime(const QString& modeSection) const
{
    return file_.readInteger(modeSection, keys::ReloadTime, -1);
}

int SettingsFile::reloadUnit(const QString& modeSection) const
{
    return file_.readInteger(modeSection, keys::Mode, -1);
}

bool SettingsFile::originalSaved() const { return file_.sectionExists(keys::OriginalWallpaper); }

QString SettingsFile::originalText(const QString& key) const
{
    return file_.readString(keys::OriginalWallpaper, key, QString());
}

int SettingsFile::originalInteger(const QString& key) const
{
    return file_.readInteger(keys::OriginalWallpaper, key, -1);
}

void SettingsFile::setOriginalText(const QString& key, const QString& value)
{
    file_.writeString(keys::OriginalWallpaper, key, value);
}

PluginListFile::PluginListFile(const AppContext& context)
    : file_(context.programPath(QStringLiteral("data/plugins.ini")))
{
}

std::vector<PluginEntry> PluginListFile::entries() const
{
    std::vector<PluginEntry> entries;
    const IniReading reading(file_); // thousands of sections must not mean thousands of parses
    QSet<QString> seen;
    for (const QString& section : reading.sectionNames()) {
        const QString folded = section.toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        entries.push_back({section, reading.readString(section, keys::Name, QString()),
                           reading.readString(section, keys::Status, QString())});
    }
    return entries;
}

void PluginListFile::setEntry(const QString& name, const QString& status)
{
    file_.writeString(name, keys::Name, name);
    setStatus(name, status);
}

void PluginListFile::setStatus(const QString& section, const QString& status)
{
    file_.writeString(section, keys::Status, status);
}

void PluginListFile::remove(const QString& section)
{
    // Each erase takes the first occurrence only; the count bounds the loop whatever the file.
    for (qsizetype left = file_.sectionNames().size(); left > 0 && file_.sectionExists(section);
         --left)
        file_.eraseSection(section);
}
