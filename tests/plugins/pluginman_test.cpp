#include "app/forms.h"
#include "common/strings.h"
#include "fixtures.h"
#include "platform/registry.h"
#include "plugins/finfo.h"
#include "plugins/pluginman.h"
#include "plugins/protocol.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QTableWidget>

#include <cstdio>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using platform::RootKey;

const std::string ShowOpenSection = "[showopen.exe]\r\nName=showopen.exe\r\nStatus=enabled\r\n";

class PluginManagerTest : public WindowsFixture {
protected:
    TForm11& manager() { return *forms->Form11; }
    std::string listPath() const { return toStd(programDir()) + "data/plugins.ini"; }
    std::string list() const { return readFileBytes(listPath()); }
    void writeList(const std::string& text) const { writeFileBytes(listPath(), text); }

    // The rows as "name/status".
    QStringList rows()
    {
        QStringList shown;
        for (int row = 0; row < manager().ListView1->rowCount(); ++row)
            shown.push_back(manager().ListView1->item(row, 0)->text() + u'/' +
                            manager().ListView1->item(row, 1)->text());
        return shown;
    }
    void select(int row) { manager().ListView1->selectRow(row); }
    // The user picks these files in the dialog of "Add".
    void add(const QStringList& files)
    {
        dialogs.fileAnswers.push_back(files);
        manager().BitBtn1->click();
    }
    bool protocolRegistered() const
    {
        return system.registry->keyExists(RootKey::ClassesRoot, "TAPESTRON\\shell\\open\\command");
    }
};

TEST_F(PluginManagerTest, TheFirstStartCreatesTheListWithTheKnownPluginActive)
{
    start();
    EXPECT_EQ(list(), ShowOpenSection);
    EXPECT_EQ(rows(), QStringList{"showopen.exe/enabled"});
    EXPECT_TRUE(protocolRegistered());
    EXPECT_EQ(dialogs.errors, QStringList());
}

TEST_F(PluginManagerTest, TheListIsShownInFileOrderWhateverItHolds)
{
    const std::string junk("\x01\xff\xfe\x00zz", 6);
    writeList("[tool.exe]\r\nStatus=disabled\r\nName=tool.exe\r\n"
              "[nameless.exe]\r\nStatus=enabled\r\n"
              "[odd.exe]\r\nName=odd.exe\r\nStatus=sleeping\r\n"
              "[TOOL.EXE]\r\nName=second copy\r\nStatus=enabled\r\n"
              "[empty]\r\n"
              "[long.exe]\r\nName=" +
              std::string(70000, 'l') + "\r\nStatus=disabled\r\n" + junk +
              "\r\n[]\r\nName=no section name\r\n");
    start();
    EXPECT_EQ(dialogs.errors, QStringList());
    const QStringList shown = rows();
    ASSERT_EQ(shown.size(), 5);
    EXPECT_EQ(shown.mid(0, 4),
              QStringList({"tool.exe/disabled", "/enabled", "odd.exe/sleeping", "/"}));
    EXPECT_EQ(shown[4], QString(70000, u'l') + "/disabled");

    // A missing list is no error: the rows stay. An existing one is read afresh.
    fs::remove(listPath());
    manager().FormActivate();
    EXPECT_EQ(rows().size(), 5);
    writeList(ShowOpenSection);
    manager().FormActivate();
    EXPECT_EQ(rows(), QStringList{"showopen.exe/enabled"});
}

TEST_F(PluginManagerTest, AddedPluginsAreDisabledAndOnlyTheKnownOneActivates)
{
    start();
    const QString tool = tempPath("tool.exe");
    add({tool});
    EXPECT_EQ(dialogs.fileDialogs, QStringList{"Select Plugin|Executables (*.exe)|*.exe|1"});
    EXPECT_EQ(rows(), QStringList({"showopen.exe/enabled", "tool.exe/disabled"}));
    EXPECT_EQ(list(), ShowOpenSection + "[tool.exe]\r\nName=tool.exe\r\nStatus=disabled\r\n");

    add({}); // cancelled
    add({tool});
    EXPECT_EQ(rows().size(), 3);
    const std::string before = list();
    EXPECT_EQ(before, ShowOpenSection + "[tool.exe]\r\nName=tool.exe\r\nStatus=disabled\r\n");

    select(1);
    manager().Activate1->trigger();
    manager().Deactivateplugin1->trigger();
    EXPECT_EQ(dialogs.messages, QStringList({"Unknown Plugin.", "Unknown Plugin."}));
    EXPECT_EQ(list(), before);
    EXPECT_EQ(rows()[1], "tool.exe/disabled");
    EXPECT_TRUE(protocolRegistered());

    manager().FormActivate();
    EXPECT_EQ(rows(), QStringList({"showopen.exe/enabled", "tool.exe/disabled"}));
}

