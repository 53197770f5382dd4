#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

// Told how the body of an answer arrives. Counts are clamped to the 32-bit int range.
class HttpProgress {
public:
    virtual ~HttpProgress() = default;
    // The body is about to arrive; expectedTotal is the size the server announced, 0 when none.
    virtual void workBegin(std::int64_t expectedTotal) = 0;
    // bytesSoFar bytes of the body are in the target file.
    virtual void work(std::int64_t bytesSoFar) = 0;
};

// The program's one HTTP client: GET only, "Accept: text/html, */*", "User-Agent: Tapestron",
// cookies kept in memory for its life and sent back to the server that set them, no proxy (the
// proxy environment variables are ignored), no authentication, redirects not followed, http and
// https only. One request at a time, on the thread that owns it.
class HttpClient {
public:
    enum class Result {
        Ok,     // the target holds exactly the body of a 2xx answer
        Busy,   // a request was already running: nothing sent, no target
        Failed, // anything else: no target
    };

    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Called between waits of at most 50 ms while a request runs, so the program can process its
    // events. It may ask for another request, which then ends at once as Busy.
    void setPump(std::function<void()> pump);
    // Not owned; nullptr for none. Called between waits, never from inside the transfer.
    void setProgress(HttpProgress* progress);
    // The time allowed to resolve the host and connect, for the requests that follow; zero gives
    // the transfer library's own default of 300 s.
    void setConnectTimeout(std::chrono::milliseconds timeout);
    // A request that receives nothing for this long fails, whatever phase it is in. 30 s unless
    // set.
    void setStallTimeout(std::chrono::milliseconds timeout);
    bool busy() const;

    // Fetches url into target. Whatever target held is deleted first, whatever the outcome; the
    // body is written as it arrives under partialDownloadPath(target), held exclusively, and
    // renamed to target only once it is whole. So target exists afterwards only when the result
    // is Ok, and never holds part of a body. Failed without sending anything when url is not
    // plain http:// or https:// (user names in it included), when an old target can not be
    // deleted, or when the partial file can not be created. Never throws; the client must
    // outlive the call.
    Result get(const QString& url, const QString& target);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
