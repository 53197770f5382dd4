#include "platform/files.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;

namespace {

TEST(ExclusiveFileTest, SecondHolderIsRefusedAndTheFirstKeepsItsBytes)
{
    TempDir dir;
    const std::string path = dir.file("download");
    writeFileBytes(path, "an older and longer content");
    {
        const auto first = createExclusiveFile(path);
        ASSERT_TRUE(first);
        ASSERT_TRUE(first->write("new", 3));
        EXPECT_FALSE(createExclusiveFile(path)); // nor did it truncate what the first wrote
        ASSERT_TRUE(first->write("er", 2));
    }
    EXPECT_EQ(readFileBytes(path), "newer");

    // Once released, the file is free again and starts empty.
    EXPECT_TRUE(createExclusiveFile(path));
    EXPECT_EQ(readFileBytes(path), "");
}

TEST(ExclusiveFileTest, UncreatableFilesGiveNothing)
{
    TempDir dir;
    EXPECT_FALSE(createExclusiveFile(dir.file("missing/download")));
    EXPECT_FALSE(createExclusiveFile(dir.path()));

    const std::string readOnly = dir.file("readonly");
    writeFileBytes(readOnly, "kept");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_FALSE(createExclusiveFile(readOnly));
    EXPECT_EQ(readFileBytes(readOnly), "kept");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

} // namespace
