#include "importstaging.h"

#include "common/paths.h"
#include "common/strings.h"
#include "platform/files.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <mutex>

namespace {

const QString Prefix = QStringLiteral(".import-");
const QString OwnerFile = QStringLiteral("owner.lock");
// A live import holds its lock, so age only keeps a folder of one that is just starting.
constexpr qint64 StaleAfterSeconds = 60 * 60;

// The folder of the import under way, for a clean-up on another thread.
std::mutex currentMutex;
QString currentFolder;

std::unique_ptr<platform::ExclusiveFile> holdOwner(const QString& folder)
{
    return platform::createExclusiveFile(toStd(joinPath(folder, OwnerFile)));
}

} // namespace

ImportStaging::ImportStaging()
    : folder_([] {
          platform::createDirectory(toStd(userDataDir()));
          return joinPath(userDataDir(), Prefix + QStringLiteral("XXXXXX"));
      }())
{
    if (!folder_.isValid())
        return;
    owner_ = holdOwner(folder_.path());
    const std::lock_guard lock(currentMutex);
    currentFolder = folder_.path();
}

ImportStaging::~ImportStaging()
{
    const std::lock_guard lock(currentMutex);
    currentFolder.clear();
}

void ImportStaging::removeCurrent()
{
    const std::lock_guard lock(currentMutex);
    if (currentFolder.isEmpty())
        return;
    // The import may still add a file while the folder is emptied.
    for (int attempt = 0; attempt < 3 && !QDir(currentFolder).removeRecursively(); ++attempt) {
    }
}

void removeStaleImportFolders()
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-StaleAfterSeconds);
    const QDir userData(userDataDir());
    const QFileInfoList folders = userData.entryInfoList(
        {Prefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& folder : folders) {
        if (folder.lastModified().toUTC() > before)
            continue;
        // Taking the lock (made anew when missing) shows the owner is gone. It is let go before
        // the folder goes, as Windows deletes no file that is open; no import takes an old
        // folder back, each makes its own.
        if (auto owner = holdOwner(folder.absoluteFilePath())) {
            owner.reset();
            QDir(folder.absoluteFilePath()).removeRecursively();
        }
    }
}
