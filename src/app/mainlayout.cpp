// The main window's menus, pages and status bar.
#include "main.h"

#include "app/forms.h"
#include "automode/categories.h"
#include "statusbar.h"
#include "trayicon.h"
#include "windows/previewbox.h"

#include <QActionGroup>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString FavoritesHint =
    QStringLiteral("Add current wallpaper to favorite list. You can set favorites by selecting "
                   "favorites.tsl profile form Custom Wallpaper Show.");
const QString ReloadHint = QStringLiteral("Set new Wallpaper Now!");

// The program's icon, from the icon file the Windows executable carries as well.
QIcon programIcon() { return QIcon(QStringLiteral(":/tapestron.ico")); }

// The banner across the top of each page.
QLabel* banner(QWidget* page)
{
    QPixmap picture(427, 24);
    QPainter painter(&picture);
    QLinearGradient shade(0, 0, 427, 0);
    shade.setColorAt(0, QColor(40, 80, 130));
    shade.setColorAt(1, QColor(120, 170, 220));
    painter.fillRect(picture.rect(), shade);
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("Tahoma"), 10, QFont::Bold);
    painter.setFont(font);
    painter.drawText(picture.rect().adjusted(8, 0, 0, 0), Qt::AlignVCenter,
                     QStringLiteral("Tapestron"));
    auto* label = new QLabel(page);
    label->setPixmap(picture);
    label->setGeometry(0, 0, 427, 24);
    return label;
}

QPushButton* button(QWidget* parent, const QString& caption, const QString& hint, QRect place,
                    bool bold = false)
{
    auto* result = new QPushButton(caption, parent);
    result->setToolTip(hint);
    result->setGeometry(place);
    if (bold) {
        QFont font = result->font();
        font.setBold(true);
        result->setFont(font);
    }
    return result;
}

QLabel* caption(QWidget* page, const QString& text)
{
    auto* label = new QLabel(text, page);
    label->setGeometry(4, 30, 421, 16);
    return label;
}

void makeRadio(QObject* owner, std::initializer_list<QAction*> items)
{
    auto* group = new QActionGroup(owner);
    for (QAction* item : items) {
        item->setCheckable(true);
        group->addAction(item);
    }
}

} // namespace

void TForm1::buildMainMenu()
{
    MainMenu1 = new QMenuBar(this);
    QMenu* program = MainMenu1->addMenu(QStringLiteral("Program"));
    QMenu* operation = program->addMenu(QStringLiteral("Wallpaper Show Operation"));
    Start2 = operation->addAction(QStringLiteral("Start"));
    Stop2 = operation->addAction(QStringLiteral("Stop"));
    Settings1 = program->addAction(QStringLiteral("Settings"));
    program->setDefaultAction(Settings1);
    Restore2 = program->addAction(QStringLiteral("Restore Original Wallpaper"));
    program->addSeparator();
    HidetoTray1 = program->addAction(QStringLiteral("Hide to Tray"));
    Close1 = program->addAction(QStringLiteral("Exit"));

    QMenu* modes = modeMenu_ = MainMenu1->addMenu(QStringLiteral("Mode Selection"));
    AutomaticWallpaperShow1 = modes->addAction(QStringLiteral("Automatic Wallpaper Mode"));
    CustomSlideShow1 = modes->addAction(QStringLiteral("Custom Wallpaper Mode"));
    makeRadio(this, {AutomaticWallpaperShow1, CustomSlideShow1});
    AutomaticWallpaperShow1->setChecked(true);
    modes->addSeparator();
    RunWizzard1 = modes->addAction(QStringLiteral("Run Wizard"));

    QMenu* plugins = MainMenu1->addMenu(QStringLiteral("Plugins"));
    Manage1 = plugins->addAction(QStringLiteral("Manage"));

    QMenu* help = MainMenu1->addMenu(QStringLiteral("Help"));
    Checkforprogramupdates1 = help->addAction(QStringLiteral("Check for program updates"));
    UpdateProfileList1 = help->addAction(QStringLiteral("Update Profile List"));
    GetmoreProfilesforTapestron1 =
        help->addAction(QStringLiteral("Get more Profiles for Tapestron"));
    help->addSeparator();
    About1 = help->addAction(QStringLiteral("About"));
}

