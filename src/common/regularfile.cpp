#include "regularfile.h"

#include "strings.h"

#include "platform/files.h"

#include <cerrno>
#include <cstring>

bool RegularFile::openForReading(QIODevice::OpenMode extra)
{
    bool notRegular = false;
    const int fd = platform::openRegularFileForReading(toStd(fileName()), &notRegular);
    if (fd < 0) {
        setErrorString(notRegular ? QStringLiteral("It is not a regular file.")
                                  : QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // The file owns the descriptor from here, opened or not.
    return open(fd, QIODevice::ReadOnly | extra, QFileDevice::AutoCloseHandle);
}
