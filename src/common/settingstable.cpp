#include "settingstable.h"

#include "paths.h"

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

void SettingsFile::setCurrentProfile(const QString& name)
{
    file_.writeString(keys::CustomMode, keys::CurrentProfile, name);
}

std::optional<int> SettingsFile::category() const
{
    if (!file_.valueExists(keys::AutoMode, keys::Category))
        return std::nullopt;
    return file_.readInteger(keys::AutoMode, keys::Category, -1);
}

void SettingsFile::setCategory(int index)
{
    file_.writeInteger(keys::AutoMode, keys::Category, index);
}

int SettingsFile::reloadTime(const QString& modeSection) const
{
    return file_.readInteger(modeSection, keys::ReloadTime, -1);
}

int SettingsFile::reloadUnit(const QString& modeSection) const
{
    return file_.readInteger(modeSection, keys::Mode, -1);
}

bool SettingsFile::balloonsDisabled() const
{
    return file_.readBool(keys::General, keys::BallonTips, false);
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
