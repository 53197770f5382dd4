// What the settings window does: the show at program start, showing and activation, Apply, the
// reload units, the download cache and the buttons that open other windows.
#include "settings.h"

#include "advopt.h"
#include "app/forms.h"
#include "common/collectfiles.h"
#include "common/context.h"
#include "common/guard.h"
#include "common/paths.h"
#include "common/settingstable.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "custommode/pedit.h"
#include "custommode/profiles.h"
#include "hotkeyedit.h"
#include "platform/files.h"
#include "spinedit.h"
#include "windows/mainoperations.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>

#include <cstdint>
#include <utility>

namespace {

// The bitmaps of the automatic mode's download cache, subfolders included.
QStringList tempCacheFiles()
{
    QStringList files;
    CollectFiles(userDataPath(QStringLiteral("Temp")), QStringLiteral("*.bmp"), files);
    return files;
}

QString tempCacheSizeText()
{
    const QStringList files = tempCacheFiles();
    std::int64_t bytes = 0;
    for (const QString& file : files)
        bytes += QFileInfo(file).size();
    return QStringLiteral("Current size is ") + QString::number(bytes / 1'000'000) +
           QStringLiteral(" MB in ") + QString::number(files.size()) + QStringLiteral(" file(s).");
}

// A new reload unit starts from its smallest value.
void setReloadUnit(SpinEdit* edit, const QString& unit)
{
    if (unit == QStringLiteral("mins")) {
        edit->setRange(30, 180);
        edit->setValue(30);
    } else if (unit == QStringLiteral("hours")) {
        edit->setRange(1, 48);
        edit->setValue(1);
    }
}

} // namespace

void TForm2::connectActions()
{
    auto& dialogs = context.dialogs;
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded(dialogs, [this] { Button3Click(); }));
    connect(BitBtn1, &QPushButton::clicked, this, guarded(dialogs, [this] { BitBtn1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
    connect(Button4, &QPushButton::clicked, this, guarded(dialogs, [this] { Button4Click(); }));
    // Only the user's choice of a unit resets the value: LoadSettings sets the unit and then the
    // stored value, and that value must stay.
    connect(ComboBox1, &QComboBox::activated, this,
            guarded(dialogs, [this] { ComboBox1Change(); }));
    connect(ComboBox4, &QComboBox::activated, this,
            guarded(dialogs, [this] { ComboBox4Change(); }));
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            [this](QWindow* now) { focusWindowChanged(now); });
    focusWindow_ = QGuiApplication::focusWindow();
}

// The focus may still move while the window's base parts are torn down.
TForm2::~TForm2() { disconnect(qGuiApp, nullptr, this, nullptr); }

void TForm2::setVisible(bool visible)
{
    if (visible == isVisible()) {
        FormBase::setVisible(visible);
        return;
    }
    if (visible) {
        FormShow();
        activationPending_ = true;
        FormBase::setVisible(true);
    } else {
        FormBase::setVisible(false);
        activationPending_ = false;
        FormHide();
    }
}

void TForm2::closeEvent(QCloseEvent* event)
{
    // The window lives as long as the program: an accepted close would destroy it, so the close
    // is declined and the window hidden instead.
    event->ignore();
    hide();
}

void TForm2::FormShow()
{
    forms.mainWindow().setDisabledBy(*this, true);
    // Still hidden here: the flag can change without hiding the window.
    setTopmost(true);
    categoryAtShow_ = ComboBox2->currentText();
}

void TForm2::FormHide()
{
    forms.mainWindow().setDisabledBy(*this, false);
    setTopmost(false);
}

void TForm2::FormActivate()
{
    LoadSettings(settingsFilePath());
    Label4->setText(tempCacheSizeText());
}

// Only one window of the program has the focus at a time, and none while another application
// has it; so a focus that comes from nowhere comes from outside the program.
void TForm2::focusWindowChanged(QWindow* now)
{
    const bool fromProgram = !focusWindow_.isNull();
    focusWindow_ = now;
    if (!now || now != QWidget::windowHandle() || !isVisible())
        return;
    if (std::exchange(activationPending_, false) || fromProgram)
        runGuarded(context.dialogs, [this] { FormActivate(); });
}

void TForm2::Button1Click()
{
    MainWindowOperations& main = forms.mainWindow();
    const Mode mode = main.showMode();
    if (mode != Mode::Neither) {
        if (const auto period = showPeriod(mode))
            main.setShowInterval(*period);
        SaveSettings(settingsFilePath());
        LoadSettings(settingsFilePath());
        hide();
        if (mode == Mode::Auto) {
            // The next fetch downloads the category's list again.
            main.clearPendingList();
            if (ComboBox2->currentText() != categoryAtShow_)
                main.fetchWallpaperWhenIdle();
        }
    }
    // Registered again without unregistering first: where LoadSettings has registered it
    // already, the system refuses the second registration and the first one stays.
    registerHotKey(HotKey1->hotKey());
}

void TForm2::Button3Click() { hide(); }

void TForm2::BitBtn1Click()
{
    SaveSettings(settingsFilePath());
    forms.Form9->show();
}

// The entry's place in the list tells which file it is: a subfolder may hold a profile of the
// same name as one above it.
QString TForm2::selectedProfileFile() const
{
    return profileFileOfEntry(ComboBox3->currentIndex(), ComboBox3->currentText());
}

QString TForm2::selectedProfileName() const
{
    return ComboBox3->currentIndex() < 0 ? QString() : profileNameOfFile(selectedProfileFile());
}

void TForm2::Button2Click()
{
    if (ComboBox3->currentIndex() < 0) {
        context.dialogs.showMessage(QStringLiteral("Select a profile to edit."));
        return;
    }
    const QString file = selectedProfileFile();
    forms.Form7->openForEdit(readTextList(file), {file, false, true});
}

void TForm2::Button4Click()
{
    if (context.dialogs.askYesNo(QStringLiteral("Delete temp files?")))
        for (const QString& file : tempCacheFiles())
            platform::deleteFile(toStd(file)); // one that can not be deleted is skipped
    FormActivate();
}

void TForm2::ComboBox1Change() { setReloadUnit(edit1, ComboBox1->currentText()); }

void TForm2::ComboBox4Change() { setReloadUnit(edit7, ComboBox4->currentText()); }
