#include "platform/files.h"

#include "posixsupport.h"
#include "programstore.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

class PosixExclusiveFile final : public ExclusiveFile {
public:
    explicit PosixExclusiveFile(posix::UniqueFd fd) : fd_(std::move(fd)) {}

    bool write(const char* data, std::size_t size) override
    {
        while (size > 0) {
            const ssize_t written = ::write(fd_.get(), data, size);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

private:
    posix::UniqueFd fd_; // closing it releases the lock
};

} // namespace

std::unique_ptr<ExclusiveFile> createExclusiveFile(const std::string& requested)
{
    const std::string path = posix::pathForWriting(requested);
    // Windows refuses to open a read-only file for writing, even for an administrator.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR)) {
        errno = EACCES;
        return nullptr;
    }
    // Truncated only once the lock is ours, so a file another holder writes stays intact.
    posix::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    if (!fd || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd.get(), 0) != 0)
        return nullptr;
    return std::make_unique<PosixExclusiveFile>(std::move(fd));
}

} // namespace platform
