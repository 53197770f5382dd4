#include "plugins/versioninfo.h"
#include "tempenv.h"
#include "versionimage.h"

#include <gtest/gtest.h>

namespace {

QString functionText(std::uint32_t type, std::uint32_t subtype)
{
    platform::FixedFileInfo info;
    info.fileType = type;
    info.fileSubtype = subtype;
    return FileFunctionText(info);
}

TEST(FileFunctionTextTest, NamesEveryTypeAndSubtype)
{
    EXPECT_EQ(functionText(0, 99), "Unknown");
    EXPECT_EQ(functionText(1, 5), "Application");
    EXPECT_EQ(functionText(2, 0), "DLL");
    const char* const drivers[] = {"Unknown Driver",  "Printer Driver",       "Keyboard Driver",
                                   "Language Driver", "Display Driver",       "Mouse Driver",
                                   "Network Driver",  "System Driver",        "InstallableDriver",
                                   "Sound Driver",    "Communications Driver"};
    for (std::uint32_t subtype = 0; subtype < 11; ++subtype)
        EXPECT_EQ(functionText(3, subtype), drivers[subtype]);
    EXPECT_EQ(functionText(3, 11), "");
    EXPECT_EQ(functionText(3, 0xFFFFFFFF), "");
    const char* const fonts[] = {"Unknown Font", "Raster Font", "Vector Font", "Truetype Font"};
    for (std::uint32_t subtype = 0; subtype < 4; ++subtype)
        EXPECT_EQ(functionText(4, subtype), fonts[subtype]);
    EXPECT_EQ(functionText(4, 4), "");
    EXPECT_EQ(functionText(5, 0x1234), "Virtual Defice Identifier = 00001234");
    EXPECT_EQ(functionText(5, 0xABCDEF01), "Virtual Defice Identifier = ABCDEF01");
    EXPECT_EQ(functionText(6, 0), "");
    EXPECT_EQ(functionText(7, 3), "Static-link Library");
    EXPECT_EQ(functionText(8, 0), "");
}

class ReadFileVersionInfoTest : public ::testing::Test {
protected:
    TFileVersionInfo read(const std::string& path)
    {
        return ReadFileVersionInfo(*shell, QString::fromStdString(path));
    }

    // Writes a program whose resource holds block.
    std::string program(const ByteVector& block, const std::string& name = "tool.exe")
    {
        const ByteVector image = peImage(block);
        writeFileBytes(dir.file(name), std::string(image.begin(), image.end()));
        return dir.file(name);
    }

