#include "common/paths.h"
#include "common/settingstable.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "fixtures.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace {

TEST(SafeFileName, PlainNamesOfTheServiceAreKept)
{
    const QStringList kept{
        "street", "a-b_c.d~e@f+g", "x.jpg", "console",          "COM10",
        "lpt0",   "CONx",          "Temps", "settings.ini.old", QString(128, u'a')};
    for (const QString& name : kept)
        EXPECT_TRUE(isSafeFileName(name)) << name.toStdString();
}

TEST(SafeFileName, NamesThatLeaveTheFolderOpenADeviceOrHitOurOwnFilesAreRefused)
{
    const QStringList refused{"",
                              ".",
                              "..",
                              ".hidden",
                              "dot.",
                              "blank ",
                              "a b",
                              "a/b",
                              "a\\b",
                              "c:x",
                              "tab\there",
                              "a*b",
                              "a?b",
                              "a\"b",
                              "a<b",
                              "a>b",
                              "a|b",
                              "caf\u00e9",
                              "a%20b",
                              QString(129, u'a'),
                              "CON",
                              "con",
                              "Con.txt",
                              "prn",
                              "AUX.log",
                              "nul.tar.gz",
                              "COM1",
                              "com9.x",
                              "LPT1",
                              "lpt9",
                              "settings.ini",
                              "SETTINGS.INI",
                              "current.bmp",
                              "original.bmp",
                              "version",
                              "Temp",
                              "temp",
                              "Profiles",
                              "Favorites",
                              "Preview",
                              "cat.tsl",
                              "profiles.tsl",
                              "cat1.tsl",
                              "CAT1.TSL",
                              "profiles1.tsl",
                              "noimg.jpg",
                              "plugins.ini"};
    for (const QString& name : refused)
        EXPECT_FALSE(isSafeFileName(name)) << name.toStdString();
}

TEST(ValidFileName, WhatWindowsRefusesIsRefusedOnEverySystem)
{
    const QStringList kept{"summer",  "my pictures (2)", "caf\u00e9 & co",
                           ".hidden", "console",         "COM10",
                           "a.b.c",   "Favorites",       QString(255, u'a')};
    for (const QString& name : kept)
        EXPECT_TRUE(isValidFileName(name)) << name.toStdString();
    const QStringList refused{"",          "a\\b",     "a/b",    "c:x",      "a*b",
                              "a?b",       "a\"b",     "a<b",    "a>b",      "a|b",
                              "tab\there", "dot.",     "blank ", "CON",      "nul",
                              "Con.txt",   "lpt9.tar", "COM1",   "aux .log", QString(256, u'a')};
    for (const QString& name : refused)
        EXPECT_FALSE(isValidFileName(name)) << name.toStdString();
}

using StaleTemporariesTest = AppFixture;

// What writes killed before their end left goes with the next write of the same file and at the
// start; names the program does not make, and a write under way in another process, stay.
TEST_F(StaleTemporariesTest, OnlyWhatAKilledWriterLeftIsRemoved)
{
    QProcess ended;
    ended.start(QStringLiteral("true"));
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 dead = ended.processId(), live = 1; // the first process runs as long as the system
    ended.waitForFinished();
    const auto left = [](qint64 writer, int n) {
        return QStringLiteral(".tmp%1-%2").arg(writer).arg(n);
    };
    const QString user = userData() + u'/', data = programDir() + QStringLiteral("data/");
    const struct {
        QString path;
        bool stale;
        bool goesWithTheWrite;
    } rows[] = {
        {user + "settings.ini" + left(dead, 0), true, true},
        {user + "Profiles/holiday.tsl" + left(dead, 3), true, true},
        {user + "current.bmp" + left(dead, 1), true, false},
        {data + "plugins.ini" + left(dead, 2), true, false},
        {user + "current.bmp" + left(live, 0), false, false},
        {user + "settings.ini.tmp", false, false},
        {user + "current.bmp.a1B2c3", false, false},
        {user + "current.bmp" + left(dead, 1) + ".bak", false, false},
        {user + "Profiles/holiday.tsl.tmp" + QString::number(dead), false, false},
        {user + "notes.tmpx-1", false, false},
    };
    createUserFolders();
    for (const auto& row : rows)
        writeFileBytes(toStd(row.path), "left behind");

    SettingsFile().setCurrentProfile(QStringLiteral("holiday.tsl"));
    writeTextList(user + "Profiles/holiday.tsl", {QStringLiteral("a.jpg")});
    for (const auto& row : rows)
        EXPECT_EQ(QFileInfo::exists(row.path), !row.goesWithTheWrite) << toStd(row.path);
    removeStaleTemporaryFiles(data);
    for (const auto& row : rows)
        EXPECT_EQ(QFileInfo::exists(row.path), !row.stale) << toStd(row.path);
}

} // namespace
