#include "settings.h"

#include "advopt.h"
#include "app/forms.h"
#include "automode/categories.h"
#include "common/context.h"
#include "common/guard.h"
#include "common/paths.h"
#include "common/showinterval.h"
#include "common/systemtexts.h"
#include "common/textlist.h"
#include "hotkeyedit.h"
#include "runatstartup.h"
#include "spinedit.h"
#include "windows/handlayout.h"
#include "windows/mainoperations.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <tuple>

namespace {

QCheckBox* checkBox(QWidget* parent, const QString& caption, int x, int y, const QString& hint = {})
{
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(x, y, 280, 17);
    box->setToolTip(hint);
    return box;
}

QLabel* label(QWidget* parent, const QString& caption, int x, int y, int width = 280)
{
    auto* text = new QLabel(caption, parent);
    text->setGeometry(x, y, width, 16);
    return text;
}

SpinEdit* spinEdit(QWidget* parent, int x, int y, int minValue, int maxValue, int value,
                   int width = 57)
{
    auto* edit = new SpinEdit(parent);
    edit->setGeometry(x, y, width, 22);
    edit->setRange(minValue, maxValue);
    edit->setValue(value);
    return edit;
}

QComboBox* unitBox(QWidget* parent, int x, int y)
{
    auto* box = new QComboBox(parent);
    box->addItems({QStringLiteral("mins"), QStringLiteral("hours")});
    box->setCurrentIndex(0);
    box->setGeometry(x, y, 73, 21);
    return box;
}

QGroupBox* groupBox(QWidget* parent, const QString& caption, int y, int height)
{
    auto* group = new QGroupBox(caption, parent);
    group->setGeometry(8, y, 286, height);
    return group;
}

void setBold(QWidget* widget, bool bold)
{
    QFont font = widget->font();
    font.setBold(bold);
    widget->setFont(font);
}

} // namespace

TForm2::TForm2(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Settings"), QSize(306, 278))
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(0, 0, 306, 240);
    PageControl1->addTab(buildGeneralPage(), QStringLiteral("General"));
    PageControl1->addTab(buildAutoPage(), QStringLiteral("Auto Wallpaper Mode"));
    PageControl1->addTab(buildCustomPage(), QStringLiteral("Custom Wallpaper Mode"));
    fitTabTexts(*PageControl1);
    // The spin edits sit in the gaps of their captions, measured in the window's font.
    placeInTextGap(*edit4, *Label3, QStringLiteral("Limit temp size to"), 50);
    for (auto [caption, x, y] :
         {std::tuple(Label2, edit2, edit3), std::tuple(Label9, edit5, edit6)}) {
        placeInTextGap(*x, *caption, QStringLiteral("X:"), 52);
        placeInTextGap(*y, *caption, QStringLiteral("Y:"), 52);
    }

    BitBtn1 = new QPushButton(QStringLiteral("Advanced"), this);
    BitBtn1->setGeometry(8, 248, 89, 25);
    Button1 = new QPushButton(QStringLiteral("Apply"), this);
    Button1->setGeometry(128, 248, 81, 25);
    setBold(Button1, true);
    Button3 = new QPushButton(QStringLiteral("Close"), this);
    Button3->setGeometry(217, 248, 81, 25);

    auto& dialogs = context.dialogs;
    connect(CheckBox1, &QCheckBox::toggled, this,
            guarded(dialogs, [this](bool) { CheckBox1Click(); }));
    connect(CheckBox5, &QCheckBox::toggled, this,
            guarded(dialogs, [this](bool) { CheckBox5Click(); }));
    for (const auto& group : {autoButtons_, customButtons_})
        for (QRadioButton* button : group)
            connect(button, &QRadioButton::toggled, this, [this, button](bool on) {
                if (on)
                    RadioButtonClick(button);
            });
    RadioButtonClick(RadioButton3);
    RadioButtonClick(RadioButton7);
    connectActions();

    // The global hotkey reloads the wallpaper of the current mode, shown or not.
    context.platform.hotkeys->setHotKeyHandler(
        guarded(dialogs, [this](platform::WindowHandle window, int id) {
            if (window == hotKeyWindow() && id == hotKeyId_)
                this->forms.mainWindow().reloadWallpaper();
        }));
}

