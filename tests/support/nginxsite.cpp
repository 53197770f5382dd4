#include "nginxsite.h"

#include <QFile>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <thread>

namespace {

// The example of README.md: the fenced nginx block.
std::string readmeServerBlock()
{
    const std::string readme = readFileBytes(TAPESTRON_README);
    const auto start = readme.find("```nginx\n");
    const auto end = readme.find("```", start + 9);
    if (start == std::string::npos || end == std::string::npos)
        throw std::runtime_error("README.md shows no nginx configuration");
    return readme.substr(start + 9, end - start - 9);
}

void replaceOnce(std::string& text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    if (at == std::string::npos)
        throw std::runtime_error("the README's nginx configuration lacks \"" + from + "\"");
    text.replace(at, from.size(), to);
}

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

// A port nobody listens on now: the system's pick for a socket bound to port 0.
int freePort()
{
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    const bool bound = sock >= 0 &&
                       ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (sock >= 0)
        ::close(sock);
    if (!bound)
        throw std::runtime_error("no free port on the loopback");
    return ntohs(address.sin_port);
}

bool accepts(int port)
{
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port);
    const bool connected = sock >= 0 && ::connect(sock, reinterpret_cast<const sockaddr*>(&address),
                                                  sizeof address) == 0;
    if (sock >= 0)
        ::close(sock);
    return connected;
}

} // namespace

std::string NginxSite::executable()
{
    const QString found = QStandardPaths::findExecutable(
        QStringLiteral("nginx"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    return found.toStdString();
}

NginxSite::NginxSite() : port_(freePort()) {}

NginxSite::~NginxSite()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

std::string NginxSite::baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

std::string NginxSite::configuration(const std::string& folder) const
{
    std::string server = readmeServerBlock();
    replaceOnce(server, "listen 80;", "listen 127.0.0.1:" + std::to_string(port_) + ";");
    replaceOnce(server, "root /srv/tapestron;", "root " + folder + ";");
    const std::string at = prefix_.path() + "/";
    // One process in the foreground, as whoever runs the test, everything it writes in the
    // prefix: no root, no system folders.
    return "daemon off;\nmaster_process off;\npid " + at + "nginx.pid;\nerror_log " + at +
           "error.log;\nevents { worker_connections 64; }\nhttp {\n"
           "    include /etc/nginx/mime.types;\n    access_log " +
           at + "access.log;\n    client_body_temp_path " + at + "body;\n    proxy_temp_path " +
           at + "proxy;\n    fastcgi_temp_path " + at + "fastcgi;\n    uwsgi_temp_path " + at +
           "uwsgi;\n    scgi_temp_path " + at + "scgi;\n" + server + "}\n";
}

std::string NginxSite::serve(const std::string& folder)
{
    const std::string config = prefix_.file("nginx.conf");
    writeFileBytes(config, configuration(folder));
    const std::string errorLog = prefix_.file("error.log");
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.start(QString::fromStdString(executable()),
                   {QStringLiteral("-p"), QString::fromStdString(prefix_.path()),
                    QStringLiteral("-c"), QString::fromStdString(config), QStringLiteral("-e"),
                    QString::fromStdString(errorLog)});
    if (!process_.waitForStarted(5000))
        return "nginx did not start: " + process_.errorString().toStdString();
    // Up once it accepts connections; a configuration it refuses ends it at once.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!accepts(port_)) {
        if (process_.waitForFinished(20) || std::chrono::steady_clock::now() > deadline)
            return "nginx is not serving: " + readFileBytes(errorLog);
    }
    return {};
}
