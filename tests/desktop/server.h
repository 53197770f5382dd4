#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// A server the case starts itself (an X server, a session bus) and stops at the end of its
// scope, with everything it started. It reports where it listens by writing one line to a pipe
// that it is given as descriptor 3 ("-displayfd 3", "--print-address=3").
class Server {
public:
    // Starts argv (looked up on PATH) with the current environment; throws std::runtime_error
    // when it can not start or writes no line within the timeout.
    explicit Server(const std::vector<std::string>& argv,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10));
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // The line it wrote, without its line end.
    const std::string& announced() const { return announced_; }

private:
    void stop();

    int pid_ = -1;
    std::string announced_;
};

// True when the program is on PATH: cases that need a component the machine lacks say so.
bool onPath(const std::string& program);
