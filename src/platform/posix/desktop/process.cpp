#include "process.h"

#include "../posixsupport.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
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

} // namespace

ToolResult runTool(const std::vector<std::string>& argv, int timeoutMs)
{
    ToolResult result;
    if (argv.empty())
        return result;
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

} // namespace platform::posix
