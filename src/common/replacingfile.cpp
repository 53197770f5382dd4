#include "replacingfile.h"

#include "errors.h"
#include "platform/files.h"
#include "strings.h"

#include <QDir>
#include <QFileInfo>

ReplacingFile::ReplacingFile(const QString& target, Durability durability)
    : target_(target), durability_(durability)
{
    const QFileInfo info(target);
    platform::removeStaleTemporaries(toStd(QDir::toNativeSeparators(info.path())),
                                     toStd(info.fileName()));
    // A name that is taken (left by a writer of the same id) is passed over.
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_.setFileName(fromStd(platform::temporaryFileName(toStd(target))));
        if (temp_.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return;
        if (!QFileInfo::exists(temp_.fileName()))
            break;
    }
    failed(temp_.errorString());
}

ReplacingFile::~ReplacingFile()
{
    if (committed_)
        return;
    // QFile::remove() gives up when closing fails, as it does on a full disk: close, then remove
    // by name.
    temp_.close();
    QFile::remove(temp_.fileName());
}

void ReplacingFile::write(const QByteArray& bytes)
{
    writeAt(temp_.pos(), bytes.data(), bytes.size());
}

void ReplacingFile::writeAt(qint64 offset, const void* data, qint64 size)
{
    if (!temp_.seek(offset) || temp_.write(static_cast<const char*>(data), size) != size)
        failed(temp_.errorString());
}

void ReplacingFile::commit()
{
    // A file that is replaced keeps its permissions; anything else gets the usual ones of a new
    // file rather than the temporary file's owner-only ones.
    const QFileInfo existing(target_);
    temp_.setPermissions(existing.isFile() && !existing.isSymLink()
                             ? existing.permissions()
                             : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                   QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (!temp_.flush())
        failed(temp_.errorString());
    temp_.close();
    if (temp_.error() != QFileDevice::NoError)
        failed(temp_.errorString());
    // A failed flush is not fatal: some file systems can not do it, and the rename still never
    // leaves half a file.
    if (durability_ == Durability::Flushed)
        platform::flushFileToDisk(toStd(temp_.fileName()));
    if (!platform::moveFileReplacing(toStd(temp_.fileName()), toStd(target_)))
        failed(QStringLiteral("The file could not be replaced."));
    committed_ = true;
}

void ReplacingFile::failed(const QString& reason) const
{
    throw AppError(QStringLiteral("Cannot create file \"%1\". %2").arg(target_, reason));
}