void TForm1::buildTrayMenu()
{
    // Not a child of this window: the tray menu must stay usable while a secondary window has
    // disabled this one. The tray icon owns it.
    PopupMenu1 = new QMenu;
    ReloadWallpaper1 = PopupMenu1->addAction(QStringLiteral("Reload / Set Wallpaper"));
    PopupMenu1->setDefaultAction(ReloadWallpaper1);
    AddtoFavorites1 = PopupMenu1->addAction(QStringLiteral("Add current wallpaper to Favorites"));
    QMenu* method = methodMenu_ = PopupMenu1->addMenu(QStringLiteral("Show Method"));
    AutomaticWallpaperShow2 = method->addAction(QStringLiteral("Automatic Wallpaper Mode"));
    CustomWallpaperShow1 = method->addAction(QStringLiteral("Custom Wallpaper Mode"));
    makeRadio(this, {AutomaticWallpaperShow2, CustomWallpaperShow1});
    AutomaticWallpaperShow2->setChecked(true);
    method->setDefaultAction(AutomaticWallpaperShow2);
    QMenu* operation = PopupMenu1->addMenu(QStringLiteral("Wallpaper Show Operation"));
    Start1 = operation->addAction(QStringLiteral("Start"));
    Stop1 = operation->addAction(QStringLiteral("Stop"));
    PopupMenu1->addSeparator();
    Restore1 = PopupMenu1->addAction(QStringLiteral("Open Tapestron"));
    RestoreOriginalWallpaper1 = PopupMenu1->addAction(QStringLiteral("Restore Original Wallpaper"));
    Settings2 = PopupMenu1->addAction(QStringLiteral("Settings"));
    Exit1 = PopupMenu1->addAction(QStringLiteral("Exit"));

    const QIcon icon = programIcon();
    TrayIcon1 = new TrayIcon(icon, PopupMenu1, this, forms.trayHostAvailable);
    // For every window and dialog of the program, those without an owner included.
    QGuiApplication::setWindowIcon(icon);
}

QWidget* TForm1::buildAutomaticPage()
{
    auto* page = new QWidget;
    banner(page);
    caption(page, QStringLiteral("Select Category from the list below and click Select."));
    ComboBox2 = new QComboBox(page);
    ComboBox2->addItems(defaultCategoryNames());
    ComboBox2->setMaxVisibleItems(18);
    ComboBox2->setGeometry(4, 50, 253, 22);
    BitBtn6 = button(page, QStringLiteral("Select"), QStringLiteral("Run selected category"),
                     QRect(262, 48, 78, 25), true);
    BitBtn10 = button(page, QStringLiteral("Preview"),
                      QStringLiteral("Preview wallpapers in selected category. You must be "
                                     "connected to the internet to view them."),
                      QRect(345, 48, 78, 25));
    Image1 = new PreviewBox(QSize(421, 270), page);
    Image1->move(2, 78);
    button4 = button(page, QStringLiteral("Reload Wallpaper"), ReloadHint, QRect(4, 354, 130, 25));
    BitBtn7 =
        button(page, QStringLiteral("Add to Favorites"), FavoritesHint, QRect(148, 354, 130, 25));
    button3 = button(page, QStringLiteral("Hide to Tray"), QStringLiteral("Hide to Tray"),
                     QRect(293, 354, 130, 25));
    return page;
}

QWidget* TForm1::buildCustomPage()
{
    auto* page = new QWidget;
    banner(page);
    caption(page, QStringLiteral("Select profile and click select to run the show, or edit, to "
                                 "modify selected profile:"));
    ComboBox1 = new QComboBox(page);
    ComboBox1->setMaxVisibleItems(16);
    ComboBox1->setGeometry(4, 50, 253, 22);
    BitBtn1 = button(page, QStringLiteral("Select"), QStringLiteral("Run selected profile"),
                     QRect(262, 48, 70, 25), true);
    BitBtn4 = button(page, QStringLiteral("\u270E"), QStringLiteral("Edit profile"),
                     QRect(336, 48, 28, 25));
    BitBtn5 = button(page, QStringLiteral("+"), QStringLiteral("Create new profile"),
                     QRect(366, 48, 28, 25));
    BitBtn9 = button(page, QStringLiteral("\u2715"), QStringLiteral("Delete Profile"),
                     QRect(396, 48, 28, 25));
    Image2 = new PreviewBox(QSize(421, 270), page);
    Image2->move(2, 78);
    BitBtn3 = button(page, QStringLiteral("Reload Wallpaper"), ReloadHint, QRect(4, 354, 130, 25));
    BitBtn8 =
        button(page, QStringLiteral("Add to Favorites"), FavoritesHint, QRect(148, 354, 130, 25));
    BitBtn2 = button(page, QStringLiteral("Hide to Tray"), QStringLiteral("Hide to Tray"),
                     QRect(293, 354, 130, 25));
    return page;
}
