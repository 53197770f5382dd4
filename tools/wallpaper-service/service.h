#pragma once

#include "collection.h"
#include "tapestron/version.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
struct Request;
struct Response;
} // namespace httplib

// The local wallpaper service: plain HTTP with the category list, the category names, the
// wallpaper list of each category, the preview lists and their samples, the version, the pictures,
// the galleries, each category as a profile ("/profiles/<code>.tsl", linked from "/profiles.html")
// and a few small pages.
// Runs on its own threads between start() and stop(). start() and stop() belong to one controlling
// thread; the other members may be called from any thread.

// A misbehaviour the service shows on one path, for testing clients. The body faults act on the
// path's normal 200 answer; a path without one answers as usual.
struct Fault {
    enum class Kind {
        None,
        NotFound,             // 404 although the path exists
        ServerError,          // 500 although the path exists
        CloseWithoutResponse, // read the request, send nothing, hold holdMs, then close
        CutBody,              // announce the full Content-Length, send half the body, close
        Reset,                // announce the full Content-Length, send half the body, reset
        Stall,                // announce the full Content-Length, send half the body, hold holdMs
        EndlessBody,          // a chunked body that repeats the answer for as long as it is read
        HugeLength,           // announce 2 GB, send the start of the body, hold holdMs, close
        Trickle,              // the whole body, TricklePiece bytes at a time every holdMs
        Redirect,             // 302 to target (a path on this service, or an absolute URL)
        SetCookie,            // the normal answer plus "Set-Cookie: <cookie>"
    };
    static constexpr std::size_t TricklePiece = 16;
    static constexpr std::uint64_t HugeLength = 2'000'000'000;

    Kind kind = Kind::None;
    int holdMs = 0;
    std::string target;
    std::string cookie; // "name=value"

    static Fault notFound() { return {Kind::NotFound, 0, {}, {}}; }
    static Fault serverError() { return {Kind::ServerError, 0, {}, {}}; }
    static Fault closeWithoutResponse(int holdMs)
    {
        return {Kind::CloseWithoutResponse, holdMs, {}, {}};
    }
    static Fault cutBody() { return {Kind::CutBody, 0, {}, {}}; }
    static Fault reset() { return {Kind::Reset, 0, {}, {}}; }
    static Fault stall(int holdMs) { return {Kind::Stall, holdMs, {}, {}}; }
    static Fault endlessBody() { return {Kind::EndlessBody, 0, {}, {}}; }
    static Fault hugeLength(int holdMs) { return {Kind::HugeLength, holdMs, {}, {}}; }
    static Fault trickle(int everyMs) { return {Kind::Trickle, everyMs, {}, {}}; }
    static Fault redirect(std::string target) { return {Kind::Redirect, 0, std::move(target), {}}; }
    static Fault setCookie(std::string nameValue)
    {
        return {Kind::SetCookie, 0, {}, std::move(nameValue)};
    }
};

// One request as the service received it.
struct RecordedRequest {
    std::string method;
    std::string path; // percent-decoded, without the query
    std::string userAgent;
    std::string accept;
    std::string cookie;
};

class WallpaperService {
public:
    // The generated demo collection.
    WallpaperService();
    // Any collection, e.g. scanFolder(...).
    explicit WallpaperService(std::vector<ServiceCategory> categories);
    ~WallpaperService();
    WallpaperService(const WallpaperService&) = delete;
    WallpaperService& operator=(const WallpaperService&) = delete;

    // Listens on host:port (port 0: a free one) and serves until stop(). Throws
    // std::runtime_error when the address can not be bound or the service already runs.
    void start(int port = 0, const std::string& host = "127.0.0.1");
    // Ends serving; a held connection (CloseWithoutResponse) is let go at once. Idempotent.
    void stop();
    bool running() const;

    int port() const;
    // "http://127.0.0.1:<port>" (the bound host; a wildcard address is given as 127.0.0.1).
    std::string baseUrl() const;

    // What /version answers, without the line end. Default: the program's own version.
    void setVersion(std::string version);
    const std::vector<ServiceCategory>& categories() const { return categories_; }

    // Faults apply to exact decoded paths ("/wallpapers/cat.tsl"); Kind::None removes one.
    void setFault(const std::string& path, Fault fault);
    void clearFaults();

    // Every path the service answers (with 200), in a stable order: what a copy of the site as
    // plain files holds. A path the service learns to answer belongs here too.
    std::vector<std::string> sitePaths() const;
    // The body the service answers for path to a client that reached it at base (its lists name
    // URLs below base), faults aside; none when the answer is not 200.
    std::optional<std::string> content(const std::string& path, const std::string& base);

    // The requests received, oldest first (the last few thousand), whether answered or not.
    std::vector<RecordedRequest> requests() const;
    void clearRequests();

private:
    struct Impl;
    struct Answer;

    void handle(const httplib::Request& req, httplib::Response& res);
    Answer answer(const std::string& path, const std::string& base);
    std::shared_ptr<const std::string> pictureBytes(const ServiceCategory& category,
                                                    const ServicePicture& picture);
    std::shared_ptr<const std::string> sampleBytes(const ServiceCategory& category,
                                                   const ServicePicture& picture);
    // False when the service stops meanwhile.
    bool hold(int ms);
    // Sets res to answer a's body the way fault mangles it.
    void setFaultyBody(httplib::Response& res, const Fault& fault, Answer a);

    const std::vector<ServiceCategory> categories_;
    std::unique_ptr<Impl> impl_;

    mutable std::mutex mutex_; // guards everything below
    std::condition_variable wake_;
    bool stopping_ = false;
    std::string version_ = version::Number;
    std::map<std::string, Fault> faults_;
    std::vector<RecordedRequest> requests_;
    // "code/file" and "samples/code/file" -> bytes
    std::map<std::string, std::shared_ptr<const std::string>> generated_;
    std::mutex generateMutex_; // one generated picture at a time, so none is made twice
};
