#include "pluginman.h"

#include "app/forms.h"
#include "common/context.h"
#include "common/guard.h"
#include "common/settingstable.h"
#include "finfo.h"
#include "protocol.h"
#include "windows/mainoperations.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>

namespace {

// The list's own data: the section a row shows, which stays the one to erase even when the
// file's Name says otherwise.
constexpr int SectionRole = Qt::UserRole;

} // namespace

TForm11::TForm11(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Plugin Manager"), QSize(389, 180)),
      activation_(*this, guarded(context.dialogs, [this] { FormActivate(); }))
{
    ListView1 = new QTableWidget(0, 2, this);
    ListView1->setGeometry(8, 8, 373, 133);
    ListView1->setHorizontalHeaderLabels({QStringLiteral("Plugin Name"), QStringLiteral("Status")});
    ListView1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    ListView1->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
    ListView1->setColumnWidth(1, 100);
    ListView1->horizontalHeader()->setHighlightSections(false);
    ListView1->verticalHeader()->hide();
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setShowGrid(true);
    ListView1->setWordWrap(false);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);

    BitBtn1 = new QPushButton(QStringLiteral("Add"), this);
    BitBtn1->setGeometry(8, 148, 75, 25);
    BitBtn2 = new QPushButton(QStringLiteral("Remove"), this);
    BitBtn2->setGeometry(89, 148, 75, 25);
    button1 = new QPushButton(QStringLiteral("Close"), this);
    button1->setGeometry(306, 148, 75, 25);

    PopupMenu1 = new QMenu(this);
    Activate1 = PopupMenu1->addAction(QStringLiteral("Activate plugin"));
    Deactivateplugin1 = PopupMenu1->addAction(QStringLiteral("Deactivate plugin"));
    PopupMenu1->addSeparator();
    Info1 = PopupMenu1->addAction(QStringLiteral("Info"));

    addRow(ShowOpenFileName, PluginEnabled, ShowOpenFileName);

    auto& dialogs = context.dialogs;
    connect(BitBtn1, &QPushButton::clicked, this, guarded(dialogs, [this] { BitBtn1Click(); }));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(dialogs, [this] { BitBtn2Click(); }));
    connect(button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Activate1, &QAction::triggered, this, guarded(dialogs, [this] { Activate1Click(); }));
    connect(Deactivateplugin1, &QAction::triggered, this,
            guarded(dialogs, [this] { Deactivateplugin1Click(); }));
    connect(Info1, &QAction::triggered, this, guarded(dialogs, [this] { Info1Click(); }));
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
    });
}

PluginListFile TForm11::pluginList() const { return PluginListFile(context); }

void TForm11::FormCreate()
{
    if (pluginList().exists()) {
        FormActivate();
        return;
    }
    ListView1->selectRow(0);
    Activate1Click();
}

void TForm11::setVisible(bool visible)
{
    const bool showing = visible && !isVisible();
    const bool hiding = !visible && isVisible();
    if (showing) {
        runGuarded(context.dialogs, [this] { FormShow(); });
        activation_.shown();
    }
    FormBase::setVisible(visible);
    if (hiding) {
        activation_.hidden();
        FormHide();
    }
}

void TForm11::FormShow()
{
    forms.mainWindow().setDisabledBy(*this, true);
    // Still hidden here: the flag can change without hiding the window.
    setTopmost(true);
}

void TForm11::FormHide()
{
    forms.mainWindow().setDisabledBy(*this, false);
    setTopmost(false);
}

void TForm11::FormActivate()
{
    const PluginListFile list = pluginList();
    if (!list.exists())
        return;
    // Every return to the window reads the list again, the return from a row's own popup menu
    // included, whose Info reads the chosen row: the row chosen stays chosen.
    const int chosen = selectedRow();
    const QString section =
        chosen < 0 ? QString() : ListView1->item(chosen, 0)->data(SectionRole).toString();
    ListView1->setRowCount(0);
    for (const PluginEntry& entry : list.entries()) {
        addRow(entry.name, entry.status, entry.section);
        if (!section.isEmpty() && entry.section.compare(section, Qt::CaseInsensitive) == 0)
            ListView1->selectRow(ListView1->rowCount() - 1);
    }
}

void TForm11::addRow(const QString& name, const QString& status, const QString& section)
{
    const int row = ListView1->rowCount();
    ListView1->insertRow(row);
    auto* caption = new QTableWidgetItem(style()->standardIcon(QStyle::SP_FileIcon), name);
    caption->setData(SectionRole, section);
    ListView1->setItem(row, 0, caption);
    ListView1->setItem(row, 1, new QTableWidgetItem(status));
}

void TForm11::setStatus(int row, const QString& status)
{
    ListView1->item(row, 1)->setText(status);
}

int TForm11::selectedRow() const
{
    const QList<QTableWidgetItem*> chosen = ListView1->selectedItems();
    return chosen.isEmpty() ? -1 : chosen.front()->row();
}

QString TForm11::selectedPluginName() const
{
    const int row = selectedRow();
    return row < 0 ? QString() : ListView1->item(row, 0)->text();
}

bool TForm11::isKnownPlugin(int row)
{
    if (ListView1->item(row, 0)->text() == ShowOpenFileName)
        return true;
    context.dialogs.showMessage(QStringLiteral("Unknown Plugin."));
    return false;
}

void TForm11::Activate1Click()
{
    const int row = selectedRow();
    if (row < 0 || !isKnownPlugin(row))
        return;
    RegisterShowOpenProtocol(*context.platform.registry, context);
    pluginList().setEntry(ShowOpenFileName, PluginEnabled);
    ListView1->item(row, 0)->setText(ShowOpenFileName);
    setStatus(row, PluginEnabled);
}

void TForm11::Deactivateplugin1Click()
{
    const int row = selectedRow();
    if (row < 0 || !isKnownPlugin(row))
        return;
    RemoveShellProtocol(*context.platform.registry, ProtocolKey);
    pluginList().setStatus(ShowOpenFileName, PluginDisabled);
    setStatus(row, PluginDisabled);
}

void TForm11::BitBtn1Click()
{
    // Only the name is kept: the program looks for the plug-in in its own "plugins" folder.
    const QStringList picked = context.dialogs.chooseFiles(
        QStringLiteral("Select Plugin"), QStringLiteral("Executables (*.exe)|*.exe"), true);
    for (const QString& path : picked) {
        const QString name = QFileInfo(path).fileName();
        pluginList().setEntry(name, PluginDisabled);
        addRow(name, PluginDisabled, name);
    }
}

void TForm11::BitBtn2Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    pluginList().remove(ListView1->item(row, 0)->data(SectionRole).toString());
    ListView1->removeRow(row);
}

void TForm11::Button1Click() { hide(); }

void TForm11::Info1Click()
{
    if (selectedRow() >= 0)
        forms.Form12->show();
}
