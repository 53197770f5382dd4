#include "app/forms.h"
#include "app/main.h"
#include "app/qtdialogs.h"
#include "common/guard.h"
#include "custommode/pedit.h"
#include "fixtures.h"
#include "online/preview.h"
#include "online/update.h"
#include "platform/registry.h"
#include "plugins/finfo.h"
#include "plugins/pluginman.h"
#include "settings/advopt.h"
#include "settings/settings.h"
#include "windows/about.h"
#include "windows/error.h"
#include "windows/wait.h"
#include "wizard/wizard.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace {

// The pictures of the program's icon file, one per size.
std::vector<QImage> iconFilePictures()
{
    std::vector<QImage> pictures;
    QImageReader reader(QStringLiteral(TAPESTRON_ICON_FILE));
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i)
        pictures.push_back(reader.read().convertToFormat(QImage::Format_ARGB32));
    return pictures;
}

// The icon shows the icon file's own pictures, at each of its sizes.
bool isProgramIcon(const QIcon& icon)
{
    const std::vector<QImage> pictures = iconFilePictures();
    return !pictures.empty() && std::all_of(pictures.begin(), pictures.end(), [&](const QImage& p) {
        return icon.pixmap(p.size()).toImage().convertToFormat(QImage::Format_ARGB32) == p;
    });
}

// Answers every dialog the program opens as soon as it is up, the way a user would, and keeps what
// the user saw of it.
class DialogAnswerer : public QObject {
public:
    struct Seen {
        QString text;
        QWidget* owner;
        bool onTop;
        QIcon icon;
    };

    DialogAnswerer()
    {
        // Runs inside the dialog's own event loop.
        connect(&poll_, &QTimer::timeout, this, &DialogAnswerer::answerOpenDialog);
        poll_.start(0);
    }

    std::vector<Seen> seen;
    QColor colour;                                         // picked in a colour dialog
    QMessageBox::StandardButton button = QMessageBox::Yes; // pressed in a message box

private:
    void answerOpenDialog()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        auto* box = qobject_cast<QMessageBox*>(dialog);
        seen.push_back({box ? box->text() : dialog->windowTitle(), dialog->parentWidget(),
                        dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint),
                        dialog->windowIcon()});
        if (auto* colours = qobject_cast<QColorDialog*>(dialog)) {
            colours->setCurrentColor(colour);
            colours->accept();
        } else if (QAbstractButton* press = box ? box->button(button) : nullptr) {
            press->click();
        } else {
            dialog->reject();
        }
    }

    QTimer poll_;
};

// The program's windows with the dialogs it really shows.
class ShownDialogsTest : public WindowsFixture {
protected:
    ShownDialogsTest() : WindowsFixture(&shownDialogs) {}

    void showActive(QWidget& window)
    {
        window.show();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), &window);
    }
    void setBackground(const char* text)
    {
        system.registry->createKey(platform::RootKey::CurrentUser, "Control Panel\\Colors");
        system.registry->writeString(platform::RootKey::CurrentUser, "Control Panel\\Colors",
                                     "Background", text);
    }

    static inline QtDialogs shownDialogs;
    DialogAnswerer answerer;
};

TEST_F(ShownDialogsTest, ClearTempAsksAboveTheSettingsWindowAndGoesOnWithTheAnswer)
{
    start();
    TForm2& settings = *forms->Form2;
    showActive(settings);
    const std::filesystem::path cached = (userData() + "/Temp/a.bmp").toStdString();
    std::filesystem::create_directories(cached.parent_path());
    writeFileBytes(cached.string(), "BM");

    settings.Button4->click(); // "Clear Temp", answered Yes
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text, "Delete temp files?");
    EXPECT_EQ(answerer.seen[0].owner, &settings);
    EXPECT_TRUE(answerer.seen[0].onTop);
    EXPECT_TRUE(isProgramIcon(answerer.seen[0].icon));
    EXPECT_FALSE(std::filesystem::exists(cached));
}

TEST_F(ShownDialogsTest, TheAdvancedOptionsReportAndColourDialogOpenAboveTheWindowThatAsks)
{
    start();
    TForm2& settings = *forms->Form2;
    TForm9& options = *forms->Form9;
    showActive(settings);
    settings.BitBtn1->click(); // "Advanced", without a desktop colour to read
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text, "'' is not a valid integer value");
    EXPECT_EQ(answerer.seen[0].owner, &settings);
    EXPECT_TRUE(answerer.seen[0].onTop);
    options.hide();

    setBackground("0 0 0");
    settings.BitBtn1->click();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &options);
    answerer.colour = QColor(255, 0, 0);
    const QPointF at(options.Shape1->width() / 2.0, options.Shape1->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, options.Shape1->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(options.Shape1, &press);
    ASSERT_EQ(answerer.seen.size(), 2u);
    EXPECT_EQ(answerer.seen[1].owner, &options);
    EXPECT_TRUE(answerer.seen[1].onTop);
    EXPECT_TRUE(isProgramIcon(answerer.seen[1].icon));
    EXPECT_EQ(options.swatchColour(), QColor(255, 0, 0));
}

TEST_F(ShownDialogsTest, AReportWithNoWindowActiveGoesAboveTheWindowKeptOnTopOrStandsAlone)
{
    writeIni("[General]\r\nAutoRunAtStartup=0\r\n"); // not a first start: no wizard
    start();
    const auto report = [this] {
        runGuarded(context.dialogs, [] { throw std::runtime_error("Unable to write to x"); });
    };
    report(); // no window of the program shown: a box of its own
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text, "Unable to write to x");
    EXPECT_EQ(answerer.seen[0].owner, nullptr);
    EXPECT_FALSE(answerer.seen[0].onTop);
    EXPECT_TRUE(isProgramIcon(answerer.seen[0].icon));

    TForm2& settings = *forms->Form2;
    showActive(settings);
    QApplication::setActiveWindow(nullptr); // the user works in another program; a timer reports
    report();
    ASSERT_EQ(answerer.seen.size(), 2u);
    EXPECT_EQ(answerer.seen[1].owner, &settings);
    EXPECT_TRUE(answerer.seen[1].onTop);
}

class ProgramIconTest : public WindowsFixture {};

TEST_F(ProgramIconTest, EveryWindowCarriesTheProgramsIcon)
{
    Forms& f = start();
    const std::vector<QWidget*> windows{f.Form1.get(),  f.Form2.get(),  f.Form3.get(),
                                        f.Form4.get(),  f.Form5.get(),  f.Form6.get(),
                                        f.Form7.get(),  f.Form8.get(),  f.Form9.get(),
                                        f.Form10.get(), f.Form11.get(), f.Form12.get()};
    for (QWidget* window : windows) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        EXPECT_TRUE(isProgramIcon(window->windowIcon()));
    }
}

} // namespace
