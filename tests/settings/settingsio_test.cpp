#include "app/forms.h"
#include "app/main.h"
#include "common/errors.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "fixtures.h"
#include "platform/hotkeys.h"
#include "settings/advopt.h"
#include "settings/hotkeyedit.h"
#include "settings/settings.h"
#include "settings/spinedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <vector>

namespace {

class SettingsFileTest : public WindowsFixture {
protected:
    TForm2& settings() { return *forms->Form2; }
    QString ini() const { return settingsFilePath(); }
    void writeProfile(const QString& name, int lines)
    {
        std::filesystem::create_directories((userData() + "/Profiles").toStdString());
        std::string text;
        for (int i = 0; i < lines; ++i)
            text += "C:\\p" + std::to_string(i) + ".jpg\r\n";
        writeFileBytes((userData() + "/Profiles/" + name).toStdString(), text);
    }
    bool hotKeyWorks(std::uint32_t modifiers, std::uint32_t key)
    {
        return system.hotkeys->pressKey(modifiers, key);
    }
    static void uncheckAll(std::initializer_list<QRadioButton*> buttons)
    {
        for (QRadioButton* button : buttons) {
            button->setAutoExclusive(false);
            button->setChecked(false);
            button->setAutoExclusive(true);
        }
    }
};

TEST_F(SettingsFileTest, FirstRunWithoutAFileGivesTheFirstRunValuesAndWritesNothing)
{
    start();
    TForm2& s = settings();
    EXPECT_TRUE(s.CheckBox1->isChecked());
    EXPECT_TRUE(s.CheckBox3->isChecked());
    EXPECT_FALSE(s.CheckBox2->isChecked());
    EXPECT_FALSE(s.CheckBox4->isChecked());
    EXPECT_FALSE(forms->Form9->CheckBox1->isChecked());
    EXPECT_FALSE(s.CheckBox5->isChecked());
    EXPECT_EQ(s.ComboBox2->currentIndex(), 1);
    EXPECT_EQ(s.HotKey1->text(), QStringLiteral("Alt+R"));
    EXPECT_FALSE(QFile::exists(ini()));
    EXPECT_TRUE(hotKeyWorks(platform::MOD_ALT, 'R'));
    EXPECT_FALSE(hotKeyWorks(platform::MOD_CONTROL | platform::MOD_ALT, 'R'));
    // Controls without a key keep their initial values.
    EXPECT_EQ(s.edit1->text(), QStringLiteral("30"));
    EXPECT_EQ(s.edit4->text(), QStringLiteral("100"));
    EXPECT_TRUE(s.RadioButton3->isChecked());
    // No profiles: the custom page and the profile controls are off.
    EXPECT_FALSE(s.ComboBox3->isEnabled());
    EXPECT_FALSE(s.Button2->isEnabled());
    EXPECT_FALSE(forms->Form1->TabSheet2->isEnabled());
    // The category list comes from the catalog file.
    EXPECT_EQ(s.ComboBox2->count(), 18);
    EXPECT_EQ(s.ComboBox2->itemText(17), QStringLiteral("Photography \\ Urban&Rural \\ Street"));
}

TEST_F(SettingsFileTest, EveryControlSurvivesSaveAndLoad)
{
    writeProfile("a.tsl", 2);
    writeProfile("old (2).tsl", 3);
    start();
    TForm2& s = settings();
    ASSERT_EQ(s.ComboBox3->count(), 2);

    s.CheckBox1->setChecked(false);
    s.CheckBox2->setChecked(true);
    s.CheckBox3->setChecked(false);
    s.CheckBox4->setChecked(true);
    forms->Form9->CheckBox1->setChecked(true);
    s.CheckBox5->setChecked(true);
    s.edit1->setText("45");
    s.ComboBox1->setCurrentIndex(1);
    s.edit2->setText("-20");
    s.edit3->setText("7");
    s.edit7->setText("0");
    s.ComboBox4->setCurrentIndex(1);
    s.edit5->setText("30");
    s.edit6->setText("-5");
    s.edit4->setText("12");
    s.ComboBox2->setCurrentIndex(16);
    s.RadioButton1->setChecked(true);
    s.RadioButton8->setChecked(true);
    s.ComboBox3->setCurrentIndex(s.ComboBox3->findText("old (2).tsl (3)"));
    s.HotKey1->setHotKey({0x74, true, true, false});
    s.SaveSettings(ini());
    EXPECT_EQ(IniFile(ini()).readString("CustomMode", "CurrentProfile", "?"), "old (2).tsl");

    // Spoil every control, then load the file back.
    s.CheckBox1->setChecked(true);
    s.CheckBox2->setChecked(false);
    s.CheckBox3->setChecked(true);
    s.CheckBox4->setChecked(false);
    forms->Form9->CheckBox1->setChecked(false);
    s.CheckBox5->setChecked(false);
    for (SpinEdit* edit : {s.edit1, s.edit2, s.edit3, s.edit4, s.edit5, s.edit6, s.edit7})
        edit->setText("999");
    s.ComboBox1->setCurrentIndex(0);
    s.ComboBox4->setCurrentIndex(0);
    s.ComboBox2->setCurrentIndex(0);
    s.RadioButton3->setChecked(true);
    s.RadioButton7->setChecked(true);
    s.ComboBox3->setCurrentIndex(-1);
    s.HotKey1->setHotKey({});
    s.LoadSettings(ini());

    EXPECT_FALSE(s.CheckBox1->isChecked());
    EXPECT_TRUE(s.CheckBox2->isChecked());
    EXPECT_FALSE(s.CheckBox3->isChecked());
    EXPECT_TRUE(s.CheckBox4->isChecked());
    EXPECT_TRUE(forms->Form9->CheckBox1->isChecked());
    EXPECT_TRUE(s.CheckBox5->isChecked());
    EXPECT_EQ(s.edit1->text(), "45");
    EXPECT_EQ(s.ComboBox1->currentIndex(), 1);
    EXPECT_EQ(s.edit2->text(), "-20");
    EXPECT_EQ(s.edit3->text(), "7");
    EXPECT_EQ(s.edit7->text(), "0");
    EXPECT_EQ(s.ComboBox4->currentIndex(), 1);
    EXPECT_EQ(s.edit5->text(), "30");
    EXPECT_EQ(s.edit6->text(), "-5");
    EXPECT_EQ(s.edit4->text(), "12");
    EXPECT_EQ(s.ComboBox2->currentIndex(), 16);
    EXPECT_EQ(forms->Form1->ComboBox2->currentIndex(), 16);
    EXPECT_TRUE(s.RadioButton1->isChecked());
    EXPECT_TRUE(s.RadioButton8->isChecked());
    EXPECT_EQ(s.ComboBox3->currentText(), "old (2).tsl (3)");
    EXPECT_EQ(forms->Form1->ComboBox1->currentText(), "old (2).tsl (3)");
    EXPECT_EQ(s.HotKey1->text(), "Shift+Ctrl+F5");
    EXPECT_TRUE(hotKeyWorks(platform::MOD_SHIFT | platform::MOD_CONTROL, 0x74));
    EXPECT_FALSE(hotKeyWorks(platform::MOD_ALT, 'R')); // the old hotkey was given up
}

TEST_F(SettingsFileTest, AProfileWhoseLineCountChangedIsSelectedWithTheNewCount)
{
    writeProfile("a.tsl", 2);
    writeIni("[CustomMode]\r\nCurrentProfile=a.tsl\r\n");
    start();
    EXPECT_EQ(settings().ComboBox3->currentText(), "a.tsl (2)");
    writeProfile("a.tsl", 5);
    settings().LoadSettings(ini());
    EXPECT_EQ(settings().ComboBox3->currentText(), "a.tsl (5)");
    EXPECT_EQ(forms->Form1->ComboBox1->currentText(), "a.tsl (5)");
}

TEST_F(SettingsFileTest, ValuesThatAreNotNumbersFollowTheirOwnDefaults)
{
    writeIni("[General]\r\nRunAtStartup=yes\r\nBallonTips=x\r\nAutoRunAtStartup=\r\n"
             "TransparentText=on\r\n[AutoMode]\r\nManagePosition=sure\r\nCategory=many\r\n"
             "Mode=x\r\nDisplayMethod=9\r\n[CustomMode]\r\nDisplayMethod=one\r\nMode=7\r\n");
    start();
    TForm2& s = settings();
    EXPECT_FALSE(s.CheckBox1->isChecked());
    EXPECT_FALSE(s.CheckBox2->isChecked());
    EXPECT_FALSE(s.CheckBox3->isChecked());
    EXPECT_TRUE(forms->Form9->CheckBox1->isChecked());
    EXPECT_TRUE(s.CheckBox5->isChecked());
    EXPECT_EQ(s.ComboBox2->currentIndex(), -1);
    EXPECT_EQ(forms->Form1->ComboBox2->currentIndex(), -1);
    EXPECT_EQ(s.ComboBox1->currentIndex(), -1);
    EXPECT_EQ(s.ComboBox4->currentIndex(), -1);
    EXPECT_TRUE(s.RadioButton3->isChecked());
    EXPECT_TRUE(s.RadioButton7->isChecked());
}

TEST_F(SettingsFileTest, ANumberLeftEmptyTakesBackItsLastValueAndNoneIsSavedEmpty)
{
    // An empty setting read back at the next start would stop the show or fail every step.
    writeIni("[General]\r\nTempSize=\r\n[AutoMode]\r\nReloadTime=soon\r\n");
    start();
    TForm2& s = settings();
    const std::vector<std::tuple<SpinEdit*, const char*, const char*>> edits = {
        {s.edit1, "AutoMode", "ReloadTime"}, {s.edit2, "AutoMode", "OffsetX"},
        {s.edit3, "AutoMode", "OffsetY"},    {s.edit7, "CustomMode", "ReloadTime"},
        {s.edit5, "CustomMode", "OffsetX"},  {s.edit6, "CustomMode", "OffsetY"},
        {s.edit4, "General", "TempSize"}};
    s.SaveSettings(ini());
    for (const auto& [edit, section, key] : edits)
        EXPECT_TRUE(parseInteger(IniFile(ini()).readString(section, key, ""))) << key;

    for (const auto& [edit, section, key] : edits) {
        const QString last = QString::number(std::max(edit->minValue(), 45));
        edit->setText(last);
        edit->setText(QString());
        s.SaveSettings(ini()); // while the field is still being edited
        EXPECT_EQ(IniFile(ini()).readString(section, key, ""), last) << key;
        emit edit->editingFinished();
        EXPECT_EQ(edit->text(), last) << key;
    }
}

TEST_F(SettingsFileTest, SaveLeavesDisplayMethodAloneWithoutACheckedButtonAndWritesAnEmptyProfile)
{
    writeIni("[AutoMode]\r\nDisplayMethod=2\r\n");
    writeProfile("a.tsl", 2); // listed, but no profile was ever chosen: none is selected
    start();
    TForm2& s = settings();
    EXPECT_EQ(s.ComboBox3->currentIndex(), -1);
    EXPECT_EQ(forms->Form1->ComboBox1->currentIndex(), -1);
    ASSERT_TRUE(s.RadioButton2->isChecked());
    uncheckAll({s.RadioButton1, s.RadioButton2, s.RadioButton3, s.RadioButton4});
    s.RadioButton5->setChecked(true);
    s.SaveSettings(ini());
    const IniFile file(ini());
    EXPECT_EQ(file.readString("AutoMode", "DisplayMethod", "?"), "2");
    EXPECT_EQ(file.readString("CustomMode", "DisplayMethod", "?"), "1");
    EXPECT_TRUE(file.valueExists("CustomMode", "CurrentProfile"));
    EXPECT_EQ(file.readString("CustomMode", "CurrentProfile", "?"), "");
    EXPECT_EQ(file.readString("AutoMode", "Category", "?"), "1");
    EXPECT_EQ(file.readString("General", "Hotkey", "?"), "Alt+R");
}

TEST_F(SettingsFileTest, AMissingUserFolderFailsTheSaveWithTheFileName)
{
    start();
    std::filesystem::remove_all(userData().toStdString());
    try {
        settings().SaveSettings(ini());
        FAIL() << "no error";
    } catch (const AppError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unable to write to %1").arg(ini()));
    }
}

TEST_F(SettingsFileTest, ManagedPositionDisablesTheAutomaticPositionGroup)
{
    writeIni("[AutoMode]\r\nManagePosition=1\r\n");
    start();
    TForm2& s = settings();
    EXPECT_FALSE(s.GroupBox1->isEnabled());
    EXPECT_FALSE(s.RadioButton1->isEnabled());
    EXPECT_EQ(s.edit2->palette().color(QPalette::Base), s.palette().color(QPalette::Button));
    s.CheckBox5->setChecked(false);
    EXPECT_TRUE(s.GroupBox1->isEnabled());
    EXPECT_EQ(s.edit3->palette().color(QPalette::Base), QColor(Qt::white));
}

TEST_F(SettingsFileTest, OnlyTheCheckedPositionIsBold)
{
    writeIni("[AutoMode]\r\nDisplayMethod=1\r\n[CustomMode]\r\nDisplayMethod=4\r\n");
    start();
    TForm2& s = settings();
    EXPECT_TRUE(s.RadioButton1->font().bold());
    for (QRadioButton* other : {s.RadioButton2, s.RadioButton3, s.RadioButton4, s.RadioButton5,
                                s.RadioButton6, s.RadioButton7})
        EXPECT_FALSE(other->font().bold()) << other->text().toStdString();
    EXPECT_TRUE(s.RadioButton8->font().bold());
}

TEST_F(SettingsFileTest, AnUnreadableCurrentProfileStillRegistersTheHotkeyAndCategory)
{
    writeProfile("a.tsl", 1);
    writeIni("[CustomMode]\r\nCurrentProfile=gone.tsl\r\n[AutoMode]\r\nCategory=3\r\n"
             "[General]\r\nHotkey=Ctrl+Alt+W\r\n");
    start();
    EXPECT_EQ(settings().ComboBox3->currentIndex(), -1);
    EXPECT_EQ(forms->Form1->ComboBox1->currentIndex(), -1);
    EXPECT_TRUE(hotKeyWorks(platform::MOD_CONTROL | platform::MOD_ALT, 'W'));
    EXPECT_EQ(forms->Form1->ComboBox2->currentIndex(), 3);
}

TEST_F(SettingsFileTest, AnUnparsableHotkeyGivesNoShortcut)
{
    writeIni("[General]\r\nHotkey=Hyper+Q\r\n");
    start();
    EXPECT_TRUE(settings().HotKey1->hotKey().isEmpty());
    EXPECT_EQ(settings().HotKey1->text(), "");
    EXPECT_FALSE(hotKeyWorks(platform::MOD_ALT, 'R'));
}

TEST_F(SettingsFileTest, SavingReappliesThePositionOnlyToTheProgramsOwnWallpaper)
{
    writeIni("[General]\r\nDefaultMode=custom\r\n");
    start();
    TForm2& s = settings();
    system.registry->createKey(platform::RootKey::CurrentUser, "Control Panel\\Desktop");
    system.registry->writeString(platform::RootKey::CurrentUser, "Control Panel\\Desktop",
                                 "Wallpaper", currentBitmapPath().toUpper().toStdString());
    s.RadioButton6->setChecked(true);
    desktop->calls.clear();
    s.SaveSettings(ini());
    EXPECT_TRUE(desktop->calls.empty()); // differs in letter case only: the user's wallpaper

    system.registry->writeString(platform::RootKey::CurrentUser, "Control Panel\\Desktop",
                                 "Wallpaper", currentBitmapPath().toStdString());
    s.SaveSettings(ini());
    EXPECT_EQ(regString("Control Panel\\Desktop", "TileWallpaper"), "1");
    ASSERT_EQ(desktop->calls.size(), 1u);
    EXPECT_EQ(desktop->calls[0].kind, RecordingDesktop::Call::ReloadWallpaper);
}

} // namespace

namespace {

TEST_F(SettingsFileTest, AMissingCategoryCatalogIsReportedAndTheSettingsAreNotLoaded)
{
    std::filesystem::remove((programDir() + "data/profiles.tsl").toStdString());
    writeIni("[General]\r\nBallonTips=1\r\n");
    start();
    // The main window's start-up reports the same file before.
    ASSERT_FALSE(dialogs.errors.isEmpty());
    EXPECT_TRUE(dialogs.errors.last().startsWith(
        QStringLiteral("Cannot open file \"%1data/profiles.tsl\".").arg(programDir())))
        << dialogs.errors.last().toStdString();
    EXPECT_FALSE(settings().CheckBox2->isChecked());
    // The windows after it are still created.
    EXPECT_NE(forms->Form12, nullptr);
}

} // namespace
