#pragma once

#include "common/shortcut.h"
#include "livesettings.h"
#include "windows/formbase.h"

#include <QPointer>
#include <QWindow>

#include <array>
#include <cstdint>

class HotKeyEdit;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class SpinEdit;

// The settings window. Its controls (and the advanced options' check box) are the live settings:
// every reader asks them, through LiveSettings, at the moment it needs the value; the settings file
// is only the persistent copy, read by LoadSettings and written by SaveSettings.
class TForm2 : public FormBase, public LiveSettings {
    Q_OBJECT
public:
    TForm2(AppContext& context, Forms& forms);
    ~TForm2() override;

    // Registers the initial hotkey, fills the category list from the catalog, loads the settings
    // and puts the log-on entry in step with them. (The show's start follows, in the app.)
    void FormCreate() override;

    // Showing runs FormShow before the window appears, hiding FormHide after it is gone; a
    // minimised window is still shown.
    void setVisible(bool visible) override;
    // Disables the main window, makes this one topmost and remembers the category.
    void FormShow();
    // Enables the main window again; no longer topmost.
    void FormHide();
    // The refresh: the settings file into the controls (unsaved edits are lost) and the size of
    // the download cache into Label4.
    void FormActivate();
    // The program's focus window changed (nullptr: the program lost the focus to another
    // application). Becoming the focus window refreshes this window when it was just shown or
    // the focus came from another window of the program, not when the user comes back from
    // another application.
    void focusWindowChanged(QWindow* now);

    void Button1Click(); // "Apply"
    void Button3Click(); // "Close"
    void BitBtn1Click(); // "Advanced"
    void Button2Click(); // "Edit": the profile editor on the selected profile
    void Button4Click(); // "Clear Temp"
    // The user chose a reload unit: its range, and its first value.
    void ComboBox1Change();
    void ComboBox4Change();

    // The settings file into the controls, and the controls into the file.
    void LoadSettings(const QString& path);
    void SaveSettings(const QString& path);

    // The log-on start box toggled (by the user or by LoadSettings).
    void CheckBox1Click();
    // "Let Tapestron manage Wallpaper Position" toggled.
    void CheckBox5Click();
    // A position button became the checked one of its group: it alone is bold.
    void RadioButtonClick(QRadioButton* chosen);

    // The hotkey registration; identifier 0 when none is registered.
    std::uint16_t hotKeyId() const { return hotKeyId_; }

    // The profile chosen in the custom page's list: its name as the current profile keeps it,
    // empty when none is chosen; its file.
    QString selectedProfileName() const;
    QString selectedProfileFile() const;

    // The catalog's category names refilled; the choice stays where the list still has it.
    void takeCategoryNames(const QStringList& names);

    // LiveSettings
    PositionChoice autoPosition() const override;
    PositionChoice customPosition() const override;
    bool managePosition() const override;
    bool transparentText() const override;
    bool balloonsDisabled() const override;
    bool showAtProgramStart() const override;
    bool checkForUpdatesAtStart() const override;
    std::optional<std::uint32_t> showPeriod(Mode mode) const override;
    QString reloadTimeText(Mode mode) const override;
    int reloadUnitIndex(Mode mode) const override;
    QString tempCacheLimit() const override;

    QTabWidget* PageControl1;
    // General
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox4;
    QLabel* Label5;
    QLabel* lab;
    HotKeyEdit* HotKey1;
    QLabel* Label3;
    SpinEdit* edit4;
    QPushButton* Button4;
    QLabel* Label4;
    // Auto Wallpaper Mode
    QCheckBox* CheckBox5;
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QRadioButton* RadioButton4;
    QLabel* Label2;
    SpinEdit* edit2;
    SpinEdit* edit3;
    QGroupBox* GroupBox2;
    QLabel* Label1;
    SpinEdit* edit1;
    QComboBox* ComboBox1;
    QGroupBox* GroupBox3;
    QLabel* Label6;
    QComboBox* ComboBox2;
    // Custom Wallpaper Mode
    QGroupBox* GroupBox4;
    QRadioButton* RadioButton5;
    QRadioButton* RadioButton6;
    QRadioButton* RadioButton7;
    QRadioButton* RadioButton8;
    QLabel* Label9;
    SpinEdit* edit5;
    SpinEdit* edit6;
    QGroupBox* GroupBox5;
    QLabel* Label10;
    SpinEdit* edit7;
    QComboBox* ComboBox4;
    QGroupBox* GroupBox6;
    QComboBox* ComboBox3;
    QPushButton* Button2;
    // Below the pages
    QPushButton* BitBtn1;
    QPushButton* Button1;
    QPushButton* Button3;

protected:
    // Closing through the title bar only hides the window: the global hotkey stays registered
    // and keeps reloading the wallpaper.
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildGeneralPage();
    QWidget* buildAutoPage();
    QWidget* buildCustomPage();
    std::array<QRadioButton*, 4> buildPositionGroup(QGroupBox* group, QLabel*& label, SpinEdit*& x,
                                                    SpinEdit*& y);
    void connectActions();
    void loadProfiles(const class SettingsFile& file);
    void registerHotKey(const Shortcut& shortcut);
    void unregisterHotKey();
    std::uintptr_t hotKeyWindow();

    std::array<QRadioButton*, 4> autoButtons_{};
    std::array<QRadioButton*, 4> customButtons_{};
    std::uint16_t hotKeyId_ = 0;
    std::uintptr_t hotKeyWindow_ = 0;
    QString categoryAtShow_;
    QPointer<QWindow> focusWindow_;
    bool activationPending_ = false; // shown, not activated yet
};
