#include "main.h"

#include "app/forms.h"
#include "common/context.h"
#include "common/guard.h"
#include "common/service.h"
#include "common/settingstable.h"
#include "common/strings.h"
#include "common/systemtexts.h"
#include "online/preview.h"
#include "online/update.h"
#include "platform/system.h"
#include "plugins/pluginman.h"
#include "settings/originalstore.h"
#include "settings/settings.h"
#include "statusbar.h"
#include "trayicon.h"
#include "wallpaper/original.h"
#include "wallpaper/picture.h"
#include "windows/about.h"
#include "windows/previewbox.h"
#include "wizard/wizard.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

TForm1::TForm1(AppContext& context, Forms& forms)
    : FormBase(context, forms, systemTexts().mainWindowCaption, QSize(435, 420))
{
    buildMainMenu();
    buildTrayMenu();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    PageControl1 = new QTabWidget(this);
    PageControl1->tabBar()->hide(); // only the mode commands switch pages
    PageControl1->addTab(buildAutomaticPage(), QString());
    PageControl1->addTab(buildCustomPage(), QString());
    TabSheet1 = PageControl1->widget(0);
    TabSheet2 = PageControl1->widget(1);
    layout->addWidget(PageControl1);
    StatusBar1 = new StatusBar(this);
    layout->addWidget(StatusBar1);
    // The client area below the menu bar keeps its size.
    setFixedSize(435, 420 + MainMenu1->sizeHint().height());

    createTimers();
    createHttpClient();
    connectCommands();
}

void TForm1::connectCommands()
{
    Dialogs& dialogs = context.dialogs;
    // The tray is live while the other windows are still being created, and most commands reach
    // one of them: until all exist, only Exit is carried out.
    const auto whenCreated = [this](auto handler) {
        return [this, handler] {
            if (forms.allCreated())
                handler();
        };
    };
    const auto on = [&](QAction* item, auto handler) {
        connect(item, &QAction::triggered, this, guarded(dialogs, whenCreated(handler)));
    };
    const auto onClick = [&](QPushButton* button, auto handler) {
        connect(button, &QPushButton::clicked, this, guarded(dialogs, whenCreated(handler)));
    };
    connect(Close1, &QAction::triggered, this, guarded(dialogs, [this] { Close1Click(); }));
    connect(Exit1, &QAction::triggered, this, guarded(dialogs, [this] { ExitClick(); }));
    on(Settings1, [this] { Settings1Click(); });
    on(Settings2, [this] { Settings2Click(); });
    on(Restore1, [this] { Restore1Click(); });
    on(HidetoTray1, [this] { hideToTray(); });
    on(RunWizzard1, [this] { RunWizzard1Click(); });
    on(GetmoreProfilesforTapestron1, [this] { GetmoreProfilesforTapestron1Click(); });
    on(Manage1, [this] { Manage1Click(); });
    on(About1, [this] { About1Click(); });
    const auto restoreOriginal = [this] {
        RestoreOriginalWallpaper(context.platform, SettingsOriginalStore(), *forms.Form2);
    };
    on(Restore2, restoreOriginal);
    on(RestoreOriginalWallpaper1, restoreOriginal);
    // A click checks a radio item by itself, but only the mode commands change the mode: the
    // click's own check is undone from the other menu, which still shows the mode, before the
    // command runs.
    const auto modeItem = [&](QAction* item, QAction* mirror, void (TForm1::*command)()) {
        on(item, [this, mirror, command] {
            setModeChecks(mirror->isChecked());
            (this->*command)();
        });
    };
    modeItem(AutomaticWallpaperShow1, AutomaticWallpaperShow2, &TForm1::SelectAutomaticMode);
    modeItem(CustomSlideShow1, AutomaticWallpaperShow2, &TForm1::SelectCustomMode);
    modeItem(AutomaticWallpaperShow2, AutomaticWallpaperShow1, &TForm1::SelectAutomaticMode);
    modeItem(CustomWallpaperShow1, AutomaticWallpaperShow1, &TForm1::SelectCustomMode);
    on(Start1, [this] { StartShow(); });
    on(Start2, [this] { StartShow(); });
    on(Stop1, [this] { StopShow(); });
    on(Stop2, [this] { StopShow(); });
    on(ReloadWallpaper1, [this] { ReloadWallpaper(ReloadSource::ByMode); });
    onClick(button4, [this] { ReloadWallpaper(ReloadSource::AutomaticPage); });
    onClick(BitBtn3, [this] { ReloadWallpaper(ReloadSource::CustomPage); });
    onClick(BitBtn1, [this] { RunSelectedProfile(); });
    onClick(BitBtn4, [this] { EditSelectedProfile(); });
    onClick(BitBtn5, [this] { CreateProfile(); });
    onClick(BitBtn9, [this] { DeleteSelectedProfile(); });
    onClick(BitBtn6, [this] { BitBtn6Click(); });
    onClick(BitBtn10, [this] { BitBtn10Click(); });
    onClick(BitBtn7, [this] { BitBtn7Click(); });
    onClick(BitBtn8, [this] { BitBtn8Click(); });
    on(AddtoFavorites1, [this] { AddtoFavorites1Click(); });
    on(Checkforprogramupdates1, [this] { Checkforprogramupdates1Click(); });
    on(UpdateProfileList1, [this] { UpdateProfileList1Click(); });
    onClick(button3, [this] { hideToTray(); });
    onClick(BitBtn2, [this] { hideToTray(); });
    connect(ComboBox2, &QComboBox::activated, this,
            guarded(dialogs, whenCreated([this] { ComboBox2Change(); })));
    connect(ComboBox1, &QComboBox::activated, this,
            guarded(dialogs, whenCreated([this] { ComboBox1Change(); })));
    TrayIcon1->onOpen = guarded(dialogs, whenCreated([this] { TrayIcon1DblClick(); }));
    // The application coming to the front shows the resolution again.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive && forms.allCreated())
                    runGuarded(context.dialogs, [this] {
                        updateScreenResolution();
                        ListProfiles();
                    });
            });
    // The system asks before the session ends; the answer is always yes.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { QueryEndSession(); });
}

