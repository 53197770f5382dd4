// The wizard's two pages and their controls.
#include "wizard.h"

#include "common/context.h"
#include "common/guard.h"
#include "windows/handlayout.h"
#include "windows/linklabel.h"
#include "windows/picturelist.h"
#include "windows/previewbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 465;
constexpr int ClientHeight = 389;
constexpr int Margin = 8;
constexpr int OptionsHeight = 104;
constexpr int ButtonTop = ClientHeight - 33;
const QSize PreviewSize(453, 209);
const QColor LinkBlue(Qt::blue);

QFont withStyle(QFont font, bool bold, bool underline = false)
{
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

QLabel* line(QWidget* parent, const QString& text, bool bold, QColor colour = {})
{
    auto* label = new QLabel(text, parent);
    label->setFont(withStyle(label->font(), bold));
    if (colour.isValid()) {
        QPalette shades = label->palette();
        shades.setColor(QPalette::WindowText, colour);
        label->setPalette(shades);
    }
    return label;
}

QLabel* placed(QLabel* label, int x, int y)
{
    label->move(x, y);
    label->adjustSize();
    return label;
}

// What a mode does, in words; the wizard lets only the chosen mode's text take room.
QLabel* description(QWidget* parent, const QString& text, int height)
{
    auto* memo = new QLabel(text, parent);
    memo->setWordWrap(true);
    memo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    memo->setFixedHeight(height);
    return memo;
}

QComboBox* positionList(QWidget* parent, int x, int y)
{
    auto* positions = new QComboBox(parent);
    positions->addItems({QStringLiteral("Centered"), QStringLiteral("Tiled"),
                         QStringLiteral("Stretched"), QStringLiteral("Set Origin")});
    positions->setCurrentIndex(2);
    positions->setGeometry(x, y, 110, 21);
    return positions;
}

// "X:  Y:" with a four-digit field in each gap; hidden until "Set Origin" is chosen.
QWidget* originFields(QWidget* parent, int x, int y, QLineEdit*& originX, QLineEdit*& originY)
{
    auto* panel = new QWidget(parent);
    panel->setGeometry(x, y, 150, 21);
    auto* label = new QLabel(QStringLiteral("X:                 Y:"), panel);
    label->setGeometry(0, 0, 150, 21);
    const auto field = [panel] {
        auto* edit = new QLineEdit(QStringLiteral("100"), panel);
        edit->setMaxLength(4);
        edit->resize(edit->width(), 21);
        return edit;
    };
    originX = field();
    originY = field();
    placeInTextGap(*originX, *label, QStringLiteral("X:"), 48);
    placeInTextGap(*originY, *label, QStringLiteral("Y:"), 48);
    panel->hide();
    return panel;
}

QCheckBox* startBox(QWidget* parent, const QString& text, int y)
{
    auto* box = new QCheckBox(text, parent);
    box->setChecked(true);
    box->move(0, y);
    box->adjustSize();
    return box;
}

} // namespace