QWidget* TForm2::buildGeneralPage()
{
    auto* page = new QWidget;
    CheckBox1 = checkBox(page, systemTexts().runAtStartup, 8, 8, systemTexts().runAtStartupHint);
    CheckBox3 =
        checkBox(page, QStringLiteral("Automatic Run Wallpaper show at Tapestron start"), 8, 28,
                 QStringLiteral("If this option is checked then Wallpaper show will start "
                                "automatically at program startup."));
    CheckBox2 = checkBox(page, QStringLiteral("Disable tray Balloon Tips"), 8, 48,
                         QStringLiteral("If you do not like balloon tips, check this box and they "
                                        "will not bother you again."));
    CheckBox4 =
        checkBox(page, QStringLiteral("Check for new version at Tapestron startup"), 8, 68,
                 QStringLiteral("Check this option and the program will automatically check "
                                "if new version of Tapestron exists. Internet connection "
                                "needed."));
    Label5 = label(page, QStringLiteral("Set hotkey to reload Wallpaper."), 8, 96);
    lab = label(page, QStringLiteral("Set Global Hotkey:"), 8, 120, 100);
    HotKey1 = new HotKeyEdit(page);
    HotKey1->setGeometry(112, 116, 121, 21);
    HotKey1->setHotKey(Shortcut{'R', false, true, true});
    Label3 = label(page, QStringLiteral("Limit temp size to                  wallpapers."), 8, 152);
    edit4 = spinEdit(page, 0, 149, 1, 100, 100, 50); // placed in the caption's gap
    edit4->setToolTip(QStringLiteral("Only for Automatic Wallpaper Show."));
    Label3->setToolTip(edit4->toolTip());
    Button4 = new QPushButton(QStringLiteral("Clear Temp"), page);
    Button4->setGeometry(8, 180, 81, 25);
    Label4 = label(page, QStringLiteral("Current size:"), 96, 185, 200);
    return page;
}

std::array<QRadioButton*, 4> TForm2::buildPositionGroup(QGroupBox* group, QLabel*& caption,
                                                        SpinEdit*& x, SpinEdit*& y)
{
    const std::array<QString, 4> captions{QStringLiteral("Centered"), QStringLiteral("Tiled"),
                                          QStringLiteral("Stretched"),
                                          QStringLiteral("Set origin to (X,Y):")};
    const std::array<QPoint, 4> places{QPoint(8, 18), QPoint(96, 18), QPoint(184, 18),
                                       QPoint(8, 37)};
    std::array<QRadioButton*, 4> buttons{};
    for (int i = 0; i < 4; ++i) {
        buttons[i] = new QRadioButton(captions[i], group);
        buttons[i]->setGeometry(places[i].x(), places[i].y(), i == 3 ? 130 : 86, 17);
    }
    buttons[2]->setChecked(true);
    caption = label(group, QStringLiteral("X:                   Y:"), 8, 60, 200);
    // Placed in the caption's gaps once the window's font is known.
    x = spinEdit(group, 0, 57, 0, 0, 100, 52);
    y = spinEdit(group, 0, 57, 0, 0, 100, 52);
    return buttons;
}

QWidget* TForm2::buildAutoPage()
{
    auto* page = new QWidget;
    CheckBox5 = checkBox(page, QStringLiteral("Let Tapestron manage Wallpaper Position"), 8, 6);
    GroupBox1 = groupBox(page, QStringLiteral("Wallpaper position options:"), 26, 84);
    autoButtons_ = buildPositionGroup(GroupBox1, Label2, edit2, edit3);
    std::tie(RadioButton1, RadioButton2, RadioButton3, RadioButton4) =
        std::tuple(autoButtons_[0], autoButtons_[1], autoButtons_[2], autoButtons_[3]);

    GroupBox2 = groupBox(page, QStringLiteral("Reload Wallpaper options:"), 114, 46);
    Label1 = label(GroupBox2, QStringLiteral("Reload every"), 8, 22, 70);
    edit1 = spinEdit(GroupBox2, 80, 19, 30, 180, 30);
    ComboBox1 = unitBox(GroupBox2, 144, 19);

    GroupBox3 = groupBox(page, QStringLiteral("Other Wallpaper Options:"), 164, 46);
    Label6 = label(GroupBox3, QStringLiteral("Category:"), 8, 22, 56);
    ComboBox2 = new QComboBox(GroupBox3);
    ComboBox2->setGeometry(64, 19, 214, 21);
    ComboBox2->addItems(defaultCategoryNames());
    return page;
}

