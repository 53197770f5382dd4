#pragma once

#include "online/httpclient.h"
#include "windows/formbase.h"
#include "windows/mainoperations.h"

#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class LiveSettings;
class PreviewBox;
class Timer;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class StatusBar;
class TrayIcon;

// The main window: the program's control panel, hidden behind the tray icon most of the time.
// It hides instead of closing; only the two Exit commands end the program. Its working lists are
// its own: other windows reach it through MainWindowOperations.
class TForm1 : public FormBase, public MainWindowOperations {
    Q_OBJECT
public:
    TForm1(AppContext& context, Forms& forms);
    ~TForm1() override;

    // The start: the protocol registered, the catalog refreshed and read, the placeholder
    // pictures, the user's folders, and the mode the program last ran in restored.
    void FormCreate() override;

    // The native handle recorded for the single-instance check.
    std::uint32_t applicationHandle();

    // The running instance was found: this start ends without showing anything, and the running
    // instance's window comes to the front.
    void OnMaxInstancesReached(std::uint32_t storedWindow);

    // Exit: the tray menu's "Exit" and the main menu's "Program" > "Exit".
    void ExitClick();
    void Close1Click();
    // May the window close? Only after Exit or while the session ends; otherwise it hides.
    bool FormCloseQuery();
    // The session is ending: the program never refuses that.
    bool QueryEndSession();

    // Every balloon of the program: information icon, title "Update", 20 s; nothing at all while
    // "Disable tray Balloon Tips" is checked.
    void ShowBalloon(const QString& text);
    bool balloonsDisabled() const;

    // Showing and hiding the window.
    void showMainWindow();
    // Hides the window to the tray; minimises it where no tray host shows the icon.
    void hideToTray();
    // The window stays hidden at start, behind the tray icon; without a tray host it starts
    // minimised instead, so that the user can reach the program.
    void placeAtProgramStart();
    void Restore1Click();     // "Open Tapestron": not while the update prompt is up
    void TrayIcon1DblClick(); // always
    void Settings1Click();    // main menu "Settings"
    void Settings2Click();    // tray "Settings": not while the update prompt is up
    void RunWizzard1Click();
    void GetmoreProfilesforTapestron1Click();
    void Manage1Click();
    void About1Click();
    void ComboBox2Change();
    // "Add to Favorites" on either page and in the tray: the wallpaper shown is kept as a
    // favourite, the profile list shows favorites.tsl with its new count, and the control used
    // is disabled until a step of its mode ends.
    void BitBtn7Click();
    void BitBtn8Click();
    void AddtoFavorites1Click();
    // "Preview": the preview window on the automatic page's category.
    void BitBtn10Click();
    // Help > "Check for program updates": the update check, its outcome shown whatever it is.
    void Checkforprogramupdates1Click();
    void ComboBox1Change();

    // The mode flag is the check mark of "Automatic Wallpaper Mode": checks the items of the mode
    // in both menus and makes them the default items of their submenus.
    void setModeChecks(bool automatic);

    // The show (scheduler.cpp). Timer2 is the change timer, its period ShowInterval.
    enum class ReloadSource { ByMode, AutomaticPage, CustomPage };
    void StartShow();
    void StopShow();
    // The show at program start, once the settings window has loaded the settings: started with a
    // first wallpaper of the saved mode, or stopped, as "Automatic Run Wallpaper show at Tapestron
    // start" says (the tray's "Start" and "Stop" as they do it).
    void startShowAtProgramStart();
    void ReloadWallpaper(ReloadSource source);
    void SelectAutomaticMode();
    void SelectCustomMode();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();
    std::uint32_t ShowInterval() const;
    bool automaticMode() const;
    // The steps of the two modes; a step never runs inside another one (a tick or reload that
    // arrives meanwhile is dropped: the running step is already setting a wallpaper).
    void FetchAutoWallpaper();
    void NextCustomWallpaper();
    // Runs a choice the user made now, or once the step under way has ended; a later choice
    // takes the place of one still waiting.
    void runWhenIdle(std::function<void()> choice);
    // A failed step's text in the status bar: it outlasts the balloon, until the next step.
    void showStepFailure(const QString& text);
    void clearStepFailure();

    // Automatic mode (mainauto.cpp).
    // The catalog's pieces of the start-up: the code file refreshed and read into CategoryCodes;
    // the name file refreshed and the main window's category list filled from it (its error
    // when neither the file nor its backup can be read).
    void LoadCategoryCodes();
    void LoadCategoryNames();
    // The selected category's list into PendingList. When that fails, failureText is shown as a
    // balloon unless balloons are off; returns whether it was shown.
    bool ReloadPendingList(const QString& failureText, bool clearFirst);
    // Both catalog files and PendingList afresh; the category lists keep their choices. Run by
    // Timer1 and "Update Profile List"; while a step runs it waits for the step's end.
    void RefreshCatalog();
    void Timer1Timer();
    void UpdateProfileList1Click();
    // "Select": the chosen category becomes the current one and shows a wallpaper at once.
    void BitBtn6Click();

    // The profiles (mainprofiles.cpp).
    void ListProfiles();
    void RunSelectedProfile();
    void EditSelectedProfile();
    void CreateProfile();
    void DeleteSelectedProfile();
    // The file of the profile chosen in ComboBox1.
    QString selectedProfileFile() const;
    // Runs replace, which sets ShowList afresh, once no step is under way.
    void replaceShowListWhenIdle(std::function<void()> replace);

