#include "pedit.h"

#include "app/forms.h"
#include "common/context.h"
#include "common/guard.h"
#include "common/paths.h"
#include "common/settingstable.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "favourites.h"
#include "platform/files.h"
#include "profiles.h"
#include "settings/settings.h"
#include "wallpaper/picture.h"
#include "windows/handlayout.h"
#include "windows/mainoperations.h"
#include "windows/previewbox.h"
#include "windows/splitterbar.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRandomGenerator>

#include <algorithm>
#include <utility>

namespace {

constexpr int ClientWidth = 447;
constexpr int ClientHeight = 421;
constexpr int BottomHeight = 43;
constexpr int SplitterHeight = 5;
constexpr int SmallestPart = 100; // above and below the splitter, once it has been dragged
const QSize PreviewSize(443, 265);

// Only pictures of the favourites folder are favourites: a list that holds others (the favourites
// chosen in the main window while another profile is open here) must not delete or take them in.
bool isFavourite(const QString& path)
{
    const QString relative = QDir(favouritesFolder()).relativeFilePath(path);
    return QDir::isRelativePath(relative) && !relative.startsWith(QLatin1String(".."));
}

QStringList favouritesAmong(const QStringList& paths)
{
    QStringList favourites;
    std::copy_if(paths.begin(), paths.end(), std::back_inserter(favourites), isFavourite);
    return favourites;
}

} // namespace

TForm7::TForm7(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Profile Editor"), QSize(ClientWidth, ClientHeight))
{
    Dialogs& dialogs = context.dialogs;
    GroupBox1 = new QGroupBox(QStringLiteral("Wallpaper preview"), this);
    // The box is as wide as the window allows; its own frame stands in for the group's sides.
    setGroupSideMargin(*GroupBox1, 1);
    Image1 = new PreviewBox(PreviewSize, GroupBox1);
    Splitter1 = new SplitterBar(this, [this](int top) {
        layOutParts(std::clamp(top, SmallestPart,
                               ClientHeight - BottomHeight - SplitterHeight - SmallestPart));
    });
    GroupBox2 = new QGroupBox(QStringLiteral("Wallpaper Show List"), this);
    ListBox1 = new PictureList(dialogs, *Image1, PictureList::Order::Alphabetical, GroupBox2);
    ListBox1->setTakesFiles([this] { return !editingFavourites(); });
    ListBox1->setFileDropped([this] {
        Image1->setStretched(true);
        listChanged();
    });
    ListBox1->setEntryChosen([this] { ListBox1Click(); });

    Label1 = new QLabel(
        QStringLiteral("Drag pictures you want to add to wallpaper show in filelist."), this);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setGeometry(8, ClientHeight - BottomHeight + 4, 350, 16);
    Label2 = new QLabel(QStringLiteral("Here you cannot add wallpapers to favorites.tsl profile."),
                        this);
    Label2->setGeometry(8, ClientHeight - BottomHeight + 22, 350, 16);
    button1 = new QPushButton(QStringLiteral("Finish"), this);
    button1->setGeometry(ClientWidth - 83, ClientHeight - 33, 75, 25);
    connect(button1, &QPushButton::clicked, this, guarded(dialogs, [this] { button1Click(); }));

    PopupMenu1 = new QMenu(this);
    AddWallpaper1 = PopupMenu1->addAction(QStringLiteral("Add Wallpaper"));
    RemoveWallpaper1 = PopupMenu1->addAction(QStringLiteral("Remove Wallpaper"));
    PopupMenu1->addSeparator();
    RandomSort1 = PopupMenu1->addAction(QStringLiteral("Random Sort"));
    connect(PopupMenu1, &QMenu::aboutToShow, this, guarded(dialogs, [this] { PopupMenu1Popup(); }));
    connect(AddWallpaper1, &QAction::triggered, this,
            guarded(dialogs, [this] { AddWallpaper1Click(); }));
    connect(RemoveWallpaper1, &QAction::triggered, this,
            guarded(dialogs, [this] { RemoveWallpaper1Click(); }));
    connect(RandomSort1, &QAction::triggered, this,
            guarded(dialogs, [this] { RandomSort1Click(); }));
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    // A list reports the point in its viewport.
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](QPoint point) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(point)); });

    const QMargins chrome = GroupBox1->contentsMargins();
    layOutParts(chrome.top() + Image1->height() + chrome.bottom());
}

// The preview group is previewHeight high, the splitter below it, and the list's group fills the
// rest down to the bottom strip. The preview box keeps its width and follows the group's height.
void TForm7::layOutParts(int previewHeight)
{
    GroupBox1->setGeometry(0, 0, ClientWidth, previewHeight);
    const QRect inside = GroupBox1->contentsRect();
    const int frame = Image1->frameWidth();
    Image1->setBoxSize(QSize(PreviewSize.width(), inside.height() - 2 * frame));
    Image1->move(inside.left() + (inside.width() - Image1->width()) / 2, inside.top());
    Splitter1->setGeometry(0, previewHeight, ClientWidth, SplitterHeight);
    const int listTop = previewHeight + SplitterHeight;
    GroupBox2->setGeometry(0, listTop, ClientWidth, ClientHeight - BottomHeight - listTop);
    ListBox1->setGeometry(GroupBox2->contentsRect());
}

