#include "platform/shell.h"
#include "platform/system.h"
#include "tempenv.h"
#include "versionimage.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace platform;

namespace {

class ShellFileInfoTest : public ::testing::Test {
protected:
    std::unique_ptr<Shell> shell = createShell();
    TempDir dir;
};

TEST_F(ShellFileInfoTest, ProgramsAreKnownByTheirContent)
{
    const ByteVector program = peImage(versionBlock({}));
    writeFileBytes(dir.file("tool.exe"), std::string(program.begin(), program.end()));
    writeFileBytes(dir.file("fake.exe"), "not a program at all");
    writeFileBytes(dir.file("short.exe"), "MZ, and nothing of a header after it");
    writeFileBytes(dir.file("notes.txt"), "text");

    EXPECT_TRUE(shell->isExecutable(executablePath()));
    EXPECT_TRUE(shell->isExecutable(dir.file("tool.exe")));
    EXPECT_FALSE(shell->isExecutable(dir.file("fake.exe")));
    EXPECT_FALSE(shell->isExecutable(dir.file("short.exe")));
    EXPECT_FALSE(shell->isExecutable(dir.file("notes.txt")));
    EXPECT_FALSE(shell->isExecutable(dir.file("missing.exe")));
    EXPECT_FALSE(shell->isExecutable(dir.path()));
}

TEST_F(ShellFileInfoTest, TypeNamesFollowTheKindOfFile)
{
    writeFileBytes(dir.file("notes.txt"), "text");
    writeFileBytes(dir.file("odd.qqq"), "text");

    // The registered names ("Application", "Text Document") depend on what the system has
    // registered, which a fresh Wine prefix has not; the names this program's own shell gives are
    // checked exactly in the POSIX-only cases.
    EXPECT_NE(shell->typeName(executablePath()).value_or(""), "");
    EXPECT_NE(shell->typeName(dir.file("notes.txt")).value_or(""), "");
    // A type nobody registered is named after its extension ("QQQ File"; Wine writes it in small
    // letters, so the case is left open here).
    const auto odd = shell->typeName(dir.file("odd.qqq"));
    ASSERT_TRUE(odd);
    std::string lower = *odd;
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(lower, "qqq file");
    EXPECT_NE(shell->typeName(dir.path()).value_or(""), "");
    EXPECT_EQ(shell->typeName(dir.file("missing.txt")), std::nullopt);
}

} // namespace
