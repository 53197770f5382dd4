#include "app/forms.h"
#include "app/main.h"
#include "app/statusbar.h"
#include "app/trayicon.h"
#include "common/inifile.h"
#include "common/paths.h"
#include "common/settingstable.h"
#include "common/textlist.h"
#include "common/timer.h"
#include "online/preview.h"
#include "servicefixture.h"
#include "settings/settings.h"
#include "settings/spinedit.h"

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QProgressBar>
#include <QPushButton>

#include <functional>

namespace {

const QString Success = QStringLiteral("New Wallpaper set successfully!");

// The program against a wallpaper service of its own on loopback.
class AutomaticModeTest : public ServiceFixture {
protected:
    using ServiceFixture::ServiceFixture;

    TForm1& main() { return *forms->Form1; }
    std::vector<std::string> pictureRequests() const
    {
        std::vector<std::string> paths;
        for (const RecordedRequest& r : service.requests())
            if (r.path.starts_with("/pictures/"))
                paths.push_back(r.path);
        return paths;
    }
};

TEST_F(AutomaticModeTest, StartUpRefreshesTheCatalogAndLoadsTheFirstCategorysList)
{
    start();
    EXPECT_EQ(requestsFor("/wallpapers/cat.tsl"), 1);
    EXPECT_EQ(requestsFor("/profiles_new.tsl"), 1);
    EXPECT_EQ(requestsFor("/wallpapers/all"), 1);
    EXPECT_FALSE(main().pendingList().isEmpty());
    EXPECT_EQ(main().categoryCodes().at(5), "anime");
    EXPECT_EQ(main().ComboBox2->count(), 18);
    EXPECT_TRUE(QFile::exists(context.programPath("data/cat1.tsl")));
    EXPECT_TRUE(QFile::exists(context.programPath("data/profiles1.tsl")));
    EXPECT_FALSE(QFile::exists(userDataPath("all")));
    for (const RecordedRequest& r : service.requests()) {
        EXPECT_EQ(r.userAgent, "Tapestron");
        EXPECT_EQ(r.accept, "text/html, */*");
    }
}

TEST_F(AutomaticModeTest, SelectMakesTheChosenCategoryCurrentAndShowsOneOfItsWallpapers)
{
    start();
    main().ComboBox2->setCurrentIndex(5);
    main().ComboBox2Change();
    main().BitBtn6Click();
    EXPECT_EQ(IniFile(settingsFilePath()).readInteger("AutoMode", "Category", -1), 5);
    EXPECT_EQ(forms->Form2->ComboBox2->currentIndex(), 5) << "the settings window shows it too";
    EXPECT_EQ(requestsFor("/wallpapers/anime"), 1);
    const auto pictures = pictureRequests();
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_TRUE(pictures.front().starts_with("/pictures/anime/"));
    EXPECT_EQ(main().TrayIcon1->balloon().text, Success);
    EXPECT_FALSE(main().BitBtn6->isEnabled());
    EXPECT_TRUE(main().BitBtn7->isEnabled());
    EXPECT_EQ(regString("Control Panel\\Desktop", "Wallpaper"), currentBitmapPath());
    EXPECT_FALSE(QImage(currentBitmapPath()).isNull());
    // The progress bar followed the picture's body and is back at 0 after the step.
    EXPECT_GT(main().StatusBar1->ProgressBar1->maximum(), 1000);
    EXPECT_EQ(main().StatusBar1->ProgressBar1->value(), 0);
    EXPECT_FALSE(main().StatusBar1->panelText(2).isEmpty()) << "the caption is shown";
}

TEST_F(AutomaticModeTest, EachAddToFavoritesIsOffAfterUseUntilAStepOfItsModeEnds)
{
    writeProfile("own.tsl", {bitmap("a.bmp")});
    start();
    TForm1& m = main();
    m.FetchAutoWallpaper();
    m.BitBtn7->click();
    m.AddtoFavorites1->trigger();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
    EXPECT_FALSE(m.BitBtn7->isEnabled());
    EXPECT_FALSE(m.AddtoFavorites1->isEnabled());
    EXPECT_TRUE(m.BitBtn8->isEnabled());
    EXPECT_GE(m.ComboBox1->findText("favorites.tsl (2)"), 0) << "listed with its new count";

    m.SelectCustomMode();
    m.NextCustomWallpaper();
    EXPECT_TRUE(m.AddtoFavorites1->isEnabled());
    EXPECT_FALSE(m.BitBtn7->isEnabled()) << "the automatic page waits for an automatic step";
    m.BitBtn8->click();
    m.FetchAutoWallpaper();
    EXPECT_TRUE(m.BitBtn7->isEnabled());
    EXPECT_FALSE(m.BitBtn8->isEnabled());

    // The favourites run like any other profile.
    m.ComboBox1->setCurrentIndex(m.ComboBox1->findText("favorites.tsl (3)"));
    m.BitBtn1->click();
    EXPECT_EQ(IniFile(settingsFilePath()).readString("CustomMode", "CurrentProfile", ""),
              "favorites.tsl");
    EXPECT_TRUE(m.BitBtn8->isEnabled());
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'\n').toStdString();
}

