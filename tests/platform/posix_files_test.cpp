#include "childprocess.h"
#include "fifoguard.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/versioninfo.h"
#include "readonlyfolders.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace platform;

namespace {

// Dot names, symbolic links and special files are POSIX matters.
TEST(PosixFilesTest, DotNamesLinksAndSpecialFiles)
{
    TempDir dir;
    writeFileBytes(dir.file(".hidden"), "abc");
    fs::create_directory(dir.file("real"));
    writeFileBytes(dir.file("real/target.bmp"), "123456");
    fs::create_directory_symlink(dir.file("real"), dir.file("linked folder"));
    fs::create_symlink(dir.file("real/target.bmp"), dir.file("linked.bmp"));
    fs::create_symlink(dir.file("nothing"), dir.file("dangling"));
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);

    std::map<std::string, FoundFile> all;
    for (const FoundFile& file : findFiles(dir.path(), "*"))
        all[file.name] = file;
    EXPECT_EQ(all.at(".hidden").attributes, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(all.at(".").attributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(all.at("linked folder").attributes,
              FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(all.at("linked.bmp").attributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(all.at("linked.bmp").size, 6u);
    EXPECT_EQ(all.count("dangling") + all.count("pipe"), 0u);
}

// A FIFO where a file is read (settings, the registry file, a plug-in, a copy's source) is refused
// at once, as a missing file would be: opening one to read waits for a writer that may never come.
TEST(PosixFilesTest, ReadersRefuseAFifoAtOnce)
{
    TempDir dir;
    const std::string fifo = dir.file("program"); // no extension: its first bytes are read
    makeFifo(fifo);
    writeFileBytes(dir.file("plain.txt"), "text");
    const ScopedEnv registryFile("TAPESTRON_REGISTRY", fifo);

    bool fifoIrregular = false, folderIrregular = false, plainIrregular = true;
    int fifoFd = 0, folderFd = 0, plainFd = -1;
    bool copied = true;
    std::string profileValue;
    std::uint32_t versionSize = 1;
    std::optional<RegistryValue> registryValue;
    EXPECT_TRUE(finishesPromptly(
        [&] {
            fifoFd = openRegularFileForReading(fifo, &fifoIrregular);
            folderFd = openRegularFileForReading(dir.path(), &folderIrregular);
            plainFd = openRegularFileForReading(dir.file("plain.txt"), &plainIrregular);
            copied = copyFileReplacing(fifo, dir.file("copy.exe"));
            profileValue = getProfileString(fifo, "Options", "Key", "fallback");
            versionSize = fileVersionInfoSize(fifo);
            registryValue = createRegistry()->readValue(RootKey::CurrentUser, "Software", "Name");
            createShell()->typeName(fifo);
        },
        {fifo}));
    EXPECT_EQ(fifoFd, -1);
    EXPECT_TRUE(fifoIrregular);
    EXPECT_EQ(folderFd, -1);
    EXPECT_TRUE(folderIrregular);
    ASSERT_GE(plainFd, 0);
    EXPECT_FALSE(plainIrregular);
    EXPECT_EQ(::fcntl(plainFd, F_GETFL) & O_NONBLOCK, 0) << "reads on it wait as usual";
    ::close(plainFd);
    EXPECT_FALSE(copied);
    EXPECT_FALSE(fs::exists(dir.file("copy.exe")));
    EXPECT_EQ(profileValue, "fallback");
    EXPECT_EQ(versionSize, 0u);
    EXPECT_FALSE(registryValue);
}

// A symbolic link at the target is replaced, not written through; a copy that the system stops
// half way (here at a limit on the size of files) leaves the old target and no temporary file.
TEST(PosixFilesTest, CopiesReplaceLinksAndSurviveWritesThatStopHalfWay)
{
    TempDir dir;
    const std::string current = dir.file("current.bmp");
    const std::string next(300'000, 'n');
    writeFileBytes(dir.file("picture.bmp"), "the user's picture");
    writeFileBytes(dir.file("next.bmp"), next);
    writeFileBytes(dir.file("big.bmp"), std::string(768'054, 'b'));
    fs::create_symlink(dir.file("picture.bmp"), current);
    ASSERT_TRUE(copyFileReplacing(dir.file("next.bmp"), current));
    EXPECT_FALSE(fs::is_symlink(current));
    EXPECT_EQ(readFileBytes(current), next);
    EXPECT_EQ(readFileBytes(dir.file("picture.bmp")), "the user's picture");

    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the process
        const rlimit limit{400'000, 400'000};
        ::_exit(::setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
                        !copyFileReplacing(dir.file("big.bmp"), current)
                    ? 0
                    : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the copy was not stopped";
    EXPECT_EQ(readFileBytes(current), next);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"big.bmp", "current.bmp", "next.bmp", "picture.bmp"}));
}

// Every file below folder, by its path there, with its contents.
std::map<std::string, std::string> filesBelow(const std::string& folder)
{
    std::map<std::string, std::string> files;
    if (fs::exists(folder))
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                files[fs::relative(entry.path(), folder).string()] = readFileBytes(entry.path());
    return files;
}

// An installed program runs from a folder its users may not write; what it writes there each
// user keeps in a copy of their own, read before the installed file. A folder the user may write
// is written as it is.
TEST(PosixFilesTest, AProgramFolderTheUserMayNotWriteKeepsItsWritesPerUser)
{
    TempDir dir;
    const std::string program = dir.file("program"), data = dir.file("program/data");
    fs::create_directories(data);
    writeFileBytes(data + "/cat.tsl", "installed");
    fs::copy_file(executablePath(), program + "/platform_tests");
    const auto installed = filesBelow(program);
    const std::string pluginList = "[showopen.exe]\r\nStatus=enabled\r\n";

    struct Case {
        const char* user;
        bool readOnly;
        const char* afterDelete; // deleting the per-user copy shows the installed file again
    };
    for (const Case& c : {Case{"first", true, "installed 1"}, Case{"second", true, "installed 1"},
                          Case{"owner", false, "- 1"}}) {
        SCOPED_TRACE(c.user);
        const ScopedEnv home("XDG_DATA_HOME", dir.file(c.user));
        std::optional<ReadOnlyFolders> readOnly;
        if (c.readOnly && !readOnly.emplace(std::vector{program, data}).made())
            GTEST_SKIP() << "running as root, and no read-only mount may be made here";
        ChildProcess child({"write-in-program-folder"}, program + "/platform_tests");
        child.closeInput();
        EXPECT_EQ(child.readLine(), "fresh installed enabled - 1");
        EXPECT_EQ(child.readLine(), c.afterDelete);
        EXPECT_EQ(child.wait(), 0);
        const auto store = filesBelow(dir.file(c.user));
        if (c.readOnly) {
            EXPECT_EQ(filesBelow(program), installed);
            EXPECT_EQ(store, (std::map<std::string, std::string>{
                                 {"tapestron/data/cat1.tsl", "installed"},
                                 {"tapestron/data/plugins.ini", pluginList}}));
        } else {
            EXPECT_TRUE(store.empty());
            auto written = installed;
            written.erase("data/cat.tsl");
            written["data/cat1.tsl"] = "installed";
            written["data/plugins.ini"] = pluginList;
            EXPECT_EQ(filesBelow(program), written);
        }
    }
}

} // namespace
