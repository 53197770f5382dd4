#include "fakedownloader.h"
#include "fixtures.h"
#include "testpictures.h"

#include "automode/catalog.h"
#include "automode/fetch.h"
#include "common/collectfiles.h"
#include "common/errors.h"
#include "common/inifile.h"
#include "common/partialdownload.h"
#include "common/paths.h"
#include "common/service.h"
#include "common/strings.h"
#include "platform/files.h"
#include "wallpaper/desktoppainter.h"
#include "wallpaper/jpeg.h"
#include "wallpaper/picture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

const QString Getting = QStringLiteral("Getting new Wallpaper...");
const QString Success = QStringLiteral("New Wallpaper set successfully!");
const QString Failure = QStringLiteral(
    "Can not retrive wallpaper. There is no wallpapers in this category or check your internet "
    "connection.");

TEST(WallpaperEntryTest, FieldsAreCutAtTheFirstTwoSemicolons)
{
    const WallpaperEntry full =
        parseWallpaperEntry("http://host/2007/sunset.jpg;Sunset over; the sea;2", true);
    EXPECT_EQ(full.url, "http://host/2007/sunset.jpg");
    EXPECT_EQ(full.extension, ".jpg");
    EXPECT_EQ(full.caption, "Sunset over");
    EXPECT_EQ(full.position, " the sea;2") << "everything after the second ; is the position";
    EXPECT_EQ(full.name, "sunset");

    const WallpaperEntry unmanaged = parseWallpaperEntry("http://h/a.bmp;Cap;1", false);
    EXPECT_EQ(unmanaged.caption, "Cap");
    EXPECT_EQ(unmanaged.position, "") << "the position is read only when it is used";

    // One ";": no caption, and the position field is the head of the line.
    const WallpaperEntry one = parseWallpaperEntry("http://h/pic.jpg;Caption", true);
    EXPECT_EQ(one.url, "http://h/pic.jpg");
    EXPECT_EQ(one.caption, "");
    EXPECT_EQ(one.position, "http://h") << "one character more than follow the first ;";

    const WallpaperEntry none = parseWallpaperEntry("http://h/pic.jpg", true);
    EXPECT_EQ(none.url, "");
    EXPECT_EQ(none.extension, "");
    EXPECT_EQ(none.position, "http://h/pic.jpg");

    // A caption is cut to 256 units, one less where that would split a surrogate pair.
    const QString pair = QString::fromUtf8("\xF0\x9F\x8C\x85");
    const QString split = QString(255, u'a') + pair + "tail";
    EXPECT_EQ(parseWallpaperEntry("u.jpg;" + split + ";0", false).caption, QString(255, u'a'));
}

TEST(WallpaperEntryTest, ExtensionAndNameComeFromTheLastSegment)
{
    EXPECT_EQ(parseWallpaperEntry("http://h/x.y/file;c;0", false).extension, ".y/file");
    EXPECT_EQ(parseWallpaperEntry("http://h.com:80/file;c;0", false).extension, "")
        << "a ':' after the dot ends the extension";
    EXPECT_EQ(parseWallpaperEntry("c:\\pics\\a.BMP;c;0", false).name, "a");
    EXPECT_EQ(parseWallpaperEntry("http://h/photo.jpeg;c;0", false).name, "photo");
    EXPECT_EQ(parseWallpaperEntry("http://h/.jpg;c;0", false).name, "");
    EXPECT_EQ(parseWallpaperEntry("http://h/...bmp;c;0", false).name, "..");
}

TEST(PickEntryTest, OneGeneratorStepScaledByTheHighHalf)
{
    EXPECT_EQ(pickEntryIndex(0, 3), 0);
    EXPECT_EQ(pickEntryIndex(0xFFFFFFFFu, 3), 2); // next seed 4160191484
    EXPECT_EQ(pickEntryIndex(1, 1000), 31);       // next seed 134775814
    EXPECT_EQ(pickEntryIndex(12345, 0), 0);
    std::mt19937 seeds(7);
    for (int i = 0; i < 1000; ++i) {
        const int count = 1 + static_cast<int>(seeds() % 500);
        const int index = pickEntryIndex(seeds(), count);
        ASSERT_GE(index, 0);
        ASSERT_LT(index, count);
    }
}

