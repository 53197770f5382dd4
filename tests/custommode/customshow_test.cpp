#include "fifoguard.h"
#include "fixtures.h"

#include "common/inifile.h"
#include "common/paths.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "custommode/customshow.h"
#include "platform/registry.h"
#include "wallpaper/jpeg.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using platform::RootKey;

const QString Setting = QStringLiteral("Setting new Wallpaper...");
const QString Success = QStringLiteral("New Wallpaper set successfully!");
const QString Failure = QStringLiteral("Can not set wallpaper.");
const QString DesktopKey = QStringLiteral("Control Panel\\Desktop");
const std::string AdvancedKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

class FakeSettings : public WallpaperSettings {
public:
    PositionChoice autoPosition() const override { return {}; }
    PositionChoice customPosition() const override { return custom; }
    bool managePosition() const override { return false; }
    bool transparentText() const override { return transparent; }

    PositionChoice custom;
    bool transparent = false;
};

// Keeps what a step asked of the main window. Balloons follow the window's convention: none is
// shown while they are disabled.
class FakeHost : public CustomShowHost {
public:
    QStringList& showList() override { return list; }
    bool balloonsDisabled() const override { return disabled; }
    void showBalloon(const QString& text) override
    {
        if (!disabled)
            balloons.append(text);
    }
    void clearBalloon() override { ++clears; }
    void setTrayAnimated(bool on) override { animated = on; }
    QSize previewSize() const override { return {421, 270}; }
    void showPreview(const QImage& preview) override { previews.append(preview); }
    void startTidyUp() override { ++tidyUps; }
    void finishStep() override { ++finishes; }

    // Forgets what the last step did; the list and the setting stay.
    void forget()
    {
        balloons.clear();
        previews.clear();
        clears = tidyUps = finishes = 0;
        animated = false;
    }

    QStringList list;
    bool disabled = false;
    QStringList balloons;
    QList<QImage> previews;
    int clears = 0;
    bool animated = false;
    int tidyUps = 0;
    int finishes = 0;
};

class CustomShowTest : public AppFixture {
protected:
    CustomShowTest()
    {
        // The folders start-up makes.
        QDir().mkpath(userDataPath(QStringLiteral("Temp")));
        QDir().mkpath(userDataPath(QStringLiteral("Profiles")));
        QDir().mkpath(pictures());
        settings.custom.stretched = true;
    }

    QString pictures() const { return tempPath(QStringLiteral("pictures")); }
    QString picture(const QString& name) const { return pictures() + u'/' + name; }

    static QImage solid(QColor colour)
    {
        QImage image(64, 48, QImage::Format_RGB888);
        image.fill(colour);
        return image;
    }
    QString writeBitmap(const QString& name, QColor colour) const
    {
        const QString path = picture(name);
        EXPECT_TRUE(solid(colour).save(path, "BMP"));
        return path;
    }
    QString writeJpeg(const QString& name, QColor colour) const
    {
        const QString path = picture(name);
        encodeJpeg(solid(colour), path, 95);
        return path;
    }
    // The bitmap a JPEG should become, made by the converter on its own.
    QByteArray convertedBytes(const QString& jpeg) const
    {
        const QString out = tempPath(QStringLiteral("reference.bmp"));
        ConvertJpegToBitmapFile(jpeg, out);
        return bytesOf(out);
    }
    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QByteArray current() const { return bytesOf(currentBitmapPath()); }

    void useProfile(const QString& name, const QStringList& entries)
    {
        writeTextList(userDataPath(QStringLiteral("Profiles/") + name), entries);
        IniFile(settingsFilePath()).writeString("CustomMode", "CurrentProfile", name);
    }

    void step()
    {
        host.forget();
        desktop->calls.clear();
        NextCustomWallpaper(system, settings, host);
    }

    // The centre of the last preview, where the picture is whatever its shape.
    QColor previewCentre() const
    {
        if (host.previews.isEmpty())
            return Qt::transparent;
        const QImage& preview = host.previews.last();
        return preview.pixelColor(preview.width() / 2, preview.height() / 2);
    }
    static bool near(QColor a, QColor b)
    {
        return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 &&
               std::abs(a.blue() - b.blue()) < 8;
    }

