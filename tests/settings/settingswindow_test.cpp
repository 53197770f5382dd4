#include "app/forms.h"
#include "app/main.h"
#include "app/trayicon.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "common/timer.h"
#include "custommode/pedit.h"
#include "fixtures.h"
#include "platform/hotkeys.h"
#include "settings/advopt.h"
#include "settings/settings.h"
#include "settings/spinedit.h"
#include "testpictures.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class SettingsWindowTest : public WindowsFixture {
protected:
    TForm1& main() { return *forms->Form1; }
    TForm2& settings() { return *forms->Form2; }
    // A file of size bytes under UserDataDir.
    void writeUserFile(const std::string& name, std::size_t size)
    {
        const fs::path path = fs::path(userData().toStdString()) / name;
        fs::create_directories(path.parent_path());
        writeFileBytes(path.string(), std::string(size, 'x'));
    }
    // Shown as from the main window's menu, activation included.
    void showSettings()
    {
        settings().show();
        QApplication::processEvents();
    }
    // The user picks a reload unit from the list.
    static void chooseUnit(QComboBox* box, int index)
    {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    static bool topmost(const QWidget& window)
    {
        return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    }
    int balloonsShown() { return main().TrayIcon1->balloon().shown; }

    // Automatic steps find no service: they end at once.
    ScopedEnv service{"TAPESTRON_SERVICE_URL", std::string("http://127.0.0.1:9")};
};

TEST_F(SettingsWindowTest, ChoosingAUnitSetsItsRangeAndFirstValueButLoadingKeepsTheStoredValue)
{
    writeIni("[AutoMode]\r\nMode=1\r\nReloadTime=5\r\n[CustomMode]\r\nMode=1\r\nReloadTime=7\r\n");
    start();
    TForm2& s = settings();
    EXPECT_EQ(s.ComboBox1->currentIndex(), 1);
    EXPECT_EQ(s.edit1->text(), "5");
    EXPECT_EQ(s.edit7->text(), "7");

    for (auto [box, edit] : {std::pair{s.ComboBox1, s.edit1}, std::pair{s.ComboBox4, s.edit7}}) {
        chooseUnit(box, 0);
        EXPECT_EQ(edit->text(), "30");
        EXPECT_EQ(edit->minValue(), 30);
        EXPECT_EQ(edit->maxValue(), 180);
        edit->setText("45");
        chooseUnit(box, 1);
        EXPECT_EQ(edit->text(), "1");
        EXPECT_EQ(edit->minValue(), 1);
        EXPECT_EQ(edit->maxValue(), 48);
    }

    // What is typed keeps to the range as the arrows do, once the typing is done.
    const auto type = [](SpinEdit* edit, const QString& text) {
        edit->setText(text);
        emit edit->editingFinished();
        return edit->text();
    };
    chooseUnit(s.ComboBox1, 0);
    EXPECT_EQ(type(s.edit1, "500"), "180");
    EXPECT_EQ(type(s.edit1, "5"), "30");
    EXPECT_EQ(type(s.edit1, "45"), "45");
    EXPECT_EQ(type(s.edit4, "0"), "1");
    EXPECT_EQ(type(s.edit4, "101"), "100");
    EXPECT_EQ(type(s.edit2, "-5000"), "-5000"); // the origin has no bounds
}

TEST_F(SettingsWindowTest, ShowingDisablesTheMainWindowAndKeepsThisOneOnTopUntilHidden)
{
    start();
    TForm2& s = settings();
    const WId handle = s.winId();
    showSettings();
    EXPECT_TRUE(s.isVisible());
    EXPECT_FALSE(main().isEnabled());
    EXPECT_TRUE(topmost(s));
    EXPECT_EQ(s.winId(), handle); // the hotkey's window is still the same
    EXPECT_TRUE(system.hotkeys->pressKey(platform::MOD_ALT, 'R'));

    s.Button3->click(); // "Close"
    EXPECT_FALSE(s.isVisible());
    EXPECT_TRUE(main().isEnabled());
    EXPECT_FALSE(topmost(s));
}

TEST_F(SettingsWindowTest, ClosingThroughTheTitleBarLeavesTheHotkeyWorkingWhileTheShowIsStopped)
{
    writeIni("[General]\r\nHotkey=Ctrl+Alt+W\r\nAutoRunAtStartup=0\r\n"
             "[CustomMode]\r\nCurrentProfile=a.tsl\r\n");
    writeProfile("a.tsl", {bitmap("a.bmp"), bitmap("b.bmp")});
    start();
    main().SelectCustomMode();
    main().StopShow();
    showSettings();
    settings().close();
    EXPECT_FALSE(settings().isVisible());
    EXPECT_TRUE(main().isEnabled());

    ASSERT_TRUE(system.hotkeys->pressKey(platform::MOD_CONTROL | platform::MOD_ALT, 'W'));
    EXPECT_TRUE(main().Timer2->enabled());
    EXPECT_TRUE(main().Timer4->enabled());
    EXPECT_EQ(regString("Control Panel\\Desktop", "Wallpaper"), currentBitmapPath());
}