class FakeSettings : public WallpaperSettings {
public:
    PositionChoice autoPosition() const override { return choice; }
    PositionChoice customPosition() const override { return {}; }
    bool managePosition() const override { return managed; }
    bool transparentText() const override { return false; }

    PositionChoice choice;
    bool managed = false;
};

class FakeHost : public AutoFetchHost {
public:
    FileDownloader& http() override { return downloader; }
    const QStringList& categoryCodes() const override { return codes; }
    QStringList& pendingList() override { return pending; }
    bool balloonsDisabled() const override { return disabled; }
    void showBalloon(const QString& text) override { balloons.append(text); }
    void clearBalloon() override { ++clears; }
    void setTrayAnimated(bool on) override { animated = on; }
    void disableReloadCommands() override { reloadDisabled = true; }
    void setCaptionText(const QString& text) override { caption = text; }
    void setManagedPositionHint(int value) override { hint = value; }
    QSize previewSize() const override { return {421, 270}; }
    void showPreview(const QImage& preview) override { previews.append(preview); }
    void startTidyUp() override { ++tidyUps; }
    void resetProgress() override { ++progressResets; }
    void enableFavourites() override { favourites = true; }
    QString tempCacheLimit() const override { return limit; }

    void forget()
    {
        balloons.clear();
        previews.clear();
        clears = tidyUps = progressResets = 0;
        favourites = reloadDisabled = animated = false;
        caption = "<unset>";
    }

    FakeDownloader downloader;
    QStringList codes;
    QStringList pending;
    bool disabled = false;
    QString limit = "100";
    QStringList balloons;
    QList<QImage> previews;
    QString caption = "<unset>";
    int hint = -100;
    int clears = 0;
    int tidyUps = 0;
    int progressResets = 0;
    bool animated = false;
    bool reloadDisabled = false;
    bool favourites = false;
};

class FetchTest : public AppFixture {
protected:
    FetchTest()
    {
        QDir().mkpath(userDataPath("Temp"));
        host.codes = readCategoryCodes(context.programPath("data/cat.tsl"));
        IniFile(settingsFilePath()).writeInteger("AutoMode", "Category", 9); // animals
        settings.choice.stretched = true;
    }

    QString listUrl() const { return serviceBaseUrl() + "/wallpapers/animals"; }
    void publishList(const QStringList& lines)
    {
        host.downloader.bodies[listUrl()] = lines.join("\r\n").toLatin1();
    }
    static QString pictureUrl(const QString& file) { return "http://pictures.test/cats/" + file; }
    void publishBitmap(const QString& file, QColor colour, QSize size = {320, 200})
    {
        QImage image(size, QImage::Format_RGB888);
        image.fill(colour);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "BMP");
        host.downloader.bodies[pictureUrl(file)] = buffer.data();
    }
    void publishJpeg(const QString& file, int width, int height)
    {
        const QString path = tempPath("source.jpg");
        writeTestJpeg(path, width, height);
        QFile source(path);
        source.open(QIODevice::ReadOnly);
        host.downloader.bodies[pictureUrl(file)] = source.readAll();
    }
    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QString cached(const QString& name) const { return userDataPath("Temp/" + name + ".bmp"); }

    void step()
    {
        host.forget();
        desktop->calls.clear();
        FetchAutoWallpaper(system, settings, host);
    }
    bool iconTextApplied() const
    {
        for (const auto& call : desktop->calls)
            if (call.kind == RecordingDesktop::Call::Broadcast)
                return true;
        return false;
    }

    FakeSettings settings;
    FakeHost host;
};

TEST_F(FetchTest, EveryEntryComesUpOnceBeforeTheListIsLoadedAgain)
{
    const QStringList lines{pictureUrl("red.bmp") + ";none;0", pictureUrl("green.bmp") + ";none;0",
                            pictureUrl("blue.bmp") + ";none;0"};
    publishList(lines);
    publishBitmap("red.bmp", Qt::red);
    publishBitmap("green.bmp", Qt::green);
    publishBitmap("blue.bmp", Qt::blue);

    std::set<QByteArray> shown;
    for (int i = 0; i < 3; ++i) {
        step();
        ASSERT_EQ(host.balloons, (QStringList{Getting, Success}));
        EXPECT_EQ(host.pending.size(), 2 - i);
        shown.insert(bytesOf(currentBitmapPath()));
        EXPECT_TRUE(host.favourites);
        EXPECT_EQ(host.tidyUps, 1);
        EXPECT_TRUE(host.reloadDisabled);
        EXPECT_EQ(host.progressResets, 1);
    }
    EXPECT_EQ(shown.size(), 3u);
    for (const char* colour : {"red", "green", "blue"})
        EXPECT_EQ(host.downloader.count(pictureUrl(QString(colour) + ".bmp")), 1);
    EXPECT_EQ(host.downloader.count(listUrl()), 3) << "the list is downloaded at every step";
    EXPECT_FALSE(QFile::exists(userDataPath("animals")));

    step();
    EXPECT_EQ(host.pending.size(), 2) << "the emptied list was loaded again";
    EXPECT_EQ(regString("Control Panel\\Desktop", "Wallpaper"), currentBitmapPath());
}

