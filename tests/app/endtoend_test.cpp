#include "common/paths.h"
#include "common/strings.h"
#include "common/textlist.h"
#include "executable.h"
#include "service.h"
#include "testpictures.h"
#include "wallpaper/jpeg.h"
#include "wallpaper/picture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QThread>

namespace {

// Starts the program with a prepared user and waits, with no user action, for the desktop to
// name current.bmp and for current.bmp to hold the expected picture.
class EndToEndTest : public ExecutableFixture {
protected:
    // Polls until the registry names current.bmp and the file decodes to expected.
    bool showsWallpaper(const QImage& expected)
    {
        const QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired()) {
            if (regString("Control Panel\\Desktop", "Wallpaper") == currentBitmapPath()) {
                const QImage current(currentBitmapPath());
                if (!current.isNull() && current.convertToFormat(QImage::Format_RGB888) ==
                                             expected.convertToFormat(QImage::Format_RGB888))
                    return true;
            }
            QThread::msleep(50);
        }
        return false;
    }
};

TEST_F(EndToEndTest, CustomModeSetsTheProfilesFirstPictureAtStart)
{
    QDir().mkpath(userDataPath("Profiles"));
    const QString picture = tempPath("lake.bmp");
    ASSERT_TRUE(makeTestImage(160, 100).save(picture, "BMP"));
    writeTextList(userDataPath("Profiles/trip.tsl"), {picture});
    writeIni("[General]\r\nDefaultMode=custom\r\nAutoRunAtStartup=1\r\nRunAtStartup=0\r\n"
             "[CustomMode]\r\nCurrentProfile=trip.tsl\r\n");

    auto program = launch(install("program"));
    EXPECT_TRUE(showsWallpaper(QImage(picture)));
    stop(*program);
}

TEST_F(EndToEndTest, AutomaticModeSetsACaptionedPictureFromTheServiceAtStart)
{
    const QString folder = tempPath("collection/all");
    QDir().mkpath(folder);
    const QString jpeg = folder + "/Golden_Hour.jpg";
    writeTestJpeg(jpeg, 240, 160);
    WallpaperService service(scanFolder(toStd(tempPath("collection"))));
    service.start();
    ScopedEnv url("TAPESTRON_SERVICE_URL", service.baseUrl());
    writeIni("[General]\r\nDefaultMode=auto\r\nAutoRunAtStartup=1\r\nRunAtStartup=0\r\n"
             "[AutoMode]\r\nCategory=0\r\n");

    QImage expected = decodeJpeg(jpeg);
    StampCaption(expected, "Golden Hour");
    auto program = launch(install("program"));
    EXPECT_TRUE(showsWallpaper(expected));
    stop(*program);
    service.stop();
}

} // namespace
