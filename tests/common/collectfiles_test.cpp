#include "common/collectfiles.h"
#include "fixtures.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class CollectFilesTest : public AppFixture {
protected:
    QString make(const QString& relative)
    {
        const fs::path path = fs::path(tempPath(relative).toStdString());
        fs::create_directories(path.parent_path());
        writeFileBytes(path.string(), "x");
        return QString::fromStdString(path.string());
    }
};

TEST_F(CollectFilesTest, OwnFilesComeBeforeSubfoldersDepthFirst)
{
    make("p/b/deep/z.tsl");
    make("p/a.tsl");
    make("p/b/y.tsl");
    make("p/c.TSL");
    make("p/skip.txt");
    QStringList found;
    CollectFiles(tempPath("p"), QStringLiteral("*.tsl"), found);
    ASSERT_EQ(found.size(), 4) << found.join(u' ').toStdString();
    // The folder's own files (any order the system gives) precede everything below it.
    QStringList own = found.mid(0, 2);
    own.sort();
    EXPECT_EQ(own, (QStringList{tempPath("p/a.tsl"), tempPath("p/c.TSL")}));
    EXPECT_EQ(found.mid(2), (QStringList{tempPath("p/b/y.tsl"), tempPath("p/b/deep/z.tsl")}));
}

TEST_F(CollectFilesTest, HiddenFilesCountHiddenFoldersAreSkipped)
{
    make("p/.hidden.tsl");
    make("p/.secret/in.tsl");
    QStringList found;
    CollectFiles(tempPath("p/"), QStringLiteral("*.tsl"), found);
    EXPECT_EQ(found, QStringList{tempPath("p/.hidden.tsl")});
}

TEST_F(CollectFilesTest, ALinkBackUpDoesNotLoopAndAMissingFolderGivesNothing)
{
    make("p/sub/a.tsl");
    fs::create_directory_symlink(tempPath("p").toStdString(), tempPath("p/sub/loop").toStdString());
    QStringList found;
    CollectFiles(tempPath("p"), QStringLiteral("*.tsl"), found);
    EXPECT_EQ(found, QStringList{tempPath("p/sub/a.tsl")});

    QStringList none{QStringLiteral("kept")};
    CollectFiles(tempPath("missing"), QStringLiteral("*.tsl"), none);
    EXPECT_EQ(none, QStringList{QStringLiteral("kept")});
}

} // namespace
