#pragma once

#include "windows/formbase.h"

#include <cstdint>

class QAction;
class QComboBox;
class QMenu;
class QMenuBar;
class QTabWidget;

// The main window: the program's control panel, hidden behind the tray icon most of the time.
// It hides instead of closing; only the two Exit commands end the program.
class TForm1 : public FormBase {
    Q_OBJECT
public:
    TForm1(AppContext& context, Forms& forms);

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

    // Hides the window and its taskbar entry; failures are of no concern.
    void hideToTray();

    bool ExitRequested = false;
    // The position hint of the last automatic wallpaper picked while the program manages the
    // position.
    int ManagedPositionHint = 0;

    QMenuBar* MainMenu1;
    QAction* Close1;
    QAction* AutomaticWallpaperShow1;
    QAction* CustomSlideShow1;
    QMenu* PopupMenu1; // the tray menu
    QAction* Exit1;

    QTabWidget* PageControl1;
    QWidget* TabSheet1; // automatic page
    QWidget* TabSheet2; // custom page
    QComboBox* ComboBox2; // categories
    QComboBox* ComboBox1; // profiles

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildPages();

    bool sessionEnding_ = false;
};