    int reloads() const
    {
        int count = 0;
        for (const auto& call : desktop->calls)
            count += call.kind == RecordingDesktop::Call::ReloadWallpaper;
        return count;
    }
    bool iconTextApplied() const
    {
        for (const auto& call : desktop->calls)
            if (call.kind == RecordingDesktop::Call::Broadcast)
                return true;
        return false;
    }
    static QStringList filesIn(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    FakeSettings settings;
    FakeHost host;
};

TEST_F(CustomShowTest, ShowsTheProfileInOrderAndStartsItAgain)
{
    const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255);
    const QString a = writeBitmap("a.bmp", red);
    const QString b = writeJpeg("b.jpg", green);
    const QString c = writeBitmap("c.bmp", blue);
    useProfile("show.tsl", {a, b, c});
    // The user's own wallpaper, to be kept before the first step replaces it.
    const QString mine = writeBitmap("mine.bmp", Qt::gray);
    system.registry->createKey(RootKey::CurrentUser, toStd(DesktopKey));
    system.registry->writeString(RootKey::CurrentUser, toStd(DesktopKey), "Wallpaper", toStd(mine));
    system.registry->createKey(RootKey::CurrentUser, AdvancedKey);
    settings.transparent = true;

    const struct {
        QByteArray bytes;
        QColor colour;
        QStringList left;
    } expected[] = {
        {bytesOf(a), red, {b, c}},
        {convertedBytes(b), green, {c}},
        {bytesOf(c), blue, {}},
        {bytesOf(a), red, {b, c}},
    };
    for (const auto& want : expected) {
        SCOPED_TRACE(host.list.join(u' ').toStdString());
        step();
        EXPECT_EQ(host.balloons, QStringList({Setting, Success}));
        EXPECT_EQ(current(), want.bytes);
        EXPECT_EQ(host.previews.size(), 1);
        EXPECT_TRUE(near(previewCentre(), want.colour)) << previewCentre().name().toStdString();
        EXPECT_EQ(host.list, want.left);
        EXPECT_EQ(regString(DesktopKey, "Wallpaper"), currentBitmapPath());
        EXPECT_EQ(regString(DesktopKey, "WallpaperStyle"), "2");
        EXPECT_EQ(reloads(), 1);
        EXPECT_EQ(regString(QString::fromStdString(AdvancedKey), "ListviewShadow"), "1");
        EXPECT_TRUE(host.clears > 0 && host.animated);
        EXPECT_EQ(host.tidyUps, 1);
        EXPECT_EQ(host.finishes, 1);
    }
    EXPECT_EQ(bytesOf(userDataPath("original.bmp")), bytesOf(mine));
    // Nothing of ours is left, beside the pictures or in our own folder.
    EXPECT_EQ(filesIn(pictures()), QStringList({"a.bmp", "b.jpg", "c.bmp", "mine.bmp"}));
    EXPECT_EQ(filesIn(userDataPath("Temp")), QStringList());
}

TEST_F(CustomShowTest, ExtensionsCountInAnyLetterCase)
{
    const QString upper = writeJpeg("d.JPG", Qt::red);
    const QString jpeg = writeJpeg("e.jpeg", Qt::green);
    const QString mixed = writeBitmap("f.Bmp", Qt::blue);
    host.list = {upper, jpeg, mixed};

    // A JPEG copied as if it were a bitmap would still preview; current.bmp tells them apart.
    for (const QByteArray& want : {convertedBytes(upper), convertedBytes(jpeg), bytesOf(mixed)}) {
        step();
        EXPECT_EQ(host.balloons, QStringList({Setting, Success}));
        EXPECT_EQ(current(), want);
    }
    EXPECT_TRUE(host.list.isEmpty());
    EXPECT_EQ(filesIn(userDataPath("Temp")), QStringList());
}

TEST_F(CustomShowTest, AnEntryOfAnotherKindFailsAndIsDropped)
{
    const QString png = picture("p.png");
    ASSERT_TRUE(solid(Qt::red).save(png, "PNG"));
    const QString c = writeBitmap("c.bmp", Qt::blue);
    host.list = {png, QString(), c};

    step();
    EXPECT_EQ(host.balloons, QStringList({Setting, Failure}));
    EXPECT_EQ(host.list, QStringList({QString(), c}));
    step();
    EXPECT_EQ(host.balloons, QStringList({Setting, Failure}));
    EXPECT_EQ(host.list, QStringList({c}));
    EXPECT_EQ(host.tidyUps, 1);
    EXPECT_EQ(host.finishes, 1);
    EXPECT_TRUE(host.previews.isEmpty());
    EXPECT_FALSE(QFile::exists(currentBitmapPath()));
    EXPECT_EQ(reloads(), 0);
}

