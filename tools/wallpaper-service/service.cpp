#include "service.h"

#include "demopicture.h"
#include "httpserver.h"
#include "pages.h"
#include "safenames.h"
#include "samples.h"

#include <QString>

#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace {

constexpr const char* Text = "text/plain";
constexpr std::size_t MaxRecordedRequests = 10000;
constexpr const char* Html = "text/html; charset=utf-8";

std::vector<std::string> splitPath(const std::string& path)
{
    std::vector<std::string> parts;
    if (path.empty() || path.front() != '/')
        return parts;
    std::size_t start = 1;
    for (;;) {
        const auto slash = path.find('/', start);
        parts.push_back(path.substr(start, slash - start));
        if (slash == std::string::npos)
            return parts;
        start = slash + 1;
    }
}

// Only what a host name, an IPv4 or a bracketed IPv6 address with a port can contain, so that a
// strange Host header can not put anything else into the URLs.
bool isPlainHost(const std::string& host)
{
    return !host.empty() && host.size() <= 255 && std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    });
}

} // namespace

struct WallpaperService::Impl {
    OneShotServer server;
    std::thread thread;
    std::string host;
    int port = 0;
};

struct WallpaperService::Answer {
    int status = 404;
    std::string type = Text;
    std::string body = "Not found\r\n";
};

WallpaperService::WallpaperService() : WallpaperService(demoCategories()) {}

WallpaperService::WallpaperService(std::vector<ServiceCategory> categories)
    : categories_(std::move(categories))
{
}

WallpaperService::~WallpaperService() { stop(); }