TEST_F(FetchTest, ACachedPictureIsSetWithoutDownloadOrNewCaption)
{
    publishList({pictureUrl("cat.bmp") + ";A caption;0"});
    QImage image(200, 120, QImage::Format_RGB888);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(cached("cat"), "BMP"));
    const QByteArray before = bytesOf(cached("cat"));

    step();
    EXPECT_EQ(host.balloons.last(), Success);
    EXPECT_EQ(host.downloader.count(pictureUrl("cat.bmp")), 0);
    EXPECT_EQ(bytesOf(cached("cat")), before) << "nothing is drawn a second time";
    EXPECT_EQ(bytesOf(currentBitmapPath()), before);
    EXPECT_EQ(host.caption, "A caption");
    ASSERT_EQ(host.previews.size(), 1);
    EXPECT_EQ(host.previews.first().size(), QSize(421, 270));
}

TEST_F(FetchTest, TheCaptionIsDrawnIntoTheCachedBitmapUnlessItIsNone)
{
    publishList({pictureUrl("plain.bmp") + ";none;0"});
    publishBitmap("plain.bmp", Qt::black);
    step();
    EXPECT_EQ(host.caption, "");
    EXPECT_EQ(bytesOf(cached("plain")), host.downloader.bodies[pictureUrl("plain.bmp")]);

    publishList({pictureUrl("titled.bmp") + ";Night Sky;0"});
    publishBitmap("titled.bmp", Qt::black);
    host.pending.clear();
    step();
    EXPECT_EQ(host.caption, "Night Sky");
    const QImage titled(cached("titled"));
    ASSERT_EQ(titled.size(), QSize(320, 200));
    int lit = 0;
    for (int y = 150; y < 175; ++y)
        for (int x = 5; x < 120; ++x)
            lit += titled.pixelColor(x, y) == QColor(192, 192, 192);
    EXPECT_GT(lit, 20) << "light-grey letters near the bottom left";
    EXPECT_EQ(bytesOf(currentBitmapPath()), bytesOf(cached("titled")));
}

TEST_F(FetchTest, AHugeCaptionIsCutToItsFirst256CharactersBeforeItIsDrawnOrShown)
{
    QString huge;
    for (int i = 0; huge.size() < 1024 * 1024; ++i)
        huge += QString::number(i % 10);
    publishList({pictureUrl("long.bmp") + ";" + huge + ";0"});
    publishBitmap("long.bmp", Qt::black);
    step();
    EXPECT_EQ(host.balloons.last(), Success);
    EXPECT_EQ(host.caption, huge.left(256));

    QImage expected(320, 200, QImage::Format_RGB888);
    expected.fill(Qt::black);
    StampCaption(expected, huge.left(256));
    EXPECT_EQ(QImage(cached("long")).convertToFormat(QImage::Format_RGB888), expected);
}

// A figure of /proc/self/status in bytes (Linux), -1 when it is not there.
long long statusBytes(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(name + ":", 0) == 0)
            return std::stoll(line.substr(name.size() + 1)) * 1024;
    return -1;
}

// How far the resident memory rose above where it stood while work ran. (Memory that earlier
// cases of the same process freed but kept can only make the figure smaller.)
long long peakGrowthDuring(const std::function<void()>& work)
{
    std::ofstream("/proc/self/clear_refs") << "5"; // the high-water mark starts again from here
    const long long before = statusBytes("VmRSS");
    work();
    return statusBytes("VmHWM") - before;
}

