#pragma once

#include <QString>

// The wallpaper service's address: "http://" + host, without a trailing slash. The build's
// default, unless the environment variable TAPESTRON_SERVICE_URL names another one.
QString serviceBaseUrl();
