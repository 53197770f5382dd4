#include "httpclient.h"

#include "common/partialdownload.h"
#include "common/strings.h"
#include "platform/files.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

using Clock = std::chrono::steady_clock;

// The longest the client waits on the network before the pump runs again.
constexpr int SliceMs = 50;

constexpr std::int64_t KiB = 1024;
constexpr std::int64_t MiB = 1024 * KiB;

template <auto Free> struct CurlDeleter {
    template <typename T> void operator()(T* handle) const { Free(handle); }
};
using EasyHandle = std::unique_ptr<CURL, CurlDeleter<curl_easy_cleanup>>;
using MultiHandle = std::unique_ptr<CURLM, CurlDeleter<curl_multi_cleanup>>;
using HeaderList = std::unique_ptr<curl_slist, CurlDeleter<curl_slist_free_all>>;
using UrlHandle = std::unique_ptr<CURLU, CurlDeleter<curl_url_cleanup>>;
using CurlText = std::unique_ptr<char, CurlDeleter<curl_free>>;

// curl's global state lives exactly as long as the clients that need it.
struct CurlLibrary {
    CurlLibrary()
    {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw std::runtime_error("The HTTP library can not be initialised");
    }
    ~CurlLibrary() { curl_global_cleanup(); }
    CurlLibrary(const CurlLibrary&) = delete;
    CurlLibrary& operator=(const CurlLibrary&) = delete;
};

template <typename T> void setOption(CURL* easy, CURLoption option, T value)
{
    if (curl_easy_setopt(easy, option, value) != CURLE_OK)
        throw std::runtime_error("The HTTP library lacks an option the client needs");
}

bool isSuccess(long status) { return status >= 200 && status <= 299; }

std::int64_t clampCount(curl_off_t count)
{
    return std::clamp<std::int64_t>(count, 0, std::numeric_limits<std::int32_t>::max());
}

// https only where this build of curl speaks it; nothing else ever (no file://, no ftp://).
const char* allowedProtocols()
{
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    for (const char* const* protocol = info->protocols; *protocol; ++protocol)
        if (std::strcmp(*protocol, "https") == 0)
            return "http,https";
    return "http";
}

// URLs come from the network. Only absolute http(s) URLs pass, and none that carries a user name,
// which curl would turn into credentials. Spaces are sent encoded, as servers expect them.
std::optional<std::string> checkedUrl(const QString& url)
{
    const UrlHandle parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.toUtf8().constData(),
                                CURLU_ALLOW_SPACE | CURLU_URLENCODE) != CURLUE_OK)
        return std::nullopt;
    const auto part = [&](CURLUPart which) -> std::optional<std::string> {
        char* text = nullptr;
        if (curl_url_get(parsed.get(), which, &text, 0) != CURLUE_OK)
            return std::nullopt;
        const CurlText owned(text);
        return std::string(text);
    };
    const std::optional<std::string> scheme = part(CURLUPART_SCHEME);
    if (!scheme || (*scheme != "http" && *scheme != "https"))
        return std::nullopt;
    if (part(CURLUPART_USER) || part(CURLUPART_PASSWORD))
        return std::nullopt;
    return part(CURLUPART_URL);
}

// Whether a transfer keeps up its least rate: the bytes that arrived over the last period, judged
// from samples taken at a fraction of the period, so the history stays a few entries long.
class RateGuard {
public:
    RateGuard(const TransferLimits& limits, Clock::time_point start)
        : minPerSecond_(limits.minBytesPerSecond), period_(limits.slowPeriod)
    {
        samples_.push_back({start, 0});
    }

    bool tooSlow(Clock::time_point now, std::int64_t arrived)
    {
        if (minPerSecond_ <= 0 || period_.count() <= 0)
            return false;
        if (now - samples_.back().at >= period_ / SamplesPerPeriod)
            samples_.push_back({now, arrived});
        const Clock::time_point from = now - period_;
        // The newest sample at least a period old is the one to measure from.
        while (samples_.size() > 1 && samples_[1].at <= from)
            samples_.pop_front();
        if (samples_.front().at > from)
            return false; // less than a period has passed
        return (arrived - samples_.front().arrived) * 1000 < minPerSecond_ * period_.count();
    }

private:
    static constexpr int SamplesPerPeriod = 16;
    struct Sample {
        Clock::time_point at;
        std::int64_t arrived;
    };
    std::int64_t minPerSecond_;
    std::chrono::milliseconds period_;
    std::deque<Sample> samples_;
};

