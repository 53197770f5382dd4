#include "folderattributes.h"
#include "platform/files.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace platform;
using Set = std::set<std::string>;

namespace {

// Read-only as each system has it: the owner's write permission, or the read-only attribute.
void makeReadOnly(const std::string& path)
{
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

class FilesTest : public ::testing::Test {
protected:
    std::map<std::string, FoundFile> found(const std::string& mask = "*")
    {
        std::map<std::string, FoundFile> map;
        for (const FoundFile& file : findFiles(dir.path(), mask))
            map[file.name] = file;
        return map;
    }

    Set names(const std::string& mask)
    {
        Set result;
        for (const auto& entry : found(mask))
            result.insert(entry.first);
        return result;
    }

    TempDir dir;
};

TEST_F(FilesTest, MovesReplaceOnlyWhenAskedTo)
{
    writeFileBytes(dir.file("a.txt"), "A");
    writeFileBytes(dir.file("b.txt"), "B");
    EXPECT_FALSE(moveFileNoReplace(dir.file("a.txt"), dir.file("b.txt")));
    EXPECT_EQ(readFileBytes(dir.file("a.txt")), "A");
    EXPECT_EQ(readFileBytes(dir.file("b.txt")), "B");

    EXPECT_TRUE(moveFileNoReplace(dir.file("a.txt"), dir.file("c.txt")));
    EXPECT_FALSE(fileExists(dir.file("a.txt")));
    EXPECT_FALSE(moveFileNoReplace(dir.file("a.txt"), dir.file("d.txt")));

    EXPECT_TRUE(moveFileReplacing(dir.file("c.txt"), dir.file("b.txt")));
    EXPECT_FALSE(fileExists(dir.file("c.txt")));
    EXPECT_EQ(readFileBytes(dir.file("b.txt")), "A");

    EXPECT_TRUE(flushFileToDisk(dir.file("b.txt")));
    EXPECT_EQ(readFileBytes(dir.file("b.txt")), "A");
    EXPECT_FALSE(flushFileToDisk(dir.file("c.txt"))) << "a missing file";
}

TEST_F(FilesTest, CopiesReplaceTheWholeTargetAndFailCleanly)
{
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 7 + i / 4096);
    writeFileBytes(dir.file("source.bin"), big);
    writeFileBytes(dir.file("target.bin"), std::string(5 * 1024 * 1024, 'x'));
    EXPECT_TRUE(copyFileReplacing(dir.file("source.bin"), dir.file("target.bin")));
    EXPECT_EQ(readFileBytes(dir.file("target.bin")), big) << "a longer old target is cut";
    EXPECT_EQ(readFileBytes(dir.file("source.bin")), big);

    writeFileBytes(dir.file("empty.bin"), "");
    EXPECT_TRUE(copyFileReplacing(dir.file("empty.bin"), dir.file("target.bin")));
    EXPECT_EQ(readFileBytes(dir.file("target.bin")), "");

    EXPECT_FALSE(copyFileReplacing(dir.file("missing.bin"), dir.file("other.bin")));
    EXPECT_FALSE(fileExists(dir.file("other.bin")));
    EXPECT_FALSE(copyFileReplacing(dir.file("source.bin"), dir.file("nowhere/target.bin")));
}

// A user's picture may be read-only (or hidden): the copy of it must not be, or no later copy
// could replace it.
TEST_F(FilesTest, CopiesArePlainWritableFiles)
{
    const std::string picture = dir.file("picture.bmp");
    const std::string current = dir.file("current.bmp");
    writeFileBytes(picture, "the user's picture");
    const std::uint32_t hidden = markAsHidden(picture) ? FILE_ATTRIBUTE_HIDDEN : 0;
    makeReadOnly(picture);
    ASSERT_EQ(found().at("picture.bmp").attributes,
              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | hidden);

    ASSERT_TRUE(copyFileReplacing(picture, current));
    EXPECT_EQ(found().at("current.bmp").attributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(copyFileReplacing(picture, current)) << "the next copy over it";

    // A target that was left read-only and hidden is replaced all the same.
    writeFileBytes(dir.file("next.bmp"), "next");
    markAsHidden(current);
    makeReadOnly(current);
    EXPECT_TRUE(copyFileReplacing(dir.file("next.bmp"), current));
    EXPECT_EQ(readFileBytes(current), "next");
    EXPECT_EQ(found().at("current.bmp").attributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(deleteFile(current));
}

// The target is replaced in one step, never written in place: the other name of a hard-linked
// target keeps its bytes, and a copy that fails leaves the old target and nothing beside it.
TEST_F(FilesTest, CopiesReplaceTheTargetInOneStep)
{
    const std::string picture = dir.file("picture.bmp");
    const std::string current = dir.file("current.bmp");
    writeFileBytes(picture, "the user's picture");
    writeFileBytes(dir.file("next.bmp"), "next");
    fs::create_hard_link(picture, current);
    EXPECT_TRUE(copyFileReplacing(dir.file("next.bmp"), current));
    EXPECT_EQ(readFileBytes(current), "next");
    EXPECT_EQ(readFileBytes(picture), "the user's picture");

    // A profile entry that is the same file as the target.
    fs::remove(current);
    fs::create_hard_link(picture, current);
    EXPECT_TRUE(copyFileReplacing(picture, current));
    EXPECT_EQ(readFileBytes(current), "the user's picture");
    EXPECT_EQ(readFileBytes(picture), "the user's picture");

    fs::create_directory(dir.file("folder"));
    writeFileBytes(dir.file("folder/inside.bmp"), "inside");
    EXPECT_FALSE(copyFileReplacing(dir.file("folder"), current)) << "a source that is no file";
    EXPECT_FALSE(copyFileReplacing(dir.file("next.bmp"), dir.file("folder")))
        << "a target that can not be replaced";
    EXPECT_EQ(readFileBytes(current), "the user's picture");
    EXPECT_EQ(readFileBytes(dir.file("folder/inside.bmp")), "inside");
    EXPECT_EQ(names("*"), (Set{".", "..", "current.bmp", "folder", "next.bmp", "picture.bmp"}));
}

// Opened for reading as any other file, reads waiting as usual; a folder or a missing file is not.
TEST_F(FilesTest, RegularFilesOpenForReadingAndNothingElse)
{
    writeFileBytes(dir.file("plain.txt"), "text");
    const int fd = openRegularFileForReading(dir.file("plain.txt"));
    ASSERT_GE(fd, 0);
    char head[8] = {};
    EXPECT_EQ(::read(fd, head, sizeof head), 4);
    EXPECT_EQ(std::string(head), "text");
    ::close(fd);
    EXPECT_EQ(openRegularFileForReading(dir.path()), -1);
    errno = 0;
    EXPECT_EQ(openRegularFileForReading(dir.file("missing.txt")), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(FilesTest, FilesAndFoldersAreToldApart)
{
    writeFileBytes(dir.file("file"), "x");
    EXPECT_TRUE(fileExists(dir.file("file")));
    EXPECT_FALSE(directoryExists(dir.file("file")));
    EXPECT_TRUE(directoryExists(dir.path()));
    EXPECT_FALSE(fileExists(dir.path()));
    EXPECT_FALSE(fileExists(dir.file("missing")) || directoryExists(dir.file("missing")));

    EXPECT_TRUE(createDirectory(dir.file("sub")));
    EXPECT_FALSE(createDirectory(dir.file("sub")));
    EXPECT_FALSE(createDirectory(dir.file("missing/sub")));
    EXPECT_FALSE(deleteFile(dir.file("sub")));
    EXPECT_TRUE(deleteFile(dir.file("file")));
    EXPECT_FALSE(fileExists(dir.file("file")));
    EXPECT_FALSE(deleteFile(dir.file("file")));
}

TEST_F(FilesTest, FindFilesReportsAttributesAndSizes)
{
    writeFileBytes(dir.file("picture.jpg"), std::string(1234, 'x'));
    writeFileBytes(dir.file("locked.txt"), "12345");
    makeReadOnly(dir.file("locked.txt"));
    fs::create_directory(dir.file("folder"));

    const auto all = found();
    EXPECT_EQ(all.size(), 5u); // with "." and ".."
    EXPECT_EQ(all.at("picture.jpg").attributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(all.at("picture.jpg").size, 1234u);
    EXPECT_EQ(all.at("locked.txt").attributes, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(all.at("folder").attributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(all.at("..").attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(all.at("..").attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(findFiles(dir.file("missing"), "*").empty());

    EXPECT_FALSE(deleteFile(dir.file("locked.txt"))); // as Windows refuses for read-only files
    EXPECT_TRUE(fileExists(dir.file("locked.txt")));
}

TEST_F(FilesTest, MasksMatchWithoutCase)
{
    for (const char* name : {"a.TSL", "b.tsl", "ab.tsl", "c.ts", "README", "notes.txt"})
        writeFileBytes(dir.file(name), "");
    EXPECT_EQ(names("*.tsl"), (Set{"a.TSL", "ab.tsl", "b.tsl"}));
    EXPECT_EQ(names("*.TsL"), (Set{"a.TSL", "ab.tsl", "b.tsl"}));
    EXPECT_EQ(names("?.tsl"), (Set{"a.TSL", "b.tsl"}));
    EXPECT_EQ(names("read*"), (Set{"README"}));
    EXPECT_EQ(names("readme.*"), (Set{"README"}));
    EXPECT_EQ(names("*.*"),
              (Set{".", "..", "a.TSL", "ab.tsl", "b.tsl", "c.ts", "README", "notes.txt"}));
    EXPECT_TRUE(names("*.jpg").empty());
}

TEST_F(FilesTest, HiddenAndSystemFoldersCarryTheirAttributes)
{
    fs::create_directory(dir.file("plain"));
    const std::string hidden = createHiddenFolder(dir.path(), "hidden");
    const auto all = found();
    EXPECT_EQ(all.at("plain").attributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(all.at(hidden).attributes, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);

    if (!markAsSystem(dir.file("plain")))
        GTEST_SKIP() << "no system attribute on this file system";
    EXPECT_EQ(found().at("plain").attributes, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
}

} // namespace
