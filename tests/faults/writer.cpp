// A stand-in for the program that makes one of its file writes through the program's own code, so
// that a test can kill it in the middle of the write, or run it on a full disk or in a read-only
// folder.
//
//   tapestron-writer <kind> <0|1|serve> <program folder> <scratch folder>
//
// The download kind fetches from TAPESTRON_SERVICE_URL.
//
// 0 and 1 write the old and the new version once (a failed write prints its message and ends with
// 1); serve hands out processes that write them in turn until killed (see serve below).
#include "automode/catalog.h"
#include "automode/downloader.h"
#include "common/context.h"
#include "common/partialdownload.h"
#include "common/paths.h"
#include "common/service.h"
#include "common/settingstable.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "custommode/favourites.h"
#include "custommode/profiles.h"
#include "online/download.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "settings/originalstore.h"
#include "wallpaper/apply.h"
#include "wallpaper/jpeg.h"
#include "wallpaper/original.h"

#include <QCoreApplication>

#include <cstdio>
#include <functional>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// No window is shown: a message is the failure the test looks for.
class PrintedDialogs final : public Dialogs {
public:
    void showMessage(const QString& text) override { print(text); }
    void showError(const QString& text) override { print(text); }
    bool askYesNo(const QString&) override { return false; }
    std::optional<QColor> chooseColour(const QColor&) override { return std::nullopt; }
    std::optional<QString> askText(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    QStringList chooseFiles(const QString&, const QString&, bool) override { return {}; }
    static void print(const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

// The service's answer as the program's client leaves it: the body under its partial name, then
// renamed into place once whole.
class CopyingDownloader final : public FileDownloader {
public:
    explicit CopyingDownloader(QString body) : body_(std::move(body)) {}
    void DownloadFile(const QString&, const QString& target, DownloadKind) override
    {
        const QString partial = partialDownloadPath(target);
        if (platform::copyFileReplacing(toStd(body_), toStd(partial)) &&
            !platform::moveFileReplacing(toStd(partial), toStd(target)))
            platform::deleteFile(toStd(partial));
    }

private:
    QString body_;
};

struct Writer {
    AppContext& context;
    QString scratch;

    QString input(const QString& name, int version) const
    {
        return scratch + u'/' + name.arg(version);
    }

    void write(const std::string& kind, int version) const
    {
        const std::map<std::string, std::function<void()>> kinds{
            {"settings",
             [&] { SettingsFile().setCurrentProfile(version ? "summer.tsl" : "winter.tsl"); }},
            {"profile",
             [&] {
                 writeTextList(profilePath("holiday.tsl"), readTextList(input("list%1", version)));
             }},
            {"favourites", [] { AddFavourite(); }},
            {"current",
             [&] { CopyWholeFile(input("picture%1.bmp", version), currentBitmapPath()); }},
            {"original",
             [&] {
                 context.platform.registry->writeString(platform::RootKey::CurrentUser,
                                                        "Control Panel\\Desktop", "Wallpaper",
                                                        toStd(input("picture%1.bmp", version)));
                 SettingsOriginalStore store;
                 SaveOriginalWallpaper(context.platform, store);
             }},
            {"registry",
             [&] {
                 context.platform.registry->writeString(platform::RootKey::CurrentUser,
                                                        "Control Panel\\Desktop", "Wallpaper",
                                                        toStd(input("picture%1.bmp", version)));
             }},
            {"plugins",
             [&] {
                 PluginListFile(context).setStatus("Plugin 7", version ? "Enabled" : "Disabled");
             }},
            {"catalog",
             [&] {
                 CopyingDownloader http(input("list%1", version));
                 RefreshCatalogFile(http, context.programPath("data/cat.tsl"),
                                    context.programPath("data/cat1.tsl"), "/wallpapers/cat.tsl",
                                    CatalogLines::Codes);
             }},
            // A picture fetched into the cache, as the automatic step and the previews fetch
            // theirs, from the service the test runs.
            {"download",
             [&] {
                 HttpClient http;
                 DownloadFile(http,
                              serviceBaseUrl() + QStringLiteral("/picture%1.jpg").arg(version),
                              userDataPath("Temp/download.jpg"), DownloadKind::Picture);
             }},
            {"temp",
             [&] {
                 ConvertJpegToBitmapFile(input("picture%1.jpg", version),
                                         userDataPath("Temp/picture.bmp"));
             }},
        };
        kinds.at(kind)();
    }
};

// Serves the test one writing process after another: each "\n" on stdin forks a child that
// reports "p<pid>\n" and then writes the two versions in turn, a dot after each, until it is
// killed; "d" follows its end. Forking from here spares every kill the program's start-up.
int serve(const Writer& writer, const std::string& kind)
{
    std::fflush(nullptr);
    for (char request = 0; ::read(0, &request, 1) == 1;) {
        const pid_t child = ::fork();
        if (child < 0)
            return 1;
        if (child == 0) {
            std::printf("p%d\n", int(::getpid()));
            std::fflush(stdout);
            for (int turn = 0;; turn ^= 1) {
                writer.write(kind, turn);
                std::fputc('.', stdout);
                std::fflush(stdout);
            }
        }
        ::waitpid(child, nullptr, 0);
        if (::write(1, "d", 1) != 1)
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: tapestron-writer <kind> <0|1|serve> <program> <scratch>\n");
        return 2;
    }
    // As the program itself starts.
    platform::Platform system = platform::createPlatform(nullptr);
    PrintedDialogs dialogs;
    AppContext context{system, dialogs, QString::fromLocal8Bit(argv[3])};
    const Writer writer{context, QString::fromLocal8Bit(argv[4])};
    const std::string kind = argv[1];
    const std::string version = argv[2];
    try {
        createUserFolders();
        if (version == "serve")
            return serve(writer, kind);
        writer.write(kind, version == "1");
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
