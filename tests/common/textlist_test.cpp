#include "common/errors.h"
#include "common/textlist.h"
#include "fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>

namespace {

class TextListTest : public AppFixture {};

// This process's resident memory now and at its peak since resetPeakMemory(), in bytes.
struct ResidentMemory {
    qint64 now = 0;
    qint64 peak = 0;
};

ResidentMemory residentMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    EXPECT_TRUE(status.open(QIODevice::ReadOnly));
    ResidentMemory memory;
    for (const QByteArray& line : status.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 2 && (fields[0] == "VmRSS:" || fields[0] == "VmHWM:"))
            (fields[0] == "VmRSS:" ? memory.now : memory.peak) = fields[1].toLongLong() * 1024;
    }
    return memory;
}

bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

TEST(TextLines, EveryLineEndCountsAndAFinalOneStartsNoEntry)
{
    EXPECT_EQ(splitTextLines("a\r\nb\nc\rd"), (QByteArrayList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitTextLines("a\r\n"), QByteArrayList{"a"});
    EXPECT_EQ(splitTextLines("a\n\n"), (QByteArrayList{"a", ""}));
    EXPECT_EQ(splitTextLines("\r\r"), (QByteArrayList{"", ""}));
    EXPECT_EQ(splitTextLines("a\n\rb"), (QByteArrayList{"a", "", "b"})); // LF CR is two ends
    EXPECT_TRUE(splitTextLines("").isEmpty());
    EXPECT_EQ(splitTextLines("last"), QByteArrayList{"last"});
}

TEST_F(TextListTest, WritesCrLfAfterEveryLineAndKeepsBytes)
{
    const QString path = tempPath("list.tsl");
    const QByteArrayList lines{"C:\\Pictures\\caf\xe9.jpg", "", "second"};
    writeTextLines(path, lines);
    EXPECT_EQ(readFileBytes(path.toStdString()),
              std::string("C:\\Pictures\\caf\xe9.jpg\r\n\r\nsecond\r\n"));
    EXPECT_EQ(readTextLines(path), lines);
}

TEST_F(TextListTest, TheFirstLinesAreReadWithoutTheRestOfAHugeFile)
{
    // A CR LF split between two reads ends one line; the list then runs on for gigabytes.
    const QString path = tempPath("preview");
    QByteArray head = QByteArray(64 * 1024 - 1, 'a') + "\r\nb\rc\n\nd\r\n";
    for (int i = 0; i < 100'000; ++i)
        head += "http://host/more.jpg\r\n";
    writeFileBytes(path.toStdString(), head.toStdString());
    QFile(path).resize(1LL << 30); // sparse: no disk is used
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(readFirstTextLines(path, 4),
              (QStringList{QString(64 * 1024 - 1, u'a'), "b", "c", ""}));
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
    EXPECT_EQ(readFirstTextLines(path, 6).last(), "http://host/more.jpg");
    writeFileBytes(path.toStdString(), "one\r\ntwo");
    EXPECT_EQ(readFirstTextLines(path, 4), (QStringList{"one", "two"}));
    EXPECT_THROW(readFirstTextLines(tempPath("none"), 4), AppError);
}

TEST_F(TextListTest, ALongListCostsLittleMoreThanItsOwnLines)
{
    // The sanitizer's own bookkeeping and quarantine would be counted as the reader's.
    if (UnderAddressSanitizer)
        GTEST_SKIP() << "resident memory says nothing about the reader under AddressSanitizer";
    // 32 MB of wallpaper list, written in pieces so that the test itself holds none of it.
    const QString path = tempPath("long.lst");
    QByteArray block;
    for (int i = 0; i < 1000; ++i)
        block += "http://127.0.0.1:8468/pictures/nature/p" + QByteArray::number(100000 + i) +
                 ".jpg;A caption for this picture;2\r\n";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        while (file.size() < 32 * 1024 * 1024)
            file.write(block);
    }
    const qint64 size = QFileInfo(path).size();
    const qint64 lines = size / block.size() * 1000;

    for (const bool decode : {false, true}) {
        ASSERT_TRUE(resetPeakMemory());
        const ResidentMemory before = residentMemory();
        const qsizetype count = decode ? readTextList(path).size() : readTextLines(path).size();
        const ResidentMemory after = residentMemory();
        EXPECT_EQ(count, lines);
        EXPECT_LT(after.peak - before.now, size * 7 / 2)
            << "peak " << (after.peak - before.now) / 1024 / 1024 << " MiB for a "
            << size / 1024 / 1024 << " MiB list" << (decode ? " decoded" : "");
    }
}

TEST_F(TextListTest, ReplacingALongerFileLeavesOnlyTheNewLines)
{
    const QString path = tempPath("list.tsl");
    writeTextList(path, {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    writeTextList(path, {QStringLiteral("x")});
    EXPECT_EQ(readFileBytes(path.toStdString()), "x\r\n");
}

TEST_F(TextListTest, ALinkAtTheTargetIsReplacedAndWhatItPointsToKeepsItsLines)
{
    const QString elsewhere = tempPath("elsewhere.tsl");
    writeTextList(elsewhere, {QStringLiteral("kept")});
    const QString path = tempPath("list.tsl");
    ASSERT_TRUE(QFile::link(elsewhere, path));
    writeTextList(path, {QStringLiteral("new")});
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(readFileBytes(path.toStdString()), "new\r\n");
    EXPECT_EQ(readFileBytes(elsewhere.toStdString()), "kept\r\n");
    EXPECT_EQ(QDir(tempPath("")).entryList(QDir::Files | QDir::System).size(), 2)
        << "no temporary file is left beside them";
}

TEST_F(TextListTest, MissingFileAndMissingFolderGiveClearErrors)
{
    const QString missing = tempPath("none.tsl");
    try {
        readTextList(missing);
        FAIL() << "no error";
    } catch (const AppError& error) {
        EXPECT_TRUE(
            error.message().startsWith(QStringLiteral("Cannot open file \"%1\".").arg(missing)))
            << error.what();
    }
    const QString unwritable = tempPath("no/such/folder/list.tsl");
    EXPECT_THROW(writeTextList(unwritable, {QStringLiteral("a")}), AppError);
    EXPECT_FALSE(QFile::exists(unwritable));
}

TEST(Integers, WholeNumbersOnly)
{
    EXPECT_EQ(parseInteger(QStringLiteral(" 42 ")), 42);
    EXPECT_EQ(parseInteger(QStringLiteral("-5")), -5);
    EXPECT_EQ(parseInteger(QStringLiteral("$1F")), 31);
    EXPECT_EQ(parseInteger(QStringLiteral("0x1f")), 31);
    EXPECT_EQ(parseInteger(QStringLiteral("-2147483648")), INT_MIN);
    EXPECT_EQ(parseInteger(QStringLiteral("2147483648")), std::nullopt);
    EXPECT_EQ(parseInteger(QStringLiteral("12abc")), std::nullopt);
    EXPECT_EQ(parseInteger(QStringLiteral("1.5")), std::nullopt);
    EXPECT_EQ(parseInteger(QString()), std::nullopt);
    EXPECT_EQ(parseInteger(QStringLiteral("-")), std::nullopt);
    try {
        toInteger(QStringLiteral("abc"));
        FAIL() << "no error";
    } catch (const AppError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("'abc' is not a valid integer value"));
    }
}

} // namespace
