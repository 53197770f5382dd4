#include "platform/system.h"

#include "platform/errors.h"
#include "posixsupport.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace platform {

std::string executablePath()
{
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            throw PlatformError("Unable to read the program's path: " + posix::errnoText());
        // readlink truncates silently; a full buffer may mean a longer path.
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string programFileName() { return "tapestron"; }

std::string programDir()
{
    const std::string path = executablePath();
    return path.substr(0, path.rfind('/') + 1);
}

std::optional<std::string> environmentVariable(const std::string& name)
{
    if (const char* value = std::getenv(name.c_str()))
        return std::string(value);
    return std::nullopt;
}

void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value)
{
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}

std::string appDataDir()
{
    if (const char* appData = std::getenv("APPDATA"))
        return appData;
    return posix::userConfigHome();
}

std::int64_t performanceCounter()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::int64_t performanceFrequency() { return 1'000'000'000; }

// The handle comes from another process's window, and this build has no native window ids that
// mean anything across processes; the desktop's window manager decides about focus anyway.
void restoreAndActivateWindow(std::uint32_t) {}

} // namespace platform
