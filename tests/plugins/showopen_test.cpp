#include "fixtures.h"
#include "service.h"
#include "testpictures.h"

#include "common/paths.h"
#include "common/strings.h"
#include "common/textlist.h"

#include <httplib.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace fs = std::filesystem;

namespace {

// A service that answers fixed paths with fixed bodies (404 otherwise), for lists the real
// service never sends.
class HandMadeService {
public:
    HandMadeService()
    {
        server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            const std::lock_guard lock(mutex_);
            requests_.push_back(req.path);
            const auto file = files_.find(req.path);
            if (file == files_.end())
                res.status = 404;
            else
                res.set_content(file->second, "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::yield();
    }
    ~HandMadeService()
    {
        server_.stop();
        thread_.join();
    }

    std::string baseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
    void serve(const std::string& path, std::string body)
    {
        const std::lock_guard lock(mutex_);
        files_[path] = std::move(body);
    }
    std::vector<std::string> requests() const
    {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    std::map<std::string, std::string> files_;
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
};

struct Outcome {
    int exitCode = -1;
    std::string said; // what it printed, the text of its notification
};

// The plug-in as the shell starts it, in the case's APPDATA. Its notifications go to a bus that
// does not exist, never to the developer's desktop.
class ShowOpenTest : public AppFixture {
protected:
    void launch(QProcess& process, const QString& argument)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + tempPath("no-bus"));
        process.setProcessEnvironment(env);
        process.start(TAPESTRON_SHOWOPEN, {argument});
    }
    Outcome open(const QString& argument)
    {
        QProcess process;
        launch(process, argument);
        EXPECT_TRUE(process.waitForFinished(90000)) << toStd(argument);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().trimmed().toStdString()};
    }

    // Every file below UserDataDir, relative to it, sorted.
    std::vector<std::string> userFiles() const
    {
        QStringList files;
        QDirIterator it(userData(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next().mid(userData().size() + 1));
        files.sort();
        return lines(files);
    }

    static std::vector<std::string> lines(const QStringList& list)
    {
        std::vector<std::string> out;
        for (const QString& line : list)
            out.push_back(toStd(line));
        return out;
    }

    QString profilePath(const QString& file) const
    {
        return joinPath(userData(), "Profiles/" + file);
    }

    std::string jpegBytes() const
    {
        writeTestJpeg(tempPath("p.jpg"), 64, 48);
        return readFileBytes(toStd(tempPath("p.jpg")));
    }
};

} // namespace

TEST_F(ShowOpenTest, LocalProfilesAreCopiedWithoutReplacingOne)
{
    const std::string mine = "/pictures/a.jpg\r\n/pictures/b.jpg"; // two entries
    writeFileBytes(toStd(tempPath("summer.tsl")), mine);
    fs::create_directories(toStd(userData() + "/Profiles"));
    writeFileBytes(toStd(profilePath("summer.tsl")), "old\r\n");

    Outcome added = open(tempPath("summer.tsl"));
    EXPECT_EQ(added.exitCode, 0);
    EXPECT_EQ(added.said, "Profile summer-2 added: 2 pictures.");
    added = open(tempPath("summer.tsl"));
    EXPECT_EQ(added.said, "Profile summer-3 added: 2 pictures.");
    EXPECT_EQ(readFileBytes(toStd(profilePath("summer.tsl"))), "old\r\n");
    EXPECT_EQ(readFileBytes(toStd(profilePath("summer-2.tsl"))), mine);
    EXPECT_EQ(readFileBytes(toStd(profilePath("summer-3.tsl"))), mine);

    writeFileBytes(toStd(tempPath("notes.txt")), mine);
    EXPECT_EQ(open(tempPath("notes.txt")).exitCode, 2);
    EXPECT_EQ(open(tempPath("missing.tsl")).exitCode, 2);
    EXPECT_EQ(userFiles(),
              lines({"Profiles/summer-2.tsl", "Profiles/summer-3.tsl", "Profiles/summer.tsl"}));
}