    // "Screen Resolution: W x H" of the primary screen into status panel 0.
    void updateScreenResolution();

    // MainWindowOperations
    Mode showMode() const override;
    void setShowInterval(std::uint32_t period) override;
    void startShow() override { StartShow(); }
    void stopShow() override { StopShow(); }
    void selectMode(Mode mode) override;
    void runSelectedCategory() override { BitBtn6Click(); }
    void runSelectedProfile() override { RunSelectedProfile(); }
    void clearPendingList() override;
    void fetchWallpaperWhenIdle() override;
    void reloadWallpaper() override;
    int managedPositionHint() const override;
    void takeProfileList(const QStringList& entries, const QString& current) override;
    QString selectedProfileName() const override;
    void reloadShowList() override;
    void selectCategory(int index) override;
    int selectedCategory() const override;
    const QStringList& categoryCodes() const override { return CategoryCodes; }
    HttpClient& http() override { return *IdHTTP1; }
    void loadPreviewsWhenIdle(std::function<void()> load) override;
    void setDisabledBy(const QWidget& window, bool disabled) override;
    QString fetchFirstLine(const QString& url, const QString& target) override;
    void checkForUpdatesWhenIdle(std::function<void()> check) override;

    // The working state, for reading.
    bool exitRequested() const { return ExitRequested; }
    std::int32_t countdownElapsed() const { return CountdownElapsed; }
    const QStringList& showList() const { return ShowList; }
    const QStringList& pendingList() const { return PendingList; }

    // Main menu
    QMenuBar* MainMenu1;
    QAction* Start2;
    QAction* Stop2;
    QAction* Settings1;
    QAction* Restore2;
    QAction* HidetoTray1;
    QAction* Close1;
    QAction* AutomaticWallpaperShow1;
    QAction* CustomSlideShow1;
    QAction* RunWizzard1;
    QAction* Manage1;
    QAction* Checkforprogramupdates1;
    QAction* UpdateProfileList1;
    QAction* GetmoreProfilesforTapestron1;
    QAction* About1;
    // Tray menu
    QMenu* PopupMenu1;
    QAction* ReloadWallpaper1;
    QAction* AddtoFavorites1;
    QAction* AutomaticWallpaperShow2;
    QAction* CustomWallpaperShow1;
    QAction* Start1;
    QAction* Stop1;
    QAction* Restore1;
    QAction* RestoreOriginalWallpaper1;
    QAction* Settings2;
    QAction* Exit1;
    TrayIcon* TrayIcon1;

    QTabWidget* PageControl1;
    // Automatic page
    QWidget* TabSheet1;
    QComboBox* ComboBox2;
    QPushButton* BitBtn6;
    QPushButton* BitBtn10;
    PreviewBox* Image1;
    QPushButton* button4;
    QPushButton* BitBtn7;
    QPushButton* button3;
    // Custom page
    QWidget* TabSheet2;
    QComboBox* ComboBox1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn4;
    QPushButton* BitBtn5;
    QPushButton* BitBtn9;
    PreviewBox* Image2;
    QPushButton* BitBtn3;
    QPushButton* BitBtn8;
    QPushButton* BitBtn2;

    StatusBar* StatusBar1;

    Timer* Timer1; // catalog refresh, five hours
    Timer* Timer2; // change timer
    Timer* Timer3; // tidy-up after a step
    Timer* Timer4; // countdown, one second

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class AutoStepHost;
    class CustomStepHost;

    void buildMainMenu();
    void buildTrayMenu();
    QWidget* buildAutomaticPage();
    QWidget* buildCustomPage();
    void connectCommands();
    bool updatePromptVisible() const;
    void createTimers();
    // Runs a show step or a catalog refresh unless one is already under way.
    void runStep(const std::function<void()>& step);
    void runDeferredWork();
    void createHttpClient();
    void restoreMode();
    void addFavouriteFrom(const std::function<void()>& disableControl);
    // The settings window's controls once it exists.
    const LiveSettings* liveSettings() const;

    bool ExitRequested = false;
    // Ticks of the countdown since it last restarted.
    std::int32_t CountdownElapsed = 0;
    // The entries of the current profile not shown yet.
    QStringList ShowList;
    // The codes of the categories, read once at start-up, and the selected category's wallpapers
    // not shown yet.
    QStringList CategoryCodes;
    QStringList PendingList;
    std::unique_ptr<HttpClient> IdHTTP1;
    int ManagedPositionHint = 0;

    bool sessionEnding_ = false;
    QMenu* modeMenu_ = nullptr;   // main menu "Mode Selection"
    QMenu* methodMenu_ = nullptr; // tray menu "Show Method"
    bool stepRunning_ = false;
    bool stepFailureShown_ = false;
    bool catalogRefreshDeferred_ = false;
    std::function<void()> waitingChoice_;
    std::function<void()> waitingPreviewLoad_;
    bool updateCheckRunning_ = false;
    std::function<void()> waitingUpdateCheck_;
    std::function<void()> stepAfterUpdateCheck_;
    std::unique_ptr<HttpProgress> httpProgress_;
};
