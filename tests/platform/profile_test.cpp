#include "platform/errors.h"
#include "platform/profile.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;
using Names = std::vector<std::string>;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    std::string read(const std::string& section, const std::string& key)
    {
        return getProfileString(file, section, key, "fallback");
    }

    TempDir dir;
    std::string file = dir.file("settings.ini");
};

TEST_F(ProfileTest, NamesIgnoreCaseAndAreTrimmedLikeValues)
{
    writeFileBytes(file, "  [ Main ]  \r\n \t Key One \t=\t value  x \t\r\nempty =\r\n");
    EXPECT_EQ(read("MAIN", "key one"), "value  x");
    EXPECT_EQ(read("  main\t", " KEY ONE "), "value  x");
    EXPECT_EQ(read("Main", "empty"), "");
    EXPECT_EQ(getProfileSectionNames(file), Names{"Main"});
    EXPECT_EQ(getProfileSectionKeys(file, "main"), (Names{"Key One", "empty"}));

    writeProfileString(file, "mAIN", "EMPTY", "1"); // the line keeps its name
    EXPECT_EQ(getProfileSectionNames(file), Names{"Main"});
    EXPECT_EQ(getProfileSectionKeys(file, "main"), (Names{"Key One", "empty"}));
    EXPECT_EQ(read("main", "EMPTY"), "1");
    EXPECT_EQ(read("main", "key one"), "value  x");
}

TEST_F(ProfileTest, AMatchingPairOfQuotesIsDropped)
{
    writeFileBytes(file, "[Q]\r\ndouble=\"  padded  \"\r\nsingle='it'\r\nmixed=\"half'\r\n"
                         "lone=\"\r\ninner=a \"b\" c\r\nempty=\"\"\r\n");
    EXPECT_EQ(read("Q", "double"), "  padded  ");
    EXPECT_EQ(read("Q", "single"), "it");
    EXPECT_EQ(read("Q", "mixed"), "\"half'");
    EXPECT_EQ(read("Q", "lone"), "\"");
    EXPECT_EQ(read("Q", "inner"), "a \"b\" c");
    EXPECT_EQ(read("Q", "empty"), "");
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheFallback)
{
    EXPECT_EQ(read("S", "k"), "fallback");
    EXPECT_TRUE(getProfileSectionNames(file).empty());
    writeFileBytes(file, "k=outside any section\r\n[S]\r\n; k=commented out\r\n[T]\r\nk=t\r\n");
    EXPECT_EQ(read("S", "k"), "fallback");
    EXPECT_EQ(read("Nowhere", "k"), "fallback");
    EXPECT_TRUE(getProfileSectionKeys(file, "S").empty());
    EXPECT_EQ(getProfileString(file, "S", "k", "  dflt  "), "  dflt"); // as the system trims it
}

TEST_F(ProfileTest, FirstSectionAndFirstKeyWin)
{
    writeFileBytes(file, "[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\nonlyLater=4\r\n");
    EXPECT_EQ(read("S", "k"), "1");
    EXPECT_EQ(read("S", "onlyLater"), "fallback");
    EXPECT_EQ(getProfileSectionKeys(file, "s"), (Names{"k", "k"}));
    EXPECT_EQ(getProfileSectionNames(file), (Names{"S", "s"}));
    writeProfileString(file, "S", "k", "9");
    writeProfileString(file, "S", "onlyLater", "5");
    EXPECT_EQ(readFileBytes(file),
              "[S]\r\nk=9\r\nk=2\r\nonlyLater=5\r\n[s]\r\nk=3\r\nonlyLater=4\r\n");
}

TEST_F(ProfileTest, LinesWithoutEqualsHaveNoValueAndAreNotListed)
{
    writeFileBytes(file, "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n=nameless\r\n");
    EXPECT_EQ(getProfileSectionKeys(file, "s"), (Names{"name1", "name2", "name4"}));
    EXPECT_EQ(read("s", "name3"), "fallback");
    EXPECT_EQ(read("s", ""), "nameless");           // listed or not, it is read
    writeProfileString(file, "s", "NAME3", "val3"); // the line gets its value where it stands
    EXPECT_EQ(readFileBytes(file),
              "[s]\r\nname1=val1\r\nname2=\r\nname3=val3\r\nname4=val4\r\n=nameless\r\n");
}

TEST_F(ProfileTest, NewKeysJoinTheirSectionAndNewSectionsTheEnd)
{
    writeFileBytes(file, "; made by hand\r\n[A]\r\nx=1\r\n; about y\r\n[Empty]\r\n[B]\n"
                         "spaced=as written\n# stray"); // LF, no final line end
    writeProfileString(file, "a", "z", "3");
    writeProfileString(file, "Empty", "k", "v");
    writeProfileString(file, "New", "n", "1");
    EXPECT_EQ(readFileBytes(file), "; made by hand\r\n[A]\r\nx=1\r\n; about y\r\nz=3\r\n"
                                   "[Empty]\r\nk=v\r\n[B]\r\nspaced=as written\r\n"
                                   "# stray\r\n[New]\r\nn=1\r\n");

    std::filesystem::remove(file);
    writeProfileString(file, "App1", "key1", "string1");
    writeProfileString(file, "App2", "key2", "string2");
    EXPECT_EQ(readFileBytes(file), "[App1]\r\nkey1=string1\r\n[App2]\r\nkey2=string2\r\n");
}

