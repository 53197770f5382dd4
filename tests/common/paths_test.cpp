#include "common/paths.h"

#include <gtest/gtest.h>

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

} // namespace
