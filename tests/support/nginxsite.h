#pragma once

#include "tempenv.h"

#include <QProcess>

#include <string>

// Debian's nginx serving a folder of plain files on a free loopback port: an unprivileged child
// of the test with its own configuration, prefix, pid and log files, stopped at the end of the
// scope. The server block is the one README.md shows, with its port and folder replaced.
class NginxSite {
public:
    // The nginx executable; empty when nginx is not installed.
    static std::string executable();

    // Picks the port, so that a site can be made for baseUrl() before it is served.
    NginxSite();
    ~NginxSite();
    NginxSite(const NginxSite&) = delete;
    NginxSite& operator=(const NginxSite&) = delete;

    // "http://127.0.0.1:<port>"
    std::string baseUrl() const;
    // Serves folder until the end of the scope. Returns what went wrong (nginx's own words), or
    // an empty text once it answers.
    std::string serve(const std::string& folder);

private:
    std::string configuration(const std::string& folder) const;

    TempDir prefix_;
    int port_ = 0;
    QProcess process_;
};
