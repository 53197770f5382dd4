#include "platform/shell.h"
#include "tempenv.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// The emulation names types as the Windows shell does, whatever the case of the extension.
TEST(PosixShellTest, TypeNamesAreTheWindowsShellsWords)
{
    const auto shell = createShell();
    TempDir dir;
    const std::string longExtension(100, 'x');
    for (const char* name :
         {"Photo.JPG", "notes.Txt", "odd.qqq", "NOTES.TXT.bak", "README", ".hidden", "page.htm"})
        writeFileBytes(dir.file(name), "content");
    writeFileBytes(dir.file("a." + longExtension), "content");
    const std::string elf("\x7F"
                          "ELF",
                          4);
    writeFileBytes(dir.file("elf-program"), elf);
    writeFileBytes(dir.file("program.txt"), elf);

    EXPECT_EQ(shell->typeName(dir.file("Photo.JPG")), "JPEG image");
    EXPECT_EQ(shell->typeName(dir.file("notes.Txt")), "Text Document");
    EXPECT_EQ(shell->typeName(dir.file("page.htm")), "HTML Document");
    EXPECT_EQ(shell->typeName(dir.file("odd.qqq")), "QQQ File");
    EXPECT_EQ(shell->typeName(dir.file("NOTES.TXT.bak")), "BAK File");
    EXPECT_EQ(shell->typeName(dir.file("README")), "File");
    EXPECT_EQ(shell->typeName(dir.file(".hidden")), "HIDDEN File");
    // Content decides only where the extension does not.
    EXPECT_EQ(shell->typeName(dir.file("elf-program")), "Application");
    EXPECT_EQ(shell->typeName(dir.file("program.txt")), "Text Document");
    EXPECT_EQ(shell->typeName(dir.path()), "File folder");
    // The shell's buffer holds 79 characters and the terminating zero.
    const auto truncated = shell->typeName(dir.file("a." + longExtension));
    ASSERT_TRUE(truncated);
    EXPECT_EQ(truncated->size(), 79u);
    EXPECT_EQ(truncated->substr(0, 3), "XXX");
}

} // namespace
