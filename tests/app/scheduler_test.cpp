#include "app/forms.h"
#include "app/main.h"
#include "app/statusbar.h"
#include "app/trayicon.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "common/showinterval.h"
#include "common/timer.h"
#include "custommode/pedit.h"
#include "custommode/profiles.h"
#include "fixtures.h"
#include "platform/hotkeys.h"
#include "settings/settings.h"
#include "settings/spinedit.h"
#include "testpictures.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <utility>

namespace {

TEST(Countdown, HoursMinutesSeconds)
{
    EXPECT_EQ(FormatCountdown(3725), "01:02:05");
    EXPECT_EQ(FormatCountdown(1800), "00:30:00");
    EXPECT_EQ(FormatCountdown(90061), "25:01:01");
    EXPECT_EQ(FormatCountdown(360000), "100:00:00");
    EXPECT_EQ(FormatCountdown(0), "00:00:00");
    EXPECT_EQ(FormatCountdown(-5), "00:00:00");
    EXPECT_EQ(FormatCountdown(-3725), "00:00:00");
}

TEST(ReloadPeriod, MinutesHoursAndWhatIsNotANumber)
{
    EXPECT_EQ(reloadPeriod(QStringLiteral("45"), 0), 2'700'000u);
    EXPECT_EQ(reloadPeriod(QStringLiteral("2"), 1), 7'200'000u);
    EXPECT_EQ(reloadPeriod(QStringLiteral("0"), 0), 0u);
    EXPECT_EQ(reloadPeriod(QStringLiteral("abc"), 0), std::nullopt);
    EXPECT_EQ(reloadPeriod(QStringLiteral("5"), -1), std::nullopt);
    EXPECT_EQ(reloadPeriod(QStringLiteral("5"), 2), std::nullopt);
    // Products beyond 32 bits, or below zero, are held at the largest period.
    EXPECT_EQ(reloadPeriod(QStringLiteral("9999"), 1), 0x7FFFFFFFu);
    EXPECT_EQ(reloadPeriod(-1, 0), 0x7FFFFFFFu);
    EXPECT_EQ(reloadPeriod(71582, 0), 4'294'920'000u); // fits: the timer holds it at its largest
}

class SchedulerTest : public WindowsFixture {
protected:
    TForm1& main() { return *forms->Form1; }
    static bool running(const Timer& timer) { return timer.findChild<QTimer*>()->isActive(); }
    // Custom mode on profile a (a, b), with profile z (y, z) beside it in the list.
    void startWithTwoProfiles()
    {
        writeProfile("a.tsl", {bitmap("a.bmp"), bitmap("b.bmp")});
        writeProfile("z.tsl", {bitmap("y.bmp"), bitmap("z.bmp")});
        writeIni("[CustomMode]\r\nCurrentProfile=a.tsl\r\n");
        start();
        main().SelectCustomMode();
        main().ListProfiles();
    }
};

TEST_F(SchedulerTest, StopThenReloadRunsTheTimersAgainButKeepsTheMenus)
{
    start();
    main().StopShow();
    EXPECT_FALSE(main().Timer2->enabled());
    EXPECT_FALSE(main().Timer4->enabled());
    EXPECT_FALSE(main().Stop1->isEnabled());
    EXPECT_TRUE(main().Start2->isEnabled());
    main().TrayIcon1->setTip("Next Wallpaper in 00:00:10");
    main().ReloadWallpaper1->trigger();
    EXPECT_TRUE(main().Timer2->enabled());
    EXPECT_TRUE(main().Timer4->enabled());
    EXPECT_EQ(main().TrayIcon1->tip(), "");
    EXPECT_TRUE(main().Start1->isEnabled());
    EXPECT_FALSE(main().Stop1->isEnabled());

    main().Start1->trigger();
    EXPECT_FALSE(main().Start1->isEnabled());
    EXPECT_TRUE(main().Stop1->isEnabled());
    EXPECT_TRUE(main().Stop2->isEnabled());
    EXPECT_FALSE(main().Start2->isEnabled());
}

TEST_F(SchedulerTest, AModeSwitchWhileStoppedStartsOnlyTheChangeTimer)
{
    start();
    main().StopShow();
    main().TrayIcon1->setTip("Next Wallpaper in 00:01:00");
    main().AutomaticWallpaperShow1->trigger();
    EXPECT_TRUE(main().Timer2->enabled());
    EXPECT_FALSE(main().Timer4->enabled());
    EXPECT_EQ(main().TrayIcon1->tip(), "Next Wallpaper in 00:01:00");
}

TEST_F(SchedulerTest, ATickTakesTheLiveReloadValueAndTheCountdownFollows)
{
    start();
    TForm2& settings = *forms->Form2;
    settings.edit1->setText("45"); // not applied: the next tick uses it all the same
    settings.ComboBox1->setCurrentIndex(0);
    main().Timer2Timer();
    EXPECT_EQ(main().ShowInterval(), 2'700'000u);
    EXPECT_TRUE(main().Timer2->enabled());
    main().Timer4Timer();
    EXPECT_EQ(main().TrayIcon1->tip(), "Next Wallpaper in 00:44:59");
    main().Timer4Timer();
    EXPECT_EQ(main().TrayIcon1->tip(), "Next Wallpaper in 00:44:58");

    settings.edit1->setText("soon"); // not a number: the period stays
    main().Timer2Timer();
    EXPECT_EQ(main().ShowInterval(), 2'700'000u);
    EXPECT_EQ(main().countdownElapsed(), 0);
}

TEST_F(SchedulerTest, TheModeSwitchTakesThePeriodFromTheFileOfItsMode)
{
    writeIni("[AutoMode]\r\nMode=1\r\nReloadTime=2\r\n[CustomMode]\r\nMode=0\r\nReloadTime=5\r\n");
    start();
    main().SelectAutomaticMode();
    EXPECT_EQ(main().ShowInterval(), 7'200'000u);
    EXPECT_EQ(IniFile(settingsFilePath()).readString("General", "DefaultMode", "?"), "auto");
}

TEST_F(SchedulerTest, WithoutModeValuesTheSwitchKeepsThePeriodAndWritesNoFile)
{
    start();
    EXPECT_EQ(main().ShowInterval(), 30'000u);
    main().StatusBar1->setPanelText(2, "Lake at dawn");
    main().SelectAutomaticMode();
    EXPECT_EQ(main().ShowInterval(), 30'000u);
    EXPECT_FALSE(QFile::exists(settingsFilePath()));
    EXPECT_EQ(main().StatusBar1->panelText(2), "");
}

TEST_F(SchedulerTest, CustomModeWithoutProfilesOnlyExplains)
{
    writeIni("[General]\r\nDefaultMode=auto\r\nAutoRunAtStartup=0\r\n");
    start();
    main().CustomWallpaperShow1->trigger();
    EXPECT_EQ(dialogs.messages, QStringList{"Run Wizard to configure custom profiles. Go to menu "
                                            "under Method - Run Wizard."});
    EXPECT_TRUE(main().AutomaticWallpaperShow1->isChecked());
    EXPECT_TRUE(main().AutomaticWallpaperShow2->isChecked());
    EXPECT_EQ(main().PageControl1->currentWidget(), main().TabSheet1);
    EXPECT_FALSE(main().Timer2->enabled());
    EXPECT_EQ(IniFile(settingsFilePath()).readString("General", "DefaultMode", "?"), "auto");
}

TEST_F(SchedulerTest, CustomModeSwitchesPageMenusAndPeriod)
{
    writeProfile("a.tsl", {bitmap("a.bmp")});
    writeIni("[General]\r\nDefaultMode=auto\r\n[CustomMode]\r\nMode=1\r\nReloadTime=3\r\n");
    start();
    main().CustomSlideShow1->trigger();
    EXPECT_EQ(main().PageControl1->currentWidget(), main().TabSheet2);
    EXPECT_TRUE(main().CustomSlideShow1->isChecked());
    EXPECT_TRUE(main().CustomWallpaperShow1->isChecked());
    EXPECT_FALSE(main().button4->isEnabled());
    EXPECT_EQ(main().ShowInterval(), 10'800'000u);
    EXPECT_EQ(IniFile(settingsFilePath()).readString("General", "DefaultMode", "?"), "custom");
}

TEST_F(SchedulerTest, ACustomPeriodOfZeroNeverTicks)
{
    writeProfile("a.tsl", {bitmap("a.bmp")});
    writeIni("[CustomMode]\r\nCurrentProfile=a.tsl\r\n");
    start();
    main().SelectCustomMode();
    forms->Form2->edit7->setText("0");
    forms->Form2->ComboBox4->setCurrentIndex(0);
    main().Timer2Timer();
    EXPECT_EQ(main().ShowInterval(), 0u);
    EXPECT_TRUE(main().Timer2->enabled());
    EXPECT_FALSE(running(*main().Timer2));
}

TEST_F(SchedulerTest, TheTidyUpEnablesTheReloadCommandsAndClearsTheTray)
{
    start();
    main().button4->setEnabled(false);
    main().button3->setEnabled(false);
    main().ReloadWallpaper1->setEnabled(false);
    main().TrayIcon1->setAnimated(true);
    main().ShowBalloon("New Wallpaper set successfully!");
    const int shown = main().TrayIcon1->balloon().shown;
    ASSERT_TRUE(main().TrayIcon1->balloonOnScreen());
    main().TrayIcon1->setClock([] { return std::int64_t{1} << 40; }); // long since shown
    main().Timer3Timer();
    EXPECT_TRUE(main().button4->isEnabled());
    EXPECT_TRUE(main().button3->isEnabled());
    EXPECT_TRUE(main().ReloadWallpaper1->isEnabled());
    EXPECT_FALSE(main().TrayIcon1->animated());
    EXPECT_EQ(main().TrayIcon1->balloon().text, "");
    EXPECT_FALSE(main().TrayIcon1->balloonOnScreen());
    // The tidy-up keeps ticking; taking the balloon away never shows another, blank one.
    main().Timer3Timer();
    EXPECT_EQ(main().TrayIcon1->balloon().shown, shown);
}

TEST_F(SchedulerTest, BeforeEveryWindowExistsOnlyExitIsTakenAndItEndsTheStart)
{
    writeProfile("a.tsl", {bitmap("a.bmp"), bitmap("b.bmp")});
    writeIni("[General]\r\nDefaultMode=custom\r\n[CustomMode]\r\nCurrentProfile=a.tsl\r\n");
    forms = std::make_unique<Forms>(context);
    bool laterWindowsMissing = false;
    // The start's own step runs while the settings window is created and the later ones are not.
    desktop->duringReload = [&] {
        laterWindowsMissing = !forms->Form3 && !forms->Form4 && !forms->Form11;
        for (QAction* command : {main().About1, main().Manage1, main().RunWizzard1,
                                 main().Settings1, main().Restore2, main().ReloadWallpaper1})
            command->trigger();
        main().Timer2->onTimer();
        main().TrayIcon1->onOpen();
        main().Exit1->trigger();
    };
    EXPECT_EQ(forms->createWindows(), Forms::Start::Exit);
    EXPECT_TRUE(laterWindowsMissing);
    EXPECT_TRUE(dialogs.questions.isEmpty()) << "the wizard's question was not asked";
    EXPECT_FALSE(main().isVisible());
    EXPECT_EQ(forms->Form12, nullptr) << "no window is created after Exit";
    EXPECT_EQ(main().showList(), QStringList{tempPath("b.bmp")}) << "only the start's step ran";
}

TEST_F(SchedulerTest, ATickDuringAStepIsDroppedNotNested)
{
    writeProfile("a.tsl", {bitmap("a.bmp"), bitmap("b.bmp"), bitmap("c.bmp")});
    writeIni("[CustomMode]\r\nCurrentProfile=a.tsl\r\n");
    start();
    main().SelectCustomMode();
    int nested = 0;
    desktop->duringReload = [&] {
        if (nested++ == 0) {
            main().Timer2Timer();
            main().ReloadWallpaper(TForm1::ReloadSource::CustomPage);
        }
    };
    main().ReloadWallpaper(TForm1::ReloadSource::CustomPage);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(main().showList(), (QStringList{tempPath("b.bmp"), tempPath("c.bmp")}));
    // The next step runs normally.
    desktop->duringReload = nullptr;
    main().ReloadWallpaper(TForm1::ReloadSource::CustomPage);
    EXPECT_EQ(main().showList(), QStringList{tempPath("c.bmp")});
}

TEST_F(SchedulerTest, AProfileSelectedDuringAStepRunsOnceItEnds)
{
    startWithTwoProfiles();
    int steps = 0;
    desktop->duringReload = [&] {
        if (steps++ > 0)
            return;
        main().ComboBox1->setCurrentIndex(main().ComboBox1->findText("z.tsl", Qt::MatchStartsWith));
        main().BitBtn1->click();
    };
    main().ReloadWallpaper(TForm1::ReloadSource::CustomPage);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(main().showList(), QStringList{tempPath("z.bmp")});
    EXPECT_EQ(IniFile(settingsFilePath()).readString("CustomMode", "CurrentProfile", ""), "z.tsl");
}

// The editor's "Finish" and a deletion, during a step, replace the list only once the step has
// taken its entry from it.
TEST_F(SchedulerTest, TheShowListIsReplacedOnlyOnceTheStepUnderWayEnds)
{
    startWithTwoProfiles();
    const auto duringAStep = [&](const std::function<void()>& replace) {
        // Once; the closure outlives its removal until the end of the statement.
        desktop->duringReload = [&] { std::exchange(desktop->duringReload, nullptr), replace(); };
        main().ReloadWallpaper(TForm1::ReloadSource::CustomPage);
    };
    duringAStep([&] {
        forms->Form7->openForEdit({bitmap("c.bmp"), bitmap("d.bmp")}, {profilePath("a.tsl")});
        forms->Form7->button1->click();
    });
    EXPECT_EQ(main().showList(), (QStringList{tempPath("c.bmp"), tempPath("d.bmp")}));
    duringAStep([&] {
        dialogs.answers = {true};
        main().BitBtn9->click();
    });
    EXPECT_EQ(main().showList(), (QStringList{tempPath("y.bmp"), tempPath("z.bmp")}));
}

} // namespace

namespace {

TEST_F(SchedulerTest, TheHotkeyReloadsEvenWhileTheShowIsStopped)
{
    writeProfile("a.tsl", {bitmap("a.bmp"), bitmap("b.bmp")});
    writeIni("[CustomMode]\r\nCurrentProfile=a.tsl\r\n[General]\r\nHotkey=Ctrl+Alt+W\r\n");
    start();
    main().SelectCustomMode();
    main().StopShow();
    ASSERT_TRUE(system.hotkeys->pressKey(platform::MOD_CONTROL | platform::MOD_ALT, 'W'));
    EXPECT_TRUE(main().Timer2->enabled());
    EXPECT_TRUE(main().Timer4->enabled());
    EXPECT_EQ(regString("Control Panel\\Desktop", "Wallpaper"), currentBitmapPath());
    EXPECT_EQ(main().showList(), QStringList{tempPath("b.bmp")});
}

} // namespace
