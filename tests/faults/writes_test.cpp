// Every file the program writes, written by a helper process through the program's own code while
// the write is disturbed: the process killed at random moments, a full disk, a read-only folder.
// Afterwards each file must be its old or its new version and the program must start on them.
#include "app/forms.h"
#include "common/paths.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "custommode/favourites.h"
#include "custommode/profiles.h"
#include "fixtures.h"
#include "readonlyfolders.h"
#include "settings/settings.h"
#include "testpictures.h"
#include "wallpaper/bmp.h"
#include "wallpaper/picture.h"

#include <httplib.h>

#include <QDir>
#include <QPushButton>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The writer as a child process; its messages, and in serve mode what its writing processes
// report, come back through pipes.
class Writer {
public:
    // fileSizeLimit: RLIMIT_FSIZE for the child, in bytes.
    Writer(const std::string& kind, const std::string& version, const QString& programDir,
           const QString& scratch, std::optional<rlim_t> fileSizeLimit = std::nullopt)
    {
        int in[2], out[2], err[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
            ::pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        const std::string program = toStd(programDir), folder = toStd(scratch);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            if (fileSizeLimit) {
                const rlimit limit{*fileSizeLimit, *fileSizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            ::execl(TAPESTRON_WRITER, TAPESTRON_WRITER, kind.c_str(), version.c_str(),
                    program.c_str(), folder.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        ::fcntl(err[0], F_SETFL, O_NONBLOCK); // what has come so far, even from a running child
        in_ = in[1];
        out_ = out[0];
        err_ = err[0];
    }
    ~Writer()
    {
        ::close(in_);
        if (pid_ > 0 && !waited_)
            finish();
        ::close(out_);
        ::close(err_);
    }

    // Serve mode: starts a writing process; false when none came.
    bool startWriting()
    {
        writing_ = 0;
        if (::write(in_, "\n", 1) != 1 || next() != 'p')
            return false;
        for (char c; (c = next()) >= '0' && c <= '9';)
            writing_ = writing_ * 10 + (c - '0');
        return writing_ > 0;
    }
    // Blocks until the writing process has finished a write; false when it ended instead.
    bool nextWrite() { return next() == '.'; }
    // Kills the writing process and waits until it is gone. Returns whether it held a file in
    // one of folders open at that moment (a file being written, named or not yet).
    bool killWriting(const std::vector<std::string>& folders)
    {
        bool open = false;
        std::error_code error;
        const fs::path descriptors = "/proc/" + std::to_string(writing_) + "/fd";
        for (const auto& entry : fs::directory_iterator(descriptors, error)) {
            const std::string target = fs::read_symlink(entry.path(), error).string();
            // The registry's lock file is held for the whole process, not for a write.
            for (const std::string& folder : folders)
                open = open || (target.starts_with(folder + '/') && !target.ends_with(".lock"));
        }
        ::kill(writing_, SIGKILL);
        for (char c = 0; c != 'd' && c != -1;)
            c = next();
        return open;
    }

    // Waits for the end of the child (stdin closed first); the wait status.
    int finish()
    {
        ::close(in_);
        in_ = -1;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        waited_ = true;
        return status;
    }
    std::string errors() const
    {
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = ::read(err_, buffer, sizeof buffer)) > 0;)
            text.append(buffer, std::size_t(got));
        return text;
    }

private:
    char next()
    {
        char c = -1;
        return ::read(out_, &c, 1) == 1 ? c : char(-1);
    }

    pid_t pid_ = -1;
    pid_t writing_ = 0;
    int in_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool waited_ = false;
};

struct Kind {
    std::string name;
    // The message a refused write shows; empty where the step goes on without it (a catalog that
    // can not be refreshed is used as it is, a download that fails is fetched again).
    QString failure;
    // A cache is fetched again when missing: a failed or killed write may leave it absent, never
    // torn.
    bool cache = false;
};

const std::vector<Kind> Kinds{
    {"settings", "Unable to write to"},   {"profile", "Cannot create file"},
    {"favourites", "Cannot create file"}, {"current", "Cannot write file"},
    {"original", "Cannot write file"},    {"registry", "Failed to set data for 'Wallpaper'"},
    {"plugins", "Unable to write to"},    {"catalog", ""},
    {"temp", "Cannot create file"},       {"download", "", true},
};

void PrintTo(const Kind& kind, std::ostream* out) { *out << kind.name; }

std::string kindName(const ::testing::TestParamInfo<Kind>& info) { return info.param.name; }

using Snapshot = std::map<std::string, std::string>; // path -> bytes
const std::string Missing = "<missing>";

class WriteFaultsTest : public WindowsFixture, public ::testing::WithParamInterface<Kind> {
protected:
    WriteFaultsTest()
    {
        writeIni("[General]\r\nAutoRunAtStartup=0\r\n"); // not a first start: no wizard
        for (int version : {0, 1}) {
            const int side = 700 + 100 * version;
            const QImage picture = makeTestImage(side, side * 3 / 4);
            saveBitmap(picture, input("picture%1.bmp", version));
            writeTestJpeg(input("picture%1.jpg", version), side, side * 3 / 4);
            QStringList lines;
            for (int i = 0; i < 2000; ++i)
                lines.append(QStringLiteral("code%1v%2").arg(i).arg(version));
            writeTextList(input("list%1", version), lines);
        }
        saveBitmap(makeTestImage(320, 240), currentBitmapPath());
        QString plugins;
        for (int i = 0; i < 12; ++i)
            plugins += QStringLiteral("[Plugin %1]\r\nName=Plugin %1\r\nStatus=Enabled\r\n").arg(i);
        writeFileBytes(toStd(programDir()) + "data/plugins.ini", plugins.toStdString());
        // The service of the download kind: the scratch folder's pictures.
        service_.set_mount_point("/", toStd(tempPath("")));
        // The program's client keeps its connection open until the case ends, and a kept
        // connection would hold the service's stop for the whole keep-alive time.
        service_.set_keep_alive_max_count(1);
        const int port = service_.bind_to_any_port("127.0.0.1");
        serving_ = std::thread([this] { service_.listen_after_bind(); });
        while (!service_.is_running())
            std::this_thread::yield();
        serviceUrl_.emplace("TAPESTRON_SERVICE_URL", "http://127.0.0.1:" + std::to_string(port));
    }

    ~WriteFaultsTest() override
    {
        service_.stop();
        serving_.join();
    }

    QString input(const QString& name, int version) const { return tempPath(name.arg(version)); }
    const std::string& kind() const { return GetParam().name; }

    // The files the kind's write replaces.
    std::vector<std::string> files() const
    {
        const std::map<std::string, std::vector<QString>> files{
            {"settings", {settingsFilePath()}},
            {"profile", {profilePath("holiday.tsl")}},
            {"favourites", {profilePath(FavouritesProfile)}},
            {"current", {currentBitmapPath()}},
            {"original", {userDataPath("original.bmp")}},
            {"registry", {fromStd(root.file("registry.reg"))}},
            {"plugins", {programDir() + "data/plugins.ini"}},
            {"catalog", {programDir() + "data/cat.tsl", programDir() + "data/cat1.tsl"}},
            {"temp", {userDataPath("Temp/picture.bmp")}},
            {"download", {userDataPath("Temp/download.jpg")}},
        };
        std::vector<std::string> paths;
        for (const QString& path : files.at(kind()))
            paths.push_back(toStd(QDir::cleanPath(path)));
        return paths;
    }

    Snapshot snapshot() const
    {
        Snapshot bytes;
        for (const std::string& path : files())
            bytes[path] = fs::exists(path) ? readFileBytes(path) : Missing;
        return bytes;
    }

    // The folders the kind's write makes files in.
    std::vector<std::string> folders() const
    {
        std::vector<std::string> folders;
        for (const std::string& path : files())
            folders.push_back(fs::path(path).parent_path().string());
        if (kind() == "favourites")
            folders.push_back(toStd(QDir::cleanPath(favouritesFolder())));
        std::sort(folders.begin(), folders.end());
        folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
        return folders;
    }

    // Everything in those folders, to tell what a write left behind.
    std::set<std::string> listing() const
    {
        std::set<std::string> names;
        for (const std::string& folder : folders())
            for (const auto& entry : fs::directory_iterator(folder))
                names.insert(entry.path().string());
        return names;
    }

    void writeOnce(int version)
    {
        Writer writer(kind(), std::to_string(version), programDir(), tempPath(""));
        const int status = writer.finish();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << writer.errors();
    }

    // What the failed write must have left: the old version of every file, and nothing else.
    void expectUnchanged(const Snapshot& before, std::set<std::string> folders)
    {
        Snapshot now = snapshot();
        for (auto& [path, bytes] : now)
            if (GetParam().cache && bytes == Missing) {
                bytes = before.at(path);
                folders.erase(path);
            }
        EXPECT_EQ(now, before);
        EXPECT_EQ(listing(), folders);
    }

    // A favourite is never half a picture, and the profile lists the folder's pictures, or all but
    // the one added last.
    bool favouritesWhole() const
    {
        QStringList pictures = QDir(favouritesFolder()).entryList({"*.jpg"}, QDir::Files);
        for (QString& picture : pictures) {
            picture = QDir::toNativeSeparators(favouritesFolder() + u'/' + picture);
            try {
                if (!LoadPictureAsBitmap(picture))
                    return false;
            } catch (const std::exception&) {
                return false;
            }
        }
        // The profile keeps the order the system lists the folder in.
        QStringList listed = readTextList(profilePath(FavouritesProfile));
        listed.sort();
        return listed == pictures || listed == pictures.mid(0, pictures.size() - 1);
    }

    void keepFirstFavouriteOnly()
    {
        const QDir folder(favouritesFolder());
        for (const QString& picture : folder.entryList({"*.jpg"}, QDir::Files))
            if (picture != "fav_000.jpg")
                QFile::remove(folder.filePath(picture));
        writeTextList(profilePath(FavouritesProfile),
                      {QDir::toNativeSeparators(folder.filePath("fav_000.jpg"))});
    }

    // The program's start-up on what the writes left: no error, and every line of every file is
    // still there (the start adds its own values to the settings and the registry).
    void expectProgramStarts(const Snapshot& files)
    {
        start();
        EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
        for (const auto& [path, bytes] : snapshot()) {
            if (bytes == files.at(path) || (GetParam().cache && bytes == Missing))
                continue;
            for (const QByteArray& line : QByteArray::fromStdString(files.at(path)).split('\n'))
                EXPECT_NE(bytes.find(line.toStdString()), std::string::npos)
                    << path << ": " << line.toStdString();
        }
    }

private:
    httplib::Server service_;
    std::thread serving_;
    std::optional<ScopedEnv> serviceUrl_;
};

int killCount()
{
    const char* count = std::getenv("TAPESTRON_KILLS");
    return count ? std::atoi(count) : 100;
}

TEST_P(WriteFaultsTest, AKillAtAnyMomentLeavesTheOldOrTheNewFile)
{
    writeOnce(1);
    const Snapshot newer = snapshot();
    writeOnce(0);
    const Snapshot older = snapshot();
    const std::set<std::string> clean = listing();
    const bool favourites = kind() == "favourites";
    if (favourites)
        keepFirstFavouriteOnly();

    const unsigned seed = std::random_device()();
    std::mt19937 random(seed);
    int kills = 0, midWrite = 0, failures = 0;
    Writer writer(kind(), "serve", programDir(), tempPath(""));
    for (; kills < killCount(); ++kills) {
        // Two finished writes time one; the kill falls anywhere in the next.
        ASSERT_TRUE(writer.startWriting() && writer.nextWrite()) << writer.errors();
        const auto begin = std::chrono::steady_clock::now();
        ASSERT_TRUE(writer.nextWrite()) << writer.errors();
        const auto period = std::chrono::steady_clock::now() - begin;
        // Every other kill leans towards the end of the turn, where steps that read or decode
        // first do their writing.
        const double moment = std::uniform_real_distribution<double>(0, 1)(random);
        std::this_thread::sleep_for((kills % 2 ? std::sqrt(std::sqrt(moment)) : moment) * period);
        const bool writing = writer.killWriting(folders());

        bool whole = true;
        if (favourites)
            whole = favouritesWhole();
        else
            for (const auto& [path, bytes] : snapshot())
                whole = whole && (bytes == older.at(path) || bytes == newer.at(path) ||
                                  (GetParam().cache && bytes == Missing));
        if (!whole && failures++ == 0)
            ADD_FAILURE() << "torn after kill " << kills << " (seed " << seed << ")";

        const std::set<std::string> names = listing();
        std::set<std::string> stray;
        std::set_difference(names.begin(), names.end(), clean.begin(), clean.end(),
                            std::inserter(stray, stray.end()));
        if (favourites)
            std::erase_if(stray, [](const std::string& n) { return n.ends_with(".jpg"); });
        midWrite += writing || !stray.empty() ? 1 : 0;
        // The last kill's leftovers stay for the start below.
        if (kills + 1 < killCount())
            for (const std::string& name : stray)
                fs::remove(name);
        if (favourites)
            keepFirstFavouriteOnly();
    }
    std::cout << "[ figures  ] " << kind() << ": " << kills << " kills, " << midWrite
              << " in the middle of a write, " << failures << " failures (seed " << seed << ")\n";
    RecordProperty("kills", kills);
    RecordProperty("midWrite", midWrite);
    RecordProperty("failures", failures);
    EXPECT_EQ(failures, 0);

    const Snapshot last = snapshot();
    expectProgramStarts(last);
    if (favourites) {
        EXPECT_TRUE(favouritesWhole());
    }
}

// A write that does not fit fails with the program's message and leaves the old file.
TEST_P(WriteFaultsTest, AFullDiskFailsTheWriteAndKeepsTheOldFile)
{
    writeOnce(1);
    std::size_t smallest = SIZE_MAX;
    for (const auto& [path, bytes] : snapshot())
        smallest = std::min(smallest, bytes.size());
    writeOnce(0);
    const Snapshot older = snapshot();
    const std::set<std::string> clean = listing();

    Writer writer(kind(), "1", programDir(), tempPath(""), rlim_t(smallest / 2));
    const int status = writer.finish();
    const std::string errors = writer.errors();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), GetParam().failure.isEmpty() ? 0 : 1) << errors;
    EXPECT_NE(errors.find(toStd(GetParam().failure)), std::string::npos) << errors;
    expectUnchanged(older, clean);
    expectProgramStarts(older);
}

