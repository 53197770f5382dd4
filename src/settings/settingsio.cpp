// Copying the settings file into the live controls and back.
#include "settings.h"

#include "advopt.h"
#include "app/forms.h"
#include "common/context.h"
#include "common/settingstable.h"
#include "custommode/profiles.h"
#include "hotkeyedit.h"
#include "spinedit.h"
#include "windows/mainoperations.h"

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

void writeDisplayMethod(SettingsFile& file, const QString& section,
                        const std::array<QRadioButton*, 4>& buttons)
{
    for (int i = 0; i < 4; ++i)
        if (buttons[i]->isChecked()) {
            file.setInteger(section, DisplayMethod, i + 1);
            return;
        }
}

} // namespace

void TForm2::LoadSettings(const QString& path)
{
    const SettingsFile file(path);

    CheckBox1->setChecked(file.flag(flags::RunAtStartup));
    CheckBox2->setChecked(file.flag(flags::BallonTips));
    CheckBox3->setChecked(file.flag(flags::AutoRunAtStartup));
    CheckBox4->setChecked(file.flag(flags::CheckForUpdate));

    forms.Form9->loadTransparentText(file);

    CheckBox5->setChecked(file.flag(flags::ManagePosition));
    CheckBox5Click();

    ComboBox2->setCurrentIndex(file.category().value_or(1));

    const auto loadText = [&](SpinEdit* edit, const QString& section, const QString& key) {
        if (const auto text = file.text(section, key))
            edit->setText(*text);
    };
    const auto loadIndex = [&](QComboBox* box, const QString& section) {
        if (const auto index = file.integer(section, keys::Mode))
            box->setCurrentIndex(*index);
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

    checkDisplayMethod(autoButtons_, file.displayMethod(AutoMode));
    checkDisplayMethod(customButtons_, file.displayMethod(CustomMode));

    loadProfiles(file);

    const Shortcut shortcut = textToShortcut(file.text(General, Hotkey).value_or(DefaultHotkey));
    HotKey1->setHotKey(shortcut);
    unregisterHotKey();
    registerHotKey(shortcut);

    if (const auto category = file.category())
        forms.mainWindow().selectCategory(*category);
}

// Both profile boxes list every profile with its entry count and select the current one.
void TForm2::loadProfiles(const SettingsFile& file)
{
    const QStringList entries = listProfileEntries();
    const bool any = !entries.isEmpty();
    // Without a saved profile none is chosen.
    const QString current = any && file.currentProfileSaved() ? currentProfileEntry() : QString();
    ComboBox3->clear();
    ComboBox3->setEnabled(any);
    Button2->setEnabled(any);
    ComboBox3->addItems(entries);
    ComboBox3->setCurrentIndex(current.isEmpty() ? -1 : ComboBox3->findText(current));
    forms.mainWindow().takeProfileList(entries, current);
}

void TForm2::SaveSettings(const QString& path)
{
    SettingsFile file(path);
    file.setFlag(flags::RunAtStartup, CheckBox1->isChecked());
    file.setFlag(flags::BallonTips, CheckBox2->isChecked());
    file.setFlag(flags::AutoRunAtStartup, CheckBox3->isChecked());
    file.setFlag(flags::CheckForUpdate, CheckBox4->isChecked());
    file.setFlag(flags::TransparentText, transparentText());

    file.setFlag(flags::ManagePosition, CheckBox5->isChecked());
    file.setText(AutoMode, ReloadTime, QString::number(edit1->number()));
    file.setInteger(AutoMode, keys::Mode, ComboBox1->currentIndex());
    file.setText(AutoMode, OffsetX, QString::number(edit2->number()));
    file.setText(AutoMode, OffsetY, QString::number(edit3->number()));

    file.setText(CustomMode, ReloadTime, QString::number(edit7->number()));
    file.setInteger(CustomMode, keys::Mode, ComboBox4->currentIndex());
    file.setText(CustomMode, OffsetX, QString::number(edit5->number()));
    file.setText(CustomMode, OffsetY, QString::number(edit6->number()));

    file.setText(General, TempSize, QString::number(edit4->number()));
    file.setCategory(ComboBox2->currentIndex());

    writeDisplayMethod(file, AutoMode, autoButtons_);
    writeDisplayMethod(file, CustomMode, customButtons_);

    ReapplyWallpaperPosition(context.platform, *this, SettingsFile().defaultMode(),
                             forms.mainWindow().managedPositionHint());

    file.setText(General, Hotkey, shortcutToText(HotKey1->hotKey()));
    // Last: a name that can not be kept is refused with everything else saved.
    file.setCurrentProfile(selectedProfileName());
}

// Qt makes the native window anew when its flags change (topmost while shown), but the hotkey
// belongs to the program for its whole run: it stays registered under the first handle, which
// is only its name in the system's table.
std::uintptr_t TForm2::hotKeyWindow()
{
    if (!hotKeyWindow_)
        hotKeyWindow_ = static_cast<std::uintptr_t>(winId());
    return hotKeyWindow_;
}

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
