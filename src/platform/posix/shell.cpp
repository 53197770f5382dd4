#include "platform/shell.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

// xdg-open is the desktop's own "open" verb. The target is one argument of the new process, never
// part of a command line a shell would read, so no address can run a command.
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
};

} // namespace

std::unique_ptr<Shell> createShell() { return std::make_unique<PosixShell>(); }

} // namespace platform
