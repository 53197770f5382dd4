#include "posixsupport.h"

#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace platform::posix {

void UniqueFd::reset(int fd)
{
    if (fd_ >= 0) {
        const int saved = errno; // closing must not hide the error a caller is about to report
        ::close(fd_);
        errno = saved;
    }
    fd_ = fd;
}

std::string errnoText() { return std::strerror(errno); }

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

namespace {

std::optional<std::string> environmentValue(const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    if (const char* value = std::getenv(name.c_str()))
        return value;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view variable = *entry;
        const std::size_t equals = variable.find('=');
        if (equals != std::string_view::npos && equalsNoCase(variable.substr(0, equals), name))
            return std::string(variable.substr(equals + 1));
    }
    return std::nullopt;
}

} // namespace

std::string expandEnvironmentStrings(std::string_view text)
{
    std::string result;
    while (!text.empty()) {
        const std::size_t open = text.find('%');
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            result += text;
            break;
        }
        result += text.substr(0, open);
        const std::string_view name = text.substr(open + 1, close - open - 1);
        const auto value = environmentValue(std::string(name));
        result += value ? std::string_view(*value) : text.substr(open, close - open + 1);
        text.remove_prefix(close + 1);
    }
    return result;
}

std::optional<std::string> readWholeFile(const std::string& path)
{
    UniqueFd fd(platform::openRegularFileForReading(path));
    if (!fd)
        return std::nullopt;
    std::string bytes;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (got == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

namespace {

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// Where a write to path really lands: the target of a symbolic link, so that replacing the file
// does not turn the link into a plain file.
std::string resolvedTarget(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string target = real;
            std::free(real);
            return target;
        }
    }
    return path;
}

} // namespace

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target))
{
    // What a killed write of the same file left goes first.
    const std::size_t slash = target_.rfind('/');
    platform::removeStaleTemporaries(slash == std::string::npos ? "." : target_.substr(0, slash),
                                     target_.substr(slash + 1));
    // O_EXCL with mode 0666 lets the umask decide the permissions, as for any other file the
    // user creates; a name that is taken (left by a process that was killed) is passed over.
    for (int attempt = 0; attempt < 100 && !fd_; ++attempt) {
        temporary_ = platform::temporaryFileName(target_);
        fd_.reset(::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd_ && errno != EEXIST)
            break;
    }
    if (!fd_)
        temporary_.clear(); // nothing was made, so nothing is removed
}

ReplacementFile::~ReplacementFile()
{
    if (committed_ || temporary_.empty())
        return;
    const int saved = errno; // the caller may be about to report it
    fd_.reset();
    ::unlink(temporary_.c_str());
    errno = saved;
}

bool ReplacementFile::commit(Durability durability, Placement placement)
{
    if (!fd_ || (durability == Durability::Flushed && ::fsync(fd_.get()) != 0) ||
        ::close(fd_.release()) != 0)
        return false;
    const bool placed = placement == Placement::Replacing
                            ? ::rename(temporary_.c_str(), target_.c_str()) == 0
                            : platform::moveFileNoReplace(temporary_, target_);
    if (!placed)
        return false;
    committed_ = true;
    return true;
}

bool replaceFileContents(const std::string& path, const std::string& bytes)
{
    const std::string target = resolvedTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    ReplacementFile file(target);
    return file && writeAll(file.fd(), bytes) &&
           (!exists || ::fchmod(file.fd(), existing.st_mode & 07777) == 0) && file.commit();
}

bool existingFileWritable(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
    return fd || errno == ENOENT;
}

bool makeDirectories(const std::string& path)
{
    if (path.empty())
        return true;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    const std::string parent = parentFolder(path);
    if (!parent.empty() && parent != path && !makeDirectories(parent))
        return false;
    return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

std::string parentFolder(const std::string& path)
{
    std::size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') // "a/b/" names the folder b
        --end;
    const std::size_t slash = path.rfind('/', end - 1);
    if (slash == std::string::npos)
        return {};
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

namespace {

// A base folder of the user's: the variable, where set and not empty (an empty one counts as
// unset, as the base-directory rules say), else the fallback below the home folder.
std::string baseFolder(const char* variable, const char* belowHome)
{
    if (const char* xdg = std::getenv(variable); xdg && *xdg)
        return xdg;
    std::string home;
    if (const char* env = std::getenv("HOME"); env && *env)
        home = env;
    else if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        home = entry->pw_dir;
    return home + belowHome;
}

} // namespace

std::string userConfigHome() { return baseFolder("XDG_CONFIG_HOME", "/.config"); }

std::string userDataHome() { return baseFolder("XDG_DATA_HOME", "/.local/share"); }

} // namespace platform::posix
