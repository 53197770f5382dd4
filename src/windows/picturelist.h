#pragma once

#include <QByteArray>
#include <QListWidget>
#include <QStringList>

#include <functional>

class Dialogs;
class PreviewBox;

// What the picture file dialogs offer.
inline const QString PictureFileFilter = QStringLiteral(
    "All (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|JPEG Image File (*.jpg)|*.jpg|JPEG Image File "
    "(*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp");

// A list of picture paths that the user puts together: pictures dropped from the file manager one
// at a time or chosen in the picture file dialog, entries put in order by dragging them inside the
// list, and the picture of the entry clicked shown in a preview box. Several entries can be
// selected at once.
class PictureList : public QListWidget {
    Q_OBJECT
public:
    // Where new entries go: in case-insensitive alphabetical order, or at the end.
    enum class Order { Alphabetical, AsAdded };

    PictureList(Dialogs& dialogs, PreviewBox& preview, Order order, QWidget* parent);

    QStringList entries() const;
    // The entries replaced by paths (sorted first when the list is alphabetical).
    void setEntries(QStringList paths);
    // Adds paths, each in its alphabetical place or at the end, and makes the last entry current.
    void addEntries(const QStringList& paths);
    // Removes every selected entry; the entry after the first one removed becomes current.
    void removeSelected();

    // The picture at path shown scaled in the preview box. Throws InvalidPictureError for a file
    // that is not a picture the program reads, AppError when there is no such file.
    void showPreview(const QString& path);
    // The picture file dialog: the first chosen picture shown, then all chosen ones added. False
    // on Cancel; an error of the preview adds nothing.
    bool addFromDialog();

    // Whether files dropped from outside are taken at this moment (always, unless told).
    void setTakesFiles(std::function<bool()> takesFiles) { takesFiles_ = std::move(takesFiles); }
    // Runs after a dropped picture was shown and added.
    void setFileDropped(std::function<void()> dropped) { fileDropped_ = std::move(dropped); }
    // Runs after a click or a key made an entry current and its picture was shown.
    void setEntryChosen(std::function<void()> chosen) { entryChosen_ = std::move(chosen); }

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool isOwnDrag(const QMimeData* data) const;
    bool takesDrop(const QMimeData* data) const;
    void dropFiles(const QList<QUrl>& urls);
    void moveSelectedTo(QPoint point);
    QList<bool> selectedRows() const;
    void refill(const QStringList& texts, const QList<bool>& selected, int current);
    void entryChosen();

    Dialogs& dialogs_;
    PreviewBox& preview_;
    Order order_;
    QByteArray dragToken_; // tells this list's own drags from any other
    std::function<bool()> takesFiles_;
    std::function<void()> fileDropped_;
    std::function<void()> entryChosen_;
};
