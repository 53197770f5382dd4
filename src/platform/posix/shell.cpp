#include "platform/shell.h"

#include "desktop/gvarianttext.h"
#include "desktop/process.h"
#include "platform/files.h"
#include "posixsupport.h"

#include <algorithm>
#include <cerrno>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

// A file's type name comes from its MIME type, in the words the Windows shell uses for that type.
// The type is known by the file's extension (the MIME type it stands for is noted beside it) or,
// failing that, by a program's first bytes, since Linux executables carry no extension. A type
// neither tells is named as the Windows shell names an unregistered one: the extension in
// capitals followed by " File", or "File" when there is no extension.
struct KnownType {
    const char* extension;
    const char* name;
};

constexpr KnownType knownTypes[] = {
    {"exe", "Application"},                // application/vnd.microsoft.portable-executable
    {"dll", "Application extension"},      // application/x-sharedlib
    {"so", "Application extension"},       // application/x-sharedlib
    {"txt", "Text Document"},              // text/plain
    {"ini", "Configuration settings"},     // text/x-ini (textual/x-ini)
    {"htm", "HTML Document"},              // text/html
    {"html", "HTML Document"},             // text/html
    {"jpg", "JPEG image"},                 // image/jpeg
    {"jpeg", "JPEG image"},                // image/jpeg
    {"jpe", "JPEG image"},                 // image/jpeg
    {"bmp", "Bitmap image"},               // image/bmp
    {"png", "PNG image"},                  // image/png
    {"gif", "GIF image"},                  // image/gif
    {"zip", "Compressed (zipped) Folder"}, // application/zip
};

// ELF, or a whole DOS header with its "MZ", which every Windows (and DOS) program begins with.
bool hasProgramHeader(const std::string& path)
{
    char head[64] = {};
    const posix::UniqueFd file(openRegularFileForReading(path));
    ssize_t got = 0;
    while (file && got < ssize_t(sizeof head)) {
        const ssize_t count = ::read(file.get(), head + got, sizeof head - std::size_t(got));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        got += count;
    }
    return (got == sizeof head && head[0] == 'M' && head[1] == 'Z') ||
           (got >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F');
}

// Extensions change case in their ASCII letters only, as the Windows shell's do.
std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return text;
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); });
    return text;
}

std::string extensionOf(const std::string& path)
{
    const std::size_t name = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < name ? std::string() : path.substr(dot + 1);
}

// Opening goes through xdg-open, the desktop's own "open" verb. The target is one argument of the
// new process, never part of a command line a shell would read, so no address can run a command.
class PosixShell final : public Shell {
public:
    bool open(const std::string& target) override
    {
        // A grandchild does the work, so nothing is left for this program to reap.
        const pid_t child = ::fork();
        if (child < 0)
            return false;
        if (child == 0) {
            ::setsid();
            char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(target.c_str()),
                                  nullptr};
            pid_t opener = 0;
            const int failed = ::posix_spawnp(&opener, "xdg-open", nullptr, nullptr, argv, environ);
            ::_exit(failed == 0 ? 0 : 1);
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    std::optional<std::string> typeName(const std::string& path) override
    {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return std::nullopt;
        if (S_ISDIR(info.st_mode))
            return "File folder"; // inode/directory
        const std::string extension = extensionOf(path);
        for (const KnownType& known : knownTypes) {
            if (lower(extension) == known.extension)
                return known.name;
        }
        if (hasProgramHeader(path))
            return "Application"; // application/x-executable
        if (extension.empty())
            return "File";
        // The shell's buffer holds 80 characters, its terminating zero included.
        return (upper(extension) + " File").substr(0, 79);
    }

    bool isExecutable(const std::string& path) override
    {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && hasProgramHeader(path);
    }

    // The desktop's notification service on the session bus (org.freedesktop.Notifications,
    // Notify); every desktop offers one. The arguments are GVariant literals, so no text can be
    // read as anything but a string. A service that reads markup in the body would take a "<b>"
    // in a profile's name for bold (or an "<img>" for a file to load), so the body is escaped for
    // it; one that reads none shows the text as it is.
    bool notify(const std::string& title, const std::string& text) override
    {
        const auto call = [](const std::string& method, std::vector<std::string> arguments) {
            std::vector<std::string> argv = {"gdbus",
                                             "call",
                                             "--session",
                                             "--dest",
                                             NotificationsName,
                                             "--object-path",
                                             "/org/freedesktop/Notifications",
                                             "--method",
                                             std::string(NotificationsName) + "." + method};
            argv.insert(argv.end(), arguments.begin(), arguments.end());
            return posix::runTool(argv);
        };
        const bool markup =
            call("GetCapabilities", {}).output.find("'body-markup'") != std::string::npos;
        return call("Notify", {posix::gvariantQuoted("Tapestron"), "uint32 0", "''",
                               posix::gvariantQuoted(title),
                               posix::gvariantQuoted(markup ? escapedMarkup(text) : text), "@as []",
                               "@a{sv} {}", "int32 -1"})
            .succeeded();
    }

private:
    static constexpr const char* NotificationsName = "org.freedesktop.Notifications";

    static std::string escapedMarkup(const std::string& text)
    {
        std::string escaped;
        for (const char c : text) {
            if (c == '&')
                escaped += "&amp;";
            else if (c == '<')
                escaped += "&lt;";
            else if (c == '>')
                escaped += "&gt;";
            else
                escaped += c;
        }
        return escaped;
    }
};

} // namespace

std::unique_ptr<Shell> createShell() { return std::make_unique<PosixShell>(); }

} // namespace platform
