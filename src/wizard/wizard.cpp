#include "wizard.h"

#include "app/forms.h"
#include "common/context.h"
#include "common/guard.h"
#include "common/paths.h"
#include "common/service.h"
#include "common/settingstable.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "custommode/profiles.h"
#include "settings/livesettings.h"
#include "settings/settings.h"
#include "wallpaper/picture.h"
#include "windows/linklabel.h"
#include "windows/mainoperations.h"
#include "windows/picturelist.h"
#include "windows/previewbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QStackedWidget>

#include <algorithm>
#include <numeric>

namespace {

constexpr int SetOrigin = 3; // the position lists' last entry

void setBold(QWidget* widget, bool bold)
{
    QFont font = widget->font();
    font.setBold(bold);
    widget->setFont(font);
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette shades = widget->palette();
    shades.setColor(QPalette::WindowText, colour);
    shades.setColor(QPalette::ButtonText, colour);
    widget->setPalette(shades);
}

const QString& sectionOf(Mode mode)
{
    return mode == Mode::Auto ? keys::AutoMode : keys::CustomMode;
}

// What both ways through the wizard write for their mode: the start box, the origin as typed, and
// the settings window's reload value and unit (the wizard does not ask for them).
void writeModeOptions(SettingsFile& file, Mode mode, const QCheckBox& startBox,
                      const QLineEdit& originX, const QLineEdit& originY, const LiveSettings& live)
{
    const QString& section = sectionOf(mode);
    file.setFlag(flags::AutoRunAtStartup, startBox.isChecked());
    file.setText(section, keys::OffsetX, originX.text());
    file.setText(section, keys::OffsetY, originY.text());
    file.setText(section, keys::ReloadTime, live.reloadTimeText(mode));
    file.setInteger(section, keys::Mode, live.reloadUnitIndex(mode));
}

// The position as the display method's number; left alone when none is chosen.
void writePosition(SettingsFile& file, Mode mode, const QComboBox& positions)
{
    if (positions.currentIndex() >= 0)
        file.setInteger(sectionOf(mode), keys::DisplayMethod, positions.currentIndex() + 1);
}

} // namespace

void TForm4::FormCreate()
{
    PageControl1->setCurrentWidget(TabSheet1);
    PageControl2->setCurrentWidget(TabSheet3);
    if (!SettingsFile().exists())
        show();
    Image1->setPicture(ShowPreviewScaled(
        LoadPictureAsBitmap(context.programPath(QStringLiteral("data/noimg.jpg"))),
        Image1->boxSize()));
}

void TForm4::setVisible(bool visible)
{
    if (visible == isVisible()) {
        FormBase::setVisible(visible);
        return;
    }
    Dialogs& dialogs = context.dialogs;
    if (visible) {
        // Still hidden here: the flag can change without hiding the window.
        setTopmost(true);
        runGuarded(dialogs, [this] { FormShow(); });
        FormBase::setVisible(true);
        runGuarded(dialogs, [this] { FormActivate(); });
    } else {
        FormBase::setVisible(false);
        setTopmost(false);
        runGuarded(dialogs, [this] { FormHide(); });
    }
}

void TForm4::FormShow() { forms.mainWindow().stopShow(); }

// Also after the close button: a wizard left unfinished leaves the show running as it starts.
void TForm4::FormHide()
{
    if (CheckBox1->isChecked() || CheckBox2->isChecked())
        forms.mainWindow().startShow();
}

// The names sorted for the eye; each keeps its place in the catalog, which is what the show reads
// the category by.
void TForm4::FormActivate()
{
    PageControl1->setCurrentWidget(TabSheet1);
    ComboBox1->clear();
    const QStringList names =
        readTextList(context.programPath(QStringLiteral("data/profiles.tsl")));
    std::vector<int> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&names](int a, int b) {
        return QString::compare(names[a], names[b], Qt::CaseInsensitive) < 0;
    });
    for (int index : order)
        ComboBox1->addItem(names[index], index);
    ComboBox1->setCurrentIndex(ComboBox1->count() > 0 ? 0 : -1);
}

void TForm4::RadioButton1Click()
{
    setBold(RadioButton1, true);
    setBold(RadioButton2, false);
    RadioButton2->setChecked(false);
    PageControl2->setCurrentWidget(TabSheet3);
    if (ComboBox1->count() > 0)
        ComboBox1->setCurrentIndex(int(QRandomGenerator::global()->bounded(ComboBox1->count())));
    BitBtn2->show();
    BitBtn3->hide();
    Memo1->setFixedHeight(50);
    Memo2->setFixedHeight(0);
}

