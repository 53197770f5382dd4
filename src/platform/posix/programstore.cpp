#include "programstore.h"

#include "platform/errors.h"
#include "platform/system.h"
#include "posixsupport.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::posix {

namespace {

struct ProgramFolder {
    std::string path; // ends in "/"; empty when it can not be told
    bool writable = true;
};

// Looked at once: the folder of a running program does not move, and a folder that turned
// writable half-way through would hide the copies written so far.
const ProgramFolder& programFolder()
{
    static const ProgramFolder folder = [] {
        ProgramFolder found;
        try {
            found.path = platform::programDir();
        } catch (const PlatformError&) {
            return found;
        }
        found.writable = ::faccessat(AT_FDCWD, found.path.c_str(), W_OK, AT_EACCESS) == 0;
        return found;
    }();
    return folder;
}

} // namespace

std::optional<std::string> storedCopyOf(const std::string& path)
{
    const ProgramFolder& folder = programFolder();
    // The program names its files from its own folder, so a path that does not begin with it
    // is none of them; this keeps the check cheap for the many paths elsewhere.
    if (folder.writable || !(path + "/").starts_with(folder.path))
        return std::nullopt;
    // Lexically normal, so that "data/../../etc/x" is not taken for a file of the program.
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    if (normal + "/" == folder.path)
        normal += "/";
    if (!normal.starts_with(folder.path))
        return std::nullopt;
    return userDataHome() + "/tapestron/" + normal.substr(folder.path.size());
}

std::string pathForReading(const std::string& path)
{
    struct stat st {};
    if (const auto copy = storedCopyOf(path); copy && ::lstat(copy->c_str(), &st) == 0)
        return *copy;
    return path;
}

std::string pathForWriting(const std::string& path)
{
    const auto copy = storedCopyOf(path);
    if (!copy)
        return path;
    // A folder that can not be made shows as the write's own failure.
    makeDirectories(parentFolder(*copy));
    return *copy;
}

} // namespace platform::posix
