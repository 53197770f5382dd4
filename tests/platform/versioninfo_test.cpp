#include "platform/system.h"
#include "platform/versionblock.h"
#include "platform/versioninfo.h"
#include "tempenv.h"
#include "versionimage.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

using namespace platform;

namespace {

const std::string companyPath = "\\StringFileInfo\\040904E4\\CompanyName";

std::string asText(const ByteVector& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Everything the program asks of a block, so that damaged blocks are read all the way.
struct Answers {
    std::optional<FixedFileInfo> fixed;
    std::vector<Translation> translations;
    std::map<std::string, std::optional<std::string>> strings;
};

Answers ask(std::span<const std::uint8_t> block)
{
    Answers answers{versionblock::fixedFileInfo(block), versionblock::translations(block), {}};
    for (const char* name : {"CompanyName", "FileVersion", "ProductName"})
        answers.strings[name] =
            versionblock::text(block, std::string("\\StringFileInfo\\040904E4\\") + name);
    return answers;
}

TEST(VersionBlockTest, AnswersTheQueriesOfTheSystem)
{
    VersionSample sample;
    sample.type = 3;
    sample.subtype = 7;
    sample.flags = 0x21;
    sample.strings["Comments"] = "";
    const ByteVector block = versionBlock(sample);

    const auto fixed = versionblock::fixedFileInfo(block);
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->signature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->fileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->fileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed->productVersionLS, 0x00070008u);
    EXPECT_EQ(fixed->fileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->fileFlags, 0x21u);
    EXPECT_EQ(fixed->fileOS, 0x00040004u);
    EXPECT_EQ(fixed->fileType, 3u);
    EXPECT_EQ(fixed->fileSubtype, 7u);

    const auto translations = versionblock::translations(block);
    ASSERT_EQ(translations.size(), 1u);
    EXPECT_EQ(translations[0].language, 0x0409);
    EXPECT_EQ(translations[0].codePage, 0x04E4);

    EXPECT_EQ(versionblock::text(block, companyPath), "Example Works");
    // Keys match without regard to case, the table name's hex digits included.
    EXPECT_EQ(versionblock::text(block, "\\stringfileinfo\\040904e4\\FILEVERSION"), "1.2.3.4");
    EXPECT_EQ(versionblock::text(block, "\\StringFileInfo\\040904E4\\Comments"), "");
    EXPECT_EQ(versionblock::text(block, "\\StringFileInfo\\040904E4\\LegalTrademarks"),
              std::nullopt);
    EXPECT_EQ(versionblock::text(block, "\\StringFileInfo\\04090000\\CompanyName"), std::nullopt);
    // A key is matched whole, not as a prefix.
    EXPECT_EQ(versionblock::text(block, "\\StringFileInfo\\040904E4\\Company"), std::nullopt);
}

TEST(VersionBlockTest, TextsAreUtf16AndEndAtTheirZero)
{
    VersionNode tree = versionTree({});
    VersionNode& company = tree.children[0].children[0].children[0];
    ASSERT_EQ(company.key, "CompanyName");
    // "Zoë", an emoji as a surrogate pair, a zero, then bytes that are no part of the text.
    company.value = {'Z', 0, 'o', 0, 0xEB, 0, 0x3D, 0xD8, 0x00, 0xDE, 0, 0, 'x', 0};
    EXPECT_EQ(versionblock::text(encodeVersionNode(tree), companyPath),
              "Zo\xC3\xAB\xF0\x9F\x98\x80");

    // Some resource compilers count a text's length in bytes; the text still reads whole.
    ByteVector block = versionBlock({});
    const std::size_t at = asText(block).find(asText(utf16z("Example Works")));
    ASSERT_NE(at, std::string::npos);
    const std::size_t node = asText(block).rfind(asText(utf16z("CompanyName")), at) - 6;
    putU16(block, node + 2, std::uint16_t(2 * utf16z("Example Works").size()));
    EXPECT_EQ(versionblock::text(block, companyPath), "Example Works");
}

TEST(VersionBlockTest, FixedInfoNeedsItsSignatureAndSize)
{
    VersionNode tree = versionTree({});
    tree.value[0] ^= 1;
    EXPECT_EQ(versionblock::fixedFileInfo(encodeVersionNode(tree)), std::nullopt);

    // A root without fixed information still carries its strings.
    tree.value.clear();
    const ByteVector block = encodeVersionNode(tree);
    EXPECT_EQ(versionblock::fixedFileInfo(block), std::nullopt);
    EXPECT_EQ(versionblock::text(block, companyPath), "Example Works");
}

TEST(VersionBlockTest, ACutBlockGivesEachValueWholeOrNotAtAll)
{
    const ByteVector block = versionBlock({});
    const Answers whole = ask(block);
    for (std::size_t size = 0; size < block.size(); ++size) {
        SCOPED_TRACE(size);
        const Answers cut = ask(std::span(block).first(size));
        EXPECT_TRUE(!cut.fixed || cut.fixed->fileVersionLS == whole.fixed->fileVersionLS);
        EXPECT_TRUE(cut.translations.empty() || cut.translations.size() == 1);
        for (const auto& [name, value] : cut.strings)
            EXPECT_TRUE(!value || value == whole.strings.at(name)) << name;
    }
}

TEST(VersionBlockTest, LengthsThatPointOutsideTheirParentEndTheSearch)
{
    ByteVector block = versionBlock({});
    const std::size_t company = asText(block).find(asText(utf16z("CompanyName"))) - 6;

    ByteVector tooLong = block;
    putU16(tooLong, company, 0xFFF0);
    EXPECT_EQ(versionblock::text(tooLong, companyPath), std::nullopt);
    EXPECT_EQ(versionblock::text(tooLong, "\\StringFileInfo\\040904E4\\ProductName"), std::nullopt);
    EXPECT_TRUE(versionblock::fixedFileInfo(tooLong)); // the root itself is sound

    ByteVector empty = block;
    putU16(empty, company, 0);
    EXPECT_EQ(versionblock::text(empty, "\\StringFileInfo\\040904E4\\ProductName"), std::nullopt);

    ByteVector unterminatedKey = block;
    putU16(unterminatedKey, company, 6 + 2 * 4); // "Comp" fills the node with no zero after it
    EXPECT_EQ(versionblock::text(unterminatedKey, companyPath), std::nullopt);
}

TEST(VersionImageTest, FindsTheBlockInTheResourcesOfAProgram)
{
    const ByteVector block = versionBlock({});
    EXPECT_EQ(versionblock::fromPeImage(peImage(block)), block);
    EXPECT_TRUE(versionblock::fromPeImage(peImage(block, 3)).empty()) << "an icon is no version";
    EXPECT_TRUE(versionblock::fromPeImage(block).empty());
    EXPECT_TRUE(versionblock::fromPeImage(ByteVector{'M', 'Z'}).empty());
}

TEST(VersionImageTest, OffsetsOutsideTheFileFindNothing)
{
    const ByteVector image = peImage(versionBlock({}));
    auto damaged = [&](std::size_t at, std::uint32_t value) {
        ByteVector copy = image;
        putU32(copy, at, value);
        return versionblock::fromPeImage(copy);
    };
    EXPECT_TRUE(damaged(0x3C, 0xFFFFFFF0).empty());                        // PE header
    EXPECT_TRUE(damaged(peLayout::dataEntry, 0xFFFFFFF0).empty());         // block's address
    EXPECT_TRUE(damaged(peLayout::dataEntry + 4, 0x7FFFFFFF).empty());     // block's size
    EXPECT_TRUE(damaged(peLayout::typeEntry + 4, 0x8FFFFFF0).empty());     // directory
    EXPECT_TRUE(damaged(peLayout::languageEntry + 4, 0x0FFFFFF0).empty()); // data entry
    // A cut image, and one whose size field reaches past its end.
    EXPECT_TRUE(versionblock::fromPeImage(std::span(image).first(peLayout::block + 10)).empty());
}

TEST(VersionImageTest, DirectoriesThatPointBackFindNothing)
{
    ByteVector image = peImage(versionBlock({}));
    // The name level points at the root and the language level at the type level: both climb
    // back up instead of reaching data.
    putU32(image, peLayout::nameEntry + 4, 0x80000000);
    EXPECT_TRUE(versionblock::fromPeImage(image).empty());
    image = peImage(versionBlock({}));
    putU32(image, peLayout::languageEntry + 4, 0x80000018);
    EXPECT_TRUE(versionblock::fromPeImage(image).empty());
}

// Every single-byte change of a program and its resource: the readers stay inside the image
// (the sanitizer builds watch every access) and whatever they return is no larger than it.
TEST(VersionImageTest, SurvivesEverySingleByteChange)
{
    const ByteVector image = peImage(versionBlock({}));
    for (std::size_t at = 0; at < image.size(); ++at) {
        for (const std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            ByteVector copy = image;
            copy[at] = value;
            const ByteVector block = versionblock::fromPeImage(copy);
            ASSERT_LE(block.size(), copy.size()) << at;
            ask(block);
            ask(std::span(copy).subspan(peLayout::block));
        }
    }
}

TEST(VersionImageTest, FindsTheBlockInItsElfSection)
{
    const ByteVector block = versionBlock({});
    EXPECT_EQ(versionblock::fromElfImage(elfImage(versionblock::elfSectionName, block)), block);
    EXPECT_TRUE(versionblock::fromElfImage(elfImage(".tapestron.versio", block)).empty());
    EXPECT_TRUE(versionblock::fromElfImage(elfImage(".data", block)).empty());

    ByteVector outside = elfImage(versionblock::elfSectionName, block);
    putU32(outside, 40, 0xFFFFFF00); // section headers past the end
    EXPECT_TRUE(versionblock::fromElfImage(outside).empty());
}

TEST(VersionFileTest, ReadsTheBlockOfAProgramFile)
{
    TempDir dir;
    const std::string program = dir.file("tool.exe");
    writeFileBytes(program, asText(peImage(versionBlock({}))));

    const std::uint32_t size = fileVersionInfoSize(program);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> block(size);
    ASSERT_TRUE(fileVersionInfo(program, block));
    const auto fixed = queryFixedFileInfo(block);
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->fileVersionMS, 0x00010002u);
    const auto translations = queryTranslations(block);
    ASSERT_EQ(translations.size(), 1u);
    EXPECT_EQ(translations[0].codePage, 0x04E4);
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904e4\\companyname"), "Example Works");
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\Comments"), std::nullopt);
}

