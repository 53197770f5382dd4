// Copying the settings file into the live controls and back.
#include "settings.h"

#include "advopt.h"
#include "app/forms.h"
#include "app/main.h"
#include "common/context.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "common/settingstable.h"
#include "custommode/profiles.h"
#include "hotkeyedit.h"
#include "spinedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

using namespace keys;

namespace {

// DisplayMethod 1..4 checks the matching button of the group; any other value changes nothing.
void checkDisplayMethod(const std::array<QRadioButton*, 4>& buttons, int method)
{
    if (method >= 1 && method <= 4)
        buttons[method - 1]->setChecked(true);
}

void writeDisplayMethod(IniFile& file, const QString& section,
                        const std::array<QRadioButton*, 4>& buttons)
{
    for (int i = 0; i < 4; ++i)
        if (buttons[i]->isChecked()) {
            file.writeInteger(section, DisplayMethod, i + 1);
            return;
        }
}

} // namespace

void TForm2::LoadSettings(const QString& path)
{
    const IniFile file(path);
    TForm1& main = *forms.Form1;

    const auto loadCheck = [&](QCheckBox* box, const QString& key, bool absent) {
        box->setChecked(file.valueExists(General, key) ? file.readBool(General, key, false) : absent);
    };
    loadCheck(CheckBox1, RunAtStartup, true);
    loadCheck(CheckBox2, BallonTips, false);
    loadCheck(CheckBox3, AutoRunAtStartup, true);
    loadCheck(CheckBox4, CheckForUpdate, false);

    forms.Form9->loadTransparentText(file);

    CheckBox5->setChecked(file.valueExists(AutoMode, ManagePosition) &&
                          file.readBool(AutoMode, ManagePosition, true));
    CheckBox5Click();

    ComboBox2->setCurrentIndex(file.valueExists(AutoMode, Category)
                                   ? file.readInteger(AutoMode, Category, -1)
                                   : 1);

    const auto loadText = [&](SpinEdit* edit, const QString& section, const QString& key) {
        if (file.valueExists(section, key))
            edit->setText(file.readString(section, key, QString()));
    };
    const auto loadIndex = [&](QComboBox* box, const QString& section) {
        if (file.valueExists(section, keys::Mode))
            box->setCurrentIndex(file.readInteger(section, keys::Mode, -1));
    };
    loadText(edit1, AutoMode, ReloadTime);
    loadIndex(ComboBox1, AutoMode);
    loadText(edit2, AutoMode, OffsetX);
    loadText(edit3, AutoMode, OffsetY);
    loadText(edit7, CustomMode, ReloadTime);
    loadIndex(ComboBox4, CustomMode);
    loadText(edit5, CustomMode, OffsetX);
    loadText(edit6, CustomMode, OffsetY);
    loadText(edit4, General, TempSize);

    checkDisplayMethod(autoButtons_, file.readInteger(AutoMode, DisplayMethod, -1));
    checkDisplayMethod(customButtons_, file.readInteger(CustomMode, DisplayMethod, -1));

    loadProfiles(file);

    const Shortcut shortcut = textToShortcut(file.valueExists(General, Hotkey)
                                                 ? file.readString(General, Hotkey, QString())
                                                 : QStringLiteral("Alt+R"));
    HotKey1->setHotKey(shortcut);
    unregisterHotKey();
    registerHotKey(shortcut);

    if (file.valueExists(AutoMode, Category))
        main.ComboBox2->setCurrentIndex(file.readInteger(AutoMode, Category, -1));
}

// Both profile boxes list every profile with its entry count and select the current one.
void TForm2::loadProfiles(const IniFile& file)
{
    TForm1& main = *forms.Form1;
    const QStringList entries = listProfileEntries();
    const bool any = !entries.isEmpty();
    ComboBox3->clear();
    main.ComboBox1->clear();
    ComboBox3->setEnabled(any);
    Button2->setEnabled(any);
    main.TabSheet2->setEnabled(any);
    ComboBox3->addItems(entries);
    main.ComboBox1->addItems(entries);
    // Filling a list selects its first row; without a saved profile none is chosen.
    if (!any || !file.valueExists(CustomMode, CurrentProfile)) {
        ComboBox3->setCurrentIndex(-1);
        main.ComboBox1->setCurrentIndex(-1);
        return;
    }
    const QString current = currentProfileEntry();
    ComboBox3->setCurrentIndex(current.isEmpty() ? -1 : ComboBox3->findText(current));
    main.ComboBox1->setCurrentIndex(current.isEmpty() ? -1 : main.ComboBox1->findText(current));
}

void TForm2::SaveSettings(const QString& path)
{
    IniFile file(path);
    file.writeBool(General, RunAtStartup, CheckBox1->isChecked());
    file.writeBool(General, BallonTips, CheckBox2->isChecked());
    file.writeBool(General, AutoRunAtStartup, CheckBox3->isChecked());
    file.writeBool(General, CheckForUpdate, CheckBox4->isChecked());
    file.writeBool(General, TransparentText, forms.Form9->CheckBox1->isChecked());

    file.writeBool(AutoMode, ManagePosition, CheckBox5->isChecked());
    file.writeString(AutoMode, ReloadTime, edit1->text());
    file.writeInteger(AutoMode, keys::Mode, ComboBox1->currentIndex());
    file.writeString(AutoMode, OffsetX, edit2->text());
    file.writeString(AutoMode, OffsetY, edit3->text());

    file.writeString(CustomMode, ReloadTime, edit7->text());
    file.writeInteger(CustomMode, keys::Mode, ComboBox4->currentIndex());
    file.writeString(CustomMode, OffsetX, edit5->text());
    file.writeString(CustomMode, OffsetY, edit6->text());

    file.writeString(General, TempSize, edit4->text());
    file.writeInteger(AutoMode, Category, ComboBox2->currentIndex());

    writeDisplayMethod(file, AutoMode, autoButtons_);
    writeDisplayMethod(file, CustomMode, customButtons_);

    file.writeString(CustomMode, CurrentProfile, profileNameOfEntry(ComboBox3->currentText()));

    ReapplyWallpaperPosition(context.platform, *this, SettingsFile().defaultMode(),
                             forms.Form1->ManagedPositionHint);

    file.writeString(General, Hotkey, shortcutToText(HotKey1->hotKey()));
}

std::uintptr_t TForm2::hotKeyWindow() { return static_cast<std::uintptr_t>(winId()); }

void TForm2::unregisterHotKey()
{
    platform::GlobalHotkeys& hotkeys = *context.platform.hotkeys;
    hotkeys.unregisterHotKey(hotKeyWindow(), hotKeyId_);
    hotkeys.deleteAtom(hotKeyId_);
    hotKeyId_ = 0;
}

// A registration the system refuses (the combination is taken) is not reported: the hotkey simply
// does not work.
void TForm2::registerHotKey(const Shortcut& shortcut)
{
    platform::GlobalHotkeys& hotkeys = *context.platform.hotkeys;
    hotKeyId_ = hotkeys.addAtom("MyHotKey_1");
    hotkeys.registerHotKey(hotKeyWindow(), hotKeyId_, hotKeyModifiers(shortcut), shortcut.key);
}
