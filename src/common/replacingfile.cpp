#include "replacingfile.h"

#include "errors.h"
#include "platform/files.h"
#include "strings.h"

#include <QFileInfo>

ReplacingFile::ReplacingFile(const QString& target, Durability durability)
    : target_(target), durability_(durability), temp_(target + QStringLiteral(".XXXXXX"))
{
    if (!temp_.open())
        failed(temp_.errorString());
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
    temp_.setAutoRemove(false);
}

void ReplacingFile::failed(const QString& reason) const
{
    throw AppError(QStringLiteral("Cannot create file \"%1\". %2").arg(target_, reason));
}
