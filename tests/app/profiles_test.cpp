#include "app/forms.h"
#include "app/main.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "custommode/pedit.h"
#include "fixtures.h"
#include "testpictures.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>

namespace {

class ProfilesTest : public WindowsFixture {
protected:
    TForm1& main() { return *forms->Form1; }
    QString profile(const QString& name) const { return userData() + "/Profiles/" + name; }
    void writeProfileBytes(const QString& name, const std::string& bytes)
    {
        const std::filesystem::path path = profile(name).toStdString();
        std::filesystem::create_directories(path.parent_path());
        writeFileBytes(path.string(), bytes);
    }
    QString currentProfile() const
    {
        return IniFile(settingsFilePath()).readString("CustomMode", "CurrentProfile", "<none>");
    }
    QStringList entries()
    {
        QStringList list;
        for (int i = 0; i < main().ComboBox1->count(); ++i)
            list.append(main().ComboBox1->itemText(i));
        list.sort();
        return list;
    }
};

TEST_F(ProfilesTest, EntriesAreCountedByLinesWhateverTheLastLineEnd)
{
    writeProfileBytes("ended.tsl", "C:\\a.jpg\r\nC:\\b.jpg\r\nC:\\c.jpg\r\n");
    writeProfileBytes("open.tsl", "C:\\a.jpg\nC:\\b.jpg\nC:\\c.jpg");
    writeProfileBytes("gap.tsl", "C:\\a.jpg\r\n\r\nC:\\c.jpg\r\n");
    writeProfileBytes("notes.txt", "not a profile\r\n");
    start();
    main().ListProfiles();
    EXPECT_EQ(entries(), (QStringList{"ended.tsl (3)", "gap.tsl (3)", "open.tsl (3)"}));
    EXPECT_TRUE(main().TabSheet2->isEnabled());
}

TEST_F(ProfilesTest, WithoutProfilesTheCustomPageIsOff)
{
    start();
    main().ListProfiles();
    EXPECT_EQ(main().ComboBox1->count(), 0);
    EXPECT_FALSE(main().TabSheet2->isEnabled());
}

TEST_F(ProfilesTest, RunningAProfileWithBracketsInItsNameUsesTheWholeName)
{
    writeProfileBytes("old (2).tsl",
                      (bitmap("a.bmp") + "\r\n" + bitmap("b.bmp") + "\r\n").toStdString());
    writeProfileBytes("old.tsl", "C:\\elsewhere.bmp\r\n");
    start();
    main().ListProfiles();
    main().ComboBox1->setCurrentIndex(main().ComboBox1->findText("old (2).tsl (2)"));
    main().ComboBox1Change();
    main().BitBtn1->click();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
    EXPECT_EQ(currentProfile(), "old (2).tsl");
    EXPECT_EQ(main().showList(), QStringList{tempPath("b.bmp")}); // the first one is shown already
    EXPECT_EQ(regString("Control Panel\\Desktop", "Wallpaper"), currentBitmapPath());
    EXPECT_FALSE(main().BitBtn1->isEnabled());
    EXPECT_TRUE(main().BitBtn3->isEnabled());
}

TEST_F(ProfilesTest, APercentSignInTheNameIsShownAndRunAsItIs)
{
    const QString lines = bitmap("a.bmp") + "\r\n" + bitmap("b.bmp") + "\r\n";
    writeProfileBytes("50%1 off.tsl", lines.toStdString());
    start();
    main().ListProfiles();
    EXPECT_EQ(entries(), QStringList{"50%1 off.tsl (2)"});
    main().ComboBox1->setCurrentIndex(0);
    main().ComboBox1Change();
    main().BitBtn1->click();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
    EXPECT_EQ(currentProfile(), "50%1 off.tsl");
    EXPECT_EQ(main().showList(), QStringList{tempPath("b.bmp")});
}

TEST_F(ProfilesTest, DeletingRemovesTheListedFileNeverOneOfTheSameName)
{
    writeProfileBytes("a.tsl", "C:\\top.bmp\r\n");
    writeProfileBytes("b.tsl", "C:\\b1.bmp\r\nC:\\b2.bmp\r\n");
    writeProfileBytes("sub/a.tsl", "C:\\nested.bmp\r\n");
    start();
    main().ListProfiles();
    ASSERT_EQ(main().ComboBox1->count(), 3);
    ASSERT_EQ(main().ComboBox1->itemText(2), "a.tsl (1)") << "the subfolder's profile comes last";
    ASSERT_EQ(main().ComboBox1->itemText(0), "a.tsl (1)");

    // Gone from the disk since it was listed: its namesake stays, and the list is shown afresh.
    main().ComboBox1->setCurrentIndex(2);
    std::filesystem::remove(profile("sub/a.tsl").toStdString());
    dialogs.answers = {true};
    main().BitBtn9->click();
    EXPECT_TRUE(QFile::exists(profile("a.tsl")));
    EXPECT_EQ(entries(), (QStringList{"a.tsl (1)", "b.tsl (2)"}));

    writeProfileBytes("sub/a.tsl", "C:\\nested.bmp\r\n");
    main().ListProfiles();
    main().ComboBox1->setCurrentIndex(2);
    dialogs.answers = {true};
    main().BitBtn9->click();
    EXPECT_FALSE(QFile::exists(profile("sub/a.tsl")));
    EXPECT_TRUE(QFile::exists(profile("a.tsl")));
    EXPECT_EQ(entries(), (QStringList{"a.tsl (1)", "b.tsl (2)"}));
    EXPECT_EQ(main().showList(), QStringList{"C:\\top.bmp"});
}

// A subfolder's profile runs from its own file, pass after pass; with nothing chosen Select does
// nothing; a name the settings file can not hold is refused and the file stays as it was.
TEST_F(ProfilesTest, SelectRunsTheListedFileAndOnlyANameTheSettingsCanHold)
{
    writeProfileBytes("a.tsl", "C:\\top.bmp\r\n");
    writeProfileBytes("sub/a.tsl", "C:\\nested.bmp\r\nC:\\second.bmp\r\n");
    writeProfileBytes("line\nbreak.tsl", "C:\\x.bmp\r\n");
    start();
    main().ListProfiles();
    main().BitBtn1->setEnabled(true);
    main().BitBtn1->click();
    EXPECT_EQ(currentProfile(), "<none>");
    for (const char* entry : {"a.tsl (2)", "line\nbreak.tsl (1)"}) {
        main().ComboBox1->setCurrentIndex(main().ComboBox1->findText(entry));
        main().BitBtn1->setEnabled(true);
        main().BitBtn1->click();
        main().NextCustomWallpaper();
        main().NextCustomWallpaper();
        EXPECT_EQ(main().showList(), QStringList{"C:\\second.bmp"});
        EXPECT_EQ(currentProfile(), "sub/a.tsl");
    }
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("break.tsl")) << dialogs.errors[0].toStdString();
}