TEST_F(CustomShowTest, AFailingBitmapIsPassedOverAndTheShowGoesOn)
{
    const QString gone = picture("gone.bmp");
    const QString c = writeBitmap("c.bmp", Qt::blue);
    host.list = {gone, c};

    step();
    EXPECT_EQ(host.balloons, QStringList({Setting, Failure}));
    EXPECT_EQ(host.list, QStringList({c}));
    EXPECT_EQ(reloads(), 0);
    EXPECT_EQ(host.finishes, 1);
    step();
    EXPECT_EQ(host.balloons, QStringList({Setting, Success}));
    EXPECT_EQ(current(), bytesOf(c));
    EXPECT_TRUE(host.list.isEmpty());
}

TEST_F(CustomShowTest, ABrokenJpegIsDroppedAndTheDesktopLeftAsItWas)
{
    const QString whole = writeJpeg("whole.jpg", Qt::green);
    QByteArray data = bytesOf(whole);
    data.truncate(data.size() / 2);
    const QString broken = picture("broken.jpg");
    writeFileBytes(toStd(broken), data.toStdString());
    const QString a = writeBitmap("a.bmp", Qt::red);
    host.list = {broken, a, broken};

    // The first step: the user's own wallpaper stays named, for no current.bmp exists.
    step();
    EXPECT_EQ(host.balloons, QStringList({Setting, Success, Failure}));
    EXPECT_EQ(host.list, QStringList({a, broken}));
    EXPECT_EQ(reloads(), 0);
    EXPECT_NE(regString(DesktopKey, "Wallpaper"), currentBitmapPath());

    step();
    step();
    EXPECT_EQ(host.balloons, QStringList({Setting, Success, Failure}));
    EXPECT_TRUE(host.list.isEmpty());
    EXPECT_EQ(current(), bytesOf(a));
    EXPECT_EQ(reloads(), 0);
    EXPECT_EQ(regString(DesktopKey, "Wallpaper"), currentBitmapPath());
    EXPECT_EQ(host.finishes, 1);
    EXPECT_EQ(filesIn(userDataPath("Temp")), QStringList());
    EXPECT_EQ(filesIn(pictures()), QStringList({"a.bmp", "broken.jpg", "whole.jpg"}));
}

// A FIFO as an entry, as the profile or as the settings file is refused at once, as a file that
// is no picture, a missing profile or missing settings are.
TEST_F(CustomShowTest, AFifoInPlaceOfAFileFailsItsStepAtOnce)
{
    const QString bmp = picture("pipe.bmp"), jpg = picture("pipe.jpg");
    const QString profile = userDataPath("Profiles/pipe.tsl");
    for (const QString& fifo : {bmp, jpg, profile})
        makeFifo(toStd(fifo));
    const QString a = writeBitmap("a.bmp", Qt::red);
    host.list = {bmp, jpg, a};
    QStringList balloons;
    const std::vector<std::string> fifos{toStd(bmp), toStd(jpg), toStd(profile),
                                         toStd(settingsFilePath())};
    EXPECT_TRUE(finishesPromptly(
        [&] {
            for (int i = 0; i < 3; ++i) {
                step();
                balloons += host.balloons;
            }
        },
        fifos));
    // A JPEG that can not be read ends its step as a broken one does.
    EXPECT_EQ(balloons,
              QStringList({Setting, Failure, Setting, Success, Failure, Setting, Success}));
    EXPECT_EQ(current(), bytesOf(a));

    IniFile(settingsFilePath()).writeString("CustomMode", "CurrentProfile", "pipe.tsl");
    EXPECT_TRUE(finishesPromptly([&] { step(); }, fifos));
    EXPECT_EQ(host.balloons, QStringList({Failure})) << "the profile";

    QFile::remove(settingsFilePath());
    makeFifo(toStd(settingsFilePath()));
    EXPECT_TRUE(finishesPromptly([&] { step(); }, fifos));
    EXPECT_EQ(host.balloons, QStringList({Failure})) << "no profile is chosen";
}

