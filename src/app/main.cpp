#include "main.h"

#include "automode/categories.h"
#include "common/context.h"
#include "common/guard.h"
#include "platform/system.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSessionManager>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

TForm1::TForm1(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Tapestron - Windows Wallpaper Changer"),
               QSize(435, 420))
{
    buildMenus();
    buildPages();
    // The system asks before the session ends; the answer is always yes.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { QueryEndSession(); });
}

void TForm1::buildMenus()
{
    MainMenu1 = new QMenuBar(this);
    QMenu* program = MainMenu1->addMenu(QStringLiteral("Program"));
    Close1 = program->addAction(QStringLiteral("Exit"));
    connect(Close1, &QAction::triggered, this, guarded(context.dialogs, [this] { Close1Click(); }));

    QMenu* modes = MainMenu1->addMenu(QStringLiteral("Mode Selection"));
    AutomaticWallpaperShow1 = modes->addAction(QStringLiteral("Automatic Wallpaper Mode"));
    CustomSlideShow1 = modes->addAction(QStringLiteral("Custom Wallpaper Mode"));
    auto* modeGroup = new QActionGroup(this);
    for (QAction* item : {AutomaticWallpaperShow1, CustomSlideShow1}) {
        item->setCheckable(true);
        modeGroup->addAction(item);
    }
    AutomaticWallpaperShow1->setChecked(true);

    PopupMenu1 = new QMenu(this);
    Exit1 = PopupMenu1->addAction(QStringLiteral("Exit"));
    connect(Exit1, &QAction::triggered, this, guarded(context.dialogs, [this] { ExitClick(); }));
}

void TForm1::buildPages()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(MainMenu1);
    PageControl1 = new QTabWidget(this);
    PageControl1->tabBar()->hide(); // only the mode commands switch pages
    layout->addWidget(PageControl1);

    TabSheet1 = new QWidget;
    ComboBox2 = new QComboBox(TabSheet1);
    ComboBox2->addItems(defaultCategoryNames());
    ComboBox2->setMaxVisibleItems(18);
    ComboBox2->setGeometry(8, 56, 281, 21);
    PageControl1->addTab(TabSheet1, QString());

    TabSheet2 = new QWidget;
    ComboBox1 = new QComboBox(TabSheet2);
    ComboBox1->setMaxVisibleItems(16);
    ComboBox1->setGeometry(8, 56, 281, 21);
    PageControl1->addTab(TabSheet2, QString());
}

std::uint32_t TForm1::applicationHandle() { return static_cast<std::uint32_t>(winId()); }

void TForm1::OnMaxInstancesReached(std::uint32_t storedWindow)
{
    setAttribute(Qt::WA_DontShowOnScreen);
    hide();
    platform::restoreAndActivateWindow(storedWindow);
    QCoreApplication::quit();
}

void TForm1::ExitClick()
{
    ExitRequested = true;
    if (close())
        QCoreApplication::quit();
}

void TForm1::Close1Click() { ExitClick(); }

bool TForm1::FormCloseQuery()
{
    if (ExitRequested || sessionEnding_)
        return true;
    hideToTray();
    return false;
}

bool TForm1::QueryEndSession()
{
    sessionEnding_ = true;
    return true;
}

void TForm1::hideToTray()
{
    // Hiding a top-level window also takes its taskbar entry away.
    hide();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool canClose = true;
    runGuarded(context.dialogs, [&] { canClose = FormCloseQuery(); });
    event->setAccepted(canClose);
}