TEST_F(PluginManagerTest, DeactivatingAndActivatingTheKnownPluginSwitchesTheProtocol)
{
    start();
    select(0);
    manager().Deactivateplugin1->trigger();
    EXPECT_FALSE(system.registry->keyExists(RootKey::ClassesRoot, "TAPESTRON"));
    EXPECT_EQ(rows(), QStringList{"showopen.exe/disabled"});
    EXPECT_EQ(list(), "[showopen.exe]\r\nName=showopen.exe\r\nStatus=disabled\r\n");

    manager().Activate1->trigger();
    const auto command =
        system.registry->readValue(RootKey::ClassesRoot, "TAPESTRON\\shell\\open\\command", "");
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(std::get<std::string>(*command),
              toStd(showOpenCommand(programDir() + "plugins/showopen.exe")));
    EXPECT_EQ(rows(), QStringList{"showopen.exe/enabled"});
    EXPECT_EQ(list(), ShowOpenSection);

    // Without a selected row nothing happens.
    manager().ListView1->clearSelection();
    manager().Deactivateplugin1->trigger();
    manager().BitBtn2->click();
    EXPECT_TRUE(protocolRegistered());
    EXPECT_EQ(rows(), QStringList{"showopen.exe/enabled"});
    EXPECT_EQ(dialogs.messages, QStringList());
}

TEST_F(PluginManagerTest, RemoveErasesTheSectionAndLeavesTheProtocol)
{
    writeList(ShowOpenSection + "[showopen.exe]\r\nName=again\r\n[nameless.exe]\r\nStatus=x\r\n");
    start();
    select(1);
    manager().BitBtn2->click();
    select(0);
    manager().BitBtn2->click();
    EXPECT_EQ(rows(), QStringList());
    EXPECT_EQ(list(), "");
    EXPECT_TRUE(protocolRegistered());

    manager().FormActivate();
    EXPECT_EQ(rows(), QStringList());
    add({tempPath("showopen.exe")});
    EXPECT_EQ(rows(), QStringList{"showopen.exe/disabled"});
    EXPECT_EQ(list(), "[showopen.exe]\r\nName=showopen.exe\r\nStatus=disabled\r\n");
}

TEST_F(PluginManagerTest, AWriteProtectedProgramFolderIsReported)
{
    const fs::path data = toStd(programDir()) + "data";
    fs::permissions(data, fs::perms::owner_read | fs::perms::owner_exec);
    if (std::FILE* probe = std::fopen((data / "probe").c_str(), "w")) {
        std::fclose(probe);
        fs::remove(data / "probe");
        fs::permissions(data, fs::perms::owner_all);
        GTEST_SKIP() << "running as root: folder permissions do not stop writes";
    }
    start();
    select(0);
    manager().Deactivateplugin1->trigger();
    fs::permissions(data, fs::perms::owner_all);

    const QString message = "Unable to write to " + fromStd(listPath());
    EXPECT_EQ(dialogs.errors, QStringList({message, message}));
    EXPECT_FALSE(fs::exists(listPath()));
    EXPECT_EQ(rows(), QStringList{"showopen.exe/enabled"});
}

TEST_F(PluginManagerTest, ComingBackFromAnotherWindowOfTheProgramReloadsTheList)
{
    start();
    manager().show();
    QApplication::processEvents();
    manager().winId();
    QWindow* self = manager().windowHandle();
    ProgramActivation& activation = manager().activation();
    writeList("[other.exe]\r\nName=other.exe\r\nStatus=disabled\r\n");

    activation.focusWindowChanged(nullptr); // the user went to another application
    activation.focusWindowChanged(self);
    QFileDialog fileDialog;
    fileDialog.winId();
    activation.focusWindowChanged(fileDialog.windowHandle());
    activation.focusWindowChanged(self);
    EXPECT_EQ(rows(), QStringList{"showopen.exe/enabled"});

    forms->Form12->winId();
    activation.focusWindowChanged(forms->Form12->windowHandle());
    activation.focusWindowChanged(self);
    EXPECT_EQ(rows(), QStringList{"other.exe/disabled"});
}

} // namespace