TEST_F(CustomShowTest, WithBalloonsDisabledOnlySuccessStartsTheTidyUp)
{
    host.disabled = true;
    const QString a = writeBitmap("a.bmp", Qt::red);
    host.list = {a, picture("gone.bmp")};

    step();
    EXPECT_EQ(current(), bytesOf(a));
    EXPECT_EQ(host.tidyUps, 1);
    EXPECT_FALSE(iconTextApplied());
    EXPECT_EQ(host.finishes, 1);

    step();
    EXPECT_TRUE(host.list.isEmpty());
    EXPECT_EQ(host.tidyUps, 0);
    EXPECT_EQ(host.finishes, 1);
}

TEST_F(CustomShowTest, AMissingOrEmptyProfileFails)
{
    IniFile(settingsFilePath()).writeString("CustomMode", "CurrentProfile", "nothere.tsl");
    step();
    EXPECT_EQ(host.balloons, QStringList({Failure}));
    EXPECT_TRUE(host.list.isEmpty());
    EXPECT_EQ(host.tidyUps, 1);
    EXPECT_EQ(host.finishes, 1);

    useProfile("empty.tsl", {});
    for (int i = 0; i < 2; ++i) {
        step();
        EXPECT_EQ(host.balloons, QStringList({Setting, Failure}));
        EXPECT_TRUE(host.list.isEmpty());
        EXPECT_EQ(host.finishes, 1);
    }
    EXPECT_FALSE(QFile::exists(currentBitmapPath()));
}

TEST_F(CustomShowTest, APictureInAFolderThatTakesNoFilesIsShown)
{
    // The tests may run as root, which folder permissions do not stop; a name of the longest
    // length also leaves no room for any file named after the picture beside it.
    const QString name = QString(251, u'n') + QStringLiteral(".jpg");
    const QString jpeg = picture(name);
    ASSERT_TRUE(QFile::rename(writeJpeg("short.jpg", Qt::green), jpeg));
    fs::permissions(toStd(pictures()), fs::perms::owner_read | fs::perms::owner_exec);
    host.list = {jpeg};
    // The cache of the automatic mode shares the folder; any name it can hold stays its own.
    ASSERT_TRUE(QDir().mkpath(userDataPath("Temp")));
    writeFileBytes(toStd(userDataPath("Temp/custom-step.bmp")), "cached");
    step();
    fs::permissions(toStd(pictures()), fs::perms::owner_all);

    EXPECT_EQ(host.balloons, QStringList({Setting, Success}));
    EXPECT_EQ(current(), convertedBytes(jpeg));
    EXPECT_EQ(filesIn(pictures()), QStringList({name}));
    EXPECT_EQ(filesIn(userDataPath("Temp")), QStringList({"custom-step.bmp"}));
    EXPECT_EQ(bytesOf(userDataPath("Temp/custom-step.bmp")), "cached");
}

TEST_F(CustomShowTest, AnUnwritableCurrentBitmapFailsAndKeepsTheEntry)
{
    ASSERT_TRUE(QDir().mkpath(currentBitmapPath()));
    const QString a = writeBitmap("a.bmp", Qt::red);
    host.list = {a};

    step();
    EXPECT_EQ(host.balloons, QStringList({Setting, Failure}));
    EXPECT_EQ(host.list, QStringList({a}));
    EXPECT_EQ(reloads(), 0);
    EXPECT_NE(regString(DesktopKey, "Wallpaper"), currentBitmapPath());
    EXPECT_EQ(host.finishes, 1);
}

TEST_F(CustomShowTest, ARefusedRegistryWriteFailsTheStepAndKeepsTheEntry)
{
    const QString a = writeBitmap("a.bmp", Qt::red);
    host.list = {a};
    system.registry = std::make_unique<RefusingRegistry>(std::move(system.registry));

    step();
    EXPECT_EQ(host.balloons, QStringList({Setting, Failure}));
    EXPECT_EQ(host.list, QStringList({a}));
    EXPECT_EQ(reloads(), 0);
    EXPECT_EQ(host.finishes, 1);
}

TEST_F(CustomShowTest, ADesktopThatRefusesThePictureFailsTheStepAndKeepsTheEntry)
{
    desktop->refuse = true;
    for (const QString& entry : {writeBitmap("a.bmp", Qt::red), writeJpeg("b.jpg", Qt::blue)}) {
        host.list = {entry};
        step();
        EXPECT_EQ(host.balloons, QStringList({Setting, Failure})) << entry.toStdString();
        EXPECT_EQ(host.list, QStringList({entry}));
        EXPECT_EQ(host.finishes, 1);
    }
}

} // namespace