    std::unique_ptr<platform::Shell> shell = platform::createShell();
    TempDir dir;
};

TEST_F(ReadFileVersionInfoTest, TheProgramItselfIsBuild80)
{
    const TFileVersionInfo info = read(TAPESTRON_EXECUTABLE);
    EXPECT_EQ(info.FileType, "Application");
    EXPECT_EQ(info.FileDescription, "Tapestron");
    EXPECT_EQ(info.FileVersion, "0.2.0.80");
    EXPECT_EQ(info.ProductName, "Tapestron");
    EXPECT_EQ(info.ProductVersion, "0.2.0.80");
    EXPECT_EQ(info.OriginalFilename, "tapestron.exe");
    EXPECT_EQ(info.InternalName, "tapestron");
    EXPECT_FALSE(info.CompanyName.isEmpty());
    EXPECT_TRUE(info.LegalCopyright.startsWith("Copyright"));
    EXPECT_EQ(info.LegalTrademarks, "");
    EXPECT_EQ(info.FileFunction, "Application");
    EXPECT_FALSE(info.Debug || info.PreRelease || info.SpecialBuild || info.PrivateBuild ||
                 info.Patched || info.InfoInferred);
}

TEST_F(ReadFileVersionInfoTest, TheProfilePlugInNamesItselfInTheProgramsVersion)
{
    const TFileVersionInfo info = read(TAPESTRON_SHOWOPEN);
    EXPECT_EQ(info.FileDescription, "Tapestron profile opener");
    EXPECT_EQ(info.InternalName, "showopen");
    EXPECT_EQ(info.OriginalFilename, "showopen.exe");
    EXPECT_EQ(info.FileVersion, "0.2.0.80");
    EXPECT_EQ(info.ProductName, "Tapestron");
    EXPECT_EQ(info.FileFunction, "Application");
}

TEST_F(ReadFileVersionInfoTest, ReadsEveryStringAndTheFlagsSetInBothMaskAndFlags)
{
    VersionSample sample;
    sample.flagsMask = 0x0F;
    sample.flags = 0x3F; // 0x10 and 0x20 fall outside the mask
    sample.type = 5;
    sample.subtype = 0x1234;
    // Stored under the usual capitals; asked for under the program's own ("LegalCopyRight").
    sample.strings = {{"CompanyName", "Works"},
                      {"FileDescription", "Opens profiles"},
                      {"FileVersion", "3.1"},
                      {"InternalName", "showopen"},
                      {"LegalCopyright", "(C) Works"},
                      {"LegalTrademarks", "TM"},
                      {"OriginalFilename", "showopen.exe"},
                      {"ProductName", "Show Open"},
                      {"ProductVersion", "3.1.0"},
                      {"Comments", "not listed"},
                      {"SpecialBuild", "special"},
                      {"PrivateBuild", "private"}};
    const TFileVersionInfo info = read(program(versionBlock(sample)));

    TFileVersionInfo expected;
    expected.FileType = "Application";
    expected.CompanyName = "Works";
    expected.FileDescription = "Opens profiles";
    expected.FileVersion = "3.1";
    expected.InternalName = "showopen";
    expected.LegalCopyright = "(C) Works";
    expected.LegalTrademarks = "TM";
    expected.OriginalFilename = "showopen.exe";
    expected.ProductName = "Show Open";
    expected.ProductVersion = "3.1.0";
    expected.Comments = "not listed";
    expected.SpecialBuildStr = "special";
    expected.PrivateBuildStr = "private";
    expected.FileFunction = "Virtual Defice Identifier = 00001234";
    expected.Debug = expected.PreRelease = expected.Patched = expected.PrivateBuild = true;
    EXPECT_EQ(info, expected);
}

TEST_F(ReadFileVersionInfoTest, TheFirstTranslationChoosesTheStringTable)
{
    VersionSample german;
    german.table = "040704B0";
    german.strings = {{"CompanyName", "Werke"}};
    VersionNode tree = versionTree({});
    tree.children[0].children.insert(tree.children[0].children.begin() + 0,
                                     versionTree(german).children[0].children[0]);
    ByteVector translations;
    putU32(translations, 0, 0x04B00407);
    putU32(translations, 4, 0x04E40409);
    tree.children[1].children[0].value = translations;
    EXPECT_EQ(read(program(encodeVersionNode(tree))).CompanyName, "Werke");

    // Without translations no string is found; the fixed information still is.
    tree.children[1].children[0].value.clear();
    const TFileVersionInfo info = read(program(encodeVersionNode(tree)));
    EXPECT_EQ(info.CompanyName, "");
    EXPECT_EQ(info.FileVersion, "");
    EXPECT_EQ(info.FileFunction, "Application");
}

TEST_F(ReadFileVersionInfoTest, FilesWithoutVersionResourceKeepTheRestEmpty)
{
    TFileVersionInfo onlyType;
    onlyType.FileType = "Text Document";
    writeFileBytes(dir.file("notes.txt"), "MZ is no program");
    EXPECT_EQ(read(dir.file("notes.txt")), onlyType);

    EXPECT_EQ(read(dir.file("missing.exe")), TFileVersionInfo());

    const ByteVector iconOnly = peImage(versionBlock({}), 3);
    writeFileBytes(dir.file("plain.exe"), std::string(iconOnly.begin(), iconOnly.end()));
    onlyType.FileType = "Application";
    EXPECT_EQ(read(dir.file("plain.exe")), onlyType);
}

TEST_F(ReadFileVersionInfoTest, DamagedResourcesReadAsFarAsTheyAreSound)
{
    ByteVector image = peImage(versionBlock({}));
    putU32(image, peLayout::dataEntry, 0x7FFFFFF0); // the block's address outside every section
    writeFileBytes(dir.file("lost.exe"), std::string(image.begin(), image.end()));
    TFileVersionInfo onlyType;
    onlyType.FileType = "Application";
    EXPECT_EQ(read(dir.file("lost.exe")), onlyType);

    // A file cut inside its resource: the resource reaches past the end and is not read.
    image = peImage(versionBlock({}));
    image.resize(peLayout::block + 40);
    writeFileBytes(dir.file("cut.exe"), std::string(image.begin(), image.end()));
    EXPECT_EQ(read(dir.file("cut.exe")), onlyType);

    // A string whose length runs past its table ends the search there; the fixed information and
    // the strings before it are still read.
    VersionNode tree = versionTree({});
    ByteVector block = encodeVersionNode(tree);
    const std::string bytes(block.begin(), block.end());
    const ByteVector key = utf16z("ProductName");
    const std::size_t product = bytes.find(std::string(key.begin(), key.end())) - 6;
    putU16(block, product, 0x7000);
    const TFileVersionInfo info = read(program(block));
    EXPECT_EQ(info.CompanyName, "Example Works");
    EXPECT_EQ(info.ProductName, "");
    EXPECT_EQ(info.FileFunction, "Application");
}

} // namespace
