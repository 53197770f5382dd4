#include "httpserver.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr int ReadTimeoutMs = 5000;
constexpr int WriteTimeoutMs = 5000;
constexpr int PollSliceMs = 100;

class ConnectionStream : public httplib::Stream {
public:
    ConnectionStream(int fd, const std::atomic<bool>& abandon) : fd_(fd), abandon_(abandon) {}

    bool drop = false;
    bool reset = false;

    bool is_readable() const override { return waitFor(POLLIN, ReadTimeoutMs); }
    bool is_writable() const override { return !drop && waitFor(POLLOUT, WriteTimeoutMs); }

    ssize_t read(char* ptr, size_t size) override
    {
        if (!is_readable())
            return -1;
        ssize_t n;
        do
            n = ::recv(fd_, ptr, size, 0);
        while (n < 0 && errno == EINTR);
        return n;
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        if (!is_writable())
            return -1;
        ssize_t n;
        do
            n = ::send(fd_, ptr, size, MSG_NOSIGNAL);
        while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override
    {
        address(::getpeername, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override
    {
        address(::getsockname, ip, port);
    }
    socket_t socket() const override { return fd_; }

private:
    // Waits in short slices so that a stopping server is not held up by a silent client.
    bool waitFor(short events, int timeoutMs) const
    {
        for (int waited = 0; waited < timeoutMs && !abandon_; waited += PollSliceMs) {
            pollfd p{fd_, events, 0};
            const int r = ::poll(&p, 1, PollSliceMs);
            if (r > 0)
                return true;
            if (r < 0 && errno != EINTR)
                return false;
        }
        return false;
    }

    template <class Query> void address(Query query, std::string& ip, int& port) const
    {
        sockaddr_storage addr{};
        socklen_t len = sizeof(addr);
        if (query(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return;
        char host[NI_MAXHOST], service[NI_MAXSERV];
        if (::getnameinfo(reinterpret_cast<sockaddr*>(&addr), len, host, sizeof(host), service,
                          sizeof(service), NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
            ip = host;
            port = std::atoi(service);
        }
    }

    int fd_;
    const std::atomic<bool>& abandon_;
};

// The stream of the request being handled on this thread (handlers run on the connection's thread).
thread_local ConnectionStream* currentStream = nullptr;

} // namespace

void OneShotServer::dropResponse()
{
    if (currentStream)
        currentStream->drop = true;
}

void OneShotServer::resetConnection()
{
    if (currentStream)
        currentStream->reset = true;
}

bool OneShotServer::process_and_close_socket(socket_t sock)
{
    ConnectionStream stream(sock, abandon_);
    currentStream = &stream;
    bool closed = false;
    const bool ok = process_request(stream, /*close_connection=*/true, closed, nullptr);
    currentStream = nullptr;
    if (stream.reset) {
        // Closing with a zero linger time sends RST in place of the orderly end.
        const linger now{1, 0};
        ::setsockopt(sock, SOL_SOCKET, SO_LINGER, &now, sizeof(now));
    } else {
        ::shutdown(sock, SHUT_RDWR);
    }
    ::close(sock);
    return ok;
}