TEST_F(SettingsWindowTest, ApplyInAutomaticModeFetchesOnlyWhenTheCategoryChanged)
{
    start();
    TForm1& m = main();
    TForm2& s = settings();
    m.SelectAutomaticMode();
    showSettings();
    s.edit1->setText("2");
    s.ComboBox1->setCurrentIndex(1);
    const int before = balloonsShown();

    s.Button1->click(); // "Apply"
    EXPECT_EQ(m.ShowInterval(), 7'200'000u);
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(balloonsShown(), before); // no "Getting new Wallpaper..."
    IniFile file(settingsFilePath());
    EXPECT_EQ(file.readString("AutoMode", "ReloadTime", ""), "2");
    EXPECT_EQ(file.readString("AutoMode", "Mode", ""), "1");

    showSettings();
    s.ComboBox2->setCurrentIndex(s.ComboBox2->currentIndex() + 1);
    s.Button1->click();
    EXPECT_FALSE(s.isVisible());
    EXPECT_GT(balloonsShown(), before);
    EXPECT_EQ(m.TrayIcon1->balloon().title, "Update");
}

TEST_F(SettingsWindowTest, ApplyInCustomModeTakesTheCustomIntervalAndWithoutAModeOnlyTheHotkey)
{
    writeProfile("a.tsl", {bitmap("a.bmp")});
    start();
    TForm1& m = main();
    TForm2& s = settings();
    m.SelectCustomMode();
    showSettings();
    s.edit1->setText("3");
    s.edit7->setText("45");
    s.Button1->click();
    EXPECT_EQ(m.ShowInterval(), 2'700'000u);
    EXPECT_FALSE(s.isVisible());
    EXPECT_EQ(IniFile(settingsFilePath()).readString("CustomMode", "ReloadTime", ""), "45");

    QFile::remove(settingsFilePath());
    m.AutomaticWallpaperShow1->setChecked(false);
    m.CustomSlideShow1->setChecked(false);
    showSettings();
    s.edit7->setText("60");
    s.Button1->click();
    EXPECT_TRUE(s.isVisible());
    EXPECT_EQ(m.ShowInterval(), 2'700'000u);
    EXPECT_FALSE(QFile::exists(settingsFilePath()));
    EXPECT_TRUE(system.hotkeys->pressKey(platform::MOD_ALT, 'R'));
}

TEST_F(SettingsWindowTest, TheSizeTextCountsTheCachedBitmapsOnly)
{
    start();
    showSettings();
    EXPECT_EQ(settings().Label4->text(), "Current size is 0 MB in 0 file(s).");

    writeUserFile("Temp/a.bmp", 4'500'000);
    writeUserFile("Temp/b.bmp", 4'500'000);
    writeUserFile("Temp/old/c.bmp", 4'500'000);
    writeUserFile("Temp/d.jpg", 4'500'000);
    writeUserFile("e.bmp", 4'500'000);
    settings().FormActivate();
    EXPECT_EQ(settings().Label4->text(), "Current size is 13 MB in 3 file(s).");
}

TEST_F(SettingsWindowTest, ClearTempDeletesCachedBitmapsOnYesAndRefreshesWhateverTheAnswer)
{
    start();
    TForm2& s = settings();
    showSettings();
    writeUserFile("Temp/a.bmp", 1'000'000);
    writeUserFile("Temp/old/b.bmp", 1'000'000);
    writeUserFile("Temp/c.jpg", 10);
    writeUserFile("keep.bmp", 10);

    s.CheckBox4->setChecked(true); // not saved
    dialogs.answers = {false};
    s.Button4->click();
    EXPECT_EQ(dialogs.questions, QStringList{"Delete temp files?"});
    EXPECT_FALSE(s.CheckBox4->isChecked());
    EXPECT_EQ(s.Label4->text(), "Current size is 2 MB in 2 file(s).");

    dialogs.answers = {true};
    s.Button4->click();
    EXPECT_EQ(s.Label4->text(), "Current size is 0 MB in 0 file(s).");
    EXPECT_FALSE(QFile::exists(userData() + "/Temp/old/b.bmp"));
    EXPECT_TRUE(QFile::exists(userData() + "/Temp/c.jpg"));
    EXPECT_TRUE(QFile::exists(userData() + "/keep.bmp"));
}

TEST_F(SettingsWindowTest, ReturningFromAnotherWindowOfTheProgramRefreshesButNotFromAnotherProgram)
{
    start();
    TForm2& s = settings();
    showSettings();
    QWindow* self = static_cast<QWidget&>(s).windowHandle();

    s.CheckBox4->setChecked(true);
    s.focusWindowChanged(nullptr); // the user went to another application
    s.focusWindowChanged(self);
    EXPECT_TRUE(s.CheckBox4->isChecked());

    forms->Form7->winId();
    s.focusWindowChanged(forms->Form7->windowHandle());
    s.focusWindowChanged(self);
    EXPECT_FALSE(s.CheckBox4->isChecked());
}

