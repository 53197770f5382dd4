#include "platform/system.h"

#include "desktop/session.h"
#include "desktop/x11connection.h"
#include "platform/errors.h"
#include "posixsupport.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <malloc.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#include <utility>

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

bool systemIsWindows() { return false; }

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

std::uint32_t currentProcessId() { return static_cast<std::uint32_t>(::getpid()); }

bool processRunning(std::uint32_t id)
{
    // Signal 0 only asks; EPERM is a process of another user, which runs all the same.
    if (id == 0 || id > static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max()))
        return false;
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

void prepareProcess() { ::signal(SIGXFSZ, SIG_IGN); }

void onTerminationRequest(std::function<void()> cleanUp)
{
    // The signals are blocked in every thread (later ones inherit the mask) and taken by one
    // that waits for them, where the clean-up may do what a signal handler may not.
    sigset_t requests;
    sigemptyset(&requests);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&requests, signal);
    ::pthread_sigmask(SIG_BLOCK, &requests, nullptr);
    std::thread([requests, cleanUp = std::move(cleanUp)] {
        int signal = 0;
        while (::sigwait(&requests, &signal) != 0) {
        }
        cleanUp();
        // Ended by the signal itself, so the parent sees what it sent.
        ::signal(signal, SIG_DFL);
        ::pthread_sigmask(SIG_UNBLOCK, &requests, nullptr);
        ::raise(signal);
        ::_exit(128 + signal);
    }).detach();
}

void releaseFreedMemory()
{
    // glibc keeps freed heap memory, and after the first large free it serves buffers of a 4K
    // picture from the heap instead of separate mappings.
    ::malloc_trim(0);
}

// On X the handle is the other instance's window id, and focus belongs to the window manager: it
// is asked, as pagers and task bars ask it, to activate the window, which also restores it from
// minimised. Outside an X session there is nothing to reach.
void restoreAndActivateWindow(std::uint32_t windowHandle)
{
    const auto display = posix::sessionX11Display();
    if (!display || windowHandle == XCB_WINDOW_NONE)
        return;
    const auto x = posix::X11Connection::open(*display);
    if (!x)
        return;
    const posix::QuietBrokenPipe quiet;
    // The stored window may have gone with an instance that ended without tidying up.
    const auto cookie = xcb_get_window_attributes(x->get(), windowHandle);
    if (!x->reply<xcb_get_window_attributes_reply_t>(cookie.sequence))
        return;
    const xcb_atom_t activate = x->atom("_NET_ACTIVE_WINDOW");
    if (activate == XCB_ATOM_NONE)
        return;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = windowHandle;
    message.type = activate;
    message.data.data32[0] = 2; // the request comes from the user, as a task bar's would
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(x->get(), 0, x->root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    x->roundTrip();
}

} // namespace platform
