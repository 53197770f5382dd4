#include "rawserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <utility>

namespace {

int listenOnLoopback(int backlog, int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("no socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        ::listen(fd, backlog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("can not listen");
    }
    port = ntohs(addr.sin_port);
    return fd;
}

} // namespace

ScriptedServer::ScriptedServer(std::vector<Step> script) : script_(std::move(script))
{
    listener_ = listenOnLoopback(8, port_);
    thread_ = std::thread([this] { serve(); });
}

ScriptedServer::~ScriptedServer()
{
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

std::string ScriptedServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> ScriptedServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void ScriptedServer::serve()
{
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0)
            continue;
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        answer(connection);
        ::close(connection);
    }
}

void ScriptedServer::answer(int connection)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && !stopping_) {
        pollfd waiting{connection, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0)
            continue;
        const ssize_t n = ::recv(connection, buffer, sizeof(buffer), 0);
        if (n <= 0)
            return;
        head.append(buffer, static_cast<std::size_t>(n));
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(head.substr(0, head.find("\r\n\r\n") + 2));
    }
    for (const Step& step : script_) {
        if (!pause(step.pauseMs))
            return;
        ::send(connection, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
    }
}

bool ScriptedServer::pause(int ms) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        if (stopping_)
            return false;
        ::usleep(5000);
    }
    return !stopping_;
}

SilentPort::SilentPort()
{
    listener_ = listenOnLoopback(0, port_);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port_));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Connections that are never accepted fill the queue; later handshakes go unanswered.
    for (int i = 0; i < 3; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        fillers_.push_back(fd);
    }
    ::usleep(100000); // let the handshakes that fit complete
}

SilentPort::~SilentPort()
{
    for (const int fd : fillers_)
        ::close(fd);
    ::close(listener_);
}

int refusingPort()
{
    int port = 0;
    ::close(listenOnLoopback(1, port)); // the port was free a moment ago, and nobody took it since
    return port;
}
