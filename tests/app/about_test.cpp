#include "app/forms.h"
#include "app/main.h"
#include "common/strings.h"
#include "fixtures.h"
#include "layoutcheck.h"
#include "online/update.h"
#include "versionimage.h"
#include "windows/about.h"
#include "windows/error.h"

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

class SmallWindowsTest : public WindowsFixture {
protected:
    TForm3& about() { return *forms->Form3; }
    static void click(QWidget& widget)
    {
        const QPointF at = QRectF(widget.rect()).center();
        const QPointF global = widget.mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&widget, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(&widget, &release);
    }
    static QColor textColour(const QLabel& label)
    {
        return label.palette().color(QPalette::WindowText);
    }
    static void expectWhole(QWidget& window, QSize clientSize)
    {
        window.show();
        QApplication::processEvents();
        EXPECT_EQ(window.size(), clientSize);
        EXPECT_EQ(layoutFaults(window).join(u'\n').toStdString(), "");
        window.hide();
    }
    // A program whose file version is the one given, as the executable in ProgramDir.
    void installProgramVersion(std::uint32_t ms, std::uint32_t ls)
    {
        VersionSample sample;
        sample.fileVersionMS = ms;
        sample.fileVersionLS = ls;
        const ByteVector image = peImage(versionBlock(sample));
        const QString file = tempPath("program.exe");
        writeFileBytes(toStd(file), std::string(image.begin(), image.end()));
        installProgramFile(file);
    }
};

TEST_F(SmallWindowsTest, TheBuildLineIsTheFourthNumberOfTheProgramsFileVersion)
{
    installProgramVersion(0x00010002, 0xFFFE0005);
    start();
    EXPECT_EQ(about().Label2->text(), "Build 5");
    installProgramVersion(0x00010002, 0x0003FFFE);
    about().FormCreate();
    EXPECT_EQ(about().Label2->text(), "Build 65534");
    installProgramFile(TAPESTRON_EXECUTABLE);
    about().FormCreate();
    EXPECT_EQ(about().Label2->text(), "Build 80");

    // Renamed away, the running program still knows the build it is.
    installProgramVersion(0x00010002, 0x00030004);
    QFile::remove(context.programExecutablePath());
    about().FormCreate();
    EXPECT_EQ(about().Label2->text(), "Build 80");
}

TEST_F(SmallWindowsTest, AboutHoldsTheMainWindowAndItsLinksOpenThroughTheShell)
{
    const ScopedEnv service("TAPESTRON_SERVICE_URL", std::string("http://wallpapers.test:9000/"));
    start();
    TForm1& main = *forms->Form1;
    main.showMainWindow();
    main.About1->trigger();
    ASSERT_TRUE(about().isVisible());
    EXPECT_FALSE(main.isEnabled());
    EXPECT_TRUE(about().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(about().Label9->text(), "http://wallpapers.test:9000");

    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(about().Label9, &enter);
    EXPECT_EQ(textColour(*about().Label9), QColor(Qt::red));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(about().Label9, &leave);
    EXPECT_EQ(textColour(*about().Label9), QColor(Qt::blue));

    click(*about().Label9);
    click(*about().Image2);
    click(*about().Label3); // plain text does nothing
    ASSERT_EQ(shell->opened.size(), 2u);
    EXPECT_EQ(shell->opened[0], "http://wallpapers.test:9000");
    EXPECT_EQ(shell->opened[1], "http://wallpapers.test:9000/galleries.html");

    about().BitBtn1->click();
    EXPECT_FALSE(about().isVisible());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_FALSE(about().windowFlags() & Qt::WindowStaysOnTopHint);
    main.About1->trigger();
    about().close(); // the title bar's button
    EXPECT_FALSE(about().isVisible());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(SmallWindowsTest, TheAboutErrorAndUpdateWindowsShowEveryTextWhole)
{
    const ScopedEnv service(
        "TAPESTRON_SERVICE_URL",
        std::string("http://a-rather-long-host-name-for-a-wallpaper-service.example.test:18468"));
    start();
    expectWhole(about(), QSize(354, 235));
    EXPECT_EQ(about().Label9->toolTip(),
              "http://a-rather-long-host-name-for-a-wallpaper-service.example.test:18468");

    TForm5& error = *forms->Form5;
    expectWhole(error, QSize(350, 150));
    error.show();
    error.BitBtn1->click();
    EXPECT_FALSE(error.isVisible());

    TForm6& prompt = *forms->Form6;
    for (const char* message :
         {"New Version 10.20.300.4000 is available. Do you want to visit Website?",
          "You have the latest version of Tapestron."}) {
        SCOPED_TRACE(message);
        prompt.Label1->setText(QString::fromLatin1(message));
        expectWhole(prompt, QSize(321, 72));
    }
}

} // namespace
