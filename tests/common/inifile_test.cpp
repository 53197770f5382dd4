#include "common/errors.h"
#include "common/inifile.h"
#include "fixtures.h"

namespace {

class IniFileTest : public AppFixture {
protected:
    IniFile file{tempPath("settings.ini")};
};

TEST_F(IniFileTest, IntegersAndBooleansFallBackWhenNotNumbers)
{
    writeFileBytes(
        file.path().toStdString(),
        "[General]\r\nNum=12\r\nHex=$10\r\nText=abc\r\nEmpty=\r\nOn=1\r\nOff=0\r\nTwo=2\r\n");
    EXPECT_EQ(file.readInteger("General", "Num", -1), 12);
    EXPECT_EQ(file.readInteger("General", "Hex", -1), 16);
    EXPECT_EQ(file.readInteger("General", "Text", -1), -1);
    EXPECT_EQ(file.readInteger("General", "Missing", -1), -1);
    EXPECT_TRUE(file.readBool("General", "On", false));
    EXPECT_FALSE(file.readBool("General", "Off", true));
    EXPECT_TRUE(file.readBool("General", "Two", false));
    EXPECT_TRUE(file.readBool("General", "Text", true));
    EXPECT_FALSE(file.readBool("General", "Text", false));
}

TEST_F(IniFileTest, AKeyWithAnEmptyValueIsPresent)
{
    writeFileBytes(file.path().toStdString(), "[CustomMode]\r\nCurrentProfile=\r\n");
    EXPECT_TRUE(file.valueExists("CustomMode", "currentprofile"));
    EXPECT_FALSE(file.valueExists("CustomMode", "Other"));
    EXPECT_FALSE(file.valueExists("General", "CurrentProfile"));
    EXPECT_TRUE(file.sectionExists("custommode"));
    EXPECT_FALSE(file.sectionExists("OriginalWallpaper"));
}

TEST_F(IniFileTest, WritesAreSeenAtOnceAndBooleansAreOneAndZero)
{
    EXPECT_FALSE(file.exists());
    file.writeBool("General", "BallonTips", true);
    file.writeBool("General", "RunAtStartup", false);
    file.writeInteger("AutoMode", "Category", -1);
    EXPECT_TRUE(file.exists());
    EXPECT_EQ(readFileBytes(file.path().toStdString()),
              "[General]\r\nBallonTips=1\r\nRunAtStartup=0\r\n[AutoMode]\r\nCategory=-1\r\n");
}

TEST_F(IniFileTest, ARefusedWriteNamesTheFile)
{
    IniFile nowhere(tempPath("missing/settings.ini"));
    try {
        nowhere.writeString("General", "DefaultMode", "auto");
        FAIL() << "no error";
    } catch (const AppError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unable to write to %1").arg(nowhere.path()));
    }
}

} // namespace
