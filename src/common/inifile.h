#pragma once

#include "platform/profile.h"

#include <QString>
#include <QStringList>

// One settings file, read and written one value at a time through the private-profile functions:
// no cache, every write reaches the file at once.
class IniFile {
public:
    explicit IniFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }
    bool exists() const;

    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    // The value as an integer (decimal, or hex after "$" or "0x"); fallback when the key is
    // missing or its value is not an integer.
    int readInteger(const QString& section, const QString& key, int fallback) const;
    // readInteger(fallback as 0/1) != 0.
    bool readBool(const QString& section, const QString& key, bool fallback) const;

    // A key is present when it exists in its section, even with an empty value.
    bool valueExists(const QString& section, const QString& key) const;
    bool sectionExists(const QString& section) const;
    // The names of all sections in file order, each as often as it occurs; empty without a file.
    QStringList sectionNames() const;

    // Throw AppError "Unable to write to <path>" when the system refuses the write.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value); // "1" / "0"
    // Removes the section with all its keys; a missing file or section is no error.
    void eraseSection(const QString& section);

private:
    QString path_;
};

// One reading of a settings file for an operation that reads many of its values: the file is
// parsed once, and a later change of it is seen by the next reading, not by this one.
class IniReading {
public:
    explicit IniReading(const IniFile& file);

    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    QStringList sectionNames() const;

private:
    platform::ProfileReading reading_;
};
