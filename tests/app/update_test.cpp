#include "app/forms.h"
#include "app/main.h"
#include "app/statusbar.h"
#include "common/paths.h"
#include "common/strings.h"
#include "fixtures.h"
#include "online/httpclient.h"
#include "online/update.h"
#include "service.h"
#include "settings/settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <string>

namespace {

const QString Latest = QStringLiteral("You have the latest version of Tapestron.");

QString newVersion(const QString& number)
{
    return "New Version " + number + " is available. Do you want to visit Website?";
}

// The program against a wallpaper service of its own that answers /version as each case says.
class UpdateCheckTest : public WindowsFixture {
protected:
    UpdateCheckTest() : url("TAPESTRON_SERVICE_URL", started(service)) {}
    ~UpdateCheckTest() override { service.stop(); }

    static std::string started(WallpaperService& service)
    {
        service.start();
        return service.baseUrl();
    }
    // The windows, with the built program (file version 0.2.0.80) as the executable in ProgramDir
    // and the countdown driven by hand.
    void startWithProgram()
    {
        installProgramFile(TAPESTRON_EXECUTABLE);
        start();
        prompt().Timer1->setEngine(std::unique_ptr<TimerEngine>(clock = new ManualTimerEngine));
    }
    TForm6& prompt() { return *forms->Form6; }
    int versionRequests() const
    {
        const auto log = service.requests();
        return int(std::count_if(log.begin(), log.end(),
                                 [](const RecordedRequest& r) { return r.path == "/version"; }));
    }
    // Help > "Check for program updates" answered by the service with answer.
    void askWith(const std::string& answer)
    {
        prompt().hide();
        service.setVersion(answer);
        forms->Form1->Checkforprogramupdates1->trigger();
    }

