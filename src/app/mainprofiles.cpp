// The profile controls of the custom page.
#include "main.h"

#include "app/forms.h"
#include "common/context.h"
#include "common/dialogs.h"
#include "common/paths.h"
#include "common/settingstable.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "custommode/favourites.h"
#include "custommode/pedit.h"
#include "custommode/profiles.h"
#include "platform/files.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>

#include <utility>

namespace {

void writeCurrentProfile(const QString& name) { SettingsFile().setCurrentProfile(name); }

} // namespace

void TForm1::ListProfiles()
{
    const QStringList entries = listProfileEntries();
    if (!entries.isEmpty())
        ComboBox1->setEnabled(true);
    takeProfileList(entries, currentProfileEntry());
}

void TForm1::takeProfileList(const QStringList& entries, const QString& current)
{
    ComboBox1->clear();
    TabSheet2->setEnabled(!entries.isEmpty());
    ComboBox1->addItems(entries);
    ComboBox1->setCurrentIndex(current.isEmpty() ? -1 : ComboBox1->findText(current));
}

// A subfolder may hold a profile of the same name as one above it: the entry's place in the list
// tells which file it is.
QString TForm1::selectedProfileFile() const
{
    return profileFileOfEntry(ComboBox1->currentIndex(), ComboBox1->currentText());
}

QString TForm1::selectedProfileName() const
{
    return ComboBox1->currentIndex() < 0 ? QString() : profileNameOfFile(selectedProfileFile());
}

void TForm1::reloadShowList()
{
    replaceShowListWhenIdle([this] { ShowList = readProfile(SettingsFile().currentProfile()); });
}

// The step under way takes its entry from the head of ShowList and removes it when done: a list
// replaced meanwhile would lose an entry never shown, or an empty one fail under it. A choice of
// the user's already waiting for the step is not lost: it follows the replacement.
void TForm1::replaceShowListWhenIdle(std::function<void()> replace)
{
    runWhenIdle([replace = std::move(replace), waiting = std::exchange(waitingChoice_, nullptr)] {
        try {
            replace();
        } catch (...) {
            if (waiting)
                waiting();
            throw;
        }
        if (waiting)
            waiting();
    });
}

// With no profile chosen there is nothing to run.
void TForm1::RunSelectedProfile()
{
    if (ComboBox1->currentIndex() < 0)
        return;
    const QString file = selectedProfileFile();
    const QString name = profileNameOfFile(file);
    SettingsFile::checkProfileName(name);
    runWhenIdle([this, file, name] {
        writeCurrentProfile(name);
        ShowList = readTextList(file);
        BitBtn3->setEnabled(true);
        NextCustomWallpaper();
        BitBtn1->setEnabled(false);
    });
}

void TForm1::EditSelectedProfile()
{
    if (ComboBox1->currentIndex() < 0) {
        context.dialogs.showMessage(QStringLiteral("Select a profile to edit."));
        return;
    }
    const QString file = selectedProfileFile();
    forms.Form7->openForEdit(readTextList(file),
                             {file, profileNameOfFile(file) == FavouritesProfile, false});
}

void TForm1::CreateProfile() { forms.Form7->openForCreate(); }

void TForm1::DeleteSelectedProfile()
{
    if (!context.dialogs.askYesNo(QStringLiteral("Delete selected profile?")))
        return;
    const int selected = ComboBox1->currentIndex();
    if (selected < 0)
        return;
    // The entry shows only the file name and subfolders are listed too, so the file is found by
    // its place in the list. A list that no longer matches the disk is shown afresh instead.
    const QString path = listedProfilePath(selected, ComboBox1->currentText());
    if (path.isEmpty()) {
        ListProfiles();
        return;
    }
    // A file that is gone already is no reason to stop.
    platform::deleteFile(toStd(path));
    ComboBox1->removeItem(selected);
    if (ComboBox1->count() == 0) {
        BitBtn1->setEnabled(false);
        return;
    }
    ComboBox1->setCurrentIndex(0);
    // The show goes on with it once the step under way is done.
    replaceShowListWhenIdle([this, first = selectedProfileFile()] {
        writeCurrentProfile(profileNameOfFile(first));
        ShowList = readTextList(first);
    });
    BitBtn1->setEnabled(true);
}

// Each control is enabled again by the end of a show step (see the step hosts); until then a
// second press would only keep the same wallpaper twice.
void TForm1::addFavouriteFrom(const std::function<void()>& disableControl)
{
    AddFavourite();
    ListProfiles();
    disableControl();
}

void TForm1::BitBtn7Click()
{
    addFavouriteFrom([this] { BitBtn7->setEnabled(false); });
}

void TForm1::BitBtn8Click()
{
    addFavouriteFrom([this] { BitBtn8->setEnabled(false); });
}

void TForm1::AddtoFavorites1Click()
{
    addFavouriteFrom([this] { AddtoFavorites1->setEnabled(false); });
}