TEST_F(ProfilesTest, DeletingKeepsTheShowGoingWithTheFirstProfileLeft)
{
    writeProfileBytes("a.tsl", "C:\\a.bmp\r\n");
    writeProfileBytes("b.tsl", "C:\\b1.bmp\r\nC:\\b2.bmp\r\n");
    writeIni("[CustomMode]\r\nCurrentProfile=a.tsl\r\n");
    start();
    main().ListProfiles();
    ASSERT_EQ(main().ComboBox1->currentText(), "a.tsl (1)");

    dialogs.answers = {false};
    main().BitBtn9->click();
    EXPECT_TRUE(QFile::exists(profile("a.tsl")));

    dialogs.answers = {true};
    main().BitBtn9->click();
    EXPECT_EQ(dialogs.questions.last(), "Delete selected profile?");
    EXPECT_FALSE(QFile::exists(profile("a.tsl")));
    EXPECT_EQ(main().ComboBox1->currentText(), "b.tsl (2)");
    EXPECT_EQ(currentProfile(), "b.tsl");
    EXPECT_EQ(main().showList(), (QStringList{"C:\\b1.bmp", "C:\\b2.bmp"}));
    EXPECT_TRUE(main().BitBtn1->isEnabled());

    // The last one: "Select" goes off and the current profile stays as it was.
    dialogs.answers = {true};
    main().BitBtn9->click();
    EXPECT_EQ(main().ComboBox1->count(), 0);
    EXPECT_FALSE(main().BitBtn1->isEnabled());
    EXPECT_EQ(currentProfile(), "b.tsl");
}

TEST_F(ProfilesTest, TheEditorOpensOnTheSelectedProfileAndAMissingOneIsReported)
{
    writeProfileBytes("a.tsl", "C:\\one.bmp\r\nC:\\two.jpg\r\n");
    start();
    main().ListProfiles();
    main().ComboBox1->setCurrentIndex(0);
    main().BitBtn4->click();
    TForm7& editor = *forms->Form7;
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.mode(), TForm7::Mode::Edit);
    ASSERT_EQ(editor.ListBox1->count(), 2);
    EXPECT_EQ(editor.ListBox1->currentRow(), 0);

    main().BitBtn5->click();
    EXPECT_EQ(editor.mode(), TForm7::Mode::Create);
    EXPECT_FALSE(editor.button1->isEnabled());

    std::filesystem::remove(profile("a.tsl").toStdString());
    main().BitBtn1->click();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].startsWith("Cannot open file"))
        << dialogs.errors[0].toStdString();
}

} // namespace
