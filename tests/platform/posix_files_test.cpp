#include "fifoguard.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/versioninfo.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
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

} // namespace
