#include "app/forms.h"
#include "app/main.h"
#include "app/trayicon.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "common/timer.h"
#include "fixtures.h"
#include "plugins/protocol.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTabWidget>

#include <filesystem>

namespace {

using platform::RootKey;

const QString ListFailure =
    QStringLiteral("Can not retrive wallpaper lists. Check your Internet Connection.");

class StartUpTest : public WindowsFixture {
protected:
    TForm1& main() { return *forms->Form1; }
    QString classValue(const std::string& key, const std::string& name) const
    {
        const auto value = system.registry->readValue(RootKey::ClassesRoot, key, name);
        if (!value)
            return QStringLiteral("<missing>");
        if (const auto* text = std::get_if<std::string>(&*value))
            return fromStd(*text);
        return QString::number(std::get<std::uint32_t>(*value));
    }
    QString expectedCommand() const
    {
        return u'"' + context.programPath("plugins/showopen.exe") + QStringLiteral("\" \"%1\"");
    }
};

TEST_F(StartUpTest, AFirstStartChoosesAutomaticModeAndWritesNoSettings)
{
    start();
    EXPECT_TRUE(main().AutomaticWallpaperShow1->isChecked());
    EXPECT_EQ(main().PageControl1->currentWidget(), main().TabSheet1);
    EXPECT_EQ(main().ComboBox2->currentIndex(), 0);
    EXPECT_EQ(main().ComboBox2->count(), 18);
    EXPECT_FALSE(QFile::exists(settingsFilePath()));
    for (const char* folder : {"Temp", "Profiles"})
        EXPECT_TRUE(QDir(userDataPath(folder)).exists()) << folder;
    EXPECT_FALSE(QFile::exists(context.programPath("data/cat1.tsl"))) << "no service, no backup";
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(main().TrayIcon1->balloon().text, "")
        << "a list that could not be fetched is no error";
}

TEST_F(StartUpTest, OnlyTheExactWordCustomRestoresCustomMode)
{
    std::filesystem::create_directories((userData() + "/Profiles").toStdString());
    writeTextList(userDataPath("Profiles/trip.tsl"), {"/pics/a.bmp", "/pics/b.bmp"});
    writeIni("[General]\r\nDefaultMode=Custom\r\n[CustomMode]\r\nCurrentProfile=trip.tsl\r\n");
    start();
    EXPECT_TRUE(main().AutomaticWallpaperShow1->isChecked());
    EXPECT_TRUE(main().showList().isEmpty());
    forms.reset();

    writeIni("[General]\r\nDefaultMode=custom\r\n[CustomMode]\r\nCurrentProfile=trip.tsl\r\n");
    start();
    EXPECT_TRUE(main().CustomSlideShow1->isChecked());
    EXPECT_EQ(main().PageControl1->currentWidget(), main().TabSheet2);
    // The profile was loaded for the start's step, which passed over the missing first picture.
    EXPECT_EQ(main().showList(), (QStringList{"/pics/b.bmp"}));
}

TEST_F(StartUpTest, AnUnusableCategoryIsReportedUnlessBalloonsAreOff)
{
    // Category 30 has no code in the installed catalog.
    writeIni("[General]\r\nDefaultMode=auto\r\nAutoRunAtStartup=0\r\nBallonTips=1\r\n[AutoMode]"
             "\r\nCategory=30\r\n");
    start();
    EXPECT_EQ(main().TrayIcon1->balloon().text, "");
    EXPECT_FALSE(main().Timer3->enabled());
    EXPECT_TRUE(main().AutomaticWallpaperShow1->isChecked()) << "the start went on";
    forms.reset();

    writeIni("[General]\r\nDefaultMode=auto\r\nAutoRunAtStartup=0\r\nBallonTips=0\r\n[AutoMode]"
             "\r\nCategory=30\r\n");
    start();
    EXPECT_EQ(main().TrayIcon1->balloon().text, ListFailure);
    EXPECT_EQ(main().TrayIcon1->balloon().title, "Update");
    EXPECT_TRUE(main().Timer3->enabled());
}

TEST_F(StartUpTest, TheProtocolIsRegisteredWithAQuotedCommand)
{
    start();
    EXPECT_EQ(classValue("TAPESTRON", ""), "URL:TAPESTRON (Tapestron Profile)");
    EXPECT_EQ(classValue("TAPESTRON", "EditFlags"), "2");
    EXPECT_EQ(classValue("TAPESTRON", "Source Filter"), "");
    EXPECT_EQ(classValue("TAPESTRON", "URL Protocol"), "");
    EXPECT_EQ(classValue("TAPESTRON\\shell\\open\\command", ""), expectedCommand());
    EXPECT_EQ(showOpenCommand("C:\\Program Files\\T\\plugins\\showopen.exe"),
              "\"C:\\Program Files\\T\\plugins\\showopen.exe\" \"%1\"");
}

TEST_F(StartUpTest, RegisteringKeepsOtherValuesAndRemovingKeepsOtherClasses)
{
    platform::Registry& registry = *system.registry;
    ASSERT_TRUE(registry.createKey(RootKey::ClassesRoot, "TAPESTRON\\DefaultIcon"));
    registry.writeString(RootKey::ClassesRoot, "TAPESTRON", "Owner", "kept");
    registry.writeString(RootKey::ClassesRoot, "TAPESTRON", "EditFlags", "old text");
    ASSERT_TRUE(registry.createKey(RootKey::ClassesRoot, "TAPESTRONX\\shell"));
    ASSERT_TRUE(registry.createKey(RootKey::ClassesRoot, ".tsl"));

    RegisterShellProtocol(registry, ProtocolKey, ProtocolDescription, "cmd %1");
    const std::string once = readFileBytes(root.file("registry.reg"));
    RegisterShellProtocol(registry, ProtocolKey, ProtocolDescription, "cmd %1");
    EXPECT_EQ(readFileBytes(root.file("registry.reg")), once) << "twice is the same as once";
    EXPECT_EQ(classValue("TAPESTRON", "Owner"), "kept");
    EXPECT_EQ(classValue("TAPESTRON", "EditFlags"), "2");
    EXPECT_TRUE(registry.keyExists(RootKey::ClassesRoot, "TAPESTRON\\DefaultIcon"));

    RemoveShellProtocol(registry, ProtocolKey);
    EXPECT_FALSE(registry.keyExists(RootKey::ClassesRoot, "TAPESTRON"));
    EXPECT_FALSE(registry.keyExists(RootKey::ClassesRoot, "TAPESTRON\\shell\\open\\command"));
    EXPECT_TRUE(registry.keyExists(RootKey::ClassesRoot, "TAPESTRONX\\shell"));
    EXPECT_TRUE(registry.keyExists(RootKey::ClassesRoot, ".tsl"));
    RemoveShellProtocol(registry, ProtocolKey); // nothing left to remove: no error
}

TEST_F(StartUpTest, ARefusedRegistrationIsReportedAndTheStartGoesOn)
{
    system.registry = std::make_unique<RefusingRegistry>(std::move(system.registry));
    writeIni("[General]\r\nDefaultMode=auto\r\n");
    start();
    ASSERT_FALSE(dialogs.errors.isEmpty());
    EXPECT_EQ(dialogs.errors.front(), "Failed to set data for ''");
    EXPECT_TRUE(main().AutomaticWallpaperShow1->isChecked());
    EXPECT_EQ(main().ComboBox2->count(), 18);
}

} // namespace