// The favourites' own list and a name in use in another letter case give way to the next free
// name; a name with a line break is refused.
TEST_F(ShowOpenTest, AnImportedProfileTakesNoNameInUseAndNoLineBreak)
{
    fs::create_directories(toStd(tempPath("in")));
    for (const char* name : {"Favorites", "favorites", "FAVORITES-2", "line\nbreak", "cr\rlf"}) {
        writeFileBytes(toStd(tempPath(QStringLiteral("in/%1.tsl").arg(name))), "C:\\a.jpg\r\n");
        open(tempPath(QStringLiteral("in/%1.tsl").arg(name)));
    }
    EXPECT_EQ(userFiles(), lines({"Profiles/FAVORITES-2-2.tsl", "Profiles/Favorites-2.tsl",
                                  "Profiles/favorites-3.tsl"}));
}

// Asked to end, an import takes its staging folder with it. A killed one leaves it, and a later
// start removes it once it is an hour old, never the folder of an import still running.
TEST_F(ShowOpenTest, StoppedImportsLeaveNoStagingFolderBehind)
{
    WallpaperService service;
    service.start();
    service.setFault("/profiles/street.tsl", Fault::closeWithoutResponse(100000));
    const ScopedEnv url("TAPESTRON_SERVICE_URL", service.baseUrl());
    const auto staging = [&] {
        return QDir(userData()).entryInfoList({".import-*"}, QDir::Dirs | QDir::Hidden);
    };
    const auto importing = [&](QProcess& import) {
        const qsizetype before = staging().size();
        launch(import, "tapestron:profile/street");
        while (staging().size() == before && !import.waitForFinished(20)) {
        }
    };
    QProcess asked, killed, running;
    importing(asked);
    asked.terminate();
    asked.waitForFinished();
    EXPECT_TRUE(staging().isEmpty());
    importing(killed);
    killed.kill();
    killed.waitForFinished();
    const QString left = staging().value(0).filePath();
    importing(running);
    ASSERT_EQ(staging().size(), 2) << "younger than an hour";
    for (const QFileInfo& folder : staging())
        fs::last_write_time(toStd(folder.filePath()),
                            fs::file_time_type::clock::now() - std::chrono::hours(2));
    open("missing.tsl");
    ASSERT_EQ(staging().size(), 1);
    EXPECT_NE(staging()[0].filePath(), left);
    running.kill();
    running.waitForFinished();
    service.stop();
}

TEST_F(ShowOpenTest, ALinkAddsTheServicesProfileWithItsPicturesEachTimeUnderAFreeName)
{
    WallpaperService service;
    service.start();
    const ScopedEnv url("TAPESTRON_SERVICE_URL", service.baseUrl());
    const ServiceCategory& street =
        *std::find_if(service.categories().begin(), service.categories().end(),
                      [](const ServiceCategory& c) { return c.code == "street"; });
    const std::string count = std::to_string(street.pictures.size());

    Outcome added = open("tapestron:profile/street");
    EXPECT_EQ(added.exitCode, 0);
    EXPECT_EQ(added.said, "Profile street added: " + count + " pictures.");
    added = open("TAPESTRON://Profile/street/");
    EXPECT_EQ(added.exitCode, 0);
    EXPECT_EQ(added.said, "Profile street-2 added: " + count + " pictures.");

    QStringList expectedFiles;
    for (const QString& copy : {QStringLiteral("street"), QStringLiteral("street-2")}) {
        QStringList expected;
        for (const ServicePicture& picture : street.pictures) {
            const QString local =
                joinPath(userData(), "Downloads/" + copy + "/" + fromStd(picture.file));
            expected.append(local);
            expectedFiles.append("Downloads/" + copy + "/" + fromStd(picture.file));
            EXPECT_EQ(readFileBytes(toStd(local)),
                      service.content("/pictures/street/" + picture.file, service.baseUrl()));
        }
        EXPECT_EQ(lines(readTextList(profilePath(copy + ".tsl"))), lines(expected));
        EXPECT_TRUE(readFileBytes(toStd(profilePath(copy + ".tsl"))).ends_with("\r\n"));
        expectedFiles.append("Profiles/" + copy + ".tsl");
    }
    expectedFiles.sort();
    EXPECT_EQ(userFiles(), lines(expectedFiles)); // nothing else, no half-done file
    for (const RecordedRequest& request : service.requests())
        EXPECT_TRUE(request.path == "/profiles/street.tsl" ||
                    request.path.starts_with("/pictures/street/"))
            << request.path;
}

