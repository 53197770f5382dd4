#include "sessionbus.h"

#include "common/strings.h"
#include "platform/shell.h"

#include <QProcess>

namespace {

// The profile plug-in, which has no window, tells its outcome through the session's notification
// service.
class PlugInNotificationTest : public AppFixture {};

} // namespace

TEST_F(PlugInNotificationTest, TheProfilePlugInTellsItsOutcomeThroughTheNotificationService)
{
    const SessionBus bus;
    const std::string record = root.file("notifications");
    const Server service({TAPESTRON_NOTIFY_STANDIN, record});
    writeFileBytes(toStd(tempPath("summer.tsl")), "/pictures/a.jpg\r\n");

    QProcess plugIn;
    plugIn.start(TAPESTRON_SHOWOPEN, {tempPath("summer.tsl")});
    ASSERT_TRUE(plugIn.waitForFinished(30000));
    EXPECT_EQ(plugIn.exitCode(), 0);
    EXPECT_EQ(readFileBytes(record), "Tapestron|Profile summer added: 1 picture.\n");
}

TEST_F(PlugInNotificationTest, TextIsShownAsItIsWhetherTheServiceReadsMarkupOrNot)
{
    const std::string text = "<b>winter</b> & <img src=\"/dev/zero\"/>";
    for (const bool markup : {false, true}) {
        const SessionBus bus;
        const std::string record = root.file(markup ? "marked" : "plain");
        const Server service({TAPESTRON_NOTIFY_STANDIN, record, markup ? "markup" : "plain"});
        ASSERT_TRUE(platform::createShell()->notify("Tapestron", text));
        EXPECT_EQ(
            readFileBytes(record),
            "Tapestron|" +
                (markup ? "&lt;b&gt;winter&lt;/b&gt; &amp; &lt;img src=\"/dev/zero\"/&gt;" : text) +
                "\n");
    }
}
