// The show: the four timers, Start, Stop, Reload, the mode switch and the countdown in the tray
// tip.
#include "main.h"

#include "app/forms.h"
#include "common/context.h"
#include "common/guard.h"
#include "common/pump.h"
#include "common/settingstable.h"
#include "common/showinterval.h"
#include "common/timer.h"
#include "custommode/customshow.h"
#include "platform/system.h"
#include "settings/settings.h"
#include "statusbar.h"
#include "trayicon.h"
#include "windows/previewbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include <exception>
#include <utility>

// What a custom step needs from the main window.
class TForm1::CustomStepHost final : public CustomShowHost {
public:
    explicit CustomStepHost(TForm1& main) : main_(main) {}
    QStringList& showList() override { return main_.ShowList; }
    bool balloonsDisabled() const override { return main_.balloonsDisabled(); }
    void showBalloon(const QString& text) override { main_.ShowBalloon(text); }
    void showFailureText(const QString& text) override { main_.showStepFailure(text); }
    void clearBalloon() override { main_.TrayIcon1->clearBalloon(); }
    void setTrayAnimated(bool animated) override { main_.TrayIcon1->setAnimated(animated); }
    QSize previewSize() const override { return main_.Image2->boxSize(); }
    void showPreview(const QImage& preview) override { main_.Image2->setPicture(preview); }
    void startTidyUp() override { main_.Timer3->setEnabled(true); }
    void finishStep() override
    {
        main_.StatusBar1->ProgressBar1->setValue(0);
        main_.BitBtn8->setEnabled(true);
        main_.AddtoFavorites1->setEnabled(true);
    }

private:
    TForm1& main_;
};

namespace {

// Up for the life of the scope, however it ends.
class RaisedFlag {
public:
    explicit RaisedFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RaisedFlag() { flag_ = false; }
    RaisedFlag(const RaisedFlag&) = delete;
    RaisedFlag& operator=(const RaisedFlag&) = delete;

private:
    bool& flag_;
};

} // namespace

