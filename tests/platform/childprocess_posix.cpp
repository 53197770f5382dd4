#include "childprocess.h"

#include "platform/system.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

struct ChildProcess::Handles {
    pid_t pid = -1;
    int input = -1;  // the child's standard input, our end
    int output = -1; // the child's standard output, our end
    int exitCode = -1;
};

ChildProcess::ChildProcess(const std::vector<std::string>& helperArguments,
                           const std::string& otherProgram)
    : handles_(std::make_unique<Handles>())
{
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);

    const std::string program = otherProgram.empty() ? platform::executablePath() : otherProgram;
    std::vector<std::string> arguments{program, "--platform-helper"};
    arguments.insert(arguments.end(), helperArguments.begin(), helperArguments.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int result =
        ::posix_spawn(&handles_->pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    handles_->input = toChild[1];
    handles_->output = fromChild[0];
    if (result != 0) {
        handles_->pid = -1;
        throw std::runtime_error("posix_spawn failed");
    }
}

ChildProcess::~ChildProcess()
{
    if (handles_->pid > 0)
        kill();
    closeInput();
    ::close(handles_->output);
}

std::string ChildProcess::readLine()
{
    std::string line;
    char c;
    while (::read(handles_->output, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

void ChildProcess::closeInput()
{
    if (handles_->input >= 0)
        ::close(handles_->input);
    handles_->input = -1;
}

int ChildProcess::wait()
{
    if (handles_->pid > 0) {
        int status = 0;
        if (::waitpid(handles_->pid, &status, 0) == handles_->pid)
            handles_->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        handles_->pid = -1;
    }
    return handles_->exitCode;
}

void ChildProcess::kill()
{
    if (handles_->pid > 0)
        ::kill(handles_->pid, SIGKILL);
    wait();
}
