#include "download.h"

#include "common/errors.h"
#include "common/textlist.h"

namespace {

constexpr std::chrono::milliseconds ConnectTimeout{1000};

} // namespace

void DownloadFile(HttpClient& http, const QString& url, const QString& target)
{
    http.setConnectTimeout(ConnectTimeout);
    http.get(url, target);
}

QString FetchFirstLine(HttpClient& http, const QString& url, const QString& target)
{
    http.setConnectTimeout(ConnectTimeout);
    if (http.get(url, target) != HttpClient::Result::Ok)
        return {};
    try {
        const QStringList lines = readTextList(target);
        return lines.isEmpty() ? QString() : lines.first();
    } catch (const AppError&) {
        return {}; // the file went away between the transfer and the reading
    }
}

void DoDownload(HttpClient& http, const QString& url, const QString& target)
{
    http.get(url, target);
}
