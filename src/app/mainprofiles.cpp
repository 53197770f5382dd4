// The profile controls of the custom page.
#include "main.h"

#include "app/forms.h"
#include "common/context.h"
#include "common/paths.h"
#include "common/settingstable.h"
#include "common/strings.h"
#include "custommode/favourites.h"
#include "custommode/pedit.h"
#include "custommode/profiles.h"
#include "platform/files.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>

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

QString TForm1::selectedProfileName() const { return profileNameOfEntry(ComboBox1->currentText()); }

void TForm1::reloadShowList() { ShowList = readProfile(SettingsFile().currentProfile()); }

void TForm1::RunSelectedProfile()
{
    runWhenIdle([this, name = profileNameOfEntry(ComboBox1->currentText())] {
        writeCurrentProfile(name);
        ShowList = readProfile(name);
        BitBtn3->setEnabled(true);
        NextCustomWallpaper();
        BitBtn1->setEnabled(false);
    });
}

void TForm1::EditSelectedProfile() { forms.Form7->openForEdit(readProfile(selectedProfileName())); }

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
    const QString first = profileNameOfEntry(ComboBox1->currentText());
    writeCurrentProfile(first);
    ShowList = readProfile(first);
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
