#include "app/forms.h"
#include "app/main.h"
#include "app/statusbar.h"
#include "fixtures.h"
#include "layoutcheck.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

namespace {

// Runs on a primary screen of 1920 x 1080 device pixels scaled to 150 % (scaledscreen.json), where
// Qt counts 1280 x 720 pixels of its own.
class ScaledScreenTest : public WindowsFixture {};

TEST_F(ScaledScreenTest, TheResolutionIsTheScreensOwnPixelCount)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.5)
        << "the test platform does not scale the screen";
    start();
    TForm1& main = *forms->Form1;
    main.show();
    QApplication::processEvents();
    EXPECT_EQ(main.StatusBar1->panelText(0).toStdString(), "Screen Resolution: 1920 x 1080");
    EXPECT_EQ(layoutFaults(*main.StatusBar1).join(u'\n').toStdString(), "");
}

} // namespace