void TForm1::createTimers()
{
    Timer1 = new Timer(18'000'000, true, this);
    Timer2 = new Timer(30'000, false, this);
    Timer3 = new Timer(2000, false, this);
    Timer4 = new Timer(1000, true, this);
    Timer1->onTimer = guarded(context.dialogs, [this] { Timer1Timer(); });
    // The show's tick needs the settings window, which may not exist yet early in the start.
    Timer2->onTimer = guarded(context.dialogs, [this] {
        if (forms.allCreated())
            Timer2Timer();
    });
    Timer3->onTimer = guarded(context.dialogs, [this] { Timer3Timer(); });
    Timer4->onTimer = guarded(context.dialogs, [this] { Timer4Timer(); });
}

std::uint32_t TForm1::ShowInterval() const { return Timer2->interval(); }

void TForm1::setShowInterval(std::uint32_t period) { Timer2->setInterval(period); }

bool TForm1::automaticMode() const { return AutomaticWallpaperShow1->isChecked(); }

Mode TForm1::showMode() const
{
    if (automaticMode())
        return Mode::Auto;
    return CustomSlideShow1->isChecked() ? Mode::Custom : Mode::Neither;
}

void TForm1::StartShow()
{
    Timer2->setEnabled(true);
    Timer4->setEnabled(true);
    CountdownElapsed = 0;
    Start1->setEnabled(false);
    Stop1->setEnabled(true);
    Stop2->setEnabled(true);
    Start2->setEnabled(false);
}

void TForm1::StopShow()
{
    Timer2->setEnabled(false);
    Timer4->setEnabled(false);
    Stop1->setEnabled(false);
    Start1->setEnabled(true);
    Stop2->setEnabled(false);
    Start2->setEnabled(true);
}

void TForm1::startShowAtProgramStart()
{
    const LiveSettings& settings = *liveSettings();
    // Each branch reads the saved mode afresh: the first step may take a while.
    const auto savedMode = [] { return SettingsFile().defaultMode(); };
    if (!settings.showAtProgramStart()) {
        if (savedMode() != Mode::Neither)
            StopShow();
        return;
    }
    const auto start = [&](Mode mode, void (TForm1::*firstStep)()) {
        if (savedMode() != mode)
            return;
        (this->*firstStep)();
        if (const auto period = settings.showPeriod(mode))
            setShowInterval(*period);
        StartShow();
    };
    start(Mode::Auto, &TForm1::FetchAutoWallpaper);
    start(Mode::Custom, &TForm1::NextCustomWallpaper);
}

void TForm1::reloadWallpaper() { ReloadWallpaper(ReloadSource::ByMode); }

void TForm1::ReloadWallpaper(ReloadSource source)
{
    Timer2->restart();
    Timer4->restart();
    TrayIcon1->setTip(QString());
    CountdownElapsed = 0;
    const bool automatic =
        source == ReloadSource::ByMode ? automaticMode() : source == ReloadSource::AutomaticPage;
    if (automatic)
        FetchAutoWallpaper();
    else
        NextCustomWallpaper();
}

void TForm1::Timer2Timer()
{
    const bool automatic = automaticMode();
    if (const auto period = liveSettings()->showPeriod(automatic ? Mode::Auto : Mode::Custom))
        setShowInterval(*period);
    Timer2->restart();
    Timer4->restart();
    CountdownElapsed = 0;
    if (automatic)
        FetchAutoWallpaper();
    else
        NextCustomWallpaper();
}

void TForm1::Timer3Timer()
{
    TrayIcon1->setAnimated(false);
    // It ticks every two seconds for the whole run: a balloon goes only once it could be read.
    TrayIcon1->tidyBalloon();
    button4->setEnabled(true);
    button3->setEnabled(true);
    ReloadWallpaper1->setEnabled(true);
}

void TForm1::showStepFailure(const QString& text)
{
    StatusBar1->setPanelText(2, text);
    stepFailureShown_ = true;
}

void TForm1::clearStepFailure()
{
    if (std::exchange(stepFailureShown_, false))
        StatusBar1->setPanelText(2, QString());
}

void TForm1::Timer4Timer()
{
    ++CountdownElapsed;
    const std::int32_t remaining =
        static_cast<std::int32_t>(ShowInterval() / 1000) - CountdownElapsed;
    TrayIcon1->setTip(QStringLiteral("Next Wallpaper in ") + FormatCountdown(remaining));
}

namespace {

// The mode switch's share of the settings file: the period from the mode's own reload time and
// unit (a missing unit keeps the period), and the default mode into an existing file only.
void takeModeFromFile(TForm1& main, const QString& section, Mode mode)
{
    SettingsFile file;
    main.Timer2->restart();
    if (const auto period = reloadPeriod(file.reloadTime(section), file.reloadUnit(section)))
        main.setShowInterval(*period);
    if (file.exists())
        file.setDefaultMode(mode);
}

} // namespace

void TForm1::SelectAutomaticMode()
{
    PageControl1->setCurrentWidget(TabSheet1);
    setModeChecks(true);
    button4->setEnabled(true);
    takeModeFromFile(*this, keys::AutoMode, Mode::Auto);
    StatusBar1->setPanelText(2, QString());
}

void TForm1::SelectCustomMode()
{
    if (!TabSheet2->isEnabled()) {
        context.dialogs.showMessage(QStringLiteral(
            "Run Wizard to configure custom profiles. Go to menu under Method - Run Wizard."));
        return;
    }
    PageControl1->setCurrentWidget(TabSheet2);
    setModeChecks(false);
    button4->setEnabled(false);
    takeModeFromFile(*this, keys::CustomMode, Mode::Custom);
}

void TForm1::selectMode(Mode mode)
{
    if (mode == Mode::Auto)
        SelectAutomaticMode();
    else if (mode == Mode::Custom)
        SelectCustomMode();
}

void TForm1::runStep(const std::function<void()>& step)
{
    // Downloads keep the event loop running, so a tick or a reload can arrive in the middle of a
    // step; it is dropped, since the step under way is already changing the wallpaper. One that
    // arrives during an update check runs after it: the check holds the download client.
    if (updateCheckRunning_) {
        stepAfterUpdateCheck_ = step;
        return;
    }
    if (stepRunning_)
        return;
    std::exception_ptr failure;
    {
        const RaisedFlag running(stepRunning_);
        // A large picture keeps the window answering as a download does, between its strips.
        const PumpScope pump([] { QCoreApplication::processEvents(); });
        try {
            step();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    platform::releaseFreedMemory();
    runDeferredWork();
    if (failure)
        std::rethrow_exception(failure);
}

void TForm1::runDeferredWork()
{
    // What waited for the step is owed however the step ended; each piece reports its own failure,
    // so one that fails does not take the others with it.
    if (std::exchange(catalogRefreshDeferred_, false))
        runGuarded(context.dialogs, [this] { RefreshCatalog(); });
    if (waitingChoice_)
        runGuarded(context.dialogs, std::exchange(waitingChoice_, nullptr));
    if (waitingPreviewLoad_)
        runGuarded(context.dialogs,
                   [this, load = std::exchange(waitingPreviewLoad_, nullptr)] { runStep(load); });
    if (waitingUpdateCheck_)
        checkForUpdatesWhenIdle(std::exchange(waitingUpdateCheck_, nullptr));
}

void TForm1::checkForUpdatesWhenIdle(std::function<void()> check)
{
    if (stepRunning_ || updateCheckRunning_) {
        waitingUpdateCheck_ = std::move(check);
        return;
    }
    {
        const RaisedFlag running(updateCheckRunning_);
        runGuarded(context.dialogs, check);
    }
    if (stepAfterUpdateCheck_)
        runGuarded(context.dialogs,
                   [this, step = std::exchange(stepAfterUpdateCheck_, nullptr)] { runStep(step); });
}

void TForm1::loadPreviewsWhenIdle(std::function<void()> load)
{
    if (stepRunning_)
        waitingPreviewLoad_ = std::move(load);
    else
        runStep(load);
}

void TForm1::runWhenIdle(std::function<void()> choice)
{
    // Unlike a tick, a choice is what the user asked for and is never dropped.
    if (stepRunning_)
        waitingChoice_ = std::move(choice);
    else
        choice();
}

void TForm1::NextCustomWallpaper()
{
    runStep([this] {
        clearStepFailure();
        CustomStepHost host(*this);
        ::NextCustomWallpaper(context.platform, *liveSettings(), host);
    });
}
