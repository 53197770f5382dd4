#include "childprocess.h"
#include "expandablestring.h"
#include "registrytest.h"

using platform::RegistryValue;
using platform::RootKey;

namespace {

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
        "C:\\Windows\\Web\\",
        "\\\\server\\share\\a.jpg",
        "say \"cheese\"",
        "\"\\\"",
        "",
        "two\r\nlines\tand a tab",
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x9C\x93 \xF0\x9F\x8C\x84",
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

// Another program may store a path as an expandable string; it reads with its variables
// replaced, as the system's own readers see it. Plain text is never expanded.
TEST_F(RegistryTest, ExpandableStringsReadExpanded)
{
    ScopedEnv pictures("TAPESTRON_TEST_PICTURES", "D:\\Pictures");
    ScopedEnv unset("TAPESTRON_TEST_UNSET", std::nullopt);
    ASSERT_TRUE(registry->createKey(User, TestKey));
    ASSERT_TRUE(writeExpandableString(TestKey, "Wallpaper", "%TAPESTRON_TEST_PICTURES%\\lake.bmp"));
    ASSERT_TRUE(writeExpandableString(TestKey, "AnyCase", "%tapestron_test_pictures%"));
    ASSERT_TRUE(writeExpandableString(TestKey, "Unknown", "%TAPESTRON_TEST_UNSET%\\a %% 100%"));
    registry->writeString(User, TestKey, "Plain", "%TAPESTRON_TEST_PICTURES%");
    EXPECT_EQ(read("Wallpaper"), text("D:\\Pictures\\lake.bmp"));
    EXPECT_EQ(read("AnyCase"), text("D:\\Pictures"));
    EXPECT_EQ(read("Unknown"), text("%TAPESTRON_TEST_UNSET%\\a %% 100%"));
    EXPECT_EQ(read("Plain"), text("%TAPESTRON_TEST_PICTURES%"));

    // Other writes keep the value's type; writing text over it makes it plain text.
    registry->writeString(User, TestKey, "Other", "x");
    EXPECT_EQ(read("Wallpaper"), text("D:\\Pictures\\lake.bmp"));
    registry->writeString(User, TestKey, "Wallpaper", "%TAPESTRON_TEST_PICTURES%");
    EXPECT_EQ(read("Wallpaper"), text("%TAPESTRON_TEST_PICTURES%"));
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

} // namespace
