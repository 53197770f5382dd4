#include "sessionbus.h"

#include "common/strings.h"

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
