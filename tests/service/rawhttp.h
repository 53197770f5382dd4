#pragma once

#include <string>
#include <vector>

// HTTP as bytes on a socket, for what a client library would hide or tidy up: paths sent exactly
// as written, connections closed early, bodies cut short.

struct RawExchange {
    std::string received; // everything until the service closed the connection
    int elapsedMs = 0;    // from sending the request to that close
};

// Connects to 127.0.0.1:port, sends request and reads until the connection closes (at most 8 s).
RawExchange rawExchange(int port, const std::string& request);

// A GET of target, sent verbatim, with "Connection: close".
RawExchange rawGet(int port, const std::string& target);

// The status code of a raw response; 0 when there is none.
int rawStatus(const std::string& response);

// The lines of a text the service sends, each ended by CR LF; anything else fails the test.
std::vector<std::string> crlfLines(const std::string& body);