// A small JPEG that declares a large picture: its step, caption and desktop painting included,
// holds no more than one and a half times the decoded picture in memory.
TEST_F(FetchTest, ALargePictureIsHeldInMemoryAtMostOnce)
{
    if (UnderAddressSanitizer)
        GTEST_SKIP() << "resident memory says nothing about the step under AddressSanitizer";
    QImage plain(6000, 6000, QImage::Format_RGB888);
    plain.fill(Qt::darkGreen);
    const QString source = tempPath("plain.jpg");
    encodeJpeg(plain, source, 90);
    plain = QImage();
    host.downloader.bodies[pictureUrl("large.jpg")] = bytesOf(source);
    publishList({pictureUrl("large.jpg") + ";A green field;0"});
    std::vector<std::uint32_t> screen(1920 * 1080);
    if (statusBytes("VmHWM") < 0)
        GTEST_SKIP() << "no /proc/self/status to measure with";

    const long long growth = peakGrowthDuring([&] {
        step();
        EXPECT_TRUE(DesktopPainter().paint(toStd(currentBitmapPath()),
                                           platform::Placement::Stretched, 0, 0, 0, 1920, 1080,
                                           screen.data()));
    });
    EXPECT_EQ(host.balloons.last(), Success);
    EXPECT_NEAR(QColor(screen[540 * 1920 + 960]).green(), 128, 8) << "the picture was painted";
    const long long decoded = 6000LL * 6000 * 3;
    EXPECT_LE(growth, decoded * 3 / 2) << "peak growth " << growth / (1 << 20) << " MiB";
}

TEST_F(FetchTest, AJpegIsConvertedCachedAndItsDownloadRemoved)
{
    publishList({pictureUrl("hills.JPG") + ";none;0", pictureUrl("lake.jpeg") + ";none;0"});
    publishJpeg("hills.JPG", 300, 180);
    publishJpeg("lake.jpeg", 300, 180);
    step();
    step();
    EXPECT_EQ(host.balloons.last(), Success);
    EXPECT_TRUE(host.pending.isEmpty());
    for (const QString name : {"hills", "lake"}) {
        EXPECT_EQ(QImage(cached(name)).size(), QSize(300, 180)) << name.toStdString();
        EXPECT_FALSE(QFile::exists(userDataPath("Temp/" + name + ".jpg")));
    }
    // The list is bounded as a text file, the pictures as pictures.
    const FakeDownloader& asked = host.downloader;
    ASSERT_EQ(asked.kinds.size(), asked.requested.size());
    for (qsizetype i = 0; i < asked.requested.size(); ++i)
        EXPECT_EQ(asked.kinds.at(i),
                  asked.requested.at(i) == listUrl() ? DownloadKind::Text : DownloadKind::Picture)
            << asked.requested.at(i).toStdString();
}

TEST_F(FetchTest, APictureThatDoesNotDecodeFailsAndStaysInTheList)
{
    const QString entry = pictureUrl("broken.jpg") + ";Broken;0";
    publishList({entry});
    host.downloader.bodies[pictureUrl("broken.jpg")] = "not a jpeg at all";
    QFile::copy(context.programPath("data/noimg.jpg"), tempPath("before.bmp"));
    step();
    EXPECT_EQ(host.balloons, (QStringList{Getting, Failure}));
    EXPECT_EQ(host.pending, QStringList{entry});
    EXPECT_EQ(host.tidyUps, 1);
    EXPECT_TRUE(host.favourites);
    EXPECT_FALSE(QFile::exists(currentBitmapPath()));
    EXPECT_FALSE(QFile::exists(cached("broken")));
    EXPECT_TRUE(QFile::exists(userDataPath("Temp/broken.jpg"))) << "kept until it comes up again";
    EXPECT_EQ(host.caption, "Broken") << "the caption is shown before the picture is fetched";
}