TEST_F(AutomaticModeTest, ACatalogRefreshDuringAStepWaitsForItsEnd)
{
    start();
    service.clearRequests();
    bool refreshedDuringStep = true;
    desktop->duringReload = [&] {
        main().Timer1Timer();
        refreshedDuringStep = requestsFor("/wallpapers/cat.tsl") > 0;
    };
    main().ReloadWallpaper(TForm1::ReloadSource::AutomaticPage);
    EXPECT_FALSE(refreshedDuringStep);
    EXPECT_EQ(requestsFor("/wallpapers/cat.tsl"), 1) << "the refresh ran once the step was over";
    EXPECT_EQ(requestsFor("/profiles_new.tsl"), 1);
}

TEST_F(AutomaticModeTest, ChoicesMadeDuringAStepRunOnceItEnds)
{
    start();
    main().SelectAutomaticMode();
    service.clearRequests();
    // A step is setting a wallpaper when the user acts; what the user chose runs right after it.
    const auto duringAStep = [&](const std::function<void()>& choose) {
        int steps = 0;
        desktop->duringReload = [&] {
            if (steps++ == 0)
                choose();
        };
        main().ReloadWallpaper(TForm1::ReloadSource::AutomaticPage);
        desktop->duringReload = nullptr;
        return steps;
    };
    EXPECT_EQ(duringAStep([&] {
                  main().ComboBox2->setCurrentIndex(5);
                  main().BitBtn6Click();
              }),
              2);
    EXPECT_EQ(requestsFor("/wallpapers/anime"), 1);
    EXPECT_EQ(IniFile(settingsFilePath()).readInteger("AutoMode", "Category", -1), 5);
    EXPECT_FALSE(main().BitBtn6->isEnabled());

    forms->Form2->show();
    EXPECT_EQ(duringAStep([&] {
                  forms->Form2->ComboBox2->setCurrentIndex(7);
                  forms->Form2->Button1->click(); // "Apply"
              }),
              2);
    EXPECT_EQ(requestsFor(("/wallpapers/" + main().categoryCodes().at(7)).toStdString()), 1);

    // A later choice takes the place of one still waiting.
    EXPECT_EQ(duringAStep([&] {
                  main().ComboBox2->setCurrentIndex(3);
                  main().BitBtn6Click();
                  main().ComboBox2->setCurrentIndex(5);
                  main().BitBtn6Click();
              }),
              2);
    EXPECT_EQ(IniFile(settingsFilePath()).readInteger("AutoMode", "Category", -1), 5);
    EXPECT_EQ(requestsFor(("/wallpapers/" + main().categoryCodes().at(3)).toStdString()), 0);
}

TEST_F(AutomaticModeTest, AWallpaperTheDesktopRefusesIsNotReportedAsSet)
{
    start();
    desktop->refuse = true;
    const auto pending = main().pendingList().size();
    main().ReloadWallpaper(TForm1::ReloadSource::AutomaticPage);
    EXPECT_NE(main().TrayIcon1->balloon().text, Success);
    EXPECT_EQ(main().pendingList().size(), pending) << "the entry is still to be shown";
}

TEST_F(AutomaticModeTest, WorkThatWaitedForAFailingStepStillRuns)
{
    start();
    main().SelectAutomaticMode();
    service.clearRequests();
    forms->Form2->edit4->setText("many"); // the temp-cache limit fails the end of each step
    int steps = 0;
    desktop->duringReload = [&] {
        if (steps++ > 0)
            return;
        main().Timer1Timer();
        main().ComboBox2->setCurrentIndex(5);
        main().BitBtn6Click();
    };
    EXPECT_ANY_THROW(main().ReloadWallpaper(TForm1::ReloadSource::AutomaticPage));
    EXPECT_EQ(requestsFor("/wallpapers/cat.tsl"), 1);
    EXPECT_EQ(requestsFor("/wallpapers/anime"), 1);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(dialogs.errors.size(), 1u) << "the chosen step's own failure is reported";
}

