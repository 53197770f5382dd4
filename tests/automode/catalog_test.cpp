#include "fakedownloader.h"
#include "fixtures.h"

#include "automode/catalog.h"
#include "common/errors.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "common/service.h"
#include "common/textlist.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

class CatalogTest : public AppFixture {
protected:
    QString data(const QString& name) const { return context.programPath("data/" + name); }
    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void refreshCodes()
    {
        RefreshCatalogFile(http, data("cat.tsl"), data("cat1.tsl"), "/wallpapers/cat.tsl",
                           CatalogLines::Codes);
    }
    void selectCategory(int index)
    {
        IniFile(settingsFilePath()).writeInteger("AutoMode", "Category", index);
    }

    const QString catUrl = serviceBaseUrl() + "/wallpapers/cat.tsl";
    FakeDownloader http;
};

TEST_F(CatalogTest, AnUnreachableServiceLeavesTheInstalledCatalogAndMakesNoBackup)
{
    const QByteArray installed = bytesOf(data("cat.tsl"));
    refreshCodes();
    EXPECT_EQ(bytesOf(data("cat.tsl")), installed);
    EXPECT_FALSE(QFile::exists(data("cat1.tsl")));
    EXPECT_FALSE(QFile::exists(data("cat.tsl.part")));
    EXPECT_EQ(http.requested, QStringList{catUrl});
}

TEST_F(CatalogTest, TheFirstGoodRefreshKeepsTheInstalledCopyAsTheOnlyBackup)
{
    const QByteArray installed = bytesOf(data("cat.tsl"));
    http.bodies[catUrl] = "one\r\ntwo\r\n";
    refreshCodes();
    EXPECT_EQ(bytesOf(data("cat.tsl")), "one\r\ntwo\r\n");
    EXPECT_EQ(bytesOf(data("cat1.tsl")), installed);

    http.bodies[catUrl] = "three\r\n";
    refreshCodes();
    EXPECT_EQ(bytesOf(data("cat.tsl")), "three\r\n");
    EXPECT_EQ(bytesOf(data("cat1.tsl")), installed) << "the backup never changes once made";

    // A failed refresh keeps the last good content rather than falling back to the old backup.
    http.bodies.clear();
    refreshCodes();
    EXPECT_EQ(bytesOf(data("cat.tsl")), "three\r\n");
    EXPECT_EQ(bytesOf(data("cat1.tsl")), installed);
    EXPECT_FALSE(QFile::exists(data("cat.tsl.part")));
}

TEST_F(CatalogTest, AnAnswerThatIsNoCatalogKeepsTheLastGoodCopyAndMakesNoBackup)
{
    const QByteArray installed = bytesOf(data("cat.tsl"));
    const auto refusedCodes = {
        QByteArray(""), QByteArray("\r\n\r\n"), QByteArray("all\r\n../evil\r\n"),
        QByteArray("all\r\nsettings.ini\r\n"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)};
    for (const QByteArray& body : refusedCodes) {
        http.bodies[catUrl] = body;
        refreshCodes();
        EXPECT_EQ(bytesOf(data("cat.tsl")), installed) << body.toStdString();
        EXPECT_FALSE(QFile::exists(data("cat1.tsl")));
        EXPECT_FALSE(QFile::exists(data("cat.tsl.part")));
    }
    // A category the service leaves out is an empty line among usable codes.
    http.bodies[catUrl] = "one\r\n\r\ntwo\r\n";
    refreshCodes();
    EXPECT_EQ(bytesOf(data("cat.tsl")), "one\r\n\r\ntwo\r\n");
    EXPECT_EQ(bytesOf(data("cat1.tsl")), installed);
    http.bodies[catUrl] = "";
    refreshCodes();
    EXPECT_EQ(bytesOf(data("cat.tsl")), "one\r\n\r\ntwo\r\n");
    EXPECT_EQ(bytesOf(data("cat1.tsl")), installed);

    // Names are shown, not used as files: any printable line of a sensible length will do.
    const QString namesUrl = serviceBaseUrl() + "/profiles_new.tsl";
    const auto refreshNames = [&](const QByteArray& body) {
        http.bodies[namesUrl] = body;
        RefreshCatalogFile(http, data("profiles.tsl"), data("profiles1.tsl"), "/profiles_new.tsl",
                           CatalogLines::Names);
        return bytesOf(data("profiles.tsl"));
    };
    const QByteArray names = "All\r\nDigital Art \\ 2D\r\n";
    EXPECT_EQ(refreshNames(names), names);
    for (const QByteArray& body :
         {QByteArray(""), QByteArray("All\r\n\x01\x02\x7f\r\n"), QByteArray(257, 'n')})
        EXPECT_EQ(refreshNames(body), names) << body.left(20).toStdString();
    EXPECT_TRUE(std::all_of(http.kinds.begin(), http.kinds.end(),
                            [](DownloadKind kind) { return kind == DownloadKind::Text; }));
}