TEST_F(SettingsWindowTest, EditOpensTheSelectedProfileOrAsksForOne)
{
    writeProfile("a.tsl", {"C:\\one.jpg", "C:\\two.jpg"});
    start();
    TForm2& s = settings();
    showSettings();
    s.ComboBox3->setCurrentIndex(-1);
    s.Button2->click();
    EXPECT_EQ(dialogs.messages, QStringList{"Select a profile to edit."});
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_FALSE(forms->Form7->isVisible());

    s.ComboBox3->setCurrentIndex(0);
    s.Button2->click();
    TForm7& editor = *forms->Form7;
    EXPECT_TRUE(editor.isVisible());
    ASSERT_EQ(editor.ListBox1->count(), 2);
    EXPECT_EQ(editor.ListBox1->item(1)->text(), "C:\\two.jpg");
    EXPECT_EQ(editor.ListBox1->currentRow(), 0);
    EXPECT_EQ(editor.mode(), TForm7::Mode::Edit);
    EXPECT_TRUE(s.isVisible());
}

TEST_F(SettingsWindowTest, AdvancedSavesFirstThenShowsTheAdvancedOptions)
{
    system.registry->createKey(platform::RootKey::CurrentUser, "Control Panel\\Colors");
    system.registry->writeString(platform::RootKey::CurrentUser, "Control Panel\\Colors",
                                 "Background", "1 2 3");
    start();
    TForm2& s = settings();
    showSettings();
    s.CheckBox4->setChecked(true);
    s.BitBtn1->click();
    EXPECT_TRUE(IniFile(settingsFilePath()).readBool("General", "CheckForUpdate", false));
    EXPECT_TRUE(forms->Form9->isVisible());
    EXPECT_FALSE(s.isEnabled());
    EXPECT_FALSE(main().isEnabled());
}

class ShowAtStartTest : public SettingsWindowTest {};

TEST_F(ShowAtStartTest, AutomaticRunStartsTheShowOfTheSavedModeWithAFirstWallpaper)
{
    writeProfile("a.tsl", {bitmap("a.bmp"), bitmap("b.bmp")});
    writeIni("[General]\r\nAutoRunAtStartup=1\r\nDefaultMode=custom\r\n"
             "[CustomMode]\r\nCurrentProfile=a.tsl\r\nReloadTime=2\r\nMode=1\r\n");
    start();
    TForm1& m = main();
    EXPECT_TRUE(m.Timer2->enabled());
    EXPECT_TRUE(m.Timer4->enabled());
    EXPECT_EQ(m.ShowInterval(), 7'200'000u);
    EXPECT_FALSE(m.Start1->isEnabled());
    EXPECT_TRUE(m.Stop1->isEnabled());
    EXPECT_TRUE(QFile::exists(currentBitmapPath()));
    EXPECT_EQ(regString("Control Panel\\Desktop", "Wallpaper"), currentBitmapPath());
    EXPECT_EQ(m.showList(), QStringList{tempPath("b.bmp")});
}

TEST_F(ShowAtStartTest, AutomaticRunInAutomaticModeFetchesAndTakesTheAutomaticInterval)
{
    writeIni("[General]\r\nAutoRunAtStartup=1\r\nDefaultMode=auto\r\n"
             "[AutoMode]\r\nReloadTime=45\r\nMode=0\r\n");
    start();
    TForm1& m = main();
    // The step began: it keeps the user's own wallpaper first.
    EXPECT_TRUE(IniFile(settingsFilePath()).sectionExists("OriginalWallpaper"));
    EXPECT_EQ(m.TrayIcon1->balloon().title, "Update");
    EXPECT_TRUE(m.Timer2->enabled());
    EXPECT_EQ(m.ShowInterval(), 2'700'000u);
    EXPECT_FALSE(m.Start1->isEnabled());
}

TEST_F(ShowAtStartTest, WithoutAutomaticRunASavedModeStopsTheShowAndWithoutAModeNothingHappens)
{
    writeProfile("a.tsl", {bitmap("a.bmp")});
    writeIni("[General]\r\nAutoRunAtStartup=0\r\nDefaultMode=custom\r\n"
             "[CustomMode]\r\nCurrentProfile=a.tsl\r\n");
    start();
    EXPECT_FALSE(main().Timer2->enabled());
    EXPECT_FALSE(main().Timer4->enabled());
    EXPECT_FALSE(main().Stop1->isEnabled());
    EXPECT_TRUE(main().Start1->isEnabled());
    EXPECT_FALSE(QFile::exists(currentBitmapPath()));

    // The first run: no file, no mode; the settings window neither starts nor stops the show, and
    // the wizard, shown then, stops it.
    forms.reset();
    QFile::remove(settingsFilePath());
    start();
    EXPECT_FALSE(main().Timer2->enabled());
    EXPECT_FALSE(main().Timer4->enabled());
    EXPECT_FALSE(main().Stop1->isEnabled());
    EXPECT_TRUE(main().Start1->isEnabled());
}

} // namespace
