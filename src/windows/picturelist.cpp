#include "picturelist.h"

#include "common/dialogs.h"
#include "common/errors.h"
#include "common/guard.h"
#include "common/strings.h"
#include "platform/files.h"
#include "previewbox.h"
#include "wallpaper/picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace {

const QString OwnDragFormat = QStringLiteral("application/x-tapestron-list-entries");

bool alphabeticallyBefore(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

} // namespace

PictureList::PictureList(Dialogs& dialogs, PreviewBox& preview, Order order, QWidget* parent)
    : QListWidget(parent), dialogs_(dialogs), preview_(preview), order_(order),
      dragToken_(QByteArray::number(QCoreApplication::applicationPid()) + '/' +
                 QByteArray::number(reinterpret_cast<quintptr>(this), 16)),
      takesFiles_([] { return true; })
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true); // long lists lay out at once
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    // The focused entry shows where a dragged one goes; a line between entries would not.
    setDropIndicatorShown(false);
    connect(this, &QAbstractItemView::clicked, this, guarded(dialogs, [this] { entryChosen(); }));
}

QStringList PictureList::entries() const
{
    QStringList paths;
    paths.reserve(count());
    for (int i = 0; i < count(); ++i)
        paths.append(item(i)->text());
    return paths;
}

void PictureList::setEntries(QStringList paths)
{
    if (order_ == Order::Alphabetical)
        std::stable_sort(paths.begin(), paths.end(), alphabeticallyBefore);
    clear();
    addItems(paths);
}

void PictureList::addEntries(const QStringList& paths)
{
    for (const QString& path : paths) {
        int at = count();
        if (order_ == Order::Alphabetical) {
            // After the entries that do not come later, as a sorted list places it.
            int low = 0;
            while (low < at) {
                const int middle = (low + at) / 2;
                if (alphabeticallyBefore(path, item(middle)->text()))
                    at = middle;
                else
                    low = middle + 1;
            }
        }
        insertItem(at, path);
    }
    if (count() > 0)
        setCurrentRow(count() - 1);
}

void PictureList::removeSelected()
{
    const QList<bool> selected = selectedRows();
    const qsizetype first = selected.indexOf(true);
    if (first < 0)
        return;
    QStringList kept;
    for (int i = 0; i < count(); ++i)
        if (!selected[i])
            kept.append(item(i)->text());
    // The entry that took the first removed one's place becomes current.
    refill(kept, QList<bool>(kept.size()), int(first));
}

QList<bool> PictureList::selectedRows() const
{
    QList<bool> selected(count());
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        selected[index.row()] = true;
    return selected;
}

// Changed entries go in all at once: taken out or put in one by one, each would move every entry
// after it on screen, and a few thousand of them would take seconds. The entry at the top of the
// view stays there.
void PictureList::refill(const QStringList& texts, const QList<bool>& selected, int current)
{
    const QModelIndex top = indexAt(QPoint(1, 1));
    clear();
    addItems(texts);
    if (count() == 0)
        return;
    QItemSelection selection;
    for (int row = 0; row < count(); ++row) {
        if (!selected[row])
            continue;
        const int first = row;
        while (row + 1 < count() && selected[row + 1])
            ++row;
        selection.select(model()->index(first, 0), model()->index(row, 0));
    }
    selectionModel()->select(selection, QItemSelectionModel::Select);
    selectionModel()->setCurrentIndex(model()->index(std::clamp(current, 0, count() - 1), 0),
                                      QItemSelectionModel::NoUpdate);
    scrollTo(model()->index(std::min(top.row(), count() - 1), 0), PositionAtTop);
}

void PictureList::showPreview(const QString& path)
{
    std::optional<QImage> picture = LoadPictureAsBitmap(path);
    if (!picture)
        throw AppError(QStringLiteral("Cannot find the picture \"%1\".").arg(path));
    preview_.setPicture(ShowPreviewScaled(std::move(picture), preview_.boxSize()));
}

bool PictureList::addFromDialog()
{
    const QStringList chosen = dialogs_.chooseFiles(QString(), PictureFileFilter, true);
    if (chosen.isEmpty())
        return false;
    showPreview(chosen.first());
    addEntries(chosen);
    return true;
}

