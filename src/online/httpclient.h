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

// What a request fetches. Text files (the catalog, the lists, the version) and pictures are bounded
// differently.
enum class DownloadKind { Text, Picture };

// The bounds of one request. A body longer than maxBytes fails: an announced length before any of
// the body is read, any other body as soon as it grows past it. Fewer than minBytesPerSecond over
// any stretch of slowPeriod, counted from the moment the request starts (connecting and the
// answer's head included), fails; so does a request still running after totalTime. A zero
// minBytesPerSecond or totalTime sets no such limit.
struct TransferLimits {
    std::int64_t maxBytes = 0;
    std::int64_t minBytesPerSecond = 0;
    std::chrono::milliseconds slowPeriod{0};
    std::chrono::milliseconds totalTime{0};

    friend bool operator==(const TransferLimits&, const TransferLimits&) = default;
};

// The limits a new client starts with: text at most 8 MiB and 60 s in all, pictures at most
// 1 GiB; both fail when slower than 1 KiB/s for 30 s.
TransferLimits defaultTransferLimits(DownloadKind kind);

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
    // The limits of the requests of kind that follow; defaultTransferLimits(kind) unless set.
    void setLimits(DownloadKind kind, const TransferLimits& limits);
    TransferLimits limits(DownloadKind kind) const;
    bool busy() const;

    // Fetches url into target within the limits of kind. Whatever target held is deleted first,
    // whatever the outcome; the body is written as it arrives under partialDownloadPath(target),
    // held exclusively, and renamed to target only once it is whole. So target exists afterwards
    // only when the result is Ok, and never holds part of a body; a request that breaks a limit is
    // Failed. Failed without sending anything when url is not plain http:// or https:// (user names
    // in it included), when an old target can not be deleted, or when the partial file can not be
    // created. Never throws; the client must outlive the call.
    Result get(const QString& url, const QString& target, DownloadKind kind);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
