#include "helper.h"
#include "platform/errors.h"
#include "platform/registry.h"
#include "tempenv.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

using platform::RegistryValue;
using platform::RootKey;
constexpr RootKey User = RootKey::CurrentUser;

namespace {

const std::string TestKey = "Software\\Tapestron Platform Tests";

RegistryValue text(const char* value) { return std::string(value); }

// The message of the PlatformError that call throws ("" when it throws none).
template <class Call> std::string failure(Call&& call)
{
    try {
        call();
    } catch (const platform::PlatformError& error) {
        return error.what();
    }
    return "";
}

// Every case gets a registry file of its own, in a folder that does not exist yet. (A Windows
// build ignores the variable and uses the real registry, hence the cleanup.)
class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        registry->deleteTree(User, TestKey);
        for (const char* key : {"TapestronTest.A", "TapestronTest.AB", "TapestronTest.B"})
            registry->deleteTree(RootKey::ClassesRoot, key);
    }

    std::optional<RegistryValue> read(const std::string& name, const std::string& key = TestKey)
    {
        return platform::createRegistry()->readValue(User, key, name);
    }

    TempDir dir;
    std::string file = dir.file("config/tapestron/registry.reg");
    ScopedEnv env{"TAPESTRON_REGISTRY", file};
    std::unique_ptr<platform::Registry> registry = platform::createRegistry();
};

TEST_F(RegistryTest, WritesAreSeenAtOnceByOtherObjectsAndProcesses)
{
    auto other = platform::createRegistry();
    ASSERT_TRUE(registry->createKey(User, TestKey));
    registry->writeString(User, TestKey, "Wallpaper", "C:\\one.bmp");
    EXPECT_EQ(other->readValue(User, TestKey, "Wallpaper"), text("C:\\one.bmp"));
    other->writeDword(User, TestKey, "Style", 2);
    EXPECT_EQ(registry->readValue(User, TestKey, "Style"), RegistryValue(2u));

    ASSERT_TRUE(runHelper({"registry-set", TestKey + "\\Child", "Colour", "from the child"}));
    EXPECT_EQ(registry->readValue(User, TestKey + "\\Child", "Colour"), text("from the child"));
    EXPECT_TRUE(runHelper({"registry-expect", TestKey, "Wallpaper", "C:\\one.bmp"}));
    EXPECT_FALSE(runHelper({"registry-expect", TestKey, "Wallpaper", "C:\\two.bmp"}));
}

TEST_F(RegistryTest, NamesIgnoreCaseAndOuterBackslashes)
{
    ASSERT_TRUE(registry->createKey(User, TestKey + "\\MixedCase"));
    registry->writeString(User, TestKey + "\\MixedCase", "WallPaper", "a");
    const std::string shouted = "\\SOFTWARE\\TAPESTRON PLATFORM TESTS\\MIXEDCASE\\";
    EXPECT_TRUE(registry->keyExists(User, shouted));
    EXPECT_EQ(read("wallpaper", shouted), text("a"));

    registry->writeString(User, shouted, "WALLPAPER", "b"); // the same value, not a second one
    EXPECT_EQ(read("WallPaper", TestKey + "\\MixedCase"), text("b"));
    EXPECT_TRUE(registry->deleteValue(User, TestKey + "\\mixedcase", "wallPAPER"));
    EXPECT_EQ(read("WallPaper", TestKey + "\\MixedCase"), std::nullopt);
    EXPECT_FALSE(registry->keyExists(RootKey::LocalMachine, TestKey + "\\MixedCase"));
}

TEST_F(RegistryTest, ValuesKeepTheirTypeAndTheDefaultValueHasNoName)
{
    ASSERT_TRUE(registry->createKey(User, TestKey));
    registry->writeString(User, TestKey, "AsText", "2");
    registry->writeDword(User, TestKey, "AsNumber", 2);
    registry->writeDword(User, TestKey, "Largest", 0xFFFFFFFFu);
    registry->writeString(User, TestKey, "", "the default");
    registry->writeString(User, TestKey, "@", "a value named @");
    EXPECT_EQ(read("AsText"), text("2"));
    EXPECT_EQ(read("AsNumber"), RegistryValue(2u));
    EXPECT_EQ(read("Largest"), RegistryValue(0xFFFFFFFFu));
    EXPECT_EQ(read(""), text("the default"));
    EXPECT_EQ(read("@"), text("a value named @"));

    registry->writeDword(User, TestKey, "AsText", 7);
    EXPECT_EQ(read("AsText"), RegistryValue(7u));
    EXPECT_TRUE(registry->deleteValue(User, TestKey, ""));
    EXPECT_EQ(read(""), std::nullopt);
    EXPECT_EQ(read("@"), text("a value named @"));
}

TEST_F(RegistryTest, MissingKeysAndValues)
{
    EXPECT_FALSE(registry->keyExists(User, TestKey));
    EXPECT_EQ(read("Any"), std::nullopt);
    EXPECT_FALSE(registry->deleteTree(User, TestKey));
    EXPECT_EQ(failure([&] { registry->writeString(User, TestKey, "Wallpaper", "x"); }),
              "Failed to set data for 'Wallpaper'");
    EXPECT_EQ(failure([&] { registry->writeDword(User, TestKey, "Tile", 1); }),
              "Failed to set data for 'Tile'");
    EXPECT_FALSE(registry->keyExists(User, TestKey));

    ASSERT_TRUE(registry->createKey(User, TestKey));
    EXPECT_EQ(read("Any"), std::nullopt);
    EXPECT_FALSE(registry->deleteValue(User, TestKey, "Any"));
}