// What one request has seen so far; the curl callbacks only record, the loop reports.
struct Transfer {
    CURL* easy;
    platform::ExclusiveFile& file;
    std::int64_t maxBytes;
    long status = 0; // of the final answer, once its headers are complete
    curl_off_t expected = -1;
    curl_off_t received = 0;  // of the body
    std::int64_t arrived = 0; // of the whole answer, its head included
    bool begun = false;
    curl_off_t reported = -1;
};

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    Transfer& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    transfer.arrived += static_cast<std::int64_t>(length);
    const std::string_view line(data, length);
    if (transfer.status == 0 && (line == "\r\n" || line == "\n")) {
        long code = 0;
        curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &code);
        // An interim answer (100 Continue) ends its headers too; only the final one counts.
        if (code >= 200) {
            transfer.status = code;
            curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T,
                              &transfer.expected);
            // Refused before a byte of the body is read; returning less than length ends the
            // transfer with a write error.
            if (transfer.expected > transfer.maxBytes)
                return 0;
        }
    }
    return length;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user)
{
    Transfer& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    transfer.arrived += static_cast<std::int64_t>(length);
    // The body of an error page or a redirect is not what was asked for, and a body past the
    // limit is cut off there.
    if (!isSuccess(transfer.status) ||
        transfer.received + static_cast<curl_off_t>(length) > transfer.maxBytes ||
        !transfer.file.write(data, length))
        return 0;
    transfer.received += static_cast<curl_off_t>(length);
    return length;
}

// Keeps the easy handle in the multi handle for one request.
class Attached {
public:
    Attached(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy)
    {
        ok_ = curl_multi_add_handle(multi, easy) == CURLM_OK;
    }
    ~Attached()
    {
        if (ok_)
            curl_multi_remove_handle(multi_, easy_);
    }
    Attached(const Attached&) = delete;
    Attached& operator=(const Attached&) = delete;
    bool ok() const { return ok_; }

private:
    CURLM* multi_;
    CURL* easy_;
    bool ok_ = false;
};

class BusyScope {
public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& busy_;
};

} // namespace

struct HttpClient::Impl {
    CurlLibrary library; // first in, last out
    EasyHandle easy{curl_easy_init()};
    MultiHandle multi{curl_multi_init()};
    HeaderList headers;
    std::function<void()> pump;
    HttpProgress* progress = nullptr;
    std::chrono::milliseconds connectTimeout{0};
    std::array<TransferLimits, 2> limits{defaultTransferLimits(DownloadKind::Text),
                                         defaultTransferLimits(DownloadKind::Picture)};
    bool busy = false;

    Impl();
    bool run(const std::string& url, platform::ExclusiveFile& file, TransferLimits bounds);
    void report(Transfer& transfer);
};