    WallpaperService service;
    ScopedEnv url;
    ManualTimerEngine* clock = nullptr; // owned by the prompt's timer
};

TEST_F(UpdateCheckTest, AnyDifferenceFromTheOwnNumberOffersTheSiteAndTheMenuAlsoReportsNoChange)
{
    startWithProgram();
    askWith("0.2.0.80");
    ASSERT_TRUE(prompt().isVisible());
    EXPECT_EQ(prompt().Label1->text(), Latest);
    EXPECT_TRUE(prompt().Button1->isHidden());
    EXPECT_EQ(prompt().Button2->text(), "OK");
    EXPECT_EQ(readFileBytes(toStd(userDataPath("version"))), "0.2.0.80\r\n") << "kept";

    // The text decides, not the order of the numbers; a latest-version prompt before changes
    // nothing of the next one.
    for (const char* answer : {"0.2.0.79", "0.2.0.80 ", "0.02.0.80"}) {
        SCOPED_TRACE(answer);
        askWith(answer);
        ASSERT_TRUE(prompt().isVisible());
        EXPECT_EQ(prompt().Label1->text(), newVersion(answer));
        EXPECT_FALSE(prompt().Button1->isHidden());
        EXPECT_EQ(prompt().Button2->text(), "NO");
    }

    prompt().Button1->click(); // YES
    EXPECT_FALSE(prompt().isVisible());
    EXPECT_FALSE(clock->running);
    ASSERT_EQ(shell->opened.size(), 1u);
    EXPECT_EQ(shell->opened[0], service.baseUrl());
    askWith("1.0.0.0");
    prompt().Button2->click(); // NO
    EXPECT_FALSE(prompt().isVisible());
    EXPECT_FALSE(clock->running);
    EXPECT_EQ(shell->opened.size(), 1u);
}

TEST_F(UpdateCheckTest, TheStartUpCheckRunsWhenSetAndShowsOnlyANewVersion)
{
    writeIni("[General]\r\nCheckForUpdate=1\r\n");
    startWithProgram();
    EXPECT_EQ(versionRequests(), 1);
    EXPECT_FALSE(prompt().isVisible()) << "the same number at start-up shows nothing";

    // The creation step again, as the settings window's check box now says.
    TForm2& settings = *forms->Form2;
    service.setVersion("0.2.1.0");
    settings.CheckBox4->setChecked(false);
    prompt().FormCreate();
    EXPECT_EQ(versionRequests(), 1);
    EXPECT_FALSE(prompt().isVisible());
    settings.CheckBox4->setChecked(true);
    prompt().FormCreate();
    EXPECT_EQ(versionRequests(), 2);
    EXPECT_TRUE(prompt().isVisible());
    EXPECT_EQ(prompt().Label1->text(), newVersion("0.2.1.0"));
}

TEST_F(UpdateCheckTest, NoUsableAnswerCountsAsNoNewVersion)
{
    startWithProgram();
    const std::string html = "<!DOCTYPE html><html><head><title>502 Bad Gateway</title></head>"
                             "<body><h1>502 Bad Gateway</h1></body></html>\r\n0.3.0.0";
    const std::vector<std::string> answers{"",
                                           std::string(1 << 20, '9'),
                                           std::string("\x89PNG\r\n\x1a\n", 8) + "0.3.0.0",
                                           std::string("0.3\0.0.0", 8),
                                           html,
                                           std::string(65, '1')};
    for (const std::string& answer : answers) {
        SCOPED_TRACE(answer.substr(0, 70));
        askWith(answer);
        EXPECT_TRUE(prompt().isVisible());
        EXPECT_EQ(prompt().Label1->text(), Latest);
    }
    // The longest first line still read.
    askWith(std::string(64, '1'));
    EXPECT_EQ(prompt().Label1->text(), newVersion(QString(64, u'1')));

    service.setVersion("0.3.0.0");
    for (const Fault& fault : {Fault::notFound(), Fault::closeWithoutResponse(0)}) {
        service.setFault("/version", fault);
        askWith("0.3.0.0");
        EXPECT_EQ(prompt().Label1->text(), Latest);
        // Without the user asking, no answer shows nothing.
        prompt().hide();
        prompt().CheckProgramVersion();
        EXPECT_FALSE(prompt().isVisible());
    }
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(UpdateCheckTest, TheCheckAndTheShowWaitForEachOtherForTheDownloadClient)
{
    startWithProgram();
    TForm1& main = *forms->Form1;
    service.setVersion("0.2.0.80");
    const auto whileDownloading = [](const std::function<void()>& act) {
        QTimer::singleShot(0, act); // runs from the download's own event processing
    };

    // Asked for while a step waits for its list: the check is made once the step is over.
    main.clearPendingList();
    service.setFault("/wallpapers/all", Fault::closeWithoutResponse(300));
    whileDownloading([&] { main.Checkforprogramupdates1->trigger(); });
    main.ReloadWallpaper(TForm1::ReloadSource::AutomaticPage);
    EXPECT_EQ(versionRequests(), 1);
    EXPECT_EQ(prompt().Label1->text(), Latest);
    service.clearFaults();

    // A step that comes due during a check sets its wallpaper once the check is over.
    prompt().hide();
    service.setFault("/version", Fault::trickle(30));
    whileDownloading([&] { main.ReloadWallpaper(TForm1::ReloadSource::AutomaticPage); });
    main.Checkforprogramupdates1->trigger();
    EXPECT_EQ(regString("Control Panel\\Desktop", "Wallpaper"), currentBitmapPath());

    // Should the client still be in use, the user hears that no check was made.
    prompt().hide();
    whileDownloading([&] { main.Checkforprogramupdates1->trigger(); });
    main.http().get(QString::fromStdString(service.baseUrl()) + "/version", tempPath("v"),
                    DownloadKind::Text);
    EXPECT_TRUE(prompt().isVisible());
    EXPECT_NE(prompt().Label1->text(), Latest);
    EXPECT_TRUE(prompt().Button1->isHidden());
    EXPECT_EQ(versionRequests(), 3);
}

TEST_F(UpdateCheckTest, TextFromTheServiceIsShownAsPlainText)
{
    // As rich text, an <img> would have the window read the file it names, /dev/zero for ever.
    startWithProgram();
    askWith("<b>9</b>");
    EXPECT_TRUE(prompt().Label1->text().contains("<b>9</b>"));
    forms->Form1->StatusBar1->setPanelText(2, "<img src=\"/dev/zero\">");
    QList<QLabel*> labels = forms->Form1->StatusBar1->findChildren<QLabel*>();
    labels.push_back(prompt().Label1);
    for (const QLabel* label : labels)
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
}

TEST_F(UpdateCheckTest, WithoutTheProgramsVersionResourceNothingIsShown)
{
    start(); // ProgramDir has no executable
    askWith("0.3.0.0");
    EXPECT_EQ(versionRequests(), 1);
    EXPECT_FALSE(prompt().isVisible());

    const QString notAProgram = tempPath("tapestron.txt");
    writeFileBytes(toStd(notAProgram), "0.2.0.80\r\n");
    installProgramFile(notAProgram);
    for (const char* answer : {"0.3.0.0", "0.2.0.80"}) {
        askWith(answer);
        EXPECT_FALSE(prompt().isVisible()) << answer;
    }
    EXPECT_EQ(versionRequests(), 3);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(UpdateCheckTest, ThePromptHidesFiveSecondsAfterItWasLastActivated)
{
    startWithProgram();
    askWith("0.3.0.0");
    QApplication::processEvents();
    ASSERT_TRUE(clock->running);
    EXPECT_EQ(clock->periods.back(), 1000);
    EXPECT_EQ(prompt().Label3->text(), "5");
    for (int tick = 0; tick < 4; ++tick)
        clock->tick();
    EXPECT_EQ(prompt().Label3->text(), "1");
    EXPECT_TRUE(prompt().isVisible());

    // Away and back: five seconds more, from a new full period.
    const std::size_t periods = clock->periods.size();
    forms->Form1->showMainWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), forms->Form1.get());
    prompt().activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(prompt().Label3->text(), "5");
    EXPECT_GT(clock->periods.size(), periods);
    for (int tick = 0; tick < 4; ++tick)
        clock->tick();
    EXPECT_TRUE(prompt().isVisible());
    clock->tick();
    EXPECT_FALSE(prompt().isVisible());
    EXPECT_FALSE(clock->running);

    // Closed by its title bar: nothing left counting.
    askWith("0.3.0.0");
    prompt().close();
    EXPECT_FALSE(clock->running);
}

} // namespace
