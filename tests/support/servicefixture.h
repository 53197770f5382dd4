#pragma once

#include "fixtures.h"
#include "service.h"

#include <QByteArray>

#include <string>
#include <vector>

// The program's windows against a wallpaper service of its own on loopback; TAPESTRON_SERVICE_URL
// points at it for the whole case.
class ServiceFixture : public WindowsFixture {
protected:
    explicit ServiceFixture(std::vector<ServiceCategory> categories = demoCategories());
    ~ServiceFixture() override;

    // How many requests for exactly path the service received.
    int requestsFor(const std::string& path) const;
    // The file's bytes, or "<missing>".
    static QByteArray bytesOf(const QString& path);

    WallpaperService service;
    ScopedEnv url;
};
