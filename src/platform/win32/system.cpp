#include "platform/system.h"

#include "platform/errors.h"
#include "win32support.h"

#include <malloc.h>
#include <shlobj.h>
#include <utility>

namespace platform {

using win32::toUtf8;
using win32::toWide;

std::string executablePath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            throw PlatformError("Unable to read the program's path: " +
                                win32::errorText(::GetLastError()));
        // A full buffer means a cut path.
        if (length < buffer.size()) {
            buffer.resize(length);
            return toUtf8(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string programFileName() { return "tapestron.exe"; }

bool systemIsWindows() { return true; }

std::string programDir()
{
    const std::string path = executablePath();
    return path.substr(0, path.find_last_of("\\/") + 1);
}

std::optional<std::string> environmentVariable(const std::string& name)
{
    const std::wstring wideName = toWide(name);
    std::wstring value(256, L'\0');
    for (;;) {
        // A set but empty variable also returns 0; only the error code tells it from a missing one.
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(),
                                                       static_cast<DWORD>(value.size()));
        if (length == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND)
            return std::nullopt;
        if (length < value.size()) {
            value.resize(length);
            return toUtf8(value);
        }
        value.resize(length); // the size needed, with its terminator
    }
}

// The process's own variables, which environmentVariable reads, not the C runtime's copy of them
// (whose _putenv can not keep "" apart from a missing variable).
void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value)
{
    ::SetEnvironmentVariableW(toWide(name).c_str(), value ? toWide(*value).c_str() : nullptr);
}

std::string appDataDir()
{
    if (auto appData = environmentVariable("APPDATA"))
        return *appData;
    // Without the variable, the folder it normally names.
    wchar_t folder[MAX_PATH] = {};
    if (::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK)
        return {};
    return toUtf8(folder);
}

std::int64_t performanceCounter()
{
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

std::int64_t performanceFrequency()
{
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

// Windows has no file-size limit signal: a write that does not fit simply fails.
std::uint32_t currentProcessId() { return ::GetCurrentProcessId(); }

bool processRunning(std::uint32_t id)
{
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) // a process the user may not open runs all the same
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return running;
}

void prepareProcess() {}

namespace {

std::function<void()> terminationCleanUp;

// Called by the system on a thread of its own; returning FALSE lets the default handler end the
// process.
BOOL WINAPI terminationHandler(DWORD)
{
    if (terminationCleanUp)
        terminationCleanUp();
    return FALSE;
}

} // namespace

void onTerminationRequest(std::function<void()> cleanUp)
{
    terminationCleanUp = std::move(cleanUp);
    ::SetConsoleCtrlHandler(terminationHandler, TRUE);
}

void releaseFreedMemory()
{
    // The C runtime's heap gives its free blocks back to the process heap, which releases them.
    ::_heapmin();
}

void restoreAndActivateWindow(std::uint32_t windowHandle)
{
    // Window handles fit in 32 bits, also in 64-bit processes, so they can be stored that way.
    const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(windowHandle));
    if (!::IsWindow(window))
        return;
    if (::IsIconic(window))
        ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(window);
}

} // namespace platform