TEST(VersionFileTest, FilesWithoutABlockHaveNone)
{
    TempDir dir;
    writeFileBytes(dir.file("notes.txt"), "MZ is not enough to be a program");
    writeFileBytes(dir.file("plain.exe"), asText(peImage(versionBlock({}), 3)));
    for (const std::string& path :
         {dir.file("missing.exe"), dir.file("notes.txt"), dir.file("plain.exe"), dir.path()}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(fileVersionInfoSize(path), 0u);
        std::vector<std::uint8_t> buffer(64);
        EXPECT_FALSE(fileVersionInfo(path, buffer));
    }
}

// Both builds give the test program the program's own version resource: the Windows build from
// its .rc, the POSIX build in its ELF section.
TEST(VersionFileTest, TheRunningProgramCarriesTheProgramsVersion)
{
    const std::string self = executablePath();
    std::vector<std::uint8_t> block(fileVersionInfoSize(self));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(fileVersionInfo(self, block));
    const auto fixed = queryFixedFileInfo(block);
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->fileVersionMS, 0x00000002u);
    EXPECT_EQ(fixed->fileVersionLS, 0x00000050u); // build 80
    EXPECT_EQ(fixed->fileType, 1u);               // VFT_APP
    EXPECT_EQ(fixed->fileOS, 0x00040004u);        // VOS_NT_WINDOWS32
    EXPECT_EQ(fixed->fileFlags & fixed->fileFlagsMask, 0u);
    const auto translations = queryTranslations(block);
    ASSERT_FALSE(translations.empty());
    EXPECT_EQ(translations[0].language, 0x0409);
    EXPECT_EQ(translations[0].codePage, 0x04E4);
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\FileVersion"), "0.2.0.80");
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\OriginalFileName"), "tapestron.exe");
    EXPECT_EQ(queryText(block, "\\StringFileInfo\\040904E4\\ProductName"), "Tapestron");
}

} // namespace
