#include "custommode/pedit.h"

#include "app/forms.h"
#include "app/main.h"
#include "common/textlist.h"
#include "fixtures.h"
#include "layoutcheck.h"
#include "settings/settings.h"
#include "windows/previewbox.h"
#include "windows/splitterbar.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <filesystem>

namespace {

class ProfileEditorTest : public WindowsFixture {
protected:
    TForm7& editor() { return *forms->Form7; }
    PictureList& list() { return *editor().ListBox1; }
    TForm1& main() { return *forms->Form1; }
    QString profile(const QString& name) const { return userData() + "/Profiles/" + name; }
    QString caption() { return editor().GroupBox2->title(); }
    QString textFile(const QString& name)
    {
        writeFileBytes(tempPath(name).toStdString(), "not a picture\r\n");
        return tempPath(name);
    }
    QPoint rowPoint(int row) { return list().visualItemRect(list().item(row)).center(); }

    // A drag over the list, dropped at point when the list takes it (as the system does) unless
    // told to stay; whether it was taken, as a copy. Posted work is done before returning.
    bool dragAndDrop(const QMimeData& data, QPoint point, bool release = true)
    {
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(point, actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(list().viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(point, actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(list().viewport(), &move);
        if (!release)
            return move.isAccepted();
        QDropEvent drop(point, actions, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(list().viewport(), &drop);
        QCoreApplication::sendPostedEvents();
        return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    }
    // Files dropped from the file manager.
    bool drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        return dragAndDrop(data, {5, 5});
    }
    bool drop(const QString& path) { return drop({QUrl::fromLocalFile(path)}); }

    void mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, held, {});
        QCoreApplication::sendEvent(widget, &event);
    }
    void click(int row)
    {
        mouse(list().viewport(), QEvent::MouseButtonPress, rowPoint(row), Qt::LeftButton);
        mouse(list().viewport(), QEvent::MouseButtonRelease, rowPoint(row), Qt::NoButton);
    }
    // Opens the list's context menu as a right click does, and triggers an item when given one.
    void menu(QAction* trigger = nullptr)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5},
                                list().viewport()->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(list().viewport(), &event);
        if (trigger)
            trigger->trigger();
        editor().PopupMenu1->hide();
    }
    // What the list's own drag of its selection carries.
    std::unique_ptr<QMimeData> ownDrag()
    {
        return std::unique_ptr<QMimeData>(
            list().model()->mimeData(list().selectionModel()->selectedIndexes()));
    }
    void dragInside(QPoint point) { EXPECT_TRUE(dragAndDrop(*ownDrag(), point)); }
    void select(std::initializer_list<int> rows)
    {
        list().clearSelection();
        for (int row : rows)
            list().item(row)->setSelected(true);
    }
};