TEST_F(ShowOpenTest, LinksAndListsThatBreakTheRulesAreRefusedAndLeaveNothing)
{
    HandMadeService elsewhere;
    elsewhere.serve("/pictures/a.jpg", jpegBytes());
    HandMadeService service;
    const std::string base = service.baseUrl();
    service.serve("/pictures/a.jpg", jpegBytes());
    service.serve("/profiles/elsewhere.tsl", elsewhere.baseUrl() + "/pictures/a.jpg\r\n");
    service.serve("/profiles/otherhost.tsl",
                  base + "/pictures/a.jpg\r\nhttp://wallpapers.example.org/a.jpg\r\n");
    service.serve("/profiles/file.tsl", "file:///etc/hostname\r\n");
    std::string many;
    for (int i = 0; i <= 500; ++i)
        many += base + "/pictures/a.jpg\r\n";
    service.serve("/profiles/many.tsl", many);
    service.serve("/profiles/long.tsl", std::string((1 << 20) + 1, 'x'));
    const ScopedEnv url("TAPESTRON_SERVICE_URL", base);

    for (const char* link :
         {"tapestron:profile/..", "tapestron:profile/a/b", "tapestron:profile/%2E%2E",
          "tapestron:profile/..%2Fx", "tapestron:profile/a%5Cb", "tapestron:profile/",
          "tapestron://wallpapers.example.org/profile/a", "tapestron:profile/a%0Ab",
          "tapestron:other/a"}) {
        const Outcome refused = open(link);
        EXPECT_EQ(refused.exitCode, 2) << link;
        EXPECT_EQ(refused.said, "Nothing was added: the link does not name a profile.") << link;
    }
    EXPECT_TRUE(service.requests().empty());

    for (const char* name : {"elsewhere", "otherhost", "file"}) {
        const Outcome refused = open(QStringLiteral("tapestron:profile/") + name);
        EXPECT_EQ(refused.exitCode, 2) << name;
        EXPECT_EQ(refused.said, "Profile " + std::string(name) +
                                    " could not be added: its list names a picture outside " +
                                    base + ".");
    }
    const Outcome tooMany = open("tapestron:profile/many");
    EXPECT_EQ(tooMany.exitCode, 2);
    EXPECT_EQ(tooMany.said, "Profile many could not be added: its list names more than 500 "
                            "pictures.");
    const Outcome tooLong = open("tapestron:profile/long");
    EXPECT_EQ(tooLong.exitCode, 2);
    EXPECT_EQ(tooLong.said, "Profile long could not be added: its list is too long.");
    for (const std::string& path : service.requests())
        EXPECT_TRUE(path.starts_with("/profiles/")) << path;
    EXPECT_TRUE(elsewhere.requests().empty());
    EXPECT_TRUE(userFiles().empty());
}

TEST_F(ShowOpenTest, PicturesThatDoNotDecodeAreLeftOutAndWithoutAnyNothingIsAdded)
{
    HandMadeService service;
    const std::string base = service.baseUrl();
    service.serve("/pictures/a.jpg", jpegBytes());
    service.serve("/pictures/junk.jpg", "not a picture");
    // A bitmap under a JPEG's name keeps neither: the show reads a picture by its extension.
    service.serve("/pictures/b.jpg", readFileBytes(toStd(bitmap("b.bmp"))));
    service.serve("/profiles/mixed.tsl", base + "/pictures/a.jpg\r\n" + base +
                                             "/pictures/junk.jpg\r\n" + base +
                                             "/pictures/a.jpg\r\n" + base + "/pictures/b.jpg\r\n");
    service.serve("/profiles/junk.tsl", base + "/pictures/junk.jpg\r\n");
    service.serve("/profiles/gone.tsl", base + "/pictures/a.jpg\r\n" + base + "/pictures/c.jpg");
    const ScopedEnv url("TAPESTRON_SERVICE_URL", base);

    const Outcome junk = open("tapestron:profile/junk");
    EXPECT_EQ(junk.exitCode, 4);
    EXPECT_EQ(junk.said, "Profile junk could not be added: none of its pictures can be shown.");
    const Outcome gone = open("tapestron:profile/gone");
    EXPECT_EQ(gone.exitCode, 3);
    EXPECT_EQ(gone.said, "Profile gone could not be added: the wallpaper service did not send "
                         "picture 2 of 2.");
    const Outcome missing = open("tapestron:profile/missing");
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_EQ(missing.said, "Profile missing could not be added: the wallpaper service did not "
                            "send it.");
    EXPECT_TRUE(userFiles().empty());

    const Outcome mixed = open("tapestron:profile/mixed");
    EXPECT_EQ(mixed.exitCode, 0);
    EXPECT_EQ(mixed.said, "Profile mixed added: 3 pictures.");
    const QString folder = joinPath(userData(), "Downloads/mixed");
    EXPECT_EQ(lines(readTextList(profilePath("mixed.tsl"))),
              lines({joinPath(folder, "a.jpg"), joinPath(folder, "picture-3.jpg"),
                     joinPath(folder, "picture-4.bmp")}));
    EXPECT_EQ(userFiles(), lines({"Downloads/mixed/a.jpg", "Downloads/mixed/picture-3.jpg",
                                  "Downloads/mixed/picture-4.bmp", "Profiles/mixed.tsl"}));
}

