#include "process.h"

#include "../posixsupport.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform::posix {

namespace {

using Clock = std::chrono::steady_clock;

// Spawn attributes and file actions, released whatever happens.
struct SpawnSetup {
    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};
    SpawnSetup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// Reads what is there without waiting; false once the pipe has ended.
bool drain(int fd, std::string& into)
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            into.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

ToolResult runToolNow(const std::vector<std::string>& argv, int timeoutMs)
{
    ToolResult result;
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC | O_NONBLOCK) != 0)
        return result;
    UniqueFd outRead(out[0]);
    UniqueFd outWrite(out[1]);
    if (::pipe2(err, O_CLOEXEC | O_NONBLOCK) != 0)
        return result;
    UniqueFd errRead(err[0]);
    UniqueFd errWrite(err[1]);

    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, outWrite.get(), 1);
    posix_spawn_file_actions_adddup2(&setup.actions, errWrite.get(), 2);
    // A group of its own, so a hung tool is killed with whatever it started; default signal
    // handling, whatever this program set up for itself.
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                                    POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&setup.attributes, 0);
    posix_spawnattr_setsigdefault(&setup.attributes, &all);
    posix_spawnattr_setsigmask(&setup.attributes, &none);

    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawnp(&child, argv[0].c_str(), &setup.actions, &setup.attributes, arguments.data(),
                       environ) != 0)
        return result;
    outWrite.reset();
    errWrite.reset();

    // The tool's own end decides, not its pipes: a helper it left running may hold them open.
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool outOpen = true;
    bool errOpen = true;
    int status = 0;
    for (;;) {
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child)
            break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            ::kill(-child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            result.started = true;
            result.timedOut = true;
            return result;
        }
        // A pipe that has ended is left out (a negative descriptor), or poll would return at once.
        pollfd fds[2] = {{outOpen ? outRead.get() : -1, POLLIN, 0},
                         {errOpen ? errRead.get() : -1, POLLIN, 0}};
        ::poll(fds, 2, static_cast<int>(std::min<long long>(left, 10)));
        if (outOpen)
            outOpen = drain(outRead.get(), result.output);
        if (errOpen)
            errOpen = drain(errRead.get(), result.errors);
    }
    drain(outRead.get(), result.output);
    drain(errRead.get(), result.errors);
    result.started = true;
    if (WIFEXITED(status)) {
        // posix_spawnp reports a program it could not find as exit code 127 of the child.
        result.exitCode = WEXITSTATUS(status);
        if (result.exitCode == 127 && result.output.empty() && result.errors.empty())
            result.started = false;
    }
    return result;
}

// A desktop tool hangs when the service behind it does (a stuck dconf or xfconfd), and then it
// hangs for every call. The program asks its tools from the main thread, so how long it may wait
// on them is rationed: a tool that hung is left alone for a while, and all tools together get
// a few seconds of waiting in any window of a step's length. A healthy tool answers well within
// its grace, which is never taken from it nor counted, so a step of many quick calls is never
// cut short.
constexpr auto HungPause = std::chrono::seconds(60);
constexpr auto BudgetWindow = std::chrono::seconds(10);
constexpr auto WaitBudget = std::chrono::seconds(3);
constexpr auto CallGrace = std::chrono::milliseconds(500);

struct Patience {
    std::mutex mutex;
    std::map<std::string, Clock::time_point> hungUntil; // by purpose
    Clock::time_point windowStart;
    Clock::duration spent{};
};

Patience& patience()
{
    static Patience state;
    return state;
}

// The program file PATH finds for name, or name itself: a tool put elsewhere on PATH is another
// tool.
std::string resolved(const std::string& name)
{
    const char* path = std::getenv("PATH");
    if (name.find('/') != std::string::npos || !path)
        return name;
    std::string_view folders = path;
    while (true) {
        const std::size_t colon = folders.find(':');
        std::string candidate(folders.substr(0, colon));
        candidate = (candidate.empty() ? "." : candidate) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string_view::npos)
            return name;
        folders.remove_prefix(colon + 1);
    }
}

// What a call is for: the program and its command ("gsettings get"), whatever it is applied to.
std::string purposeOf(const std::vector<std::string>& argv)
{
    return resolved(argv[0]) + '\n' + (argv.size() > 1 ? argv[1] : std::string());
}

// How long the call may wait now; nullopt when it must not be made at all (it hung lately).
std::optional<Clock::duration> allowance(const std::string& purpose, Clock::duration limit)
{
    Patience& state = patience();
    const std::lock_guard lock(state.mutex);
    const auto now = Clock::now();
    if (const auto hung = state.hungUntil.find(purpose); hung != state.hungUntil.end()) {
        if (now < hung->second)
            return std::nullopt;
        state.hungUntil.erase(hung);
    }
    if (now - state.windowStart >= BudgetWindow) {
        state.windowStart = now;
        state.spent = {};
    }
    const Clock::duration left = std::max<Clock::duration>(WaitBudget - state.spent, {});
    return std::min<Clock::duration>(left + CallGrace, limit);
}

// A call cut short by the budget says nothing of its tool; one that had its full time hung.
void account(const std::string& purpose, Clock::duration took, bool hung)
{
    Patience& state = patience();
    const std::lock_guard lock(state.mutex);
    state.spent += std::max<Clock::duration>(took - CallGrace, {});
    if (hung)
        state.hungUntil[purpose] = Clock::now() + HungPause;
}

} // namespace

ToolResult runTool(const std::vector<std::string>& argv, int timeoutMs)
{
    if (argv.empty())
        return {};
    const std::string purpose = purposeOf(argv);
    const auto allowed = allowance(purpose, std::chrono::milliseconds(timeoutMs));
    if (!allowed) {
        ToolResult skipped; // as if it had hung again, without the wait
        skipped.started = true;
        skipped.timedOut = true;
        return skipped;
    }
    const auto limit = std::chrono::ceil<std::chrono::milliseconds>(*allowed);
    const auto start = Clock::now();
    ToolResult result = runToolNow(argv, static_cast<int>(limit.count()));
    account(purpose, Clock::now() - start, result.timedOut && limit.count() >= timeoutMs);
    return result;
}

} // namespace platform::posix