TEST_F(ProfileEditorTest, TheSplitterSharesTheHeightKeepingBothPartsUsable)
{
    start();
    editor().openForEdit({"C:\\a.bmp"});
    EXPECT_EQ(editor().size(), QSize(447, 421));
    EXPECT_EQ(editor().Image1->boxSize(), QSize(443, 265));
    EXPECT_EQ(layoutFaults(editor()).join(u'\n').toStdString(), "");
    EXPECT_TRUE(editor().windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    const int previewHeight = editor().GroupBox1->height();
    SplitterBar& bar = *editor().Splitter1;
    mouse(&bar, QEvent::MouseButtonPress, {20, 2}, Qt::LeftButton);
    mouse(&bar, QEvent::MouseMove, {20, -1000}, Qt::LeftButton);
    EXPECT_EQ(editor().GroupBox1->height(), 100);
    EXPECT_EQ(editor().Image1->boxSize(), QSize(443, 265 - (previewHeight - 100)));
    mouse(&bar, QEvent::MouseMove, {20, 1000}, Qt::LeftButton);
    EXPECT_EQ(editor().GroupBox2->height(), 100);
    EXPECT_EQ(layoutFaults(editor()).join(u'\n').toStdString(), "");

    editor().hide();
    EXPECT_FALSE(editor().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(editor().Image1->picture().isNull());
}

TEST_F(ProfileEditorTest, DropsTakeOneLocalPictureJudgedByItsContent)
{
    start();
    editor().openForCreate();
    const QImage placeholder = editor().Image1->picture();
    EXPECT_FALSE(placeholder.isNull());
    EXPECT_FALSE(editor().button1->isEnabled());

    EXPECT_TRUE(drop(bitmap("b.bmp")));
    EXPECT_TRUE(drop(bitmap("A.bmp")));
    EXPECT_EQ(list().entries(), (QStringList{tempPath("A.bmp"), tempPath("b.bmp")}));
    EXPECT_EQ(list().currentRow(), 1);
    EXPECT_NE(editor().Image1->picture(), placeholder);
    EXPECT_EQ(caption(), "Wallpaper Show List: (2)");
    EXPECT_TRUE(editor().button1->isEnabled());

    drop({QUrl::fromLocalFile(bitmap("c.bmp")), QUrl::fromLocalFile(bitmap("d.bmp"))});
    drop(textFile("notes.bmp")); // named like a picture, but not one
    drop(textFile("notes.txt"));
    drop(QDir(tempPath("")).absolutePath());
    EXPECT_EQ(dialogs.messages, (QStringList{"You can drop only one image file at a time!",
                                             "Unsupported image file, or not an image!",
                                             "Unsupported image file, or not an image!",
                                             "Unsupported image file, or not an image!"}));
    EXPECT_FALSE(drop({QUrl("http://example.com/e.jpg")}));
    drop(tempPath("gone.bmp"));
    EXPECT_EQ(dialogs.messages.size(), 4);
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(list().count(), 2);
}

TEST_F(ProfileEditorTest, ChoosingAnEntryPreviewsItsPictureAndAMissingOneIsReported)
{
    start();
    editor().openForEdit({bitmap("a.bmp"), tempPath("gone.bmp")});
    editor().openForCreate();
    const QImage placeholder = editor().Image1->picture();
    click(0);
    EXPECT_NE(editor().Image1->picture(), placeholder);
    EXPECT_TRUE(editor().button1->isEnabled());

    // The next entry chosen with the keyboard.
    editor().Image1->setPicture(placeholder);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(&list(), &down);
    EXPECT_EQ(list().currentRow(), 1);
    EXPECT_EQ(editor().Image1->picture(), placeholder);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("gone.bmp")) << dialogs.errors[0].toStdString();
}

TEST_F(ProfileEditorTest, TheContextMenuAddsRemovesAndFollowsItsRules)
{
    start();
    editor().openForEdit({bitmap("m.bmp")});
    menu();
    EXPECT_TRUE(editor().AddWallpaper1->isEnabled());
    EXPECT_FALSE(editor().RemoveWallpaper1->isEnabled());

    dialogs.fileAnswers = {{bitmap("z.bmp"), bitmap("a.bmp")}, {}};
    menu(editor().AddWallpaper1);
    EXPECT_EQ(dialogs.fileDialogs.last(), "|" + PictureFileFilter + "|1");
    EXPECT_EQ(list().entries(),
              (QStringList{tempPath("a.bmp"), tempPath("m.bmp"), tempPath("z.bmp")}));
    EXPECT_EQ(list().currentRow(), 2);
    EXPECT_EQ(caption(), "Wallpaper Show List: (3)");
    menu(editor().AddWallpaper1); // cancelled
    EXPECT_EQ(list().count(), 3);

    menu();
    EXPECT_TRUE(editor().RemoveWallpaper1->isEnabled());
    select({0, 2});
    menu(editor().RemoveWallpaper1);
    EXPECT_EQ(list().entries(), QStringList{tempPath("m.bmp")});
    EXPECT_EQ(caption(), "Wallpaper Show List: (1)");
    EXPECT_TRUE(QFile::exists(tempPath("a.bmp"))); // an ordinary profile only forgets it
}

TEST_F(ProfileEditorTest, DraggingInsideTheListMovesTheSelectedEntries)
{
    start();
    editor().openForEdit({"C:\\a", "C:\\b", "C:\\c", "C:\\d"});
    select({0, 1});
    EXPECT_TRUE(dragAndDrop(*ownDrag(), rowPoint(2), false));
    EXPECT_EQ(list().currentRow(), 2);
    EXPECT_EQ(list().selectedItems().size(), 2);

    // Two adjacent entries dropped on the last: the second takes the first's row, which the
    // walk has passed, so only the first moves.
    dragInside(rowPoint(3));
    EXPECT_EQ(list().entries(), (QStringList{"C:\\b", "C:\\c", "C:\\d", "C:\\a"}));
    EXPECT_EQ(list().selectedItems().size(), 1);

    select({2});
    dragInside(rowPoint(0));
    EXPECT_EQ(list().entries(), (QStringList{"C:\\d", "C:\\b", "C:\\c", "C:\\a"}));
    select({0});
    dragInside(rowPoint(3) + QPoint(0, 100)); // below the last entry
    EXPECT_EQ(list().entries(), (QStringList{"C:\\b", "C:\\c", "C:\\a", "C:\\d"}));
    EXPECT_TRUE(list().selectedItems().isEmpty());
}

TEST_F(ProfileEditorTest, RandomSortAlwaysExchangesTwoEntries)
{
    start();
    editor().openForEdit({"C:\\a", "C:\\b"});
    for (int i = 0; i < 20; ++i) {
        menu(editor().RandomSort1);
        EXPECT_EQ(list().item(0)->text(), i % 2 == 0 ? "C:\\b" : "C:\\a");
    }
}

TEST_F(ProfileEditorTest, FinishSavesToTheProfileItWasOpenedFor)
{
    writeProfile("run.tsl", {"C:\\r.jpg"});
    writeProfile("shuffled.tsl", {"C:\\c.jpg", "C:\\a.jpg", "C:\\b.jpg"});
    QDir().mkpath(profile("sub"));
    writeProfile("sub/run.tsl", {"C:\\s.jpg", "C:\\t.jpg"});
    writeIni("[CustomMode]\r\nCurrentProfile=run.tsl\r\n");
    start();
    TForm2& settings = *forms->Form2;
    // While the editor is open, another profile is chosen and the program activated again.
    const auto chooseElsewhere = [&](const QString& entry) {
        main().ComboBox1->setCurrentIndex(main().ComboBox1->findText(entry));
        settings.ComboBox3->setCurrentIndex(settings.ComboBox3->findText(entry));
        main().ListProfiles();
    };

    // The main window's profile, saved as shown: alphabetically.
    main().ComboBox1->setCurrentIndex(main().ComboBox1->findText("shuffled.tsl (3)"));
    main().BitBtn4->click();
    EXPECT_EQ(list().entries(), (QStringList{"C:\\a.jpg", "C:\\b.jpg", "C:\\c.jpg"}));
    select({1});
    menu(editor().RemoveWallpaper1);
    chooseElsewhere("run.tsl (1)");
    editor().button1->click();
    EXPECT_EQ(readTextList(profile("shuffled.tsl")), (QStringList{"C:\\a.jpg", "C:\\c.jpg"}));
    EXPECT_EQ(readTextList(profile("run.tsl")), QStringList{"C:\\r.jpg"});
    EXPECT_EQ(main().showList(), QStringList{"C:\\r.jpg"});
    EXPECT_NE(settings.ComboBox3->findText("shuffled.tsl (2)"), -1);
    EXPECT_FALSE(editor().isVisible());
    EXPECT_EQ(list().count(), 0);

    // A subfolder's profile named as one above it: its own file.
    main().ComboBox1->setCurrentIndex(main().ComboBox1->findText("run.tsl (2)"));
    main().BitBtn4->click();
    menu(editor().RemoveWallpaper1);
    editor().button1->click();
    EXPECT_EQ(readTextList(profile("sub/run.tsl")).size(), 1);

    // While the settings window shows, its profile.
    settings.show();
    settings.ComboBox3->setCurrentIndex(settings.ComboBox3->findText("run.tsl (1)"));
    settings.Button2->click();
    dialogs.fileAnswers = {{bitmap("new.bmp")}};
    menu(editor().AddWallpaper1);
    chooseElsewhere("shuffled.tsl (2)");
    editor().button1->click();
    EXPECT_EQ(readTextList(profile("run.tsl")), (QStringList{tempPath("new.bmp"), "C:\\r.jpg"}));
    EXPECT_EQ(main().showList(), readTextList(profile("run.tsl")));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(ProfileEditorTest, FavouritesLoseTheirFileOnRemovalAndAreNumberedAfresh)
{
    const QString folder = userData() + "/Favorites/";
    QDir().mkpath(folder);
    QStringList favourites;
    for (const char* name : {"fav_000.jpg", "fav_001.jpg", "fav_002.jpg"}) {
        writeFileBytes((folder + name).toStdString(), name);
        favourites.append(folder + name);
    }
    const QString outside = bitmap("outside.bmp");
    writeProfile("favorites.tsl", favourites + QStringList{outside});
    writeIni("[CustomMode]\r\nCurrentProfile=favorites.tsl\r\n");
    start();
    main().BitBtn4->click();
    ASSERT_TRUE(editor().editingFavourites());
    EXPECT_FALSE(drop(bitmap("dropped.bmp")));
    menu();
    EXPECT_FALSE(editor().AddWallpaper1->isEnabled());
    EXPECT_EQ(list().count(), 4);

    list().setCurrentRow(1);
    menu(editor().RemoveWallpaper1);
    EXPECT_EQ(list().entries(), (QStringList{folder + "fav_000.jpg", folder + "fav_001.jpg"}));
    EXPECT_EQ(readFileBytes((folder + "fav_001.jpg").toStdString()), "fav_002.jpg");
    EXPECT_TRUE(QFile::exists(outside));

    // One gone behind the program's back is passed over with "nope".
    QFile::remove(folder + "fav_000.jpg");
    editor().button1->click();
    EXPECT_EQ(dialogs.messages, QStringList{"nope"});
    EXPECT_EQ(readTextList(profile("favorites.tsl")), QStringList{folder + "fav_001.jpg"});
    EXPECT_EQ(main().showList(), readTextList(profile("favorites.tsl")));
    EXPECT_FALSE(editor().isVisible());

    // Edited from the settings window, the favourites are a list like any other.
    forms->Form2->show();
    forms->Form2->Button2->click();
    menu();
    EXPECT_TRUE(editor().AddWallpaper1->isEnabled());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(ProfileEditorTest, CreateAsksForAUsableNameAndKeepsFavoritesFree)
{
    start();
    editor().openForCreate();
    drop(bitmap("a.bmp"));
    dialogs.textAnswers = {QString(), std::nullopt, QString("favorites")};
    editor().button1->click();
    EXPECT_EQ(dialogs.textQuestions,
              QStringList(3, "Custom wallpaper show|Please type profile name:|"));
    EXPECT_FALSE(QFile::exists(profile("favorites.tsl")));
    EXPECT_FALSE(editor().isVisible());

    // The list stays, and "Finish" waits for a click.
    editor().openForCreate();
    EXPECT_FALSE(editor().button1->isEnabled());
    click(0);
    dialogs.textAnswers = {QString("Favorites")};
    editor().button1->click();
    EXPECT_EQ(readTextList(profile("Favorites.tsl")), QStringList{tempPath("a.bmp")});
    EXPECT_EQ(list().count(), 1);
    EXPECT_NE(main().ComboBox1->findText("Favorites.tsl (1)"), -1);

    // Names Windows refuses, and a folder that can not be written: reported, nothing written,
    // the editor stays open.
    const auto finishAs = [&](const QString& name) {
        editor().openForCreate();
        click(0);
        dialogs.textAnswers = {name};
        const qsizetype reported = dialogs.errors.size();
        editor().button1->click();
        ASSERT_EQ(dialogs.errors.size(), reported + 1) << name.toStdString();
        EXPECT_TRUE(dialogs.errors.last().contains(name)) << dialogs.errors.last().toStdString();
        EXPECT_TRUE(editor().isVisible());
    };
    for (const char* name : {"a:b", "lpt1.txt", "dot.", "new\nline"})
        finishAs(name);
    EXPECT_EQ(QDir(profile("")).entryList(QDir::Files), QStringList{"Favorites.tsl"});
    std::filesystem::remove_all(profile("").toStdString());
    writeFileBytes(profile("").chopped(1).toStdString(), "a file where the folder was");
    finishAs("fine");
}

} // namespace
