#pragma once

#include <functional>
#include <memory>

struct AppContext;
class InstanceGuard;
class LiveSettings;
class MainWindowOperations;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;
class TForm10;
class TForm11;
class TForm12;

// TForm1 main · TForm2 settings · TForm3 about · TForm4 wizard · TForm5 error · TForm6 update ·
// TForm7 profile editor · TForm8 category preview · TForm9 advanced options · TForm10 wait ·
// TForm11 plug-in manager · TForm12 plug-in info.
//
// The twelve windows of the program, created once in a fixed order (each creation step relies on
// the steps before it) and kept until the program ends. The windows reach each other through here.
struct Forms {
    // Exit: the user chose Exit before every window existed; the rest were not created.
    enum class Start { Run, Exit, Duplicate, Failed };

    explicit Forms(AppContext& context);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    // The program's start: the main window, the single-instance check, then the creation steps of
    // all windows. A duplicate start creates nothing after the main window and shows nothing.
    Start createAll();

    // The windows and their creation steps, without the single-instance check (tests use this).
    Start createWindows();

    // Every window exists and has run its creation step. Until then the commands of the main
    // window and its tray, which reach the other windows, are not carried out (Exit excepted).
    bool allCreated() const { return allCreated_; }

    // The main window as the other windows see it.
    MainWindowOperations& mainWindow();
    // The live settings as the other windows read them; from the settings window's creation on.
    const LiveSettings& liveSettings() const;

    AppContext& context;
    // Whether a tray host shows the program's icon now; empty: the desktop is asked.
    std::function<bool()> trayHostAvailable;
    std::unique_ptr<InstanceGuard> guard;
    // In creation order; destroyed in reverse.
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm9> Form9;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TForm3> Form3;
    std::unique_ptr<TForm4> Form4;
    std::unique_ptr<TForm5> Form5;
    std::unique_ptr<TForm6> Form6;
    std::unique_ptr<TForm7> Form7;
    std::unique_ptr<TForm8> Form8;
    std::unique_ptr<TForm10> Form10;
    std::unique_ptr<TForm11> Form11;
    std::unique_ptr<TForm12> Form12;

private:
    void buildMainWindow();
    Start runCreationSteps();

    bool allCreated_ = false;
};
