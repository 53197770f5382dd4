#include "platform/files.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/stat.h>

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

} // namespace
