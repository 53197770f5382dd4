#include "rawhttp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

RawExchange rawExchange(int port, const std::string& request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        throw std::runtime_error("no socket");
    timeval timeout{8, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(std::uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        ::close(fd);
        throw std::runtime_error("can not connect");
    }
    const auto started = std::chrono::steady_clock::now();
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    RawExchange result;
    char buffer[65536];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof(buffer), 0)) > 0;)
        result.received.append(buffer, std::size_t(n));
    result.elapsedMs = int(std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - started)
                               .count());
    ::close(fd);
    return result;
}

RawExchange rawGet(int port, const std::string& target)
{
    return rawExchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                                 std::to_string(port) + "\r\nConnection: close\r\n\r\n");
}

int rawStatus(const std::string& response)
{
    if (!response.starts_with("HTTP/1.1 ") || response.size() < 12)
        return 0;
    return std::stoi(response.substr(9, 3));
}

std::vector<std::string> crlfLines(const std::string& body)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = body.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(body.substr(start, end - start));
    EXPECT_EQ(start, body.size()) << "text after the last CR LF";
    for (const auto& line : lines)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    return lines;
}
