#pragma once

#include "inifile.h"
#include "mode.h"

#include <QString>

#include <optional>
#include <vector>

// Every section and key of the settings file, named once. The typed readers below keep the rule
// each value has always been read by; the settings window reads and writes the rest by these
// names directly.
namespace keys {
inline const QString General = QStringLiteral("General");
inline const QString AutoMode = QStringLiteral("AutoMode");
inline const QString CustomMode = QStringLiteral("CustomMode");
inline const QString OriginalWallpaper = QStringLiteral("OriginalWallpaper");

// [General]
inline const QString RunAtStartup = QStringLiteral("RunAtStartup");
inline const QString BallonTips = QStringLiteral("BallonTips");
inline const QString AutoRunAtStartup = QStringLiteral("AutoRunAtStartup");
inline const QString CheckForUpdate = QStringLiteral("CheckForUpdate");
inline const QString TransparentText = QStringLiteral("TransparentText");
inline const QString TempSize = QStringLiteral("TempSize");
inline const QString Hotkey = QStringLiteral("Hotkey");
inline const QString DefaultMode = QStringLiteral("DefaultMode");

// [AutoMode] and [CustomMode]
inline const QString ManagePosition = QStringLiteral("ManagePosition");
inline const QString ReloadTime = QStringLiteral("ReloadTime");
inline const QString Mode = QStringLiteral("Mode");
inline const QString OffsetX = QStringLiteral("OffsetX");
inline const QString OffsetY = QStringLiteral("OffsetY");
inline const QString Category = QStringLiteral("Category");
inline const QString DisplayMethod = QStringLiteral("DisplayMethod");
inline const QString CurrentProfile = QStringLiteral("CurrentProfile");

// [OriginalWallpaper]
inline const QString Path = QStringLiteral("Path");
inline const QString Tile = QStringLiteral("Tile");
inline const QString Style = QStringLiteral("Style");
inline const QString OriginX = QStringLiteral("OriginX");
inline const QString OriginY = QStringLiteral("OriginY");
inline const QString BackgroundColor = QStringLiteral("BackgroundColor");

// The plug-in list: one section per plug-in, named by its file name.
inline const QString Name = QStringLiteral("Name");
inline const QString Status = QStringLiteral("Status");
} // namespace keys

// A yes/no setting, written "1"/"0". A missing key and a present value that is not a number each
// read as their own default; any other number is set.
struct Flag {
    const QString& section;
    const QString& key;
    bool whenMissing;
    bool whenNotNumber;
};

namespace flags {
inline const Flag RunAtStartup{keys::General, keys::RunAtStartup, true, false};
inline const Flag BallonTips{keys::General, keys::BallonTips, false, false};
inline const Flag AutoRunAtStartup{keys::General, keys::AutoRunAtStartup, true, false};
inline const Flag CheckForUpdate{keys::General, keys::CheckForUpdate, false, false};
inline const Flag TransparentText{keys::General, keys::TransparentText, false, true};
inline const Flag ManagePosition{keys::AutoMode, keys::ManagePosition, false, true};
} // namespace flags

// The hot key's text when none was saved.
inline const QString DefaultHotkey = QStringLiteral("Alt+R");

// The settings file (settingsFilePath() unless a path is given), read and written through its
// typed values.
class SettingsFile {
public:
    SettingsFile();
    explicit SettingsFile(QString path) : file_(std::move(path)) {}

    const QString& path() const { return file_.path(); }
    bool exists() const { return file_.exists(); }

    // [General] DefaultMode.
    Mode defaultMode() const;
    // Auto or Custom; Neither is never written.
    void setDefaultMode(Mode mode);

    // [CustomMode] CurrentProfile, empty when missing.
    QString currentProfile() const;
    // Whether a profile was ever chosen, even an empty one.
    bool currentProfileSaved() const
    {
        return file_.valueExists(keys::CustomMode, keys::CurrentProfile);
    }
    // Throws AppError when the file name given can not be kept as the current profile.
    void setCurrentProfile(const QString& name);
    // Throws AppError, saying so, when name holds a line break: written into the settings file it
    // would end the value there and make lines of its own.
    static void checkProfileName(const QString& name);

    // [AutoMode] Category: nullopt when missing, -1 when not a number.
    std::optional<int> category() const { return integer(keys::AutoMode, keys::Category); }
    void setCategory(int index) { setInteger(keys::AutoMode, keys::Category, index); }

    // A mode section's ReloadTime and its unit ("Mode"); -1 when missing or not a number.
    int reloadTime(const QString& modeSection) const;
    int reloadUnit(const QString& modeSection) const;

    bool flag(const Flag& flag) const;
    void setFlag(const Flag& flag, bool value);

    // A value as text; nullopt when the key is missing.
    std::optional<QString> text(const QString& section, const QString& key) const;
    void setText(const QString& section, const QString& key, const QString& value);
    // A value as an integer: nullopt when the key is missing, -1 when it is not a number.
    std::optional<int> integer(const QString& section, const QString& key) const;
    void setInteger(const QString& section, const QString& key, int value);
    // A mode section's display method (1..4 name a button); -1 when missing or not a number.
    int displayMethod(const QString& modeSection) const;

    // [General] BallonTips (set: balloons are off).
    bool balloonsDisabled() const { return flag(flags::BallonTips); }

    // [OriginalWallpaper]: whether the section exists, a value as text (empty when missing), as
    // a number (-1 when missing or not a number), and written as text.
    bool originalSaved() const;
    QString originalText(const QString& key) const;
    int originalInteger(const QString& key) const;
    void setOriginalText(const QString& key, const QString& value);

private:
    IniFile file_;
};

struct AppContext;

// A plug-in's status in the plug-in list.
inline const QString PluginEnabled = QStringLiteral("enabled");
inline const QString PluginDisabled = QStringLiteral("disabled");

// One section of the plug-in list: its Name and Status, each empty when missing.
struct PluginEntry {
    QString section;
    QString name;
    QString status;

    bool operator==(const PluginEntry&) const = default;
};

// The plug-in list "plugins.ini" in the program's "data" folder.
class PluginListFile {
public:
    explicit PluginListFile(const AppContext& context);

    const QString& path() const { return file_.path(); }
    bool exists() const { return file_.exists(); }

    // The sections in file order. A section that occurs again, in any letter case, is listed
    // once: only its first occurrence is ever read.
    std::vector<PluginEntry> entries() const;
    // Name and Status in the section named name, which is created at the end when new.
    void setEntry(const QString& name, const QString& status);
    void setStatus(const QString& section, const QString& status);
    // The section gone, its later occurrences too.
    void remove(const QString& section);

private:
    IniFile file_;
};
