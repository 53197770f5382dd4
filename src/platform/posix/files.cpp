#include "platform/files.h"

#include "posixsupport.h"
#include "programstore.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

bool onlyStars(std::string_view mask)
{
    return mask.find_first_not_of('*') == std::string_view::npos;
}

// Windows wildcard rules, as far as the program meets them: "*" any run of characters, "?" any
// one character, letters without case, and a "." that is followed by nothing but stars also
// matches the end of a name, which is why "*.*" and "name.*" take names without any dot.
bool matches(std::string_view name, std::string_view mask)
{
    while (!mask.empty()) {
        if (mask.front() == '*') {
            const std::size_t rest = mask.find_first_not_of('*');
            if (rest == std::string_view::npos)
                return true;
            mask.remove_prefix(rest);
            for (std::size_t skip = 0; skip <= name.size(); ++skip)
                if (matches(name.substr(skip), mask))
                    return true;
            return false;
        }
        if (name.empty())
            return mask.front() == '.' && onlyStars(mask.substr(1));
        if (mask.front() != '?' &&
            posix::asciiLower(mask.front()) != posix::asciiLower(name.front()))
            return false;
        mask.remove_prefix(1);
        name.remove_prefix(1);
    }
    return name.empty();
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isHiddenName(std::string_view name)
{
    return name.size() > 1 && name.front() == '.' && name != "..";
}

// Every byte from in to out. The kernel copies between the page caches itself; a file system that
// can not do that (or an older kernel) gets the plain loop.
bool copyAll(int in, int out)
{
    for (;;) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (copied == 0)
            return true;
        if (copied < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
                return false;
            break;
        }
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t count = ::read(in, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return count == 0;
        for (ssize_t done = 0; done < count;) {
            const ssize_t written = ::write(out, buffer.data() + done, std::size_t(count - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            done += written;
        }
    }
}

int openRegular(const std::string& path, bool* notRegular)
{
    if (notRegular)
        *notRegular = false;
    // Without O_NONBLOCK, open() on a FIFO waits for a writer; O_NOCTTY keeps a terminal from
    // becoming ours.
    posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0)
        return -1;
    if (!S_ISREG(st.st_mode)) {
        if (notRegular)
            *notRegular = true;
        errno = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
        return -1;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return -1;
    return fd.release();
}

bool renameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    // A file system without that rename flag: a hard link is just as unable to replace, and
    // dropping the old name afterwards completes the move.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    if (::unlink(from.c_str()) != 0) {
        const int saved = errno;
        ::unlink(to.c_str());
        errno = saved;
        return false;
    }
    return true;
}

// Copies from into a new file beside to, which then takes to's name, replacing or not.
bool copyInto(const std::string& from, const std::string& to, bool replacing)
{
    const posix::UniqueFd in(openRegular(from, nullptr));
    if (!in)
        return false;
    // The copies are the program's own wallpaper files, made again from their source at need;
    // waiting for the disk would more than double the time of a step.
    posix::ReplacementFile out(to);
    return out && copyAll(in.get(), out.fd()) &&
           out.commit(posix::ReplacementFile::Durability::Remakeable,
                      replacing ? posix::ReplacementFile::Placement::Replacing
                                : posix::ReplacementFile::Placement::NoReplace);
}

// An installed file in a program folder the user may not write: it can not leave, so a move
// of it leaves it in place and puts a copy at the target.
bool isInstalledOnly(const std::string& path, const std::string& readFrom)
{
    return readFrom == path && posix::storedCopyOf(path).has_value();
}

} // namespace

char pathSeparator() { return '/'; }

