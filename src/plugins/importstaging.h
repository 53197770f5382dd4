#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace platform {
class ExclusiveFile;
}

// The hidden folder in UserDataDir in which one import gathers its files until they are complete.
// The import holds a lock on a file inside it for as long as it runs: a process that is killed
// drops its locks, so a folder whose lock can be taken has no live owner.
class ImportStaging {
public:
    ImportStaging();
    ~ImportStaging();
    ImportStaging(const ImportStaging&) = delete;
    ImportStaging& operator=(const ImportStaging&) = delete;

    // Whether the folder was made and is held.
    bool isValid() const { return folder_.isValid() && owner_ != nullptr; }
    QString path() const { return folder_.path(); }

    // Removes the folder of the import under way, if any, from any thread: the process is about
    // to end without unwinding.
    static void removeCurrent();

private:
    QTemporaryDir folder_;
    std::unique_ptr<platform::ExclusiveFile> owner_;
};

// Removes the staging folders in UserDataDir that were left by imports that did not end (killed,
// or the system stopped): older than an hour and with no live owner. Never throws.
void removeStaleImportFolders();