TEST_P(WriteFaultsTest, AReadOnlyFolderFailsTheWriteAndKeepsTheOldFile)
{
    writeOnce(0);
    const Snapshot older = snapshot();
    const std::set<std::string> clean = listing();
    {
        ReadOnlyFolders readOnly(folders());
        if (!readOnly.made())
            GTEST_SKIP() << "running as root, and no read-only mount may be made here";
        Writer writer(kind(), "1", programDir(), tempPath(""));
        const int status = writer.finish();
        const std::string errors = writer.errors();
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), GetParam().failure.isEmpty() ? 0 : 1) << errors;
        EXPECT_NE(errors.find(toStd(GetParam().failure)), std::string::npos) << errors;
    }
    expectUnchanged(older, clean);
    expectProgramStarts(older);
}

// The file-size limit of this process, lowered for the scope.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        const rlimit limit{bytes, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

class SettingsOnAFullDiskTest : public WindowsFixture {};

TEST_F(SettingsOnAFullDiskTest, SavingShowsTheFailureAndKeepsTheOldFile)
{
    writeIni("[General]\r\nAutoRunAtStartup=0\r\n");
    TForm2& settings = *start().Form2;
    const std::string before = readFileBytes(toStd(settingsFilePath()));
    platform::prepareProcess(); // as the program's start-up does
    {
        ScopedFileSizeLimit full(16);
        settings.Button1->click();
    }
    ASSERT_FALSE(dialogs.errors.isEmpty());
    EXPECT_EQ(dialogs.errors.first(), "Unable to write to " + settingsFilePath());
    EXPECT_EQ(readFileBytes(toStd(settingsFilePath())), before);
}

INSTANTIATE_TEST_SUITE_P(EveryFile, WriteFaultsTest, ::testing::ValuesIn(Kinds), kindName);

} // namespace
