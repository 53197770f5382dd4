#include "servicefixture.h"

#include <QFile>

#include <algorithm>

namespace {

std::string started(WallpaperService& service)
{
    service.start();
    return service.baseUrl();
}

} // namespace

ServiceFixture::ServiceFixture(std::vector<ServiceCategory> categories)
    : service(std::move(categories)), url("TAPESTRON_SERVICE_URL", started(service))
{
}

ServiceFixture::~ServiceFixture() { service.stop(); }

int ServiceFixture::requestsFor(const std::string& path) const
{
    const auto log = service.requests();
    return static_cast<int>(std::count_if(
        log.begin(), log.end(), [&](const RecordedRequest& r) { return r.path == path; }));
}

QByteArray ServiceFixture::bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
