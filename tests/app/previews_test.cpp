#include "app/forms.h"
#include "app/main.h"
#include "app/trayicon.h"
#include "common/paths.h"
#include "common/settingstable.h"
#include "common/timer.h"
#include "layoutcheck.h"
#include "online/preview.h"
#include "online/samples.h"
#include "servicefixture.h"
#include "testpictures.h"
#include "wallpaper/jpeg.h"
#include "wallpaper/picture.h"
#include "windows/linklabel.h"
#include "windows/previewbox.h"
#include "windows/wait.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <chrono>

namespace {

// The demo collection with preview lists of every length a case needs.
std::vector<ServiceCategory> previewCategories()
{
    std::vector<ServiceCategory> all = demoCategories();
    all[0].pictures.clear(); // "all": an empty list
    all[1].pictures.resize(2);
    const auto grow = [](ServiceCategory& category, std::size_t count) {
        for (std::size_t i = category.pictures.size(); i < count; ++i)
            category.pictures.push_back(
                {category.code + "_" + std::to_string(i) + ".jpg", "More", '0', {}});
    };
    grow(all[2], 6);
    grow(all[5], 100'000);
    return all;
}

class PreviewWindowTest : public ServiceFixture {
protected:
    PreviewWindowTest() : ServiceFixture(previewCategories()) {}

    TForm1& main() { return *forms->Form1; }
    TForm8& previews() { return *forms->Form8; }
    std::array<PreviewBox*, 4> boxes()
    {
        return {previews().Image1, previews().Image2, previews().Image3, previews().Image4};
    }
    QImage shown(int box) { return boxes()[static_cast<std::size_t>(box)]->picture(); }

    // The main window's "Preview" for the category at index.
    void preview(int index)
    {
        main().ComboBox2->setCurrentIndex(index);
        main().BitBtn10->click();
    }
    // Another category chosen in the window's own list.
    void choose(int index)
    {
        previews().ComboBox2->setCurrentIndex(index);
        previews().ComboBox2Change();
    }

    const ServicePicture& picture(int category, int number) const
    {
        return service.categories()[static_cast<std::size_t>(category)]
            .pictures[static_cast<std::size_t>(number)];
    }
    std::string samplePath(int category, int number) const
    {
        return "/samples/" + service.categories()[static_cast<std::size_t>(category)].code + "/" +
               picture(category, number).file;
    }
    // A sample of the service as a box shows it.
    QImage sample(int category, int number)
    {
        const QString file = tempPath(QString::fromStdString(picture(category, number).file));
        writeFileBytes(file.toStdString(), *service.content(samplePath(category, number), ""));
        return sampleInBox(*LoadPictureAsBitmap(file), QSize(297, 241));
    }
    QImage placeholder() const
    {
        return ShowPreviewScaled(LoadPictureAsBitmap(context.programPath("data/noimg.jpg")),
                                 QSize(297, 241));
    }
    void expectPlaceholders(int from)
    {
        for (int box = from; box < 4; ++box)
            EXPECT_EQ(shown(box), placeholder()) << "box " << box + 1;
    }
    void expectDoneLoading()
    {
        EXPECT_FALSE(forms->Form10->isVisible());
        EXPECT_TRUE(previews().isEnabled());
    }
};

TEST_F(PreviewWindowTest, ListsOfNoTwoAndSixLinesFillTheBoxesInOrderAndThePlaceholderTheRest)
{
    start();
    preview(1);
    EXPECT_TRUE(previews().isVisible());
    EXPECT_EQ(previews().ComboBox2->count(), 18);
    EXPECT_EQ(previews().ComboBox2->currentIndex(), 1);
    EXPECT_EQ(shown(0), sample(1, 0));
    EXPECT_EQ(shown(1), sample(1, 1));
    expectPlaceholders(2);
    expectDoneLoading();

    choose(0);
    expectPlaceholders(0);
    EXPECT_EQ(bytesOf(userData() + "/Preview/all"), "") << "the empty list that came is kept";

    choose(2);
    for (int box = 0; box < 4; ++box)
        EXPECT_EQ(shown(box), sample(2, box)) << "box " << box + 1;
    EXPECT_EQ(requestsFor(samplePath(2, 4)), 0);
    EXPECT_EQ(requestsFor(samplePath(2, 5)), 0);
    expectDoneLoading();

    // Only the first four lines of a very long list count.
    const auto began = std::chrono::steady_clock::now();
    choose(5);
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
    EXPECT_EQ(shown(3), sample(5, 3));
    EXPECT_EQ(requestsFor(samplePath(5, 4)), 0);

    // "Preview" while the window is up: its list follows, the boxes stay.
    service.clearRequests();
    preview(1);
    EXPECT_EQ(previews().ComboBox2->currentIndex(), 1);
    EXPECT_TRUE(service.requests().empty());
    EXPECT_EQ(shown(3), sample(5, 3));
}

TEST_F(PreviewWindowTest, AKeptSampleIsShownAtItsOwnSizeCentredAndNeverFetchedAgain)
{
    QDir().mkpath(userData() + "/Preview");
    const QString kept = userData() + "/Preview/" + QString::fromStdString(picture(3, 0).file);
    writeTestJpeg(kept, 400, 300);
    start();
    preview(3);
    EXPECT_EQ(requestsFor(samplePath(3, 0)), 0);
    EXPECT_EQ(requestsFor(samplePath(3, 1)), 1);
    // Cut at the edges: (297 - 400) / 2 and (241 - 300) / 2, truncated.
    EXPECT_EQ(shown(0).convertToFormat(QImage::Format_RGB32),
              decodeJpeg(kept).copy(51, 29, 297, 241).convertToFormat(QImage::Format_RGB32));

    // Seen again, only the list is fetched.
    service.clearRequests();
    choose(3);
    ASSERT_EQ(service.requests().size(), 1u);
    EXPECT_EQ(service.requests().front().path, "/preview/3d-objects");
    EXPECT_EQ(shown(3), sample(3, 3));
}

TEST_F(PreviewWindowTest, TheFirstSampleThatCanNotBeShownLeavesItsBoxAndTheRestEmpty)
{
    start();
    service.setFault(samplePath(3, 1), Fault::notFound());
    preview(3);
    EXPECT_EQ(shown(0), sample(3, 0));
    for (int box = 1; box < 4; ++box)
        EXPECT_TRUE(shown(box).isNull()) << "box " << box + 1;
    EXPECT_EQ(requestsFor(samplePath(3, 2)), 0);
    expectDoneLoading();

    // A body cut short is no sample either.
    service.setFault(samplePath(3, 1), Fault::cutBody());
    choose(3);
    EXPECT_TRUE(shown(1).isNull());
    EXPECT_FALSE(
        QFile::exists(userData() + "/Preview/" + QString::fromStdString(picture(3, 1).file)));

    // A kept sample that is no picture empties every box from its own on, and goes, so that
    // the next view fetches it again.
    service.clearFaults();
    const QString broken = userData() + "/Preview/" + QString::fromStdString(picture(3, 0).file);
    writeFileBytes(broken.toStdString(), "<html>not a picture</html>");
    choose(3);
    for (int box = 0; box < 4; ++box)
        EXPECT_TRUE(shown(box).isNull()) << "box " << box + 1;
    EXPECT_FALSE(QFile::exists(broken));
    choose(3);
    for (int box = 0; box < 4; ++box)
        EXPECT_EQ(shown(box), sample(3, box)) << "box " << box + 1;

    // Only http and https samples with a name of ours are fetched and kept.
    for (const char* refused :
         {"file:///etc/passwd.jpg", "ftp://host/a.jpg", "http://host/a/..", "http://host/CON",
          "http://host/a.jpg?size=2", "http://host/settings.ini", "http://host/a/"})
        EXPECT_FALSE(sampleFile(QString::fromLatin1(refused))) << refused;
    EXPECT_EQ(sampleFile("HTTPS://host/a/b.jpg"), joinPath(previewFolder(), "b.jpg"));
}

TEST_F(PreviewWindowTest, AListThatDoesNotComeShowsThePlaceholderAndKeepsTheLastOne)
{
    QDir().mkpath(userData() + "/Preview");
    writeFileBytes((userData() + "/Preview/3d-scenes").toStdString(), "the last list\r\n");
    start();
    // A server that takes the request and then says nothing: the rate limit ends the wait.
    HttpClient& http = forms->mainWindow().http();
    TransferLimits limits = http.limits(DownloadKind::Text);
    limits.slowPeriod = std::chrono::milliseconds(300);
    http.setLimits(DownloadKind::Text, limits);
    service.setFault("/preview/3d-scenes", Fault::closeWithoutResponse(20000));
    const auto began = std::chrono::steady_clock::now();
    preview(4);
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10));
    expectPlaceholders(0);
    expectDoneLoading();
    EXPECT_EQ(bytesOf(userData() + "/Preview/3d-scenes"), "the last list\r\n");