TEST_F(AutomaticModeTest, ARefreshKeepsTheChoicesOfTheCategoryLists)
{
    start();
    main().ComboBox2->setCurrentIndex(7);
    forms->Form2->ComboBox2->setCurrentIndex(3);
    forms->Form8->ComboBox2->setCurrentIndex(11);
    main().UpdateProfileList1Click();
    EXPECT_EQ(main().ComboBox2->currentIndex(), 7);
    EXPECT_EQ(forms->Form2->ComboBox2->currentIndex(), 3);
    EXPECT_EQ(forms->Form8->ComboBox2->currentIndex(), 11);
    EXPECT_EQ(main().ComboBox2->count(), 18);
    EXPECT_FALSE(main().pendingList().isEmpty()) << "the list of category 0 was loaded afresh";
}

TEST_F(AutomaticModeTest, ApplyingTheSettingsMakesTheNextStepTakeTheCategorysListAfresh)
{
    start();
    ASSERT_FALSE(main().pendingList().isEmpty());
    forms->Form2->show();
    forms->Form2->Button1->click(); // "Apply"
    EXPECT_TRUE(main().pendingList().isEmpty());
    main().FetchAutoWallpaper();
    EXPECT_FALSE(main().pendingList().isEmpty());
}

TEST_F(AutomaticModeTest, AnEmptyCategoryCodeLoadsNothingAndReportsNothing)
{
    service.setFault("/wallpapers/cat.tsl", Fault::notFound());
    writeTextList(context.programPath("data/cat.tsl"), {"", "street"});
    userData();
    IniFile(settingsFilePath()).writeBool("General", "AutoRunAtStartup", false);
    start();
    EXPECT_EQ(main().TrayIcon1->balloon().text, "");
    EXPECT_FALSE(main().Timer3->enabled());
    EXPECT_TRUE(main().pendingList().isEmpty());

    SettingsFile().setCategory(1); // "street": a list to be left behind
    main().ReloadPendingList(QString(), false);
    ASSERT_FALSE(main().pendingList().isEmpty());
    SettingsFile().setCategory(0);
    main().UpdateProfileList1Click();
    EXPECT_EQ(main().TrayIcon1->balloon().text, "");
    EXPECT_TRUE(main().pendingList().isEmpty()) << "the refresh empties the list first";
    EXPECT_EQ(requestsFor("/wallpapers/"), 0) << "an empty code is never asked for";
}

// A service with three categories: the name list shrinks under the selections.
class ShrinkingCatalogTest : public AutomaticModeTest {
protected:
    ShrinkingCatalogTest() : AutomaticModeTest(threeCategories()) {}
    static std::vector<ServiceCategory> threeCategories()
    {
        std::vector<ServiceCategory> all = demoCategories();
        all.resize(3);
        return all;
    }
};

TEST_F(ShrinkingCatalogTest, AChoicePastTheEndOfTheNewListIsCleared)
{
    service.setFault("/profiles_new.tsl", Fault::notFound());
    start();
    ASSERT_EQ(main().ComboBox2->count(), 18) << "the installed names while the service fails";
    main().ComboBox2->setCurrentIndex(10);
    forms->Form2->ComboBox2->setCurrentIndex(2);
    forms->Form8->ComboBox2->setCurrentIndex(3);

    service.clearFaults();
    main().UpdateProfileList1Click();
    EXPECT_EQ(main().ComboBox2->count(), 3);
    EXPECT_EQ(main().ComboBox2->currentIndex(), -1);
    EXPECT_EQ(forms->Form2->ComboBox2->currentIndex(), 2);
    EXPECT_EQ(forms->Form8->ComboBox2->count(), 3);
    EXPECT_EQ(forms->Form8->ComboBox2->currentIndex(), -1);

    service.setFault("/profiles_new.tsl", Fault::notFound());
    main().UpdateProfileList1Click();
    EXPECT_EQ(main().ComboBox2->count(), 3) << "a failed refresh keeps the last good names";
}

} // namespace
