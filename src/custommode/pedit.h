#pragma once

#include "windows/formbase.h"
#include "windows/picturelist.h"

class PreviewBox;
class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class SplitterBar;

// The profile the editor's "Finish" saves in edit mode, fixed when the editor opens: whatever is
// chosen in the other windows meanwhile (every activation of the program lists the profiles again)
// must not decide which profile is overwritten.
struct ProfileEditTarget {
    QString path;              // the profile file
    bool favourites = false;   // the favourites, opened from the main window: their own rules
    bool fromSettings = false; // opened from the settings window, which lists them itself
};

// The profile editor: puts together the list of pictures of a profile, which "Finish" saves.
class TForm7 : public FormBase {
    Q_OBJECT
public:
    enum class Mode { Edit, Create };

    using Target = ProfileEditTarget;

    TForm7(AppContext& context, Forms& forms);

    // The placeholder picture in the preview box.
    void FormCreate() override;
    // Shown: topmost, the list's caption set. Hidden: no longer topmost, the preview box empty.
    void setVisible(bool visible) override;

    // Opens the editor on the entries of the profile target (alphabetically), the first one
    // focused.
    void openForEdit(const QStringList& entries, Target target = {});
    // Opens the editor for a new profile on the list as it is; "Finish" waits for the list to
    // change.
    void openForCreate();

    Mode mode() const { return mode_; }
    // The favourites profile is what is edited: edit mode, opened from the main window on
    // "favorites.tsl". Nothing can be added to it then, and removing an entry deletes its picture.
    bool editingFavourites() const;

    void ListBox1Click();   // an entry was chosen: "Finish" by the entry count
    void PopupMenu1Popup(); // the context menu opens: its items enabled by the rules
    void AddWallpaper1Click();
    void RemoveWallpaper1Click();
    void RandomSort1Click();
    void button1Click(); // "Finish"

    QGroupBox* GroupBox1;
    PreviewBox* Image1;
    SplitterBar* Splitter1;
    QGroupBox* GroupBox2;
    PictureList* ListBox1;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* button1;
    QMenu* PopupMenu1;
    QAction* AddWallpaper1;
    QAction* RemoveWallpaper1;
    QAction* RandomSort1;

private:
    void layOutParts(int previewHeight);
    void showCount();
    void listChanged();
    void enableFinishByCount();
    void finishEdit();
    void finishCreate();
    void reloadShowList();

    Mode mode_ = Mode::Edit;
    Target target_;
};