TForm4::TForm4(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Tapestron Wizard"), QSize(ClientWidth, ClientHeight))
{
    PageControl1 = new QStackedWidget(this);
    PageControl1->setGeometry(0, 0, ClientWidth, ClientHeight);
    TabSheet1 = buildOptionsPage();
    TabSheet2 = buildListPage();
    PageControl1->addWidget(TabSheet1);
    PageControl1->addWidget(TabSheet2);
    connectHandlers();
}

QWidget* TForm4::buildOptionsPage()
{
    // Made inside the window, so that what is sized to its text is sized in the window's font.
    auto* page = new QWidget(this);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(Margin, Margin, Margin, ClientHeight - ButtonTop + Margin);
    column->setSpacing(4);

    auto* header = new QHBoxLayout;
    auto* picture = new QLabel(page);
    picture->setPixmap(QGuiApplication::windowIcon().pixmap(32, 32));
    picture->setFixedSize(32, 32);
    auto* title = new QLabel(QStringLiteral("Welcome to Tapestron wizard!"), page);
    QFont titleFont = withStyle(title->font(), true);
    titleFont.setPointSize(12);
    title->setFont(titleFont);
    header->addWidget(picture);
    header->addWidget(title, 1);
    column->addLayout(header);

    auto* modes = new QLabel(QStringLiteral("Tapestron can be run in two modes:"), page);
    modes->setFont(withStyle(modes->font(), false, true));
    column->addWidget(modes);
    column->addWidget(line(
        page,
        QStringLiteral("1) If you want the Tapestron to manage your desktop wallpapers, select "),
        true));
    RadioButton1 =
        new QRadioButton(QStringLiteral("Automatic Wallpaper Mode (Let Tapestron do the job)"));
    RadioButton1->setFont(withStyle(RadioButton1->font(), true));
    RadioButton1->setChecked(true);
    column->addWidget(RadioButton1);
    Memo1 = description(
        page,
        QStringLiteral("Select a desired Category and let tapestron download and set the "
                       "wallpapers within it. You can set additional options later on under the "
                       "Settings section. Internet connection needed."),
        50);
    column->addWidget(Memo1);
    column->addWidget(
        line(page, QStringLiteral("2) If you want to make your own list(s) of Wallpapers, select"),
             true));
    RadioButton2 =
        new QRadioButton(QStringLiteral("Custom Wallpaper Mode (Select your own wallpapers)"));
    column->addWidget(RadioButton2);
    Memo2 = description(
        page,
        QStringLiteral("Choose wallpapers of your liking directly from your computer and organise "
                       "them as you wish so that you drag-and-drop the wallpaper to the desired "
                       "position. You can set additional options later on under the Settings "
                       "section. Internet connection not needed."),
        0);
    column->addWidget(Memo2);

    PageControl2 = new QStackedWidget(page);
    PageControl2->setFixedHeight(OptionsHeight);
    TabSheet3 = buildAutomaticOptions();
    TabSheet4 = buildCustomOptions();
    PageControl2->addWidget(TabSheet3);
    PageControl2->addWidget(TabSheet4);
    column->addWidget(PageControl2);
    column->addStretch(1);

    Label7 = new LinkLabel(QStringLiteral("Do you need more information? Get it here."), page);
    Label7->setFont(withStyle(Label7->font(), true, true));
    Label7->setLinkColour(LinkBlue);
    Label7->move(Margin, ButtonTop + 5);
    Label7->adjustSize();

    BitBtn2 = new QPushButton(QStringLiteral("Finish"), page);
    BitBtn2->setGeometry(ClientWidth - Margin - 75, ButtonTop, 75, 25);
    BitBtn3 = new QPushButton(QStringLiteral("Next"), page);
    BitBtn3->setGeometry(BitBtn2->geometry());
    BitBtn3->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    BitBtn3->setLayoutDirection(Qt::RightToLeft); // the glyph on the right of the caption
    BitBtn3->hide();
    return page;
}

QWidget* TForm4::buildAutomaticOptions()
{
    auto* page = new QWidget(this);
    const QColor red(Qt::red);
    placed(line(page,
                QStringLiteral("Please check the options below. Select wallpaper category and its "
                               "position."),
                true, red),
           0, 0);
    placed(line(page, QStringLiteral("When you are done, click Finish."), true, red), 0, 16);
    CheckBox1 =
        startBox(page, QStringLiteral("Start Automatic Wallpaper show at program startup"), 34);
    placed(line(page, QStringLiteral("Select wallpaper category:"), false), 0, 60);
    ComboBox1 = new QComboBox(page);
    ComboBox1->setGeometry(160, 57, 220, 21);
    ComboBox1->setMaxVisibleItems(18);
    placed(line(page, QStringLiteral("Wallpaper position options:"), false), 0, 84);
    ComboBox2 = positionList(page, 160, 81);
    Panel1 = originFields(page, 280, 81, Edit1, Edit2);
    return page;
}

QWidget* TForm4::buildCustomOptions()
{
    auto* page = new QWidget(this);
    const QColor red(Qt::red);
    placed(line(page, QStringLiteral("Please check the options below. Select wallpaper position."),
                true, red),
           0, 0);
    placed(line(page, QStringLiteral("When you are done, click Next."), true, red), 0, 16);
    CheckBox2 =
        startBox(page, QStringLiteral("Start Custom Wallpaper show at program startup"), 34);
    placed(line(page, QStringLiteral("Wallpaper position options:"), false), 0, 60);
    ComboBox3 = positionList(page, 160, 57);
    Panel2 = originFields(page, 280, 57, Edit3, Edit4);
    placed(
        line(page, QStringLiteral("To select images for custom wallpaper show, click Next!"), true),
        0, 86);
    return page;
}

QWidget* TForm4::buildListPage()
{
    auto* page = new QWidget(this);
    GroupBox1 = new QGroupBox(QStringLiteral("Wallpaper Preview"), page);
    setGroupSideMargin(*GroupBox1, 1);
    Image1 = new PreviewBox(PreviewSize, GroupBox1);
    Image1->setToolTip(QStringLiteral("Wallpaper preview."));
    const QMargins chrome = GroupBox1->contentsMargins();
    const int previewHeight = chrome.top() + Image1->height() + chrome.bottom();
    GroupBox1->setGeometry(0, 0, ClientWidth, previewHeight);
    const QRect inside = GroupBox1->contentsRect();
    Image1->move(inside.left() + (inside.width() - Image1->width()) / 2, inside.top());

    GroupBox2 = new QGroupBox(QStringLiteral("Wallpaper Show List"), page);
    GroupBox2->setGeometry(0, previewHeight, ClientWidth, ButtonTop - 4 - previewHeight);
    ListBox1 = new PictureList(context.dialogs, *Image1, PictureList::Order::AsAdded, GroupBox2);
    ListBox1->setGeometry(GroupBox2->contentsRect());
    ListBox1->setToolTip(
        QStringLiteral("Drag pictures you want to add to wallpaper show in filelist."));

    placed(line(page, QStringLiteral("Drag pictures to the list or use right click menu."), true),
           Margin, ButtonTop + 5);
    BitBtn1 = new QPushButton(QStringLiteral("Back"), page);
    BitBtn1->setToolTip(QStringLiteral("Go back to previus screen."));
    BitBtn1->setGeometry(ClientWidth - 2 * (Margin + 75), ButtonTop, 75, 25);
    button1 = new QPushButton(QStringLiteral("Finish"), page);
    button1->setToolTip(QStringLiteral("Finish the Tapestron wizard."));
    button1->setGeometry(ClientWidth - Margin - 75, ButtonTop, 75, 25);
    button1->setEnabled(false);

    PopupMenu1 = new QMenu(this);
    AddWallpaper1 = PopupMenu1->addAction(QStringLiteral("Add Wallpaper"));
    RemoveWallpaper1 = PopupMenu1->addAction(QStringLiteral("Remove Wallpaper"));
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    return page;
}

void TForm4::connectHandlers()
{
    Dialogs& dialogs = context.dialogs;
    const auto on = [&](QAbstractButton* button, void (TForm4::*handler)()) {
        connect(button, &QAbstractButton::clicked, this,
                guarded(dialogs, [this, handler] { (this->*handler)(); }));
    };
    on(RadioButton1, &TForm4::RadioButton1Click);
    on(RadioButton2, &TForm4::RadioButton2Click);
    on(BitBtn2, &TForm4::BitBtn2Click);
    on(BitBtn3, &TForm4::BitBtn3Click);
    on(BitBtn1, &TForm4::BitBtn1Click);
    on(button1, &TForm4::button1Click);
    for (QRadioButton* button : {RadioButton1, RadioButton2})
        button->installEventFilter(this);
    for (QComboBox* positions : {ComboBox2, ComboBox3})
        connect(positions, &QComboBox::activated, this,
                guarded(dialogs, [this, positions] { ComboBox2Change(positions); }));
    Label7->onClick = guarded(dialogs, [this] { Label7Click(); });
    Label7->onMouseEnter = guarded(dialogs, [this] { Label7MouseEnter(); });
    Label7->onMouseLeave = guarded(dialogs, [this] { Label7MouseLeave(); });
    ListBox1->setFileDropped([this] { enableFinishByCount(); });
    connect(AddWallpaper1, &QAction::triggered, this,
            guarded(dialogs, [this] { AddWallpaper1Click(); }));
    connect(RemoveWallpaper1, &QAction::triggered, this,
            guarded(dialogs, [this] { RemoveWallpaper1Click(); }));
    // A list reports the point in its viewport.
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](QPoint point) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(point)); });
}
