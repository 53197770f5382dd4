#include "platform/profile.h"
#include "tempenv.h"

#include <gtest/gtest.h>

// The INI writer of the POSIX emulation changes only the line a write is about, as Windows does:
// blank lines and the spelling of every other line stay. (Wine writes the whole file anew from
// what it parsed, so this is no part of the suite that runs there.)

namespace {

TEST(PosixProfileTest, UntouchedLinesKeepTheirLayout)
{
    TempDir dir;
    const std::string file = dir.file("settings.ini");
    writeFileBytes(file, "  [ Main ]  \r\n \t Key One \t=\t value  x \t\r\nempty =\r\n\r\n"
                         "[B]\r\n  spaced  =  kept as written  \r\n");
    platform::writeProfileString(file, "mAIN", "EMPTY", "1");
    platform::writeProfileString(file, "main", "added", "2");
    EXPECT_EQ(readFileBytes(file), "  [ Main ]  \r\n \t Key One \t=\t value  x \t\r\nempty=1\r\n"
                                   "added=2\r\n\r\n[B]\r\n  spaced  =  kept as written  \r\n");
}

} // namespace