TEST_F(FetchTest, AFileInTheCacheThatIsNoPictureIsDeletedAndFetchedAgainAtTheNextPick)
{
    publishList({pictureUrl("cat.bmp") + ";none;0"});
    publishBitmap("cat.bmp", Qt::red);
    const QByteArray picture = host.downloader.bodies[pictureUrl("cat.bmp")];
    const QByteArray html = "<html><body><h1>Gone fishing</h1></body></html>";
    for (const QByteArray& bad : {html, picture.left(picture.size() / 2)}) {
        SCOPED_TRACE(bad.left(20).toStdString());
        // Served so by the service.
        QFile::remove(cached("cat"));
        host.downloader.bodies[pictureUrl("cat.bmp")] = bad;
        step();
        EXPECT_EQ(host.balloons.last(), Failure);
        EXPECT_FALSE(QFile::exists(cached("cat")));
        host.downloader.bodies[pictureUrl("cat.bmp")] = picture;
        const int fetched = host.downloader.count(pictureUrl("cat.bmp"));
        step();
        EXPECT_EQ(host.balloons.last(), Success);
        EXPECT_EQ(host.downloader.count(pictureUrl("cat.bmp")), fetched + 1);
        EXPECT_EQ(bytesOf(currentBitmapPath()), picture);

        // Left in the cache by an earlier run.
        writeFileBytes(toStd(cached("cat")), bad.toStdString());
        step();
        EXPECT_EQ(host.balloons.last(), Failure);
        EXPECT_FALSE(QFile::exists(cached("cat")));
        step();
        EXPECT_EQ(host.balloons.last(), Success);
        EXPECT_EQ(host.downloader.count(pictureUrl("cat.bmp")), fetched + 2);
        EXPECT_EQ(bytesOf(cached("cat")), picture);
    }
}