    // A category without a code asks for no list.
    service.clearRequests();
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names.append(QStringLiteral("Category %1").arg(i));
    previews().takeCategoryNames(names);
    choose(30);
    EXPECT_TRUE(service.requests().empty());
    expectPlaceholders(0);
}

TEST_F(PreviewWindowTest, TheLinkOpensTheGalleryPageOfTheChoiceAndTurnsRedUnderThePointer)
{
    start();
    previews().show();
    LinkLabel& link = *previews().Label1;
    const auto click = [&](int index) {
        previews().ComboBox2->setCurrentIndex(index);
        const QPointF at(5, 5);
        QMouseEvent press(QEvent::MouseButtonPress, at, link.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, link.mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&link, &press);
        QApplication::sendEvent(&link, &release);
    };
    const std::string base = service.baseUrl();
    click(0);
    click(17);
    previews().takeCategoryNames(QStringList(19, QStringLiteral("More")));
    click(18);
    EXPECT_EQ(shell->opened,
              (std::vector<std::string>{base + "/galleries.html",
                                        base + "/galleries/photo_urb_str/galleries.html"}));

    const auto colour = [&] { return link.palette().color(QPalette::WindowText); };
    EXPECT_EQ(colour(), QColor(0, 0, 255));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), link.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&link, &enter);
    EXPECT_EQ(colour(), QColor(255, 0, 0));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    EXPECT_EQ(colour(), QColor(0, 0, 255));
}