TEST_F(RegistryTest, TextSurvivesTheRoundTrip)
{
    const std::vector<std::string> samples = {
        "C:\\Windows\\Web\\", "\\\\server\\share\\a.jpg", "say \"cheese\"", "\"\\\"", "",
        "two\r\nlines\tand a tab", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93 \xF0\x9F\x8C\x84",
        "=dword:00000001",
    };
    ASSERT_TRUE(registry->createKey(User, TestKey));
    for (std::size_t i = 0; i < samples.size(); ++i)
        registry->writeString(User, TestKey, "Sample " + std::to_string(i), samples[i]);
    registry->writeString(User, TestKey, "odd \"name\" \\ here", "ok");
    for (std::size_t i = 0; i < samples.size(); ++i)
        EXPECT_EQ(read("Sample " + std::to_string(i)), RegistryValue(samples[i])) << i;
    EXPECT_EQ(read("odd \"name\" \\ here"), text("ok"));
}

TEST_F(RegistryTest, KeysFormATree)
{
    const RootKey classes = RootKey::ClassesRoot;
    for (const char* key : {"TapestronTest.A\\shell\\open\\command", "TapestronTest.AB",
                            "TapestronTest.B\\DefaultIcon"})
        ASSERT_TRUE(registry->createKey(classes, key));
    EXPECT_TRUE(registry->keyExists(classes, "TapestronTest.A\\shell"));
    registry->writeString(classes, "TapestronTest.AB", "", "neighbour");
    registry->writeString(classes, "TapestronTest.A", "", "parent");
    EXPECT_TRUE(registry->createKey(classes, "TapestronTest.A")); // exists: values stay
    EXPECT_EQ(registry->readValue(classes, "TapestronTest.A", ""), text("parent"));

    EXPECT_TRUE(registry->deleteTree(classes, "TapestronTest.A\\shell\\open"));
    EXPECT_FALSE(registry->keyExists(classes, "TapestronTest.A\\shell\\open"));
    EXPECT_TRUE(registry->keyExists(classes, "TapestronTest.A\\shell"));
    EXPECT_TRUE(registry->deleteTree(classes, "tapestrontest.a"));
    EXPECT_FALSE(registry->keyExists(classes, "TapestronTest.A\\shell"));
    EXPECT_FALSE(registry->deleteTree(classes, "TapestronTest.A"));
    EXPECT_EQ(registry->readValue(classes, "TapestronTest.AB", ""), text("neighbour"));
    EXPECT_TRUE(registry->keyExists(classes, "TapestronTest.B\\DefaultIcon"));
}

TEST_F(RegistryTest, RootNamesIgnoreCase)
{
    EXPECT_EQ(platform::rootKeyByName("hkey_current_user"), User);
    EXPECT_EQ(platform::rootKeyByName("Hkey_Dyn_Data"), RootKey::DynData);
    EXPECT_EQ(platform::rootKeyByName("HKEY_CURRENT_USER\\Software"), std::nullopt);
    EXPECT_EQ(platform::rootKeyByName("HKCU"), std::nullopt);
    for (int i = 0; i <= static_cast<int>(RootKey::DynData); ++i)
        EXPECT_EQ(platform::rootKeyByName(platform::rootKeyName(RootKey(i))), RootKey(i));
    EXPECT_EQ(platform::rootKeyName(RootKey::PerformanceData), "HKEY_PERFORMANCE_DATA");
}

#ifndef _WIN32
// The registry file of the POSIX build.

TEST_F(RegistryTest, PosixFileHasTheExportFormat)
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

TEST_F(RegistryTest, PosixReadsHandEditsAndKeepsWhatItDoesNotKnow)
{
    const std::vector<std::string> kept = {
        "; edited by hand", "\"Binary\"=hex:01,02", "a line nobody understands",
        "\"Broken=\"unterminated", "\x01\xff\xfe", "[HKEY_NOWHERE\\Odd]\r\n\"Kept\"=\"too\""};
    std::filesystem::create_directories(dir.file("config/tapestron"));
    writeFileBytes(file, "Windows Registry Editor Version 5.00\n\n" + kept[0] +
                             "\n[HKEY_CURRENT_USER\\" + TestKey + "]\n"
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

TEST_F(RegistryTest, PosixLocationAndItsFailures)
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

TEST_F(RegistryTest, PosixConcurrentWritersLoseNothing)
{
    ASSERT_TRUE(registry->createKey(User, TestKey));
    constexpr std::uint32_t Writes = 25;
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    const std::string who = child == 0 ? "child " : "parent ";
    bool ok = true;
    for (std::uint32_t i = 0; i < Writes; ++i)
        ok = failure([&] { registry->writeDword(User, TestKey, who + std::to_string(i), i); })
                 .empty() && ok;
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
#endif

} // namespace