TEST_F(FetchTest, PartialDownloadsLeftByAKilledRunAreNeitherShownNorKept)
{
    publishList({pictureUrl("dawn.bmp") + ";none;0"});
    publishBitmap("dawn.bmp", Qt::yellow);
    const QByteArray picture = host.downloader.bodies[pictureUrl("dawn.bmp")];
    writeFileBytes(toStd(partialDownloadPath(cached("dawn"))),
                   picture.left(picture.size() / 2).toStdString());
    writeFileBytes(toStd(partialDownloadPath(cached("dusk"))), "half a bitmap");
    writeFileBytes(toStd(partialDownloadPath(userDataPath("Temp/dusk.jpg"))), "half a jpeg");
    // One that a transfer is still writing is not abandoned.
    const QString running = partialDownloadPath(cached("noon"));
    const auto writer = platform::createExclusiveFile(toStd(running));
    ASSERT_TRUE(writer);

    step();
    EXPECT_EQ(host.balloons.last(), Success);
    EXPECT_EQ(host.downloader.count(pictureUrl("dawn.bmp")), 1);
    EXPECT_EQ(bytesOf(currentBitmapPath()), picture);
    EXPECT_EQ(QDir(userDataPath("Temp")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({fileNameOf(running), "dawn.bmp"}));
}

TEST_F(FetchTest, ManagedPositionReadsTheThirdField)
{
    settings.managed = true;
    publishList({pictureUrl("one.bmp") + ";Only one field"});
    publishBitmap("one.bmp", Qt::red);
    step();
    EXPECT_EQ(host.balloons.last(), Failure) << "the position field is not a number";
    EXPECT_EQ(host.pending.size(), 1);
    EXPECT_EQ(host.downloader.count(pictureUrl("one.bmp")), 0);

    // "3" is no position the program applies: current.bmp changes, the desktop keeps its values.
    publishList({pictureUrl("three.bmp") + ";x;3"});
    publishBitmap("three.bmp", Qt::green);
    host.pending.clear();
    step();
    EXPECT_EQ(host.balloons.last(), Success);
    EXPECT_EQ(host.hint, 3);
    EXPECT_EQ(bytesOf(currentBitmapPath()), bytesOf(cached("three")));
    EXPECT_EQ(regString("Control Panel\\Desktop", "Wallpaper"), "");

    publishList({pictureUrl("two.bmp") + ";x;2"});
    publishBitmap("two.bmp", Qt::blue);
    host.pending.clear();
    step();
    EXPECT_EQ(host.hint, 2);
    EXPECT_EQ(regString("Control Panel\\Desktop", "WallpaperStyle"), "2");
}

TEST_F(FetchTest, OfflineWithAnEmptyListChangesNothing)
{
    QImage image(50, 40, QImage::Format_RGB888);
    image.fill(Qt::yellow);
    ASSERT_TRUE(image.save(currentBitmapPath(), "BMP"));
    ASSERT_TRUE(image.save(cached("kept"), "BMP"));
    const QByteArray current = bytesOf(currentBitmapPath());
    step();
    EXPECT_EQ(host.balloons, (QStringList{Getting, Failure}));
    EXPECT_EQ(bytesOf(currentBitmapPath()), current);
    EXPECT_EQ(QDir(userDataPath("Temp")).entryList(QDir::Files), QStringList{"kept.bmp"});
    EXPECT_EQ(regString("Control Panel\\Desktop", "Wallpaper"), "");
    EXPECT_EQ(host.tidyUps, 1);
}

TEST_F(FetchTest, DisabledBalloonsShowNothingButTheTidyUpStillRuns)
{
    host.disabled = true;
    publishList({pictureUrl("quiet.bmp") + ";none;0"});
    publishBitmap("quiet.bmp", Qt::gray);
    step();
    EXPECT_TRUE(host.balloons.isEmpty());
    EXPECT_FALSE(iconTextApplied());
    EXPECT_EQ(host.tidyUps, 1);
    EXPECT_TRUE(QFile::exists(currentBitmapPath()));

    host.downloader.bodies.clear();
    step();
    EXPECT_TRUE(host.balloons.isEmpty());
    EXPECT_EQ(host.tidyUps, 1);
}

TEST_F(FetchTest, EntriesThatCanNeverBeShownAreDropped)
{
    for (const QString& entry : {pictureUrl("photo.png") + ";x;0", QString(""),
                                 pictureUrl("...bmp") + ";x;0", pictureUrl(".jpg") + ";x;0"}) {
        publishList({entry});
        host.pending.clear();
        step();
        EXPECT_EQ(host.balloons.last(), Failure) << entry.toStdString();
        EXPECT_TRUE(host.pending.isEmpty()) << entry.toStdString();
    }
    EXPECT_EQ(QDir(userDataPath("Temp")).entryList(QDir::Files | QDir::Hidden), QStringList{});
    EXPECT_EQ(QDir(userData()).entryList(QDir::Files), QStringList{"settings.ini"});
}

TEST_F(FetchTest, ACategoryCodeThatLeavesItsFolderOrNamesOurOwnFileIsNeverUsed)
{
    host.codes[9] = "../escape";
    host.downloader.bodies[serviceBaseUrl() + "/wallpapers/../escape"] = "x.bmp;c;0";
    step();
    EXPECT_EQ(host.balloons.last(), Failure);
    EXPECT_TRUE(host.downloader.requested.isEmpty());
    EXPECT_FALSE(QFile::exists(appData() + "/escape"));

    // Taken for a list, the settings file would be read as wallpapers and then deleted.
    host.codes[9] = "settings.ini";
    host.downloader.bodies[serviceBaseUrl() + "/wallpapers/settings.ini"] = "x.bmp;c;0";
    const QByteArray settingsBytes = bytesOf(settingsFilePath());
    step();
    EXPECT_EQ(host.balloons.last(), Failure);
    EXPECT_TRUE(host.downloader.requested.isEmpty());
    EXPECT_EQ(bytesOf(settingsFilePath()), settingsBytes);

    IniFile(settingsFilePath()).writeInteger("AutoMode", "Category", 77);
    step();
    EXPECT_EQ(host.balloons.last(), Failure);
}

TEST_F(FetchTest, TheCacheLosesItsSecondBitmapWhenOverTheLimit)
{
    QImage image(8, 8, QImage::Format_RGB888);
    image.fill(Qt::white);
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(image.save(cached(QString("c%1").arg(i, 3, 10, QChar('0'))), "BMP"));
    TrimTempCache("100");
    EXPECT_EQ(QDir(userDataPath("Temp")).entryList(QDir::Files).size(), 100);

    ASSERT_TRUE(image.save(cached("c100"), "BMP"));
    QStringList order;
    CollectFiles(userDataPath("Temp"), "*.bmp", order);
    TrimTempCache("100");
    QStringList left;
    CollectFiles(userDataPath("Temp"), "*.bmp", left);
    EXPECT_EQ(left.size(), 100);
    EXPECT_FALSE(left.contains(order.at(1))) << "the second file the search finds goes";
    EXPECT_TRUE(left.contains(order.at(0)));

    EXPECT_THROW(TrimTempCache("lots"), AppError);
}

TEST_F(FetchTest, ALimitThatIsNotANumberEscapesAfterTheStep)
{
    host.limit = "ten";
    publishList({pictureUrl("a.bmp") + ";none;0"});
    publishBitmap("a.bmp", Qt::red);
    EXPECT_THROW(FetchAutoWallpaper(system, settings, host), AppError);
    EXPECT_EQ(host.balloons.last(), Success);
    EXPECT_FALSE(host.favourites);
}

} // namespace
