#include "common/settingstable.h"
#include "fixtures.h"

#include <optional>

namespace {

class SettingsTableTest : public AppFixture {
protected:
    SettingsFile settings{tempPath("settings.ini")};
};

TEST_F(SettingsTableTest, EachValueKeepsItsReadingRule)
{
    const struct {
        const char* name;
        const char* ini;
        Mode mode;
        const char* profile;
        std::optional<int> category;
        int reloadTime;
        int reloadUnit;
        bool balloonsOff;
        bool runAtStartup;    // set when missing
        bool transparentText; // set when not a number
        bool originalSaved;
        int originalStyle;
    } rows[] = {
        {"missing keys", "", Mode::Neither, "", std::nullopt, -1, -1, false, true, false, false,
         -1},
        {"present empty values",
         "[General]\r\nDefaultMode=\r\nBallonTips=\r\nRunAtStartup=\r\nTransparentText=\r\n"
         "[AutoMode]\r\nCategory=\r\nReloadTime=\r\nMode=\r\n[CustomMode]\r\nCurrentProfile=\r\n"
         "[OriginalWallpaper]\r\nStyle=\r\n",
         Mode::Neither, "", -1, -1, -1, false, false, true, true, -1},
        {"not numbers",
         "[General]\r\nDefaultMode=manual\r\nBallonTips=yes\r\nRunAtStartup=on\r\n"
         "TransparentText=yes\r\n[AutoMode]\r\nCategory=abc\r\nReloadTime=1O\r\nMode=x\r\n"
         "[OriginalWallpaper]\r\nStyle=wide\r\n",
         Mode::Neither, "", -1, -1, -1, false, false, true, true, -1},
        {"numbers and a set boolean",
         "[General]\r\nDefaultMode=custom\r\nBallonTips=1\r\nRunAtStartup=0\r\n"
         "TransparentText=1\r\n[AutoMode]\r\nCategory=3\r\nReloadTime=15\r\nMode=2\r\n"
         "[CustomMode]\r\nCurrentProfile=Lakes\r\n[OriginalWallpaper]\r\nStyle=2\r\n",
         Mode::Custom, "Lakes", 3, 15, 2, true, false, true, true, 2},
        {"a cleared boolean and another case of custom",
         "[General]\r\nDefaultMode=Custom\r\nBallonTips=0\r\nTransparentText=0\r\n", Mode::Neither,
         "", std::nullopt, -1, -1, false, true, false, false, -1},
        {"auto", "[General]\r\nDefaultMode=auto\r\n", Mode::Auto, "", std::nullopt, -1, -1, false,
         true, false, false, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeFileBytes(settings.path().toStdString(), row.ini);
        EXPECT_EQ(settings.defaultMode(), row.mode);
        EXPECT_EQ(settings.currentProfile(), QString::fromLatin1(row.profile));
        EXPECT_EQ(settings.category(), row.category);
        EXPECT_EQ(settings.reloadTime(keys::AutoMode), row.reloadTime);
        EXPECT_EQ(settings.reloadUnit(keys::AutoMode), row.reloadUnit);
        EXPECT_EQ(settings.balloonsDisabled(), row.balloonsOff);
        EXPECT_EQ(settings.flag(flags::RunAtStartup), row.runAtStartup);
        EXPECT_EQ(settings.flag(flags::TransparentText), row.transparentText);
        EXPECT_EQ(settings.originalSaved(), row.originalSaved);
        EXPECT_EQ(settings.originalInteger(keys::Style), row.originalStyle);
    }

    writeFileBytes(settings.path().toStdString(), "");
    settings.setDefaultMode(Mode::Custom);
    settings.setCurrentProfile("Lakes");
    settings.setCategory(-1);
    settings.setOriginalText(keys::Tile, "0");
    settings.setFlag(flags::RunAtStartup, true);
    settings.setFlag(flags::BallonTips, false);
    EXPECT_EQ(readFileBytes(settings.path().toStdString()),
              "[General]\r\nDefaultMode=custom\r\nRunAtStartup=1\r\nBallonTips=0\r\n"
              "[CustomMode]\r\nCurrentProfile=Lakes\r\n[AutoMode]\r\nCategory=-1\r\n"
              "[OriginalWallpaper]\r\nTile=0\r\n");
    settings.setDefaultMode(Mode::Auto);
    EXPECT_EQ(settings.defaultMode(), Mode::Auto);
}

} // namespace