QWidget* TForm2::buildCustomPage()
{
    auto* page = new QWidget;
    GroupBox4 = groupBox(page, QStringLiteral("Wallpaper position options:"), 6, 84);
    customButtons_ = buildPositionGroup(GroupBox4, Label9, edit5, edit6);
    std::tie(RadioButton5, RadioButton6, RadioButton7, RadioButton8) =
        std::tuple(customButtons_[0], customButtons_[1], customButtons_[2], customButtons_[3]);

    GroupBox5 = groupBox(page, QStringLiteral("Reload Wallpaper options:"), 94, 46);
    Label10 = label(GroupBox5, QStringLiteral("Reload every "), 8, 22, 70);
    edit7 = spinEdit(GroupBox5, 80, 19, 0, 9999, 30);
    ComboBox4 = unitBox(GroupBox5, 144, 19);

    GroupBox6 = groupBox(page, QStringLiteral("Select your profile:"), 144, 50);
    ComboBox3 = new QComboBox(GroupBox6);
    ComboBox3->setGeometry(8, 20, 190, 21);
    Button2 = new QPushButton(QStringLiteral("Edit"), GroupBox6);
    Button2->setGeometry(204, 18, 75, 25);
    return page;
}

void TForm2::FormCreate()
{
    registerHotKey(HotKey1->hotKey());
    ComboBox2->clear();
    ComboBox2->addItems(readTextList(context.programPath(QStringLiteral("data/profiles.tsl"))));
    LoadSettings(settingsFilePath());
    CheckBox1Click();
}

void TForm2::takeCategoryNames(const QStringList& names) { refillKeepingChoice(*ComboBox2, names); }

void TForm2::CheckBox1Click()
{
    platform::Registry& registry = *context.platform.registry;
    if (!CheckBox1->isChecked()) {
        removeRunAtStartup(registry);
        return;
    }
    if (!writeRunAtStartup(registry, context.programExecutablePath()))
        context.dialogs.showMessage(QStringLiteral("Setting can not be set: RunAtStartupSet"));
}

void TForm2::CheckBox5Click()
{
    const bool managed = CheckBox5->isChecked();
    GroupBox1->setEnabled(!managed);
    for (QRadioButton* button : autoButtons_)
        button->setEnabled(!managed);
    for (SpinEdit* edit : {edit2, edit3}) {
        QPalette colours = edit->palette();
        colours.setColor(QPalette::Base,
                         managed ? palette().color(QPalette::Button) : QColor(Qt::white));
        edit->setPalette(colours);
    }
}

void TForm2::RadioButtonClick(QRadioButton* chosen)
{
    const auto& group = chosen->parentWidget() == GroupBox1 ? autoButtons_ : customButtons_;
    for (QRadioButton* button : group)
        setBold(button, button == chosen);
}

namespace {
PositionChoice positionOf(const std::array<QRadioButton*, 4>& buttons, const SpinEdit* x,
                          const SpinEdit* y)
{
    return {buttons[0]->isChecked(),
            buttons[1]->isChecked(),
            buttons[2]->isChecked(),
            buttons[3]->isChecked(),
            x->text(),
            y->text()};
}
} // namespace

PositionChoice TForm2::autoPosition() const { return positionOf(autoButtons_, edit2, edit3); }

PositionChoice TForm2::customPosition() const { return positionOf(customButtons_, edit5, edit6); }

bool TForm2::managePosition() const { return CheckBox5->isChecked(); }

bool TForm2::transparentText() const { return forms.Form9->transparentText(); }

bool TForm2::balloonsDisabled() const { return CheckBox2->isChecked(); }

bool TForm2::showAtProgramStart() const { return CheckBox3->isChecked(); }

bool TForm2::checkForUpdatesAtStart() const { return CheckBox4->isChecked(); }

std::optional<std::uint32_t> TForm2::showPeriod(Mode mode) const
{
    if (mode == Mode::Neither)
        return std::nullopt;
    return reloadPeriod(reloadTimeText(mode), reloadUnitIndex(mode));
}

QString TForm2::reloadTimeText(Mode mode) const
{
    switch (mode) {
    case Mode::Auto:
        return edit1->text();
    case Mode::Custom:
        return edit7->text();
    case Mode::Neither:
        break;
    }
    return QString();
}

int TForm2::reloadUnitIndex(Mode mode) const
{
    switch (mode) {
    case Mode::Auto:
        return ComboBox1->currentIndex();
    case Mode::Custom:
        return ComboBox4->currentIndex();
    case Mode::Neither:
        break;
    }
    return -1;
}

QString TForm2::tempCacheLimit() const { return edit4->text(); }