TEST_F(ProfileTest, ALoneCrEndsALineForReadsAndWrites)
{
    const struct {
        const char* bytes;
        Names sections;
        std::string x, y; // [a] x and [b] y
    } rows[] = {
        {"[a]\nx=1\r[b]\ry=2\n", {"a", "b"}, "1", "2"},
        {"[a]\rx=1\r\r[b]\r\ny=2", {"a", "b"}, "1", "2"},
        {"[a]\r\nx=1\r\n[b]\r\ny=2\r\n", {"a", "b"}, "1", "2"},
        {"[a]\rx=1 [b] y=2\r", {"a"}, "1 [b] y=2", "fallback"},
    };
    for (const auto& row : rows) {
        writeFileBytes(file, row.bytes);
        EXPECT_EQ(getProfileSectionNames(file), row.sections) << row.bytes;
        EXPECT_EQ(read("a", "x"), row.x) << row.bytes;
        EXPECT_EQ(read("b", "y"), row.y) << row.bytes;
        // A write changes its own line and leaves every other one readable as it was.
        writeProfileString(file, "a", "x", "9");
        EXPECT_EQ(getProfileSectionNames(file), row.sections) << row.bytes;
        EXPECT_EQ(read("a", "x"), "9") << row.bytes;
        EXPECT_EQ(read("b", "y"), row.y) << row.bytes;
    }
}

TEST_F(ProfileTest, EveryCallReadsTheFile)
{
    writeProfileString(file, "S", "k", "mine");
    EXPECT_EQ(read("S", "k"), "mine");
    writeFileBytes(file, "[S]\r\nk=theirs\r\n");
    EXPECT_EQ(read("S", "k"), "theirs");
    writeProfileString(file, "S", "other", "x");
    EXPECT_EQ(readFileBytes(file), "[S]\r\nk=theirs\r\nother=x\r\n");
}

TEST_F(ProfileTest, AWriteToAMissingFolderIsRefused)
{
    const std::string lost = dir.file("missing/settings.ini");
    try {
        writeProfileString(lost, "S", "k", "v");
        FAIL() << "no exception";
    } catch (const PlatformError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + lost);
    }
    EXPECT_NO_THROW(deleteProfileKey(lost, "S", "k")); // nothing to change: no error
    EXPECT_NO_THROW(eraseProfileSection(lost, "S"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST_F(ProfileTest, ValueBytesAreKeptAsTheyAre)
{
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F"
                             "e \xE2\x9C\x93",
                      latin1 = "caf\xE9";
    writeProfileString(file, "Texts", "utf8", utf8);
    writeProfileString(file, "Texts", "latin1", latin1);
    EXPECT_EQ(read("Texts", "utf8"), utf8);
    EXPECT_EQ(readFileBytes(file), "[Texts]\r\nutf8=" + utf8 + "\r\nlatin1=" + latin1 + "\r\n");
}

TEST_F(ProfileTest, LongValuesAndListsComeBackWhole)
{
    const std::string value(5000, 'v');
    writeProfileString(file, "Long", "value", value);
    Names keys;
    for (int i = 0; i < 300; ++i) {
        keys.push_back("key" + std::to_string(i));
        writeFileBytes(file, readFileBytes(file) + keys.back() + "=" + std::to_string(i) + "\r\n");
    }
    Names sections;
    for (int i = 0; i < 200; ++i)
        sections.push_back("Section " + std::to_string(i));
    std::string more;
    for (const std::string& section : sections)
        more += "[" + section + "]\r\n";
    writeFileBytes(file, readFileBytes(file) + more);

    EXPECT_EQ(read("Long", "value"), value);
    keys.insert(keys.begin(), "value");
    EXPECT_EQ(getProfileSectionKeys(file, "Long"), keys);
    sections.insert(sections.begin(), "Long");
    EXPECT_EQ(getProfileSectionNames(file), sections);
}

TEST_F(ProfileTest, DeletingAKeyOrASection)
{
    writeFileBytes(file, "[A]\r\nk=1\r\nkeep=2\r\n[B]\r\nk=3\r\n; note\r\n[C]\r\nz=4\r\n");
    deleteProfileKey(file, "a", "K");
    eraseProfileSection(file, "b");
    deleteProfileKey(file, "A", "absent");
    eraseProfileSection(file, "absent");
    EXPECT_EQ(readFileBytes(file), "[A]\r\nkeep=2\r\n[C]\r\nz=4\r\n");
}

} // namespace
