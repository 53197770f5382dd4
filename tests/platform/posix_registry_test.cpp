#include "registrytest.h"

#include <gmock/gmock.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

// The registry file of the POSIX emulation: its format, hand edits, location and locking.

using platform::RegistryValue;
using platform::RootKey;

namespace {

using PosixRegistryFile = RegistryTest;

TEST_F(PosixRegistryFile, FileHasTheExportFormat)
{
    const std::string desktop = "Control Panel\\Desktop";
    ASSERT_TRUE(registry->createKey(User, desktop));
    registry->writeString(User, desktop, "Wallpaper", "C:\\x \"y\".bmp");
    registry->writeDword(User, desktop, "EditFlags", 2);
    registry->writeString(User, desktop, "", "d");
    registry->writeString(User, desktop, "Lines", "a\r\nb");
    registry->writeDword(User, "CONTROL PANEL\\desktop", "EDITFLAGS", 0xA0B1C2D3);

    EXPECT_EQ(readFileBytes(file), "Windows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_CURRENT_USER\\Control Panel]\r\n\r\n"
                                   "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                                   "\"Wallpaper\"=\"C:\\\\x \\\"y\\\".bmp\"\r\n"
                                   "\"EditFlags\"=dword:a0b1c2d3\r\n"
                                   "@=\"d\"\r\n"
                                   "\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n\r\n");
}

TEST_F(PosixRegistryFile, ReadsHandEditsAndKeepsWhatItDoesNotKnow)
{
    const std::vector<std::string> kept = {"; edited by hand",
                                           "\"Binary\"=hex:01,02",
                                           "a line nobody understands",
                                           "\"Broken=\"unterminated",
                                           "\x01\xff\xfe",
                                           "[HKEY_NOWHERE\\Odd]\r\n\"Kept\"=\"too\""};
    std::filesystem::create_directories(dir.file("config/tapestron"));
    writeFileBytes(file, "Windows Registry Editor Version 5.00\n\n" + kept[0] +
                             "\n[HKEY_CURRENT_USER\\" + TestKey +
                             "]\n"
                             "\"Text\"=\"a\\\\b \\\"q\\\"\"\n"
                             "\"Multi\"=hex(1):41,00,0d,00,0a,00,\\\n  42,00,00,00\n"
                             "\"Flags\"=dword:0000000A\n" +
                             kept[1] + "\n" + kept[2] + "\n" + kept[3] + "\n" + kept[4] +
                             "\n@=\"dflt\"\n[HKEY_NOWHERE\\Odd]\n\"Kept\"=\"too\"\n");
    EXPECT_EQ(read("Text"), text("a\\b \"q\""));
    EXPECT_EQ(read("Multi"), text("A\r\nB"));
    EXPECT_EQ(read("Flags"), RegistryValue(10u));
    EXPECT_EQ(read(""), text("dflt"));
    EXPECT_EQ(read("Binary"), std::nullopt);
    EXPECT_TRUE(registry->keyExists(User, "Software"));

    registry->writeString(User, TestKey, "New", "v");
    for (const std::string& line : kept)
        EXPECT_THAT(readFileBytes(file), ::testing::HasSubstr(line + "\r\n"));
    EXPECT_EQ(read("Multi"), text("A\r\nB"));

    std::string utf16 = "\xFF\xFE"; // a real export is UTF-16LE
    for (char c : std::string_view("Windows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_CURRENT_USER\\X]\r\n\"N\"=\"W\""))
        utf16 += std::string{c, '\0'};
    writeFileBytes(file, utf16);
    EXPECT_EQ(read("N", "X"), text("W"));
}

TEST_F(PosixRegistryFile, DamagedListsAndNullCharactersSurviveEveryRewrite)
{
    // A list cut off after its "\\" keeps the key below it a key of its own.
    std::filesystem::create_directories(dir.file("config/tapestron"));
    writeFileBytes(file, "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" +
                             TestKey + "]\r\n\"Cut\"=hex(1):41,00,\\\r\n" + "[HKEY_CURRENT_USER\\" +
                             TestKey + "\\Below]\r\n\"V\"=\"below\"\r\n");
    EXPECT_EQ(read("V", TestKey + "\\Below"), text("below"));
    EXPECT_EQ(read("V"), std::nullopt);
    registry->writeDword(User, TestKey, "Touch", 1);
    const std::string once = readFileBytes(file);
    EXPECT_THAT(once, ::testing::HasSubstr("\"Cut\"=hex(1):41,00,\\\r\n\r\n[HKEY_CURRENT_USER"));
    registry->writeDword(User, TestKey, "Touch", 2);
    registry->writeDword(User, TestKey, "Touch", 1);
    EXPECT_EQ(readFileBytes(file), once) << "a rewrite keeps the damaged line as it was, no more";

    // Kept lines are written after the values: a damaged list must not take the next kept line
    // as its rest, making a value that was never there.
    writeFileBytes(file, "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" +
                             TestKey + "]\r\n\"Cut\"=hex:41,\\\r\n\r\n  42\r\n");
    registry->writeDword(User, TestKey, "Touch", 1);
    registry->writeDword(User, TestKey, "Touch", 2);
    EXPECT_EQ(read("Cut"), std::nullopt);
    EXPECT_THAT(readFileBytes(file), ::testing::HasSubstr("\"Cut\"=hex:41,\\\r\n\r\n42\r\n"));

    // Only the stored terminator is dropped: null characters of the text itself stay.
    const std::string nulls("A\0\0", 3);
    registry->writeString(User, TestKey, "Nulls", nulls);
    EXPECT_EQ(read("Nulls"), RegistryValue(nulls));
}

TEST_F(PosixRegistryFile, LocationAndItsFailures)
{
    writeFileBytes(dir.file("blocker"), "a file where a folder should be");
    ScopedEnv blocked("TAPESTRON_REGISTRY", dir.file("blocker/registry.reg"));
    auto unwritable = platform::createRegistry();
    EXPECT_FALSE(unwritable->createKey(User, TestKey));
    EXPECT_EQ(failure([&] { unwritable->writeString(User, "", "Wallpaper", "x"); }),
              "Failed to set data for 'Wallpaper'");
    EXPECT_EQ(unwritable->readValue(User, "", "Wallpaper"), std::nullopt);

    // Without the variable, the XDG folder as it was when the registry was made.
    ScopedEnv noFile("TAPESTRON_REGISTRY", std::nullopt);
    ScopedEnv config("XDG_CONFIG_HOME", dir.file("xdg"));
    auto fromXdg = platform::createRegistry();
    ScopedEnv moved("XDG_CONFIG_HOME", dir.file("elsewhere"));
    ASSERT_TRUE(fromXdg->createKey(User, TestKey));
    EXPECT_TRUE(std::filesystem::exists(dir.file("xdg/tapestron/registry.reg")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("elsewhere")));
}

TEST_F(PosixRegistryFile, ALockHeldElsewhereRefusesTheCallSoon)
{
    ASSERT_TRUE(registry->createKey(User, TestKey));
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t holder = ::fork();
    ASSERT_NE(holder, -1);
    if (holder == 0) { // holds the lock as a stuck writer would, for far longer than a call
        const int lock = ::open((file + ".lock").c_str(), O_RDWR);
        if (lock >= 0 && ::flock(lock, LOCK_EX) == 0 && ::write(pipeEnds[1], "l", 1) == 1)
            ::sleep(20);
        ::_exit(0);
    }
    char locked = 0;
    ASSERT_EQ(::read(pipeEnds[0], &locked, 1), 1);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(failure([&] { registry->writeString(User, TestKey, "Name", "v"); }),
              "Failed to set data for 'Name'");
    EXPECT_FALSE(registry->createKey(User, TestKey + "\\Sub"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(12)); // two calls
    EXPECT_EQ(read("Name"), std::nullopt); // reads take no lock

    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    registry->writeString(User, TestKey, "Name", "v");
    EXPECT_EQ(read("Name"), text("v"));
}

TEST_F(PosixRegistryFile, ConcurrentWritersLoseNothing)
{
    ASSERT_TRUE(registry->createKey(User, TestKey));
    constexpr std::uint32_t Writes = 25;
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    const std::string who = child == 0 ? "child " : "parent ";
    bool ok = true;
    for (std::uint32_t i = 0; i < Writes; ++i)
        ok = failure([&] {
                 registry->writeDword(User, TestKey, who + std::to_string(i), i);
             }).empty() &&
             ok;
    if (child == 0)
        ::_exit(ok ? 0 : 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(ok && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (std::uint32_t i = 0; i < Writes; ++i) {
        EXPECT_EQ(read("child " + std::to_string(i)), RegistryValue(i));
        EXPECT_EQ(read("parent " + std::to_string(i)), RegistryValue(i));
    }
}
} // namespace
