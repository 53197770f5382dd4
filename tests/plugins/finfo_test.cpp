#include "app/forms.h"
#include "app/main.h"
#include "common/strings.h"
#include "fixtures.h"
#include "layoutcheck.h"
#include "plugins/finfo.h"
#include "plugins/pluginman.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class PluginInfoTest : public WindowsFixture {
protected:
    TForm11& manager() { return *forms->Form11; }
    TForm12& info() { return *forms->Form12; }
    // A plug-in file in the program's "plugins" folder, added to the list and selected.
    void addPlugin(const QString& name)
    {
        dialogs.fileAnswers.push_back({tempPath(name)});
        manager().BitBtn1->click();
        manager().ListView1->selectRow(manager().ListView1->rowCount() - 1);
    }
    QString pluginPath(const QString& name) const { return programDir() + "plugins/" + name; }
    // The info window opened on the selected row, as its lines.
    QStringList infoLines()
    {
        manager().Info1->trigger();
        info().FormActivate();
        QStringList lines;
        for (int i = 0; i < info().ListBox1->count(); ++i)
            lines.push_back(info().ListBox1->item(i)->text());
        info().Button1->click();
        return lines;
    }
    static QStringList emptyLines()
    {
        return {"FileType:\t",     "CompanyName:\t",    "FileDescription:\t", "FileVersion:\t",
                "InternalName:\t", "LegalCopyRight:\t", "LegalTradeMarks:\t", "OriginalFileName:\t",
                "ProductName:\t",  "ProductVersion:\t", "SpecialBuildStr:\t", "PrivateBuildStr:\t",
                "FileFunction:\t"};
    }
    static std::string text(const QStringList& lines) { return lines.join(u'\n').toStdString(); }
    static bool topmost(const QWidget& window)
    {
        return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    }
};

TEST_F(PluginInfoTest, AProgramWithAVersionResourceShowsItsValues)
{
    start();
    fs::copy_file(TAPESTRON_EXECUTABLE, toStd(pluginPath("tool.exe")));
    addPlugin("tool.exe");
    const QStringList lines = infoLines();
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[0], "FileType:\tApplication");
    EXPECT_TRUE(lines[1].startsWith("CompanyName:\t") && lines[1].size() > 13);
    EXPECT_EQ(lines[2], "FileDescription:\tTapestron");
    EXPECT_EQ(lines[3], "FileVersion:\t0.2.0.80");
    EXPECT_EQ(lines[7], "OriginalFileName:\ttapestron.exe");
    EXPECT_EQ(lines[9], "ProductVersion:\t0.2.0.80");
    EXPECT_EQ(lines[12], "FileFunction:\tApplication");
}

TEST_F(PluginInfoTest, AFileWithoutVersionResourceShowsOnlyWhatTheShellTells)
{
    start();
    fs::copy_file(TAPESTRON_EXECUTABLE, toStd(pluginPath("tool.exe")));
    addPlugin("tool.exe");
    ASSERT_EQ(infoLines().size(), 13);

    writeFileBytes(toStd(pluginPath("notes.exe")), "plain text, no program\n");
    addPlugin("notes.exe");
    QStringList lines = infoLines();
    ASSERT_EQ(lines.size(), 13);
    EXPECT_TRUE(lines[0].startsWith("FileType:\t") && lines[0].size() > 10);
    EXPECT_EQ(text(lines.mid(1)), text(emptyLines().mid(1)))
        << "the values of the last plug-in are gone";

    addPlugin("missing.exe");
    EXPECT_EQ(text(infoLines()), text(emptyLines()));
    EXPECT_EQ(dialogs.errors, QStringList());
}

TEST_F(PluginInfoTest, EachWindowDisablesTheWindowsBehindItWhileShown)
{
    start();
    TForm1& main = *forms->Form1;
    manager().show();
    QApplication::processEvents();
    EXPECT_FALSE(main.isEnabled());
    EXPECT_TRUE(topmost(manager()));
    EXPECT_EQ(layoutFaults(manager()).join(u'\n').toStdString(), "");

    manager().ListView1->clearSelection();
    manager().Info1->trigger();
    EXPECT_FALSE(info().isVisible()) << "Info needs a selected row";
    manager().ListView1->selectRow(0);
    manager().Info1->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(info().isVisible());
    EXPECT_FALSE(manager().isEnabled());
    EXPECT_TRUE(topmost(info()));
    EXPECT_EQ(layoutFaults(info()).join(u'\n').toStdString(), "");

    info().Button1->click();
    EXPECT_FALSE(info().isVisible());
    EXPECT_TRUE(manager().isEnabled());
    EXPECT_FALSE(main.isEnabled());
    manager().button1->click();
    EXPECT_FALSE(manager().isVisible());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_FALSE(topmost(manager()));
}

// The list is read again whenever the manager comes back to the front, as after its popup menu.
TEST_F(PluginInfoTest, TheChosenRowSurvivesAReturnToTheManagerAndInfoShowsItsPlugin)
{
    fs::copy_file(TAPESTRON_SHOWOPEN, toStd(pluginPath("showopen.exe")));
    start();
    addPlugin("notes.exe");
    const auto rows = manager().ListView1->findItems("showopen.exe", Qt::MatchExactly);
    ASSERT_EQ(rows.size(), 1);
    manager().ListView1->selectRow(rows.front()->row());
    manager().FormActivate();
    const QStringList lines = infoLines();
    ASSERT_EQ(lines.size(), emptyLines().size());
    EXPECT_EQ(lines[7], "OriginalFileName:\tshowopen.exe");
    EXPECT_GT(lines[3].size(), emptyLines()[3].size()) << "FileVersion";
}

} // namespace
