#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// The full path of the running executable (UTF-8). Throws PlatformError when it can not be read.
std::string executablePath();

// The folder of the running executable, ending in the native separator.
std::string programDir();

// The program's documented executable file name ("tapestron.exe" on Windows, "tapestron" here),
// which stored texts name whatever the running file is called.
std::string programFileName();

// Whether this is Windows itself, whose name the program's texts may then carry.
bool systemIsWindows();

// The environment variable, or nullopt when it is not set.
std::optional<std::string> environmentVariable(const std::string& name);

// Sets the variable for this process and the programs it starts (nullopt removes it); a
// variable set to "" stays apart from a missing one.
void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value);

// The folder named by "APPDATA"; POSIX falls back to ${XDG_CONFIG_HOME:-~/.config} when unset.
std::string appDataDir();

// QueryPerformanceCounter / QueryPerformanceFrequency.
std::int64_t performanceCounter();
std::int64_t performanceFrequency();

// The id of this process.
std::uint32_t currentProcessId();

// Whether a process of this id runs now.
bool processRunning(std::uint32_t id);

// Sets the process up the way the program's failure handling expects, once at start: a write
// past the system's file-size limit then fails like any other (POSIX: SIGXFSZ is ignored, so the
// write returns EFBIG instead of ending the process).
void prepareProcess();

// Runs cleanUp on a thread of its own when the process is asked to end (POSIX: SIGTERM, SIGINT or
// SIGHUP; Windows: Ctrl+C, Ctrl+Break, the console closed, log-off or shut-down), then ends the
// process as that request would have. Call once, early, before the process starts other threads.
void onTerminationRequest(std::function<void()> cleanUp);

// Hands memory the program has freed back to the system. A step's picture buffers are many times
// what the idling program needs, and the allocator would otherwise keep them for the process.
void releaseFreedMemory();

// Brings a window of another instance of the program to the front, restoring it when it is
// minimised. POSIX: in an X session the window manager is asked to activate the window (which
// restores it); a handle that names no window, or no X session, does nothing.
void restoreAndActivateWindow(std::uint32_t windowHandle);

} // namespace platform