TEST_F(PreviewWindowTest, TheWindowsSitAsDrawnAndTheWaitWindowHoldsThePreviewWindowWhileItLoads)
{
    start();
    bool waitShown = false;
    bool previewsEnabled = true;
    QTimer::singleShot(0, [&] {
        waitShown = forms->Form10->isVisible();
        previewsEnabled = previews().isEnabled();
    });
    preview(1);
    EXPECT_TRUE(waitShown);
    EXPECT_FALSE(previewsEnabled);
    expectDoneLoading();

    TForm8& p = previews();
    EXPECT_EQ(p.size(), QSize(600, 529));
    EXPECT_EQ(p.Image1->geometry(), QRect(0, 0, 297, 241));
    EXPECT_EQ(p.Image2->geometry(), QRect(303, 0, 297, 241));
    EXPECT_EQ(p.Image3->geometry(), QRect(0, 247, 297, 241));
    EXPECT_EQ(p.Image4->geometry(), QRect(303, 247, 297, 241));
    EXPECT_EQ(p.ComboBox2->geometry().topLeft(), QPoint(8, 500));
    EXPECT_EQ(p.ComboBox2->width(), 269);
    EXPECT_EQ(p.Label1->pos(), QPoint(283, 498));
    EXPECT_EQ(p.Label1->font().pixelSize(), 19);
    EXPECT_TRUE(p.Label1->font().underline());
    EXPECT_EQ(p.BitBtn1->geometry(), QRect(522, 496, 75, 25));
    EXPECT_EQ(layoutFaults(p).join(u'\n').toStdString(), "");

    TForm10& wait = *forms->Form10;
    wait.show();
    EXPECT_FALSE(wait.windowFlags() & Qt::WindowTitleHint);
    EXPECT_EQ(wait.Panel1->geometry(), QRect(1, 1, 160, 64));
    EXPECT_EQ(wait.Label1->text(), "Loading, please wait...");
    EXPECT_EQ(wait.Label2->text(), "Getting wallpapers...");
    EXPECT_TRUE(wait.Label1->font().bold());
    EXPECT_EQ(layoutFaults(wait).join(u'\n').toStdString(), "");
    wait.hide();
    EXPECT_TRUE(p.isEnabled());
}

TEST_F(PreviewWindowTest, APreviewLoadAndAShowStepNeverRunInsideEachOther)
{
    start();
    main().SelectAutomaticMode();
    SettingsFile().setCategory(1);
    main().clearPendingList();
    // "Preview" pressed while a step sets a wallpaper: the samples come once the step is over,
    // the wait window up meanwhile.
    bool loadedDuringStep = true;
    bool waitShownDuringStep = false;
    desktop->duringReload = [&] {
        preview(1);
        loadedDuringStep = requestsFor("/preview/2d") > 0;
        waitShownDuringStep = forms->Form10->isVisible();
    };
    main().ReloadWallpaper(TForm1::ReloadSource::AutomaticPage);
    desktop->duringReload = nullptr;
    EXPECT_FALSE(loadedDuringStep);
    EXPECT_TRUE(waitShownDuringStep);
    EXPECT_EQ(requestsFor("/preview/2d"), 1);
    EXPECT_EQ(shown(1), sample(1, 1));
    expectDoneLoading();

    // A tick while samples download is dropped, as during any step. The balloon tells whether
    // another step ran, so the first step's tidy-up, which clears it whenever it comes on a slow
    // machine, is put off.
    main().Timer3->setEnabled(false);
    service.clearRequests();
    const std::size_t wallpapersSet = desktop->calls.size();
    bool tickedWhileLoading = false;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (requestsFor("/preview/anime") == 0)
            return;
        tick.stop();
        tickedWhileLoading = true;
        main().Timer2Timer();
    });
    tick.start(0);
    choose(5);
    tick.stop();
    EXPECT_TRUE(tickedWhileLoading);
    EXPECT_EQ(desktop->calls.size(), wallpapersSet);
    EXPECT_EQ(main().TrayIcon1->balloon().text.toStdString(), "New Wallpaper set successfully!");
    for (const RecordedRequest& r : service.requests())
        EXPECT_FALSE(r.path.starts_with("/wallpapers/") || r.path.starts_with("/pictures/"))
            << r.path;
    EXPECT_EQ(shown(3), sample(5, 3));
}

} // namespace