void WallpaperService::start(int port, const std::string& host)
{
    if (impl_)
        throw std::runtime_error("the wallpaper service is already running");
    auto impl = std::make_unique<Impl>();
    impl->host = host;
    // Not httplib's SO_REUSEPORT default, under which a second service would share the port
    // silently instead of failing to start.
    impl->server.set_socket_options([](int sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    impl->server.set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res) {
            handle(req, res);
            return httplib::Server::HandlerResponse::Handled;
        });
    impl->port = port == 0 ? impl->server.bind_to_any_port(host)
                           : (impl->server.bind_to_port(host, port) ? port : -1);
    if (impl->port <= 0)
        throw std::runtime_error("can not listen on " + host + ":" + std::to_string(port));
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    // Set before the first handler can run: handlers read it for the fallback URL base.
    impl_ = std::move(impl);
    // The socket listens already, so clients may connect before the accept loop runs.
    impl_->thread = std::thread([server = &impl_->server] { server->listen_after_bind(); });
    // A stop() before the loop runs would be lost and the loop would then block for good.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!impl_->server.is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void WallpaperService::stop()
{
    if (!impl_)
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    impl_->server.abandonReads();
    impl_->server.stop();
    if (impl_->thread.joinable())
        impl_->thread.join();
    impl_.reset();
}

bool WallpaperService::running() const { return impl_ != nullptr; }

int WallpaperService::port() const { return impl_ ? impl_->port : 0; }

std::string WallpaperService::baseUrl() const
{
    if (!impl_)
        return {};
    std::string host = impl_->host;
    if (host == "0.0.0.0" || host == "::" || host.empty())
        host = "127.0.0.1";
    if (host.find(':') != std::string::npos)
        host = "[" + host + "]";
    return "http://" + host + ":" + std::to_string(impl_->port);
}

void WallpaperService::setVersion(std::string version)
{
    std::lock_guard lock(mutex_);
    version_ = std::move(version);
}

void WallpaperService::setFault(const std::string& path, Fault fault)
{
    std::lock_guard lock(mutex_);
    if (fault.kind == Fault::Kind::None)
        faults_.erase(path);
    else
        faults_[path] = std::move(fault);
}

void WallpaperService::clearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::vector<RecordedRequest> WallpaperService::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void WallpaperService::clearRequests()
{
    std::lock_guard lock(mutex_);
    requests_.clear();
}

bool WallpaperService::hold(int ms)
{
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void WallpaperService::handle(const httplib::Request& req, httplib::Response& res)
{
    Fault fault;
    {
        std::lock_guard lock(mutex_);
        // A long-running service keeps the recent past only.
        if (requests_.size() >= MaxRecordedRequests)
            requests_.erase(requests_.begin(), requests_.begin() + MaxRecordedRequests / 2);
        requests_.push_back({req.method, req.path, req.get_header_value("User-Agent"),
                             req.get_header_value("Accept"), req.get_header_value("Cookie")});
        if (auto it = faults_.find(req.path); it != faults_.end())
            fault = it->second;
    }
    const std::string host = req.get_header_value("Host");
    const std::string base = isPlainHost(host) ? "http://" + host : baseUrl();

    switch (fault.kind) {
    case Fault::Kind::NotFound:
        res.status = 404;
        res.set_content("Not found\r\n", Text);
        return;
    case Fault::Kind::ServerError:
        res.status = 500;
        res.set_content("Internal server error\r\n", Text);
        return;
    case Fault::Kind::CloseWithoutResponse:
        OneShotServer::dropResponse();
        hold(fault.holdMs);
        return;
    case Fault::Kind::Redirect:
        res.status = 302;
        res.set_header("Location",
                       fault.target.starts_with("/") ? base + fault.target : fault.target);
        return;
    default:
        break;
    }
    if (req.method != "GET" && req.method != "HEAD") {
        res.status = 405;
        res.set_header("Allow", "GET, HEAD");
        return;
    }

    Answer a;
    try {
        a = answer(req.path, base);
    } catch (const std::exception& error) {
        a = Answer{500, Text, std::string(error.what()) + "\r\n"};
    }
    if (fault.kind == Fault::Kind::SetCookie)
        res.set_header("Set-Cookie", fault.cookie);
    res.status = a.status;
    if (a.status == 200)
        setFaultyBody(res, fault, std::move(a));
    else
        res.set_content(std::move(a.body), a.type);
}

void WallpaperService::setFaultyBody(httplib::Response& res, const Fault& fault, Answer a)
{
    using Sink = httplib::DataSink;
    auto body = std::make_shared<const std::string>(std::move(a.body));
    const std::size_t half = body->size() / 2;
    // Returning false from a provider ends the answer there and closes the connection.
    switch (fault.kind) {
    case Fault::Kind::CutBody:
        res.set_content_provider(body->size(), a.type,
                                 [body, half](std::size_t, std::size_t, Sink& sink) {
                                     sink.write(body->data(), half);
                                     return false;
                                 });
        return;
    case Fault::Kind::Reset:
        res.set_content_provider(body->size(), a.type,
                                 [body, half](std::size_t, std::size_t, Sink& sink) {
                                     sink.write(body->data(), half);
                                     OneShotServer::resetConnection();
                                     return false;
                                 });
        return;
    case Fault::Kind::Stall:
        res.set_content_provider(
            body->size(), a.type,
            [this, body, half, ms = fault.holdMs](std::size_t, std::size_t, Sink& sink) {
                sink.write(body->data(), half);
                hold(ms);
                return false;
            });
        return;
    case Fault::Kind::HugeLength:
        res.set_content_provider(
            Fault::HugeLength, a.type,
            [this, body, ms = fault.holdMs](std::size_t, std::size_t, Sink& sink) {
                sink.write(body->data(), std::min<std::size_t>(body->size(), 4096));
                hold(ms);
                return false;
            });
        return;
    case Fault::Kind::EndlessBody:
        res.set_chunked_content_provider(a.type, [this, body](std::size_t, Sink& sink) {
            // Ends when the client goes away (the write fails) or the service stops.
            return !body->empty() && sink.write(body->data(), body->size()) && hold(0);
        });
        return;
    case Fault::Kind::Trickle:
        res.set_content_provider(
            body->size(), a.type,
            [this, body, ms = fault.holdMs](std::size_t offset, std::size_t, Sink& sink) {
                const std::size_t piece = std::min(Fault::TricklePiece, body->size() - offset);
                return sink.write(body->data() + offset, piece) && hold(ms);
            });
        return;
    default:
        res.set_content(*body, a.type);
    }
}

WallpaperService::Answer WallpaperService::answer(const std::string& path, const std::string& base)
{
    const auto ok = [](std::string body, const char* type) {
        return Answer{200, type, std::move(body)};
    };
    if (path == "/version") {
        std::lock_guard lock(mutex_);
        return ok(version_ + "\r\n", Text);
    }
    if (path == "/wallpapers/cat.tsl" || path == "/profiles_new.tsl") {
        std::string body;
        for (const auto& c : categories_)
            body += (path == "/profiles_new.tsl" ? c.name : c.code) + "\r\n";
        return ok(body, Text);
    }
    if (path == "/profiles.html") {
        // Each category is also a profile, which the program's plug-in adds through the link.
        std::string list = "<p>Open a category to add its pictures to Tapestron as a profile.</p>\n"
                           "<ul>\n";
        for (const auto& c : categories_)
            list += "<li><a href=\"tapestron:profile/" + c.code + "\">" + htmlEscape(c.name) +
                    "</a></li>\n";
        return ok(page("Categories", list + "</ul>\n"), Html);
    }
    if (path == "/")
        return ok(page("Tapestron wallpapers",
                       "<ul>\n<li><a href=\"/galleries.html\">Galleries</a></li>\n"
                       "<li><a href=\"/profiles.html\">Categories</a></li>\n"
                       "<li><a href=\"/faq.html\">Questions</a></li>\n</ul>\n"),
                  Html);
    if (path == "/galleries.html")
        return ok(galleriesPage(categories_), Html);
    for (std::size_t i = 1; i < categories_.size(); ++i)
        if (const std::string gallery = galleryPath(i); !gallery.empty() && path == gallery)
            return ok(galleryPage(categories_[i]), Html);
    if (path == "/faq.html")
        return ok(page("Questions",
                       "<p>This service offers wallpapers to Tapestron on this "
                       "computer. Pictures change with the folder it was given.</p>\n"),
                  Html);

    const auto parts = splitPath(path);
    if (parts.size() < 2)
        return {};
    // "/profiles/<code>.tsl": the category as a profile, its picture URLs one a line.
    const bool profile = parts.size() == 2 && parts[0] == "profiles" && parts[1].ends_with(".tsl");
    const std::string code = profile ? parts[1].substr(0, parts[1].size() - 4) : parts[1];
    const auto category = std::find_if(categories_.begin(), categories_.end(),
                                       [&](const auto& c) { return c.code == code; });
    if (category == categories_.end())
        return {};
    const std::string pictures = base + "/pictures/" + category->code + "/";

    if (profile) {
        std::string body;
        for (const auto& p : category->pictures)
            body += pictures + p.file + "\r\n";
        return ok(body, Text);
    }

    if (parts.size() == 2 && parts[0] == "wallpapers") {
        std::string body;
        for (const auto& p : category->pictures)
            body += pictures + p.file + ";" + p.caption + ";" + p.position + "\r\n";
        return ok(body, Text);
    }
    if (parts.size() == 2 && parts[0] == "preview") {
        // Every sample, in the order of the pictures: the program shows the first four.
        std::string body;
        for (const auto& p : category->pictures)
            body += base + "/samples/" + category->code + "/" + p.file + "\r\n";
        return ok(body, Text);
    }
    if (parts.size() == 3 && (parts[0] == "pictures" || parts[0] == "samples")) {
        // Only files of the listing are served; the request never names a file on disk.
        const auto picture = std::find_if(category->pictures.begin(), category->pictures.end(),
                                          [&](const auto& p) { return p.file == parts[2]; });
        if (picture == category->pictures.end())
            return {};
        auto bytes = parts[0] == "pictures" ? pictureBytes(*category, *picture)
                                            : sampleBytes(*category, *picture);
        if (!bytes)
            return {};
        return Answer{200, pictureContentType(picture->file), *bytes};
    }
    return {};
}

std::vector<std::string> WallpaperService::sitePaths() const
{
    std::vector<std::string> paths{"/",
                                   "/version",
                                   "/wallpapers/cat.tsl",
                                   "/profiles_new.tsl",
                                   "/profiles.html",
                                   "/galleries.html",
                                   "/faq.html"};
    for (std::size_t i = 0; i < categories_.size(); ++i) {
        const ServiceCategory& category = categories_[i];
        paths.push_back("/wallpapers/" + category.code);
        paths.push_back("/preview/" + category.code);
        paths.push_back("/profiles/" + category.code + ".tsl");
        if (std::string gallery = galleryPath(i); !gallery.empty())
            paths.push_back(std::move(gallery));
        for (const ServicePicture& picture : category.pictures) {
            paths.push_back("/pictures/" + category.code + "/" + picture.file);
            paths.push_back("/samples/" + category.code + "/" + picture.file);
        }
    }
    return paths;
}

std::optional<std::string> WallpaperService::content(const std::string& path,
                                                     const std::string& base)
{
    Answer a = answer(path, base);
    if (a.status != 200)
        return std::nullopt;
    return std::move(a.body);
}

std::shared_ptr<const std::string> WallpaperService::sampleBytes(const ServiceCategory& category,
                                                                 const ServicePicture& picture)
{
    const std::string key = "samples/" + category.code + "/" + picture.file;
    {
        std::lock_guard lock(mutex_);
        if (auto it = generated_.find(key); it != generated_.end())
            return it->second;
    }
    const std::shared_ptr<const std::string> full = pictureBytes(category, picture);
    if (!full)
        return nullptr;
    auto bytes = std::make_shared<const std::string>(makeSample(*full, picture.file));
    std::lock_guard lock(mutex_);
    // Made twice at the same moment, the first one made is kept: the bytes are the same.
    return generated_.emplace(key, std::move(bytes)).first->second;
}

std::shared_ptr<const std::string> WallpaperService::pictureBytes(const ServiceCategory& category,
                                                                  const ServicePicture& picture)
{
    if (!picture.sourcePath.empty()) {
        std::ifstream in(picture.sourcePath, std::ios::binary);
        if (!in)
            return nullptr;
        return std::make_shared<const std::string>(std::istreambuf_iterator<char>(in),
                                                   std::istreambuf_iterator<char>());
    }
    const std::string key = category.code + "/" + picture.file;
    std::lock_guard generating(generateMutex_);
    {
        std::lock_guard lock(mutex_);
        if (auto it = generated_.find(key); it != generated_.end())
            return it->second;
    }
    const QByteArray encoded =
        drawDemoPicture(QString::fromStdString(category.name), stableHash(key),
                        pictureContentType(picture.file) == "image/bmp");
    auto bytes = std::make_shared<const std::string>(encoded.constData(), encoded.size());
    std::lock_guard lock(mutex_);
    generated_[key] = bytes;
    return bytes;
}
