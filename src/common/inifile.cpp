#include "inifile.h"

#include "errors.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "strings.h"

bool IniFile::exists() const { return platform::fileExists(toStd(path_)); }

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& fallback) const
{
    return fromStd(
        platform::getProfileString(toStd(path_), toStd(section), toStd(key), toStd(fallback)));
}

int IniFile::readInteger(const QString& section, const QString& key, int fallback) const
{
    return parseInteger(readString(section, key, QString())).value_or(fallback);
}

bool IniFile::readBool(const QString& section, const QString& key, bool fallback) const
{
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    for (const std::string& name : platform::getProfileSectionKeys(toStd(path_), toStd(section)))
        if (fromStd(name).compare(key, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool IniFile::sectionExists(const QString& section) const
{
    for (const std::string& name : platform::getProfileSectionNames(toStd(path_)))
        if (fromStd(name).compare(section, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QStringList IniFile::sectionNames() const
{
    QStringList names;
    for (const std::string& name : platform::getProfileSectionNames(toStd(path_)))
        names.push_back(fromStd(name));
    return names;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    try {
        platform::writeProfileString(toStd(path_), toStd(section), toStd(key), toStd(value));
    } catch (const platform::PlatformError&) {
        throw AppError(QStringLiteral("Unable to write to %1").arg(path_));
    }
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::eraseSection(const QString& section)
{
    try {
        platform::eraseProfileSection(toStd(path_), toStd(section));
    } catch (const platform::PlatformError&) {
        throw AppError(QStringLiteral("Unable to write to %1").arg(path_));
    }
}

IniReading::IniReading(const IniFile& file) : reading_(toStd(file.path())) {}

QString IniReading::readString(const QString& section, const QString& key,
                               const QString& fallback) const
{
    return fromStd(reading_.getString(toStd(section), toStd(key), toStd(fallback)));
}

QStringList IniReading::sectionNames() const
{
    QStringList names;
    for (const std::string& name : reading_.sectionNames())
        names.push_back(fromStd(name));
    return names;
}
