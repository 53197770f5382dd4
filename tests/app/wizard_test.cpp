#include "wizard/wizard.h"

#include "app/forms.h"
#include "app/main.h"
#include "common/paths.h"
#include "common/textlist.h"
#include "common/timer.h"
#include "layoutcheck.h"
#include "servicefixture.h"
#include "settings/settings.h"
#include "settings/spinedit.h"
#include "windows/linklabel.h"
#include "windows/picturelist.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QUrl>

namespace {

// The [General], [AutoMode] and [CustomMode] lines of the settings file, "Section/Key=Value",
// sorted.
QStringList modeSettings()
{
    QStringList found;
    QString section;
    for (const QString& line : readTextList(settingsFilePath())) {
        if (line.startsWith(u'['))
            section = line.mid(1, line.size() - 2);
        else if (section == "General" || section == "AutoMode" || section == "CustomMode")
            found << section + u'/' + line;
    }
    found.sort();
    return found;
}

class WizardTest : public WindowsFixture {
protected:
    TForm4& wizard() { return *forms->Form4; }
    TForm1& main() { return *forms->Form1; }
    bool showRunning() { return main().Timer2->enabled(); }
    void choose(QComboBox* list, int index)
    {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    // A file dropped from the file manager onto the list; posted work is done before returning.
    void drop(const QString& path)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QWidget* target = wizard().ListBox1->viewport();
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent dropped({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &dropped);
        QCoreApplication::sendPostedEvents();
    }
};

TEST_F(WizardTest, AFirstStartShowsItWithTheShowStoppedAndItsCloseButtonStartsTheShowWritingNothing)
{
    start();
    ASSERT_TRUE(wizard().isVisible());
    EXPECT_FALSE(showRunning());
    EXPECT_TRUE(main().Start1->isEnabled());
    EXPECT_EQ(wizard().PageControl1->currentWidget(), wizard().TabSheet1);
    EXPECT_EQ(wizard().ComboBox1->currentIndex(), 0);
    EXPECT_TRUE(wizard().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(layoutFaults(wizard()).join(u'\n').toStdString(), "");

    wizard().close();
    EXPECT_FALSE(wizard().isVisible());
    EXPECT_TRUE(showRunning()) << "both start boxes are checked at first";
    EXPECT_FALSE(QFile::exists(settingsFilePath()));
    forms.reset();
    start();
    EXPECT_TRUE(wizard().isVisible()) << "the next start is a first start again";

    // Opened again with both boxes cleared, closing it leaves the show stopped.
    wizard().show();
    EXPECT_FALSE(showRunning());
    wizard().CheckBox1->setChecked(false);
    wizard().CheckBox2->setChecked(false);
    wizard().close();
    EXPECT_FALSE(showRunning());
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
}

TEST_F(WizardTest, AutomaticFinishStoresTheCategoryChosenByNameAndTheOptions)
{
    // The catalog's own order is not alphabetical: the list shows it sorted, the show reads by
    // the catalog's index.
    writeTextList(context.programPath("data/profiles.tsl"), {"Zebra", "apple", "Mango"});
    start();
    QComboBox& categories = *wizard().ComboBox1;
    ASSERT_EQ(categories.count(), 3);
    EXPECT_EQ(categories.itemText(0), "apple");
    EXPECT_EQ(categories.itemText(2), "Zebra");
    categories.setCurrentIndex(2);
    choose(wizard().ComboBox2, 3);
    wizard().Edit1->setText("640");
    wizard().Edit2->setText("480");
    wizard().BitBtn2->click();

    EXPECT_EQ(modeSettings(),
              QStringList({"AutoMode/Category=0", "AutoMode/DisplayMethod=4", "AutoMode/Mode=0",
                           "AutoMode/OffsetX=640", "AutoMode/OffsetY=480", "AutoMode/ReloadTime=30",
                           "General/AutoRunAtStartup=1", "General/DefaultMode=auto"}));
    EXPECT_FALSE(wizard().isVisible());
    EXPECT_TRUE(showRunning());
    EXPECT_TRUE(main().AutomaticWallpaperShow1->isChecked());
    EXPECT_EQ(main().ComboBox2->currentText(), "Zebra");
    EXPECT_EQ(forms->Form2->ComboBox2->currentText(), "Zebra");
    EXPECT_TRUE(forms->Form2->RadioButton4->isChecked());
    EXPECT_EQ(forms->Form2->edit2->text(), "640");

    // Run again with no position chosen and the start box cleared: DisplayMethod stays, and only
    // the custom start box starts the show.
    wizard().show();
    EXPECT_EQ(categories.currentIndex(), 0) << "each opening starts from the first name";
    wizard().ComboBox2->setCurrentIndex(-1);
    wizard().CheckBox1->setChecked(false);
    wizard().BitBtn2->click();
    EXPECT_TRUE(modeSettings().contains("AutoMode/DisplayMethod=4"));
    EXPECT_TRUE(modeSettings().contains("AutoMode/Category=1"));
    EXPECT_TRUE(modeSettings().contains("General/AutoRunAtStartup=0"));
    EXPECT_TRUE(showRunning());
}

TEST_F(WizardTest, CustomNextAndFinishSaveTheListAsTheCurrentProfileAndRunIt)
{
    const QString first = bitmap("first.bmp");
    const QString second = bitmap("second.bmp");
    start();
    wizard().RadioButton2->click();
    choose(wizard().ComboBox3, 1);
    wizard().BitBtn3->click();
    EXPECT_EQ(modeSettings(),
              QStringList({"CustomMode/DisplayMethod=2", "CustomMode/Mode=0",
                           "CustomMode/OffsetX=100", "CustomMode/OffsetY=100",
                           "CustomMode/ReloadTime=30", "General/AutoRunAtStartup=1"}));
    EXPECT_EQ(wizard().PageControl1->currentWidget(), wizard().TabSheet2);
    wizard().BitBtn1->click();
    EXPECT_EQ(wizard().PageControl1->currentWidget(), wizard().TabSheet1);
    wizard().BitBtn3->click();
    EXPECT_FALSE(wizard().button1->isEnabled());
    EXPECT_FALSE(showRunning());

    drop(first);
    EXPECT_TRUE(wizard().button1->isEnabled());
    EXPECT_EQ(wizard().GroupBox2->title(), "Wallpaper Show List") << "a drop leaves the caption";
    dialogs.fileAnswers = {{second, first}};
    wizard().AddWallpaper1->trigger();
    EXPECT_EQ(wizard().GroupBox2->title(), "Wallpaper Show List: (3)");
    EXPECT_EQ(wizard().ListBox1->currentRow(), 2);
    wizard().ListBox1->clearSelection();
    wizard().ListBox1->item(2)->setSelected(true);
    wizard().RemoveWallpaper1->trigger();
    EXPECT_EQ(wizard().ListBox1->entries(), QStringList({first, second}));
    EXPECT_EQ(wizard().GroupBox2->title(), "Wallpaper Show List: (2)");

    // No name, then the favourites' name: nothing is saved. A name that can be no file: the error
    // report, nothing saved. Each time the wizard stays open.
    dialogs.textAnswers = {std::nullopt, QString("favorites")};
    wizard().button1->click();
    dialogs.textAnswers = {QString("a:b")};
    wizard().button1->click();
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(wizard().isVisible());
    EXPECT_FALSE(modeSettings().contains("General/DefaultMode=custom"));

    dialogs.textAnswers = {QString("holiday")};
    wizard().button1->click();
    EXPECT_EQ(dialogs.textQuestions.last(), "Custom wallpaper show|Please type profile name:|");
    EXPECT_EQ(readTextList(userDataPath("Profiles/holiday.tsl")), QStringList({first, second}));
    EXPECT_TRUE(modeSettings().contains("CustomMode/CurrentProfile=holiday.tsl"));
    EXPECT_TRUE(modeSettings().contains("General/DefaultMode=custom"));
    EXPECT_FALSE(wizard().isVisible());
    EXPECT_TRUE(main().CustomSlideShow1->isChecked());
    EXPECT_EQ(main().ComboBox1->currentText(), "holiday.tsl (2)");
    EXPECT_TRUE(showRunning());
    EXPECT_EQ(regString("Control Panel\\Desktop", "Wallpaper"), currentBitmapPath());
    EXPECT_EQ(main().showList(), QStringList({second})) << "the first picture is on the desktop";
    EXPECT_EQ(regString("Control Panel\\Desktop", "TileWallpaper"), "1");
}

TEST_F(WizardTest, SetOriginShowsTheOriginFieldsOfItsOwnPageOnly)
{
    start();
    EXPECT_FALSE(wizard().Panel1->isVisibleTo(&wizard()));
    choose(wizard().ComboBox2, 3);
    EXPECT_TRUE(wizard().Panel1->isVisibleTo(&wizard()));
    EXPECT_EQ(wizard().Edit1->text(), "100");
    EXPECT_EQ(wizard().Edit1->maxLength(), 4);

    wizard().RadioButton2->click();
    EXPECT_FALSE(wizard().Panel2->isVisibleTo(&wizard()));
    choose(wizard().ComboBox3, 3);
    EXPECT_TRUE(wizard().Panel2->isVisibleTo(wizard().TabSheet4));
    EXPECT_TRUE(wizard().Panel1->isVisibleTo(wizard().TabSheet3)) << "the other page keeps its own";
    choose(wizard().ComboBox3, 0);
    EXPECT_FALSE(wizard().Panel2->isVisibleTo(wizard().TabSheet4));
    EXPECT_TRUE(wizard().Panel1->isVisibleTo(wizard().TabSheet3));
}

TEST_F(WizardTest, TheOptionsPageFollowsTheChosenModeAndThePointer)
{
    start();
    TForm4& w = wizard();
    w.RadioButton2->click();
    EXPECT_FALSE(w.RadioButton1->isChecked());
    EXPECT_TRUE(w.RadioButton2->font().bold());
    EXPECT_FALSE(w.RadioButton1->font().bold());
    EXPECT_EQ(w.PageControl2->currentWidget(), w.TabSheet4);
    EXPECT_TRUE(w.BitBtn3->isVisibleTo(&w));
    EXPECT_FALSE(w.BitBtn2->isVisibleTo(&w));
    EXPECT_EQ(w.Memo1->height(), 0);
    w.RadioButton1->click();
    EXPECT_EQ(w.PageControl2->currentWidget(), w.TabSheet3);
    EXPECT_TRUE(w.BitBtn2->isVisibleTo(&w));
    EXPECT_EQ(w.Memo2->height(), 0);
    EXPECT_EQ(w.Memo1->height(), 50);
    QCoreApplication::sendPostedEvents(); // the page lays itself out again
    EXPECT_EQ(layoutFaults(w).join(u'\n').toStdString(), "");

    const auto colour = [](QWidget* widget) {
        return widget->palette().color(QPalette::WindowText);
    };
    QEvent enter(QEvent::Enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(w.RadioButton2, &enter);
    EXPECT_EQ(colour(w.RadioButton2), QColor(Qt::red));
    QCoreApplication::sendEvent(w.RadioButton2, &leave);
    EXPECT_EQ(colour(w.RadioButton2), QColor(Qt::black));
    EXPECT_EQ(colour(w.Label7), QColor(Qt::blue));
    w.Label7->onMouseEnter();
    EXPECT_EQ(colour(w.Label7), QColor(Qt::red));
    w.Label7->onMouseLeave();
    EXPECT_EQ(colour(w.Label7), QColor(Qt::blue));
    w.Label7->onClick();
    ASSERT_EQ(shell->opened.size(), 1u);
    EXPECT_EQ(shell->opened[0], "http://127.0.0.1:9/faq.html");
}

class WizardServiceTest : public ServiceFixture {};

TEST_F(WizardServiceTest, AFirstStartEndsInARunningAutomaticShowAfterFinish)
{
    start();
    TForm4& wizard = *forms->Form4;
    ASSERT_TRUE(wizard.isVisible());
    EXPECT_FALSE(forms->Form1->Timer2->enabled());
    wizard.ComboBox1->setCurrentIndex(
        wizard.ComboBox1->findText("Digital Art \\ Cartoons \\ Anime"));
    wizard.BitBtn2->click();
    EXPECT_TRUE(forms->Form1->Timer2->enabled());
    EXPECT_EQ(requestsFor("/wallpapers/anime"), 1);
    EXPECT_EQ(regString("Control Panel\\Desktop", "Wallpaper"), currentBitmapPath());
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
}

} // namespace
