#include "fixtures.h"
#include "platform/posix/desktop/process.h"
#include "xserver.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <sstream>

namespace {

// The indent of the deepest of the program's windows in the server's tree: a tray host takes the
// icon's window into its own, deeper than the top-level windows; 0 while there is none.
std::size_t programWindowIndent()
{
    std::istringstream tree(platform::posix::runTool({"xwininfo", "-root", "-tree"}).output);
    std::size_t indent = 0;
    for (std::string line; std::getline(tree, line);)
        if (QString::fromStdString(line).contains("\"tapestron\"", Qt::CaseInsensitive))
            indent = std::max(indent, line.find_first_not_of(' '));
    return indent;
}

class TrayHostTest : public AppFixture {};

TEST_F(TrayHostTest, TheIconAppearsInATrayThatStartsAfterTheProgram)
{
    if (!haveXvfb() || !onPath("trayer") || !onPath("xwininfo"))
        GTEST_SKIP() << "Xvfb, trayer or xwininfo is not installed";
    const XServer server(320, 240);
    const ScopedEnv display("DISPLAY", server.display());
    const ScopedEnv platform("QT_QPA_PLATFORM", std::string("xcb"));
    const ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", std::nullopt); // a tray that embeds icons
    installProgramFile(TAPESTRON_EXECUTABLE);
    writeIni("[General]\r\nAutoRunAtStartup=0\r\n");
    const auto waitFor = [](auto condition) {
        for (QDeadlineTimer deadline(15000); !condition() && !deadline.hasExpired();)
            QThread::msleep(100);
        return condition();
    };
    QProcess program, tray;
    program.start(context.programExecutablePath());
    ASSERT_TRUE(waitFor([&] { return programWindowIndent() > 0; })) << "the program is up";
    const std::size_t topLevel = programWindowIndent();
    tray.start("trayer");
    EXPECT_TRUE(waitFor([&] { return programWindowIndent() > topLevel; }));
    for (QProcess* process : {&tray, &program}) {
        process->kill();
        process->waitForFinished();
    }
}

} // namespace