HttpClient::Impl::Impl()
{
    if (!easy || !multi)
        throw std::runtime_error("The HTTP client can not be created");
    // Our own Accept replaces curl's; an empty "Expect:" keeps curl from adding one.
    for (const char* header : {"Accept: text/html, */*", "User-Agent: Tapestron", "Expect:"}) {
        curl_slist* list = curl_slist_append(headers.get(), header); // the same head, once set
        if (!list)
            throw std::runtime_error("The HTTP client can not be created");
        if (!headers)
            headers.reset(list);
    }
    CURL* h = easy.get();
    setOption(h, CURLOPT_HTTPGET, 1L);
    setOption(h, CURLOPT_HTTPHEADER, headers.get());
    setOption(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    // An empty file name starts the cookie engine without reading anything; no jar is set, so
    // the cookies live in this handle, which every request reuses, and never reach the disk.
    setOption(h, CURLOPT_COOKIEFILE, "");
    // An empty proxy overrides http_proxy and its kin from the environment.
    setOption(h, CURLOPT_PROXY, "");
    setOption(h, CURLOPT_NOPROXY, "*");
    setOption(h, CURLOPT_FOLLOWLOCATION, 0L);
    setOption(h, CURLOPT_PROTOCOLS_STR, allowedProtocols());
    setOption(h, CURLOPT_REDIR_PROTOCOLS_STR, allowedProtocols());
    setOption(h, CURLOPT_NETRC, static_cast<long>(CURL_NETRC_IGNORED));
    setOption(h, CURLOPT_NOSIGNAL, 1L);
    setOption(h, CURLOPT_HEADERFUNCTION, onHeader);
    setOption(h, CURLOPT_WRITEFUNCTION, onBody);
}

// The limits are a copy: a pump that sets new ones changes the requests that follow.
bool HttpClient::Impl::run(const std::string& url, platform::ExclusiveFile& file,
                           TransferLimits bounds)
{
    Transfer transfer{easy.get(), file, bounds.maxBytes};
    CURL* h = easy.get();
    if (curl_easy_setopt(h, CURLOPT_URL, url.c_str()) != CURLE_OK ||
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeout.count())) !=
            CURLE_OK ||
        curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer) != CURLE_OK ||
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer) != CURLE_OK)
        return false;
    const Attached attached(multi.get(), h);
    if (!attached.ok())
        return false;
    // A copy, so a pump that sets a new pump does not destroy the one running.
    const std::function<void()> pumpNow = pump;
    const Clock::time_point start = Clock::now();
    RateGuard rate(bounds, start);
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
            return false;
        report(transfer);
        if (running == 0)
            break;
        const Clock::time_point now = Clock::now();
        if (rate.tooSlow(now, transfer.arrived) ||
            (bounds.totalTime.count() > 0 && now - start >= bounds.totalTime))
            return false;
        curl_multi_poll(multi.get(), nullptr, 0, SliceMs, nullptr);
        if (pumpNow)
            pumpNow();
    }
    CURLcode result = CURLE_GOT_NOTHING;
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi.get(), &left))
        if (message->msg == CURLMSG_DONE)
            result = message->data.result;
    return result == CURLE_OK && isSuccess(transfer.status);
}

void HttpClient::Impl::report(Transfer& transfer)
{
    if (!progress || !isSuccess(transfer.status))
        return;
    if (!transfer.begun) {
        transfer.begun = true;
        progress->workBegin(clampCount(transfer.expected));
    }
    if (transfer.received != transfer.reported) {
        transfer.reported = transfer.received;
        progress->work(clampCount(transfer.received));
    }
}

HttpClient::HttpClient() : impl_(std::make_unique<Impl>()) {}
HttpClient::~HttpClient() = default;

void HttpClient::setPump(std::function<void()> pump) { impl_->pump = std::move(pump); }
void HttpClient::setProgress(HttpProgress* progress) { impl_->progress = progress; }
void HttpClient::setConnectTimeout(std::chrono::milliseconds timeout)
{
    impl_->connectTimeout = timeout;
}
void HttpClient::setLimits(DownloadKind kind, const TransferLimits& limits)
{
    impl_->limits[static_cast<std::size_t>(kind)] = limits;
}
TransferLimits HttpClient::limits(DownloadKind kind) const
{
    return impl_->limits[static_cast<std::size_t>(kind)];
}
bool HttpClient::busy() const { return impl_->busy; }

TransferLimits defaultTransferLimits(DownloadKind kind)
{
    using std::chrono::seconds;
    if (kind == DownloadKind::Text)
        return {8 * MiB, KiB, seconds(30), seconds(60)};
    return {1024 * MiB, KiB, seconds(30), seconds(0)};
}

HttpClient::Result HttpClient::get(const QString& url, const QString& target, DownloadKind kind)
{
    Impl& d = *impl_;
    const std::string path = toStd(target);
    // An old file under the target's name would pass for the answer to this request, however the
    // request ends; one that can not be deleted can not be replaced either.
    platform::deleteFile(path);
    if (d.busy)
        return Result::Busy;
    const std::optional<std::string> address = checkedUrl(url);
    if (!address || platform::fileExists(path))
        return Result::Failed;
    const std::string partial = toStd(partialDownloadPath(target));
    std::unique_ptr<platform::ExclusiveFile> file = platform::createExclusiveFile(partial);
    if (!file)
        return Result::Failed;
    bool whole = false;
    {
        const BusyScope busy(d.busy);
        whole = d.run(*address, *file, d.limits[static_cast<std::size_t>(kind)]);
    }
    file.reset(); // Windows moves no file that is open
    if (whole && platform::moveFileReplacing(partial, path))
        return Result::Ok;
    platform::deleteFile(partial);
    return Result::Failed;
}
