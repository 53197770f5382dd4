#include "app/forms.h"
#include "app/instanceguard.h"
#include "app/main.h"

#include "common/strings.h"
#include "executable.h"
#include "fixtures.h"
#include "platform/instance.h"
#include "settings/advopt.h"
#include "settings/settings.h"
#include <QMenuBar>

#include <QApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace {

class ProgramWindowsTest : public WindowsFixture {};

TEST_F(ProgramWindowsTest, TwelveWindowsExistHiddenWithTheirCaptions)
{
    writeIni("[General]\r\nAutoRunAtStartup=0\r\n"); // not a first start: no wizard
    Forms& f = start();
    const std::vector<std::pair<QWidget*, QString>> windows{
        {f.Form1.get(), "Tapestron - Wallpaper Changer"}, // on Linux the caption names no system
        {f.Form9.get(), "Advanced Options"},
        {f.Form2.get(), "Settings"},
    };
    for (const auto& [window, caption] : windows) {
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), caption);
        EXPECT_FALSE(window->isVisible());
    }
    const QStringList captions{
        "About",          "Tapestron Wizard",
        "Error",          "Update",
        "Profile Editor", "Wallpaper Previews - Here you can view samples from selected category.",
        "Wait...",        "Plugin Manager",
        "Plugin Info"};
    QStringList found;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (captions.contains(window->windowTitle())) {
            found.append(window->windowTitle());
            EXPECT_FALSE(window->isVisible());
        }
    found.sort();
    QStringList expected = captions;
    expected.sort();
    EXPECT_EQ(found, expected);
    // The client area below the menu bar.
    EXPECT_EQ(f.Form1->size() - QSize(0, f.Form1->MainMenu1->sizeHint().height()), QSize(435, 420));
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
}

TEST_F(ProgramWindowsTest, TheCloseButtonHidesOnlyExitCloses)
{
    Forms& f = start();
    TForm1& main = *f.Form1;
    main.show();
    EXPECT_FALSE(main.close());
    EXPECT_FALSE(main.isVisible());
    EXPECT_FALSE(main.exitRequested());

    main.show();
    main.Close1Click();
    EXPECT_TRUE(main.exitRequested());
    EXPECT_FALSE(main.isVisible());
}

TEST_F(ProgramWindowsTest, TheEndOfTheSessionIsNeverRefused)
{
    Forms& f = start();
    f.Form1->show();
    EXPECT_TRUE(f.Form1->QueryEndSession());
    EXPECT_TRUE(f.Form1->close());
}

class SingleInstanceTest : public ExecutableFixture {
protected:
    // Waits until the instance at executable has checked itself in.
    static bool registered(const QString& executable)
    {
        const std::string name = toStd(InstanceGuard::recordName(executable));
        const QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            if (auto record = platform::openSharedBlock(name, 8); record && record->readWord(4) > 0)
                return true;
            QThread::msleep(20);
        }
        return false;
    }
};

TEST_F(SingleInstanceTest, ADuplicateEndsAtOnceACopyElsewhereRunsAndAKilledInstanceBlocksNothing)
{
    const QString exe = install("a");
    const QString copy = install("b");

    auto first = launch(exe);
    ASSERT_TRUE(registered(exe));

    auto duplicate = launch(exe);
    ASSERT_TRUE(duplicate->waitForFinished(15000));
    EXPECT_EQ(duplicate->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(duplicate->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);

    auto beside = launch(copy);
    ASSERT_TRUE(registered(copy));
    EXPECT_FALSE(beside->waitForFinished(500));

    stop(*first); // kill -9: nothing gets to clean up
    auto restarted = launch(exe);
    ASSERT_TRUE(registered(exe));
    EXPECT_FALSE(restarted->waitForFinished(500));

    stop(*restarted);
    stop(*beside);
}

} // namespace
