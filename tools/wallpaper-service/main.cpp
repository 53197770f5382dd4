// tapestron-service [--port N] [--host ADDRESS] [--version-answer TEXT] [FOLDER]
// tapestron-service --export DIR [--version-answer TEXT] [FOLDER]
// Serves the pictures of FOLDER (one subfolder per category), or a generated demo collection,
// to Tapestron over plain HTTP until it is killed; or writes the same site as plain files under
// DIR for any web server, its lists naming the address Tapestron is given (TAPESTRON_SERVICE_URL).
// /version answers TEXT (default: the program's own version), so that a program's update check
// can be tried against any answer.

#include "common/service.h"
#include "export.h"
#include "service.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: tapestron-service [--port N] [--host ADDRESS] [--version-answer TEXT] "
                 "[FOLDER]\n"
                 "       tapestron-service --export DIR [--version-answer TEXT] [FOLDER]\n");
    return 2;
}

int exportTo(WallpaperService& service, const std::string& folder)
{
    const std::string base = serviceBaseUrl().toStdString();
    if (!base.starts_with("http://") && !base.starts_with("https://")) {
        std::fprintf(stderr,
                     "tapestron-service: TAPESTRON_SERVICE_URL must be the http:// or https:// "
                     "address the site will be served at, not %s\n",
                     base.c_str());
        return 2;
    }
    const std::size_t written = exportSite(service, folder, base, [](const std::string& path) {
        std::fprintf(stderr, "tapestron-service: left out %s: it can not be made\n", path.c_str());
    });
    std::printf("tapestron-service: %zu files in %s, for %s\n", written, folder.c_str(),
                base.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int port = 8468;
    std::string host = "127.0.0.1";
    std::string folder;
    std::optional<std::string> versionAnswer;
    std::string exportFolder;
    bool serving = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--version-answer" && i + 1 < argc) {
            versionAnswer = argv[++i];
        } else if ((arg == "--port" || arg == "--host" || arg == "--export") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--export") {
                exportFolder = value;
                continue;
            }
            serving = true;
            if (arg == "--host") {
                host = value;
                continue;
            }
            char* end = nullptr;
            const long n = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || n < 0 || n > 65535)
                return usage();
            port = int(n);
        } else if (arg.starts_with("-") || !folder.empty()) {
            return usage();
        } else {
            folder = arg;
        }
    }
    if (!exportFolder.empty() && serving)
        return usage();

    // Blocking the end signals before any thread starts and waiting for them below lets the
    // service stop cleanly.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    // The demo pictures carry their category's name; text needs fonts, fonts a QGuiApplication,
    // and that a platform, which need not be a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    try {
        std::vector<SkippedEntry> skipped;
        WallpaperService service =
            folder.empty() ? WallpaperService() : WallpaperService(scanFolder(folder, &skipped));
        for (const auto& entry : skipped)
            std::fprintf(stderr, "tapestron-service: skipped %s: %s\n", entry.path.c_str(),
                         entry.reason.c_str());
        if (!folder.empty() && service.categories().empty())
            std::fprintf(stderr,
                         "tapestron-service: %s has no category: each subfolder with .jpg, .jpeg "
                         "or .bmp pictures in it is one\n",
                         folder.c_str());
        if (versionAnswer)
            service.setVersion(*versionAnswer);
        if (!exportFolder.empty())
            return exportTo(service, exportFolder);
        service.start(port, host);
        const std::size_t count = service.categories().size();
        std::printf("tapestron-service: %s on %s (%zu %s)\n",
                    folder.empty() ? "demo collection" : folder.c_str(), service.baseUrl().c_str(),
                    count, count == 1 ? "category" : "categories");
        std::fflush(stdout);
        int received = 0;
        sigwait(&endSignals, &received);
        service.stop();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tapestron-service: %s\n", error.what());
        return 1;
    }
    return 0;
}
