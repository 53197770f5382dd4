#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Loopback servers that misbehave in ways the wallpaper service does not: answers played byte by
// byte with pauses, and a port that takes no connection at all.

// Answers every connection, one at a time, with the same script, then closes it; keeps the request
// heads it received.
class ScriptedServer {
public:
    struct Step {
        int pauseMs = 0; // before the bytes are sent
        std::string bytes;
    };

    explicit ScriptedServer(std::vector<Step> script);
    ~ScriptedServer(); // cuts a running script short
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path) const;
    // Each request up to its blank line, in the order received.
    std::vector<std::string> requests() const;

private:
    void serve();
    void answer(int connection);
    bool pause(int ms) const; // false when stopping

    const std::vector<Step> script_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A port on loopback whose backlog is full: the system drops further connection attempts
// without answering, as an unreachable host would.
class SilentPort {
public:
    SilentPort();
    ~SilentPort();
    SilentPort(const SilentPort&) = delete;
    SilentPort& operator=(const SilentPort&) = delete;

    int port() const { return port_; }

private:
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> fillers_;
};

// A loopback port that nobody listens on: connecting is refused at once.
int refusingPort();
