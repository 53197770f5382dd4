#include "app/forms.h"
#include "app/main.h"
#include "app/statusbar.h"
#include "app/trayicon.h"
#include "fixtures.h"
#include "layoutcheck.h"
#include "online/update.h"
#include "platform/registry.h"
#include "plugins/finfo.h"
#include "plugins/pluginman.h"
#include "settings/advopt.h"
#include "settings/settings.h"
#include "windows/about.h"
#include "windows/previewbox.h"
#include "wizard/wizard.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <tuple>

namespace {

class MainWindowTest : public WindowsFixture {
protected:
    TForm1& main() { return *forms->Form1; }
    static QMenu* menuOf(QAction* item) { return qobject_cast<QMenu*>(item->parent()); }
    // A click on an item of the open tray menu, as the mouse delivers it.
    void clickTrayItem(QAction* item)
    {
        QMenu* menu = main().PopupMenu1;
        menu->popup(QPoint(0, 0));
        const QPointF at = menu->actionGeometry(item).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, menu->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(menu, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, menu->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(menu, &release);
        menu->hide();
    }
};

TEST_F(MainWindowTest, CloseAndMinimiseHideAndTheProgramGoesOn)
{
    start();
    main().show();
    EXPECT_FALSE(main().close());
    EXPECT_FALSE(main().isVisible());
    main().show();
    main().setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(main().isVisible());
    main().Close1->trigger();
    EXPECT_TRUE(main().exitRequested());
}

TEST_F(MainWindowTest, MenusStartWithTheirDefaultsAndTheAutomaticModeChecked)
{
    start();
    TForm1& m = main();
    EXPECT_EQ(menuOf(m.Settings1)->defaultAction(), m.Settings1);
    EXPECT_EQ(m.PopupMenu1->defaultAction(), m.ReloadWallpaper1);
    EXPECT_EQ(menuOf(m.AutomaticWallpaperShow2)->defaultAction(), m.AutomaticWallpaperShow2);
    for (QAction* item : {m.AutomaticWallpaperShow1, m.CustomSlideShow1, m.AutomaticWallpaperShow2,
                          m.CustomWallpaperShow1}) {
        EXPECT_TRUE(item->isCheckable());
        ASSERT_NE(item->actionGroup(), nullptr);
        EXPECT_TRUE(item->actionGroup()->isExclusive());
    }
    EXPECT_TRUE(m.AutomaticWallpaperShow1->isChecked());
    EXPECT_TRUE(m.AutomaticWallpaperShow2->isChecked());
    EXPECT_FALSE(m.CustomSlideShow1->isChecked());
    EXPECT_EQ(m.TrayIcon1->menu(), m.PopupMenu1);
    EXPECT_EQ(m.PopupMenu1->actions().last(), m.Exit1);

    // A click on a radio item does not by itself change the mode: both menus still agree.
    m.CustomWallpaperShow1->trigger();
    EXPECT_TRUE(m.AutomaticWallpaperShow1->isChecked());
    EXPECT_TRUE(m.AutomaticWallpaperShow2->isChecked());
    m.setModeChecks(false);
    EXPECT_TRUE(m.CustomSlideShow1->isChecked());
    EXPECT_TRUE(m.CustomWallpaperShow1->isChecked());
    EXPECT_EQ(menuOf(m.CustomSlideShow1)->defaultAction(), m.CustomSlideShow1);
    EXPECT_EQ(menuOf(m.CustomWallpaperShow1)->defaultAction(), m.CustomWallpaperShow1);
}

TEST_F(MainWindowTest, BalloonsFollowTheConventionAndStayAwayWhenDisabled)
{
    start();
    main().ShowBalloon("New Wallpaper set successfully!");
    const TrayIcon::Balloon& balloon = main().TrayIcon1->balloon();
    EXPECT_EQ(balloon.title, "Update");
    EXPECT_EQ(balloon.text, "New Wallpaper set successfully!");
    EXPECT_EQ(balloon.timeoutMs, 20000);
    EXPECT_TRUE(balloon.information);
    EXPECT_EQ(balloon.shown, 1);

    forms->Form2->CheckBox2->setChecked(true);
    main().ShowBalloon("Can not set wallpaper.");
    EXPECT_EQ(main().TrayIcon1->balloon().shown, 1);
    EXPECT_EQ(main().TrayIcon1->balloon().text, "New Wallpaper set successfully!");
}

TEST_F(MainWindowTest, TheStatusBarShowsTheResolutionAndCarriesTheProgressBarOverPanelOne)
{
    start();
    main().show();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(
        main().StatusBar1->panelText(0),
        QStringLiteral("Screen Resolution: %1 x %2").arg(screen.width()).arg(screen.height()));
    EXPECT_EQ(main().StatusBar1->panelRect(0).width(), 170);
    EXPECT_EQ(main().StatusBar1->panelRect(1).width(), 100);
    EXPECT_EQ(main().StatusBar1->panelRect(2).width(), 150);
    EXPECT_EQ(main().StatusBar1->ProgressBar1->geometry(), main().StatusBar1->panelRect(1));

    // A body of unknown size leaves the bar empty instead of busy; a known size fills it.
    QProgressBar& bar = *main().StatusBar1->ProgressBar1;
    StatusBarProgress progress(bar);
    progress.workBegin(0);
    progress.work(5000);
    EXPECT_GT(bar.maximum(), bar.minimum()) << "a bar without a range shows a busy animation";
    EXPECT_EQ(bar.value(), 0);
    progress.workBegin(1000);
    progress.work(400);
    EXPECT_EQ(bar.maximum(), 1000);
    EXPECT_EQ(bar.value(), 400);
    EXPECT_EQ(main().StatusBar1->ProgressBar1->parentWidget(), main().StatusBar1);

    main().StatusBar1->setPanelText(0, QString());
    main().hide();
    main().Restore1Click(); // shown again: the text is back
    EXPECT_TRUE(main().StatusBar1->panelText(0).startsWith("Screen Resolution: "));
}

TEST_F(MainWindowTest, TheUpdatePromptBlocksTheTrayCommandsButNotTheDoubleClick)
{
    start();
    forms->Form6->show();
    main().Restore1Click();
    EXPECT_FALSE(main().isVisible());
    main().Settings2Click();
    EXPECT_FALSE(forms->Form2->isVisible());
    main().TrayIcon1DblClick();
    EXPECT_TRUE(main().isVisible());
    main().Settings1Click();
    EXPECT_TRUE(forms->Form2->isVisible());
    forms->Form2->hide();
    forms->Form6->hide();
    main().Settings2Click();
    EXPECT_TRUE(forms->Form2->isVisible());
}

TEST_F(MainWindowTest, TheTrayMenuKeepsWorkingWhileTheSettingsOrAdvancedWindowIsOpen)
{
    system.registry->createKey(platform::RootKey::CurrentUser, "Control Panel\\Colors");
    system.registry->writeString(platform::RootKey::CurrentUser, "Control Panel\\Colors",
                                 "Background", "0 0 0");
    start();
    TForm1& m = main();
    for (QWidget* secondary :
         {static_cast<QWidget*>(forms->Form2.get()), static_cast<QWidget*>(forms->Form9.get())}) {
        secondary->show();
        ASSERT_FALSE(m.isEnabled());
        m.Timer4Timer();
        ASSERT_GT(m.countdownElapsed(), 0);
        const int balloons = m.TrayIcon1->balloon().shown;
        clickTrayItem(m.ReloadWallpaper1);
        EXPECT_EQ(m.countdownElapsed(), 0);
        EXPECT_GT(m.TrayIcon1->balloon().shown, balloons); // "Getting new Wallpaper..."
        m.Timer3Timer(); // the tidy-up after the step enables the reload commands again
    }
    clickTrayItem(m.Exit1);
    EXPECT_TRUE(m.exitRequested());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(MainWindowTest, RunWizardAsksFirst)
{
    writeIni("[General]\r\nDefaultMode=auto\r\n"); // not a first start: no wizard at once
    start();
    dialogs.answers = {false, true};
    main().RunWizzard1->trigger();
    EXPECT_FALSE(forms->Form4->isVisible());
    main().RunWizzard1->trigger();
    EXPECT_TRUE(forms->Form4->isVisible());
    ASSERT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(dialogs.questions[0], "You are about to run a Wizard. This might overwrite some of "
                                    "your current settings. Do you want to continue?");
}

TEST_F(MainWindowTest, MoreProfilesOpensTheServicePage)
{
    ScopedEnv service("TAPESTRON_SERVICE_URL", std::string("http://wallpapers.test:9000/"));
    start();
    main().GetmoreProfilesforTapestron1->trigger();
    EXPECT_EQ(shell->opened, std::vector<std::string>{"http://wallpapers.test:9000/profiles.html"});
}

TEST_F(MainWindowTest, BothPreviewBoxesStartWithThePlaceholder)
{
    start();
    for (PreviewBox* box : {main().Image1, main().Image2}) {
        const QImage& picture = box->picture();
        ASSERT_EQ(picture.size(), QSize(421, 270));
        // The placeholder is 4:3: white bars left and right of it.
        EXPECT_EQ(picture.pixelColor(5, 135), QColor(Qt::white));
        EXPECT_NE(picture.pixelColor(210, 135), QColor(Qt::white));
    }
}

TEST_F(MainWindowTest, PickingAnotherEntryWaitsForSelect)
{
    start();
    TForm1& m = main();
    m.BitBtn6->setEnabled(false);
    m.ComboBox2Change();
    EXPECT_TRUE(m.BitBtn6->isEnabled());
    EXPECT_FALSE(m.button4->isEnabled());
    m.BitBtn1->setEnabled(false);
    m.ComboBox1Change();
    // (The custom page itself is off while there are no profiles.)
    EXPECT_TRUE(m.BitBtn1->isEnabledTo(m.TabSheet2));
    EXPECT_FALSE(m.BitBtn3->isEnabledTo(m.TabSheet2));
    EXPECT_TRUE(m.BitBtn6->font().bold());
    EXPECT_EQ(m.BitBtn10->toolTip(), "Preview wallpapers in selected category. You must be "
                                     "connected to the internet to view them.");
}

TEST_F(MainWindowTest, RestoringWithNothingSavedChangesNothing)
{
    start();
    main().Restore2->trigger();
    EXPECT_TRUE(desktop->calls.empty());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(MainWindowTest, BothPagesShowEveryControlWhole)
{
    start();
    main().show();
    QApplication::processEvents();
    EXPECT_EQ(QFontInfo(main().font()).family(), "Liberation Sans");
    EXPECT_EQ(main().PageControl1->height() + main().StatusBar1->height(), 420);
    EXPECT_EQ(main().width(), 435);
    EXPECT_EQ(layoutFaults(main()).join(u'\n').toStdString(), "");
}

TEST_F(MainWindowTest, WithoutATrayTheWindowWaitsMinimisedAndEachKindOfTrayOpensIt)
{
    trayHost = false;
    start();
    const auto minimised = [this] { return main().isVisible() && main().isMinimized(); };
    EXPECT_TRUE(minimised()) << "at start";
    const std::function<void()> hides[] = {[this] { main().HidetoTray1->trigger(); },
                                           [this] { main().setWindowState(Qt::WindowMinimized); },
                                           [this] { main().close(); }};
    for (const auto& hide : hides) {
        main().showMainWindow();
        hide();
        EXPECT_TRUE(minimised());
    }
    trayHost = true; // a panel started
    main().HidetoTray1->trigger();
    EXPECT_FALSE(main().isVisible());
    using Kind = TrayIcon::HostKind;
    const std::tuple<Kind, QSystemTrayIcon::ActivationReason, bool> cases[] = {
        {Kind::Embedding, QSystemTrayIcon::Trigger, false},
        {Kind::Embedding, QSystemTrayIcon::DoubleClick, true},
        {Kind::StatusNotifier, QSystemTrayIcon::Trigger, true},
        {Kind::StatusNotifier, QSystemTrayIcon::Context, false}};
    for (const auto& [kind, why, opens] : cases) {
        main().hide();
        main().TrayIcon1->setHostKind(kind);
        main().TrayIcon1->activate(why);
        EXPECT_EQ(main().isVisible(), opens) << int(kind) << " " << int(why);
    }
}

TEST_F(MainWindowTest, TheWindowIsEnabledOnlyWhenNoWindowInFrontIsOpen)
{
    system.registry->createKey(platform::RootKey::CurrentUser, "Control Panel\\Colors");
    system.registry->writeString(platform::RootKey::CurrentUser, "Control Panel\\Colors",
                                 "Background", "0 0 0"); // for the advanced options
    Forms& f = start();
    for (const auto& [first, second] :
         std::vector<std::pair<QWidget*, QWidget*>>{{f.Form2.get(), f.Form9.get()},
                                                    {f.Form3.get(), f.Form11.get()},
                                                    {f.Form11.get(), f.Form12.get()}})
        for (QWidget* closedFirst : {first, second}) {
            first->show();
            second->show();
            closedFirst->hide();
            EXPECT_FALSE(main().isEnabled()) << second->windowTitle().toStdString();
            (closedFirst == first ? second : first)->hide();
            EXPECT_TRUE(main().isEnabled() && f.Form2->isEnabled() && f.Form11->isEnabled());
        }
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
}

TEST_F(MainWindowTest, ABalloonStaysUntilReadAndAFailureStaysInTheStatusBarUntilTheNextStep)
{
    writeProfile("a.tsl", {tempPath("missing.jpg"), bitmap("a.bmp")});
    writeIni("[General]\r\nDefaultMode=custom\r\nAutoRunAtStartup=0\r\n"
             "[CustomMode]\r\nCurrentProfile=a.tsl\r\n");
    start();
    std::int64_t now = 0;
    TrayIcon& tray = *main().TrayIcon1;
    tray.setClock([&now] { return now; });
    main().NextCustomWallpaper(); // the missing picture
    const QString failure = tray.balloon().text;
    ASSERT_FALSE(failure.isEmpty());
    EXPECT_EQ(main().StatusBar1->panelText(2), failure);
    for (; now <= 10000; now += 2000) {
        main().Timer3Timer();
        EXPECT_EQ(tray.balloon().text, now < 10000 ? failure : "") << now;
    }
    EXPECT_EQ(main().StatusBar1->panelText(2), failure);
    main().NextCustomWallpaper(); // the bitmap
    EXPECT_EQ(main().StatusBar1->panelText(2), "");
}

} // namespace