void TForm7::FormCreate()
{
    Image1->setPicture(ShowPreviewScaled(
        LoadPictureAsBitmap(context.programPath(QStringLiteral("data/noimg.jpg"))),
        Image1->boxSize()));
}

void TForm7::setVisible(bool visible)
{
    if (visible == isVisible()) {
        FormBase::setVisible(visible);
        return;
    }
    if (visible) {
        // Still hidden here: the flag can change without hiding the window.
        setTopmost(true);
        showCount();
        FormBase::setVisible(true);
    } else {
        FormBase::setVisible(false);
        setTopmost(false);
        Image1->setPicture(QImage());
    }
}

void TForm7::openForEdit(const QStringList& entries, Target target)
{
    target_ = std::move(target);
    ListBox1->setEntries(entries);
    if (ListBox1->count() > 0)
        ListBox1->setCurrentRow(0);
    mode_ = Mode::Edit;
    listChanged();
    show();
}

void TForm7::openForCreate()
{
    mode_ = Mode::Create;
    button1->setEnabled(false);
    show();
}

bool TForm7::editingFavourites() const { return mode_ == Mode::Edit && target_.favourites; }

void TForm7::showCount()
{
    GroupBox2->setTitle(QStringLiteral("Wallpaper Show List: (%1)").arg(ListBox1->count()));
}

// "Finish" needs at least one entry.
void TForm7::listChanged()
{
    showCount();
    button1->setEnabled(ListBox1->count() > 0);
}

void TForm7::ListBox1Click() { button1->setEnabled(ListBox1->count() > 0); }

void TForm7::PopupMenu1Popup()
{
    // The one entry left can not be removed.
    RemoveWallpaper1->setEnabled(ListBox1->count() >= 2);
    AddWallpaper1->setEnabled(!editingFavourites());
}

void TForm7::AddWallpaper1Click()
{
    if (!ListBox1->addFromDialog()) {
        showCount();
        return;
    }
    Image1->setStretched(true);
    listChanged();
}

void TForm7::RemoveWallpaper1Click()
{
    if (!editingFavourites()) {
        if (ListBox1->currentItem())
            ListBox1->removeSelected();
        listChanged();
        return;
    }
    // A favourite removed is gone from the folder too, and the rest are numbered afresh.
    if (const QListWidgetItem* focused = ListBox1->currentItem();
        focused && isFavourite(focused->text()))
        platform::deleteFile(toStd(focused->text())); // one gone already is no reason to stop
    ListBox1->removeSelected();
    ListBox1->setEntries(RenumberFavourites(favouritesAmong(ListBox1->entries()), context.dialogs));
    listChanged();
}

// Each position is exchanged with one drawn from 0 to count - 2: the last position is never
// drawn, so two entries always change places.
void TForm7::RandomSort1Click()
{
    const int count = ListBox1->count();
    for (int i = 0; i < count; ++i) {
        const int drawn = count > 1 ? int(QRandomGenerator::global()->bounded(count - 1)) : 0;
        QListWidgetItem* here = ListBox1->item(i);
        QListWidgetItem* there = ListBox1->item(drawn);
        const QString text = here->text();
        here->setText(there->text());
        there->setText(text);
    }
}

void TForm7::button1Click()
{
    if (mode_ == Mode::Edit)
        finishEdit();
    else
        finishCreate();
    hide();
}

// The list goes to the profile it was opened for; the favourites are numbered in the list's order
// first. The settings window, showing, lists the profiles again when it is activated.
void TForm7::finishEdit()
{
    if (editingFavourites())
        ListBox1->setEntries(
            RenumberFavourites(favouritesAmong(ListBox1->entries()), context.dialogs));
    writeTextList(target_.path, ListBox1->entries());
    reloadShowList();
    if (!target_.fromSettings)
        forms.Form2->LoadSettings(settingsFilePath());
    ListBox1->clear();
}

// The list stays for the next profile.
void TForm7::finishCreate()
{
    const std::optional<QString> fileName = askNewProfileFileName(context.dialogs);
    if (!fileName)
        return;
    writeTextList(profilePath(*fileName), ListBox1->entries());
    forms.Form2->LoadSettings(settingsFilePath());
}

// The show starts the current profile again, whichever was edited; without a current profile
// there is no show to start again.
void TForm7::reloadShowList()
{
    if (!SettingsFile().currentProfile().isEmpty())
        forms.mainWindow().reloadShowList();
}
