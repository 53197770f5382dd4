#include "common/settingstable.h"
#include "common/strings.h"
#include "fixtures.h"
#include "platform/registry.h"
#include "platform/system.h"

#include <chrono>
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

// Big files cost time in proportion to their size: every key of a file once, not the whole file
// again for every key. The bounds are three times what the reads may take.
TEST_F(SettingsTableTest, BigFilesLoadInTimeThatGrowsWithTheirSize)
{
    using Clock = std::chrono::steady_clock;
    // Generous bounds: the slow way took minutes. The sanitizers' bookkeeping costs a few times.
    const int slack = UnderAddressSanitizer ? 4 : 1;
    constexpr int Plugins = 10000;
    std::string ini;
    for (int i = 0; i < Plugins; ++i)
        ini += "[tool" + std::to_string(i) + ".exe]\r\nName=Tool " + std::to_string(i) +
               "\r\nStatus=disabled\r\n";
    writeFileBytes(toStd(context.programPath("data/plugins.ini")), ini);
    auto began = Clock::now();
    const std::vector<PluginEntry> entries = PluginListFile(context).entries();
    EXPECT_LT(Clock::now() - began, std::chrono::seconds(3 * slack));
    ASSERT_EQ(entries.size(), std::size_t(Plugins));
    EXPECT_EQ(entries.back(), (PluginEntry{"tool9999.exe", "Tool 9999", "disabled"}));

    // 20 MB: many keys, and one key with very many values.
    std::string reg = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string value = "\"" + std::string(60, 'v') + "\"\r\n";
    int keys = 0;
    for (; reg.size() < 12'000'000; ++keys) {
        reg += "[HKEY_CURRENT_USER\\Software\\Bulk\\Key" + std::to_string(keys) + "]\r\n";
        for (int v = 0; v < 8; ++v)
            reg += "\"Value" + std::to_string(v) + "\"=" + value;
    }
    reg += "[HKEY_CURRENT_USER\\Software\\Bulk\\Wide]\r\n";
    for (int v = 0; reg.size() < 20'000'000; ++v)
        reg += "\"Value" + std::to_string(v) + "\"=\"" + std::to_string(v) + "\"\r\n";
    writeFileBytes(*platform::environmentVariable("TAPESTRON_REGISTRY"), reg);
    began = Clock::now();
    const auto last = context.platform.registry->readValue(
        platform::RootKey::CurrentUser, "Software\\Bulk\\Key" + std::to_string(keys - 1), "Value7");
    const auto wide = context.platform.registry->readValue(platform::RootKey::CurrentUser,
                                                           "Software\\Bulk\\Wide", "Value0");
    EXPECT_LT(Clock::now() - began, std::chrono::seconds(12 * slack));
    EXPECT_EQ(last, platform::RegistryValue(std::string(60, 'v')));
    EXPECT_EQ(wide, platform::RegistryValue(std::string("0")));
}

} // namespace