TEST_F(CatalogTest, AMissingCatalogComesBackFromItsBackupWhenTheServiceFails)
{
    http.bodies[catUrl] = "fresh\r\n";
    refreshCodes();
    const QByteArray backup = bytesOf(data("cat1.tsl"));
    ASSERT_TRUE(QFile::remove(data("cat.tsl")));
    http.bodies.clear();
    refreshCodes();
    EXPECT_EQ(bytesOf(data("cat.tsl")), backup);
    EXPECT_EQ(bytesOf(data("cat1.tsl")), backup);
}

TEST_F(CatalogTest, TheCodeTableHoldsFiftyEntries)
{
    const QStringList installed = readCategoryCodes(data("cat.tsl"));
    ASSERT_EQ(installed.size(), CategoryCodeCapacity);
    EXPECT_EQ(installed.at(0), "all");
    EXPECT_EQ(installed.at(17), "street");
    EXPECT_EQ(installed.at(18), "");

    QStringList many;
    for (int i = 0; i < 60; ++i)
        many.append(QString::number(i));
    writeTextList(tempPath("many.tsl"), many);
    const QStringList truncated = readCategoryCodes(tempPath("many.tsl"));
    ASSERT_EQ(truncated.size(), CategoryCodeCapacity);
    EXPECT_EQ(truncated.last(), "49");

    EXPECT_EQ(readCategoryCodes(tempPath("missing.tsl")),
              QStringList(CategoryCodeCapacity, QString()));
}

TEST_F(CatalogTest, OnlyACodeThatStaysOneFileNameIsUsable)
{
    QStringList codes(CategoryCodeCapacity, QString());
    codes[0] = "street";
    codes[1] = "..";
    codes[2] = "../../evil";
    codes[3] = "a\\b";
    codes[4] = "c:x";
    codes[5] = QString("tab\there");
    codes[6] = "Settings.ini";
    codes[7] = "con.txt";
    codes[8] = "a*b";
    EXPECT_EQ(categoryCode(codes, 0), "street");
    for (int index : {1, 2, 3, 4, 5, 6, 7, 8, 9, -1, CategoryCodeCapacity})
        EXPECT_THROW(categoryCode(codes, index), AppError) << index;
}

TEST_F(CatalogTest, TheSelectedCategoryIsReadFromTheFileEachTime)
{
    EXPECT_EQ(selectedCategoryIndex(), 0) << "a missing key counts as the first category";
    userData();
    selectCategory(7);
    EXPECT_EQ(selectedCategoryIndex(), 7);
    IniFile(settingsFilePath()).writeString("AutoMode", "Category", "seven");
    EXPECT_EQ(selectedCategoryIndex(), -1);
}

TEST_F(CatalogTest, ThePendingListIsReplacedByTheDownloadedListWhichIsThenDeleted)
{
    userData();
    const QStringList codes = readCategoryCodes(data("cat.tsl"));
    selectCategory(2);
    const QString listUrl = serviceBaseUrl() + "/wallpapers/" + codes.at(2);
    http.bodies[listUrl] = "a.jpg;A;0\nb.jpg;B;1\r\n";

    QStringList pending{"old.jpg;Old;0"};
    ReloadPendingList(http, codes, pending, false);
    EXPECT_EQ(pending, (QStringList{"a.jpg;A;0", "b.jpg;B;1"}));
    EXPECT_FALSE(QFile::exists(userDataPath(codes.at(2))));

    // A failed download keeps the list, unless the caller asked for it to be emptied first.
    http.bodies.clear();
    ReloadPendingList(http, codes, pending, false);
    EXPECT_EQ(pending.size(), 2);
    ReloadPendingList(http, codes, pending, true);
    EXPECT_TRUE(pending.isEmpty());
}

TEST_F(CatalogTest, AnEmptyCodeLineLoadsNothingAndFailsNothing)
{
    userData();
    writeTextList(tempPath("gap.tsl"), {"all", "", "street"});
    const QStringList codes = readCategoryCodes(tempPath("gap.tsl"));
    selectCategory(1);
    QStringList pending{"kept.jpg;K;0"};
    EXPECT_NO_THROW(ReloadPendingList(http, codes, pending, false));
    EXPECT_EQ(pending, QStringList{"kept.jpg;K;0"});
    EXPECT_NO_THROW(ReloadPendingList(http, codes, pending, true));
    EXPECT_TRUE(pending.isEmpty());
    EXPECT_TRUE(http.requested.isEmpty());
    EXPECT_EQ(QDir(userData()).entryList(QDir::Files), QStringList{"settings.ini"});

    selectCategory(3);
    EXPECT_THROW(ReloadPendingList(http, codes, pending, true), AppError) << "past the lines";
}

TEST_F(CatalogTest, AnIndexPastTheCatalogFailsWithoutAsking)
{
    userData();
    const QStringList codes = readCategoryCodes(data("cat.tsl"));
    QStringList pending{"kept.jpg;K;0"};
    for (int index : {18, 49, 50, -3}) {
        selectCategory(index);
        EXPECT_THROW(ReloadPendingList(http, codes, pending, true), AppError) << index;
    }
    EXPECT_TRUE(http.requested.isEmpty());
    EXPECT_EQ(pending, QStringList{"kept.jpg;K;0"});
    EXPECT_EQ(QDir(userData()).entryList(QDir::Files), QStringList{"settings.ini"});
}

} // namespace
