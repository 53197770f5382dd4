#include "server.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

Server::Server(const std::vector<std::string>& argv, std::chrono::milliseconds timeout)
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own, so it is stopped with whatever it starts (bus-activated services).
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    const int failed =
        ::posix_spawnp(&pid_, argv[0].c_str(), &actions, &attributes, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pipe[1]);
    if (failed != 0) {
        ::close(pipe[0]);
        pid_ = -1;
        throw std::runtime_error("can not start " + argv[0]);
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    char c = 0;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd{pipe[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            break;
        const ssize_t got = ::read(pipe[0], &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || c == '\n') {
            ::close(pipe[0]);
            if (announced_.empty())
                break;
            return;
        }
        announced_ += c;
    }
    ::close(pipe[0]);
    stop();
    throw std::runtime_error(argv[0] + " did not say where it listens");
}

Server::~Server() { stop(); }

void Server::stop()
{
    if (pid_ <= 0)
        return;
    ::kill(-pid_, SIGTERM);
    int status = 0;
    for (int waited = 0; waited < 200; ++waited) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            ::kill(-pid_, SIGKILL); // what it started and left behind
            pid_ = -1;
            return;
        }
        ::usleep(10'000);
    }
    ::kill(-pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool onPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t colon = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, colon - start) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0)
            return true;
        start = colon + 1;
    }
    return false;
}