void TForm4::RadioButton2Click()
{
    setBold(RadioButton2, true);
    setBold(RadioButton1, false);
    RadioButton1->setChecked(false);
    PageControl2->setCurrentWidget(TabSheet4);
    BitBtn2->hide();
    BitBtn3->show();
    Memo2->setFixedHeight(50);
    Memo1->setFixedHeight(0);
}

void TForm4::RadioButtonHover(QRadioButton* button, bool inside)
{
    setTextColour(button, inside ? QColor(Qt::red) : QColor(Qt::black));
}

bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == RadioButton1 || watched == RadioButton2) &&
        (event->type() == QEvent::Enter || event->type() == QEvent::Leave))
        RadioButtonHover(static_cast<QRadioButton*>(watched), event->type() == QEvent::Enter);
    return FormBase::eventFilter(watched, event);
}

void TForm4::ComboBox2Change(QComboBox* positions)
{
    QWidget* origin = positions == ComboBox2 ? Panel1 : Panel2;
    origin->setVisible(positions->currentIndex() == SetOrigin);
}

void TForm4::Label7Click()
{
    context.platform.shell->open(toStd(serviceBaseUrl() + QStringLiteral("/faq.html")));
}

void TForm4::Label7MouseEnter() { Label7->setLinkColour(Qt::red); }

void TForm4::Label7MouseLeave() { Label7->setLinkColour(Qt::blue); }

void TForm4::BitBtn2Click()
{
    MainWindowOperations& main = forms.mainWindow();
    const LiveSettings& live = forms.liveSettings();
    createUserFolders();
    {
        SettingsFile file;
        writeModeOptions(file, Mode::Auto, *CheckBox1, *Edit1, *Edit2, live);
        file.setCategory(ComboBox1->currentIndex() >= 0 ? ComboBox1->currentData().toInt() : -1);
        writePosition(file, Mode::Auto, *ComboBox2);
    }
    forms.Form2->LoadSettings(settingsFilePath());
    hide();
    main.clearPendingList();
    SettingsFile().setDefaultMode(Mode::Auto);
    main.selectMode(Mode::Auto);
    if (CheckBox1->isChecked()) {
        if (const auto period = live.showPeriod(Mode::Auto))
            main.setShowInterval(*period);
        main.startShow();
        main.runSelectedCategory();
    }
}

void TForm4::BitBtn3Click()
{
    createUserFolders();
    {
        SettingsFile file;
        writeModeOptions(file, Mode::Custom, *CheckBox2, *Edit3, *Edit4, forms.liveSettings());
        writePosition(file, Mode::Custom, *ComboBox3);
    }
    forms.Form2->LoadSettings(settingsFilePath());
    PageControl1->setCurrentWidget(TabSheet2);
}

void TForm4::BitBtn1Click() { PageControl1->setCurrentWidget(TabSheet1); }

// The profile replaces one of the same name. Saving it is the first thing written: a name that
// can not be a file name ends the finish with nothing changed and the wizard still open.
void TForm4::button1Click()
{
    const std::optional<QString> fileName = askNewProfileFileName(context.dialogs);
    if (!fileName)
        return;
    writeTextList(profilePath(*fileName), ListBox1->entries());
    {
        SettingsFile file;
        file.setCurrentProfile(*fileName);
        file.setDefaultMode(Mode::Custom);
    }
    hide();
    // Listing the profiles again makes the new one current and the custom page usable.
    forms.Form2->LoadSettings(settingsFilePath());
    MainWindowOperations& main = forms.mainWindow();
    main.selectMode(Mode::Custom);
    if (CheckBox2->isChecked()) {
        if (const auto period = forms.liveSettings().showPeriod(Mode::Custom))
            main.setShowInterval(*period);
        main.startShow();
        main.runSelectedProfile();
    }
}

void TForm4::AddWallpaper1Click()
{
    if (ListBox1->addFromDialog())
        enableFinishByCount();
    showCount();
}

void TForm4::RemoveWallpaper1Click()
{
    if (ListBox1->currentItem())
        ListBox1->removeSelected();
    enableFinishByCount();
    showCount();
}

void TForm4::showCount()
{
    GroupBox2->setTitle(QStringLiteral("Wallpaper Show List: (%1)").arg(ListBox1->count()));
}

void TForm4::enableFinishByCount() { button1->setEnabled(ListBox1->count() > 0); }