QStringList PictureList::mimeTypes() const { return {OwnDragFormat}; }

QMimeData* PictureList::mimeData(const QList<QListWidgetItem*>&) const
{
    // What moves is the selection at the drop; the drag only says where it comes from.
    auto* data = new QMimeData;
    data->setData(OwnDragFormat, dragToken_);
    return data;
}

void PictureList::startDrag(Qt::DropActions)
{
    // Never a move: the view would delete the dragged entries itself once the drop is done.
    QListWidget::startDrag(Qt::CopyAction);
}

bool PictureList::isOwnDrag(const QMimeData* data) const
{
    return data && data->data(OwnDragFormat) == dragToken_;
}

// Only local files: a link to a web page or a picture on a server names nothing to show.
bool PictureList::takesDrop(const QMimeData* data) const
{
    if (isOwnDrag(data))
        return true;
    if (!data || !data->hasUrls() || !takesFiles_())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

void PictureList::dragEnterEvent(QDragEnterEvent* event)
{
    if (!takesDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    // A copy, so that the file manager never deletes a file it thinks was moved here.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    setState(DraggingState);
}

void PictureList::dragMoveEvent(QDragMoveEvent* event)
{
    QListWidget::dragMoveEvent(event); // scrolls the list near its edges
    if (!takesDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const QModelIndex under = indexAt(event->position().toPoint());
    if (under.isValid())
        selectionModel()->setCurrentIndex(under, QItemSelectionModel::NoUpdate);
}

void PictureList::dropEvent(QDropEvent* event)
{
    stopAutoScroll();
    setState(NoState);
    const QMimeData* data = event->mimeData();
    if (!takesDrop(data)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (isOwnDrag(data)) {
        moveSelectedTo(event->position().toPoint());
        return;
    }
    // Handled once the drop is over: a message shown inside it would hold the file manager too.
    QMetaObject::invokeMethod(
        this, [this, urls = data->urls()] { runGuarded(dialogs_, [&] { dropFiles(urls); }); },
        Qt::QueuedConnection);
}

void PictureList::dropFiles(const QList<QUrl>& urls)
{
    if (!takesFiles_())
        return;
    if (urls.size() > 1) {
        dialogs_.showMessage(QStringLiteral("You can drop only one image file at a time!"));
        return;
    }
    const QString path = QDir::toNativeSeparators(urls.first().toLocalFile());
    const auto unsupported = [this] {
        dialogs_.showMessage(QStringLiteral("Unsupported image file, or not an image!"));
    };
    if (platform::directoryExists(toStd(path))) {
        unsupported();
        return;
    }
    try {
        showPreview(path);
    } catch (const InvalidPictureError&) {
        unsupported();
        return;
    }
    addEntries({path});
    if (fileDropped_)
        fileDropped_();
}

// Each selected entry, reached from the top, is taken out and put back at the row under the point
// as it is after the removal (at the end when the point is below the last entry), no longer
// selected. An entry moved down leaves its row to the next one, which the walk has passed: of two
// adjacent selected entries dragged down, only the first moves. The walk runs on the texts, and
// the list takes its result at once.
void PictureList::moveSelectedTo(QPoint point)
{
    const QModelIndex under = indexAt(point);
    const qsizetype pointRow = under.isValid() ? under.row() : -1;
    QStringList texts = entries();
    QList<bool> selected = selectedRows();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (!selected[i])
            continue;
        const QString moving = texts.takeAt(i);
        selected.removeAt(i);
        const qsizetype at = pointRow >= 0 && pointRow < texts.size() ? pointRow : texts.size();
        texts.insert(at, moving);
        selected.insert(at, false);
    }
    refill(texts, selected, currentRow());
}

void PictureList::keyPressEvent(QKeyEvent* event)
{
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before)
        runGuarded(dialogs_, [this] { entryChosen(); });
}

void PictureList::entryChosen()
{
    if (currentItem())
        showPreview(currentItem()->text());
    if (entryChosen_)
        entryChosen_();
}
