#include "download.h"

#include "common/regularfile.h"
#include "common/textlist.h"

namespace {

constexpr std::chrono::milliseconds ConnectTimeout{1000};

} // namespace

void DownloadFile(HttpClient& http, const QString& url, const QString& target, DownloadKind kind)
{
    http.setConnectTimeout(ConnectTimeout);
    http.get(url, target, kind);
}

QString FetchFirstLine(HttpClient& http, const QString& url, const QString& target)
{
    http.setConnectTimeout(ConnectTimeout);
    if (http.get(url, target, DownloadKind::Text) != HttpClient::Result::Ok)
        return {};
    return readFirstLine(target);
}

QString readFirstLine(const QString& path)
{
    RegularFile file(path);
    if (!file.openForReading())
        return {}; // the file went away between the transfer and the reading
    // One character past the limit tells a line that ends in time from one that goes on.
    const QByteArrayList lines = splitTextLines(file.read(MaxFirstLineLength + 1));
    if (lines.isEmpty() || lines.first().size() > MaxFirstLineLength)
        return {};
    return QString::fromLocal8Bit(lines.first());
}

void DoDownload(HttpClient& http, const QString& url, const QString& target)
{
    http.get(url, target, DownloadKind::Text);
}