std::uint32_t TForm1::applicationHandle() { return static_cast<std::uint32_t>(winId()); }

void TForm1::OnMaxInstancesReached(std::uint32_t storedWindow)
{
    setAttribute(Qt::WA_DontShowOnScreen);
    hide();
    platform::restoreAndActivateWindow(storedWindow);
    QCoreApplication::quit();
}

void TForm1::ExitClick()
{
    ExitRequested = true;
    if (close())
        QCoreApplication::quit();
}

void TForm1::Close1Click() { ExitClick(); }

bool TForm1::FormCloseQuery()
{
    if (ExitRequested || sessionEnding_)
        return true;
    hideToTray();
    return false;
}

bool TForm1::QueryEndSession()
{
    sessionEnding_ = true;
    return true;
}

const LiveSettings* TForm1::liveSettings() const { return forms.Form2.get(); }

bool TForm1::balloonsDisabled() const
{
    // Early in the start-up the settings window does not exist yet; the file says it then.
    const LiveSettings* settings = liveSettings();
    return settings ? settings->balloonsDisabled() : SettingsFile().balloonsDisabled();
}

void TForm1::ShowBalloon(const QString& text)
{
    if (balloonsDisabled())
        return;
    TrayIcon1->showInformationBalloon(QStringLiteral("Update"), text, 20000);
}

void TForm1::showMainWindow()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TForm1::hideToTray()
{
    // Without a tray host a hidden window could not be reached again; the taskbar keeps it
    // within reach instead.
    if (!TrayIcon1->hostAvailable()) {
        showMinimized();
        return;
    }
    // A hidden top-level window has no taskbar entry either.
    hide();
}

void TForm1::placeAtProgramStart()
{
    if (!TrayIcon1->hostAvailable())
        showMinimized();
}

bool TForm1::updatePromptVisible() const { return forms.Form6 && forms.Form6->isVisible(); }

void TForm1::Restore1Click()
{
    if (!updatePromptVisible())
        showMainWindow();
}

void TForm1::TrayIcon1DblClick() { showMainWindow(); }

void TForm1::Settings1Click() { forms.Form2->show(); }

void TForm1::Settings2Click()
{
    if (!updatePromptVisible())
        forms.Form2->show();
}

void TForm1::RunWizzard1Click()
{
    if (context.dialogs.askYesNo(
            QStringLiteral("You are about to run a Wizard. This might overwrite some of your "
                           "current settings. Do you want to continue?")))
        forms.Form4->show();
}

void TForm1::GetmoreProfilesforTapestron1Click()
{
    context.platform.shell->open(toStd(serviceBaseUrl() + QStringLiteral("/profiles.html")));
}

void TForm1::Manage1Click() { forms.Form11->show(); }

void TForm1::About1Click() { forms.Form3->show(); }

void TForm1::ComboBox2Change()
{
    BitBtn6->setEnabled(true);
    button4->setEnabled(false);
}

void TForm1::BitBtn10Click() { forms.Form8->showCategory(ComboBox2->currentIndex()); }

void TForm1::Checkforprogramupdates1Click() { forms.Form6->checkAskedForByUser(); }

void TForm1::ComboBox1Change()
{
    BitBtn3->setEnabled(false);
    BitBtn1->setEnabled(true);
}

void TForm1::setDisabledBy(const QWidget& window, bool disabled)
{
    FormBase::setDisabledBy(window, disabled);
}

int TForm1::managedPositionHint() const { return ManagedPositionHint; }

void TForm1::setModeChecks(bool automatic)
{
    AutomaticWallpaperShow1->setChecked(automatic);
    CustomSlideShow1->setChecked(!automatic);
    AutomaticWallpaperShow2->setChecked(automatic);
    CustomWallpaperShow1->setChecked(!automatic);
    modeMenu_->setDefaultAction(automatic ? AutomaticWallpaperShow1 : CustomSlideShow1);
    methodMenu_->setDefaultAction(automatic ? AutomaticWallpaperShow2 : CustomWallpaperShow1);
}

void TForm1::updateScreenResolution()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    // Device pixels: with the desktop scaled, Qt's own sizes are smaller than the screen.
    const QSize size = screen ? screen->size() * screen->devicePixelRatio() : QSize();
    StatusBar1->setPanelText(
        0, QStringLiteral("Screen Resolution: %1 x %2").arg(size.width()).arg(size.height()));
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool canClose = true;
    runGuarded(context.dialogs, [&] { canClose = FormCloseQuery(); });
    event->setAccepted(canClose);
}

void TForm1::showEvent(QShowEvent* event)
{
    FormBase::showEvent(event);
    runGuarded(context.dialogs, [this] {
        updateScreenResolution();
        ListProfiles();
    });
}

void TForm1::changeEvent(QEvent* event)
{
    FormBase::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        updateScreenResolution();
    // The minimise button hides to the tray, where there is one.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && TrayIcon1->hostAvailable())
        runGuarded(context.dialogs, [this] { hideToTray(); });
}
