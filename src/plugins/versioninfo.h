#pragma once

#include "platform/shell.h"
#include "platform/versioninfo.h"

#include <QString>

#include <optional>

// What the shell and the version resource tell about a file, as the plug-in info window lists it.
// Texts start empty and flags false; whatever the file does not carry stays so.
struct TFileVersionInfo {
    QString FileType;
    QString CompanyName;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString LegalCopyright;
    QString LegalTrademarks;
    QString OriginalFilename;
    QString ProductName;
    QString ProductVersion;
    QString Comments;
    QString SpecialBuildStr;
    QString PrivateBuildStr;
    QString FileFunction;
    bool Debug = false;
    bool PreRelease = false;
    bool SpecialBuild = false;
    bool PrivateBuild = false;
    bool Patched = false;
    bool InfoInferred = false;

    bool operator==(const TFileVersionInfo&) const = default;
};

// The description of the file type and subtype of the fixed file information; empty for a type
// or subtype without one.
QString FileFunctionText(const platform::FixedFileInfo& info);

// Reads the type name and, for an executable, the version resource of the file at path. Never
// fails: a missing file gives an empty record, a file that is no executable only its type name.
TFileVersionInfo ReadFileVersionInfo(platform::Shell& shell, const QString& path);

// The fixed file information of the version resource of the file at path; nullopt when the file
// is missing or carries none.
std::optional<platform::FixedFileInfo> ReadFixedFileInfo(const QString& path);

// The file version as "major.minor.release.build", each an unsigned decimal number (0.2.0.80).
QString FileVersionNumber(const platform::FixedFileInfo& info);