// Waits out the client's real 30 s stall limit: the one case that does.
TEST_F(ShowOpenTest, AServiceThatStallsEndsTheImportWithinTheStallLimit)
{
    WallpaperService service;
    service.start();
    service.setFault("/profiles/street.tsl", Fault::closeWithoutResponse(100000));
    const ScopedEnv url("TAPESTRON_SERVICE_URL", service.baseUrl());

    QElapsedTimer clock;
    clock.start();
    const Outcome stalled = open("tapestron:profile/street");
    EXPECT_LT(clock.elapsed(), 45000);
    EXPECT_EQ(stalled.exitCode, 3);
    EXPECT_EQ(stalled.said, "Profile street could not be added: the wallpaper service did not "
                            "send it.");
    EXPECT_TRUE(userFiles().empty());
    service.stop();
}

// The faults of the network on the list and on a picture: each ends the import at once with its
// own outcome and leaves nothing. A stall is the case above; an endless picture would only end
// after the gibibyte a picture may have.
TEST_F(ShowOpenTest, NetworkFaultsEndTheImportSoonAndLeaveNothing)
{
    WallpaperService service;
    service.start();
    const ScopedEnv url("TAPESTRON_SERVICE_URL", service.baseUrl());
    const std::string list = "/profiles/street.tsl";
    const std::string picture = "/pictures/street/street_Deep_Field.jpg";
    const std::string notSent = "Profile street could not be added: the wallpaper service did not "
                                "send ";
    const std::string tooLong = "Profile street could not be added: its list is too long.";
    const struct {
        const char* name;
        std::string path;
        Fault fault;
        int exitCode;
        std::string said;
    } cases[] = {
        {"404", list, Fault::notFound(), 3, notSent + "it."},
        {"500", list, Fault::serverError(), 3, notSent + "it."},
        {"reset", list, Fault::reset(), 3, notSent + "it."},
        {"cut body", list, Fault::cutBody(), 3, notSent + "it."},
        {"endless body", list, Fault::endlessBody(), 2, tooLong},
        {"2 GB length", list, Fault::hugeLength(100000), 2, tooLong},
        {"404", picture, Fault::notFound(), 3, notSent + "picture 1 of 4."},
        {"500", picture, Fault::serverError(), 3, notSent + "picture 1 of 4."},
        {"reset", picture, Fault::reset(), 3, notSent + "picture 1 of 4."},
        {"cut body", picture, Fault::cutBody(), 3, notSent + "picture 1 of 4."},
        {"2 GB length", picture, Fault::hugeLength(100000), 2,
         "Profile street could not be added: picture 1 of 4 is larger than 1 GiB."},
    };
    for (const auto& fault : cases) {
        service.clearFaults();
        service.setFault(fault.path, fault.fault);
        QElapsedTimer clock;
        clock.start();
        const Outcome outcome = open("tapestron:profile/street");
        EXPECT_LT(clock.elapsed(), 10000) << fault.name << " on " << fault.path;
        EXPECT_EQ(outcome.exitCode, fault.exitCode) << fault.name << " on " << fault.path;
        EXPECT_EQ(outcome.said, fault.said) << fault.name << " on " << fault.path;
        EXPECT_TRUE(userFiles().empty()) << fault.name << " on " << fault.path;
    }
    service.stop();
}
