#pragma once

#include <QString>

#include <cstdint>

// The most a profile from the service may bring: pictures, and their bytes together.
inline constexpr int MaxProfilePictures = 500;
inline constexpr std::int64_t MaxProfileBytes = std::int64_t(2) << 30;

// How an import ended; the values are the plug-in's exit codes.
enum class ImportStatus {
    Added = 0,
    Refused = 2,        // not a profile file or link, or a list that breaks the rules
    DownloadFailed = 3, // the service did not send the list or one of its pictures
    NothingUsable = 4,  // no picture of the list decodes
    NotWritten = 5,     // the profile or its pictures could not be stored
};

struct ImportOutcome {
    ImportStatus status;
    QString message; // one line for the user
};

// Copies the profile file at path (a "*.tsl") byte for byte into UserDataDir\Profiles under its
// own name, or the first free "name-2.tsl", "name-3.tsl", ...: a profile is never replaced.
ImportOutcome addLocalProfile(const QString& path);

// Fetches the service's profile name (a safe file name): its list ServiceBaseUrl +
// "/profiles/<name>.tsl" of picture URLs, each picture into a new folder UserDataDir\Downloads\name
// (or the first free "name-2", ...: an earlier import keeps its pictures), and a profile of the
// local copies under the free-name rule above. The list is refused whole when it names more than
// MaxProfilePictures pictures or a URL that is not http or https on the service's own host and
// port; the import stops when the pictures pass MaxProfileBytes together or one of them can not
// be fetched (a stalled transfer ends after 30 s). Pictures that do not decode are left out; with
// none left the import fails. A failed import leaves nothing behind.
ImportOutcome importServiceProfile(const QString& name);
