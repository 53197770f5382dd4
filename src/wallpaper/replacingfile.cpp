#include "replacingfile.h"

#include "common/errors.h"
#include "common/strings.h"
#include "platform/files.h"

ReplacingFile::ReplacingFile(const QString& target)
    : target_(target), temp_(target + QStringLiteral(".XXXXXX"))
{
    if (!temp_.open())
        failed(temp_.errorString());
}

void ReplacingFile::writeAt(qint64 offset, const void* data, qint64 size)
{
    if (!temp_.seek(offset) || temp_.write(static_cast<const char*>(data), size) != size)
        failed(temp_.errorString());
}

void ReplacingFile::commit()
{
    // The usual permissions of a new file rather than the temporary file's owner-only ones.
    temp_.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                         QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (!temp_.flush())
        failed(temp_.errorString());
    temp_.close();
    if (temp_.error() != QFileDevice::NoError)
        failed(temp_.errorString());
    if (!platform::moveFileReplacing(toStd(temp_.fileName()), toStd(target_)))
        failed(QStringLiteral("The file could not be replaced."));
    temp_.setAutoRemove(false);
}

void ReplacingFile::failed(const QString& reason) const
{
    throw AppError(QStringLiteral("Cannot create file \"%1\". %2").arg(target_, reason));
}
