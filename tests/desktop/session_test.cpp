#include "platform/registry.h"
#include "plugins/protocol.h"
#include "server.h"
#include "settings/runatstartup.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A user's folders of their own, a desktop session, and the program's registry.
class SessionEntriesTest : public ::testing::Test {
protected:
    std::string config(const std::string& name) const { return home.file("config/" + name); }
    std::string data(const std::string& name) const { return home.file("data/" + name); }

    TempDir home;
    ScopedEnv configHome{"XDG_CONFIG_HOME", home.file("config")};
    ScopedEnv dataHome{"XDG_DATA_HOME", home.file("data")};
    ScopedEnv desktop{"TAPESTRON_DESKTOP", std::string("x11")};
    ScopedEnv registryFile{"TAPESTRON_REGISTRY", home.file("registry.reg")};
    std::unique_ptr<platform::Registry> registry = platform::createRegistry();
};

TEST_F(SessionEntriesTest, LogOnStartIsAnAutostartEntryWhileTheValueExists)
{
    fs::create_directories(config("autostart"));
    writeFileBytes(config("autostart/other.desktop"), "[Desktop Entry]\nExec=other\n");
    const std::string entry = config("autostart/tapestron.desktop");
    // A program folder whose name Windows would not allow: quotes, a blank and a "$".
    const std::string folder = home.file("My \"Apps\" $x");
    fs::create_directories(folder);
    writeFileBytes(folder + "/tapestron", "");

    ASSERT_TRUE(writeRunAtStartup(*registry, QString::fromStdString(folder + "/tapestron")));
    // Quoted as the desktop entry rules ask, then escaped as a string value.
    EXPECT_EQ(readFileBytes(entry), "[Desktop Entry]\nType=Application\nName=Tapestron\nExec=\"" +
                                        home.path() +
                                        "/My \\\\\"Apps\\\\\" \\\\$x/tapestron\"\nTerminal=false\n"
                                        "X-Tapestron-Run=Tapestron\n");

    // An entry removed by hand comes back with the next start's write of the value.
    fs::remove(entry);
    ASSERT_TRUE(writeRunAtStartup(*registry, QStringLiteral("/opt/tapestron")));
    EXPECT_NE(readFileBytes(entry).find("\nExec=/opt/tapestron\n"), std::string::npos);

    // Installed, the program is reached through a link on PATH, and the entry names the link.
    fs::create_directories(home.file("bin"));
    fs::create_symlink(folder + "/tapestron", home.file("bin/tapestron"));
    {
        const ScopedEnv path("PATH", "relative:" + home.file("bin"));
        ASSERT_TRUE(writeRunAtStartup(*registry, QString::fromStdString(folder + "/tapestron")));
    }
    EXPECT_NE(readFileBytes(entry).find("\nExec=" + home.file("bin/tapestron") + "\n"),
              std::string::npos);

    removeRunAtStartup(*registry);
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_EQ(readFileBytes(config("autostart/other.desktop")), "[Desktop Entry]\nExec=other\n");

    // A file of the user's own under that name is never replaced or removed.
    writeFileBytes(entry, "[Desktop Entry]\nExec=mine\n");
    ASSERT_TRUE(writeRunAtStartup(*registry, QStringLiteral("/opt/tapestron")));
    removeRunAtStartup(*registry);
    EXPECT_EQ(readFileBytes(entry), "[Desktop Entry]\nExec=mine\n");
}

TEST_F(SessionEntriesTest, WithoutASessionNothingOutsideTheRegistryIsWritten)
{
    ScopedEnv none("TAPESTRON_DESKTOP", std::string("none"));
    ASSERT_TRUE(writeRunAtStartup(*registry, QStringLiteral("/opt/tapestron")));
    RegisterShellProtocol(*registry, ProtocolKey, ProtocolDescription,
                          showOpenCommand(QStringLiteral("/opt/plugins/showopen.exe")));
    EXPECT_FALSE(fs::exists(config("autostart")));
    EXPECT_FALSE(fs::exists(config("mimeapps.list")));
    EXPECT_FALSE(fs::exists(data("applications")));
}

TEST_F(SessionEntriesTest, TheProtocolClassMakesThePluginTheLinkHandler)
{
    if (!onPath("xdg-mime") || !onPath("xdg-open"))
        GTEST_SKIP() << "xdg-utils is not installed";
    // The plug-in: a program that writes down the link it was given.
    const std::string plugins = home.file("program/plugins");
    fs::create_directories(plugins);
    const std::string plugin = plugins + "/showopen.exe";
    writeFileBytes(plugin, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.log.part\"\n"
                           "mv \"$0.log.part\" \"$0.log\"\n");
    fs::permissions(plugin, fs::perms::owner_all);
    fs::create_directories(config(""));
    const std::string otherLines =
        "[Added Associations]\ntext/plain=editor.desktop;\n\n"
        "[Default Applications]\nx-scheme-handler/http=browser.desktop\n";
    writeFileBytes(config("mimeapps.list"), otherLines);

    RegisterShellProtocol(*registry, ProtocolKey, ProtocolDescription,
                          showOpenCommand(QString::fromStdString(plugin)));
    const std::string entry = data("applications/tapestron-url-tapestron.desktop");
    EXPECT_NE(readFileBytes(entry).find("\nExec=" + plugin + " %u\n"), std::string::npos);
    EXPECT_NE(readFileBytes(entry).find("\nMimeType=x-scheme-handler/tapestron;\n"),
              std::string::npos);
    EXPECT_EQ(readFileBytes(config("mimeapps.list")),
              otherLines + "x-scheme-handler/tapestron=tapestron-url-tapestron.desktop;\n");

    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/tapestron")});
    ASSERT_TRUE(query.waitForFinished(10000));
    EXPECT_EQ(query.readAllStandardOutput().trimmed(), "tapestron-url-tapestron.desktop");

    // The desktop's own opener starts the plug-in with the link, whatever the link holds.
    const std::string link = "tapestron:profile?name=a b&x=$(id)";
    {
        ScopedEnv display("DISPLAY", std::string(":99")); // the opener asks for a session
        ScopedEnv generic("XDG_CURRENT_DESKTOP", std::nullopt);
        QProcess open;
        open.start(QStringLiteral("xdg-open"), {QString::fromStdString(link)});
        ASSERT_TRUE(open.waitForFinished(10000));
        EXPECT_EQ(open.exitCode(), 0);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(plugin + ".log") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(readFileBytes(plugin + ".log"), link + "\n");

    RemoveShellProtocol(*registry, ProtocolKey);
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_EQ(readFileBytes(config("mimeapps.list")), otherLines);
}

} // namespace