bool fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(posix::pathForReading(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool directoryExists(const std::string& path)
{
    struct stat st {};
    return ::stat(posix::pathForReading(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool createDirectory(const std::string& path)
{
    if (posix::storedCopyOf(path)) {
        struct stat st {};
        if (::stat(posix::pathForReading(path).c_str(), &st) == 0) {
            errno = EEXIST;
            return false;
        }
        if (!directoryExists(posix::parentFolder(path))) {
            errno = ENOENT;
            return false;
        }
    }
    return ::mkdir(posix::pathForWriting(path).c_str(), 0777) == 0;
}

bool deleteFile(const std::string& path)
{
    // Only a per-user copy goes: the installed file under it can not, as the folder refuses.
    const std::string target = posix::pathForReading(path);
    // Windows refuses to delete a read-only file; the owner's write permission stands in for
    // that attribute here.
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR)) {
        errno = EACCES;
        return false;
    }
    return ::unlink(target.c_str()) == 0;
}

bool moveFileNoReplace(const std::string& from, const std::string& to)
{
    const std::string source = posix::pathForReading(from);
    struct stat st {};
    if (posix::storedCopyOf(to) && ::lstat(posix::pathForReading(to).c_str(), &st) == 0) {
        errno = EEXIST; // an installed file counts as there, as its copy would
        return false;
    }
    const std::string target = posix::pathForWriting(to);
    if (isInstalledOnly(from, source))
        return copyInto(source, target, false);
    return renameNoReplace(source, target);
}

bool moveFileReplacing(const std::string& from, const std::string& to)
{
    const std::string source = posix::pathForReading(from);
    const std::string target = posix::pathForWriting(to);
    if (isInstalledOnly(from, source))
        return copyInto(source, target, true);
    return ::rename(source.c_str(), target.c_str()) == 0;
}

bool flushFileToDisk(const std::string& path)
{
    // fsync writes the file's cached pages whichever descriptor asks, a read-only one included.
    const posix::UniqueFd file(::open(posix::pathForReading(path).c_str(), O_RDONLY | O_CLOEXEC));
    return file && ::fsync(file.get()) == 0;
}

int openRegularFileForReading(const std::string& path, bool* notRegular)
{
    return openRegular(posix::pathForReading(path), notRegular);
}

bool copyFileReplacing(const std::string& from, const std::string& to)
{
    return copyInto(posix::pathForReading(from), posix::pathForWriting(to), true);
}

namespace {

std::vector<FoundFile> listFolder(const std::string& folder, const std::string& mask)
{
    std::vector<FoundFile> found;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir || mask.empty())
        return found;
    const int dirFd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (!matches(name, mask))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        FoundFile file{std::string(name), 0, 0};
        if (S_ISLNK(st.st_mode)) {
            // A link to a folder is a junction-like reparse point; a link to a file shows the
            // file. A dangling link shows nothing.
            if (::fstatat(dirFd, entry->d_name, &st, 0) != 0)
                continue;
            if (S_ISDIR(st.st_mode))
                file.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        }
        if (S_ISDIR(st.st_mode)) {
            file.attributes |= FILE_ATTRIBUTE_DIRECTORY;
        } else if (S_ISREG(st.st_mode)) {
            file.attributes |= FILE_ATTRIBUTE_ARCHIVE;
            if (!(st.st_mode & S_IWUSR))
                file.attributes |= FILE_ATTRIBUTE_READONLY;
            file.size = static_cast<std::uint64_t>(st.st_size);
        } else {
            continue; // fifos, sockets, devices: nothing Windows would list
        }
        if (isHiddenName(name))
            file.attributes |= FILE_ATTRIBUTE_HIDDEN;
        found.push_back(std::move(file));
    }
    return found;
}

} // namespace

std::vector<FoundFile> findFiles(const std::string& folder, const std::string& mask)
{
    std::vector<FoundFile> found = listFolder(folder, mask);
    const auto copy = posix::storedCopyOf(folder);
    if (!copy)
        return found;
    // The per-user copies first, then the installed files that no copy hides.
    std::vector<FoundFile> merged = listFolder(*copy, mask);
    for (FoundFile& file : found)
        if (std::none_of(merged.begin(), merged.end(),
                         [&](const FoundFile& other) { return other.name == file.name; }))
            merged.push_back(std::move(file));
    return merged;
}

} // namespace platform
