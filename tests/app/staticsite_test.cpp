#include "app/forms.h"
#include "app/main.h"
#include "app/trayicon.h"
#include "common/paths.h"
#include "nginxsite.h"
#include "online/preview.h"
#include "online/update.h"
#include "servicefixture.h"
#include "testpictures.h"
#include "windows/previewbox.h"

#include <httplib.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProcess>

#include <filesystem>
#include <functional>

namespace {

// A collection in a folder, made before the service that serves it: one picture to set, five to
// preview (the first four, a bitmap among them, make the preview list).
struct CollectionFolder {
    CollectionFolder()
    {
        std::filesystem::create_directories(folder.file("Alpha"));
        std::filesystem::create_directories(folder.file("Beta"));
        writeTestJpeg(QString::fromStdString(folder.file("Alpha/Only one.jpg")), 640, 400);
        for (const char* name : {"Beta/b1.jpg", "Beta/b2.jpg", "Beta/b4.jpg", "Beta/b5.jpg"})
            writeTestJpeg(QString::fromStdString(folder.file(name)), 500, 380);
        makeTestImage(300, 200)
            .convertToFormat(QImage::Format_RGB888)
            .save(QString::fromStdString(folder.file("Beta/b3.bmp")), "BMP");
    }
    TempDir folder;
};

// The site exported by the service's own command and served by nginx gives the program what the
// running service gives it.
class StaticSiteTest : protected CollectionFolder, public ServiceFixture {
protected:
    StaticSiteTest() : ServiceFixture(scanFolder(folder.path()))
    {
        service.setVersion(NewVersion);
        installProgramFile(TAPESTRON_EXECUTABLE); // the update check compares with its number
    }

    // Not the program's own number, so that the update check has something to offer.
    static constexpr char NewVersion[] = "9.8.7.6";

    // What the user ends up with after one thing the program does against the service's address,
    // as bytes; each check asserts that it worked.
    struct Check {
        const char* name;
        std::function<QByteArray()> run;
    };
    std::vector<Check> checks()
    {
        return {{"an automatic step", [this] { return automaticStep(); }},
                {"a preview load", [this] { return previewLoad(); }},
                {"an update check", [this] { return updateCheck(); }}};
    }

    QByteArray automaticStep()
    {
        TForm1& main = *forms->Form1;
        main.clearPendingList();
        main.FetchAutoWallpaper();
        EXPECT_EQ(main.TrayIcon1->balloon().text, "New Wallpaper set successfully!");
        return bytesOf(currentBitmapPath());
    }

    QByteArray previewLoad()
    {
        TForm8& previews = *forms->Form8;
        previews.hide();
        forms->Form1->ComboBox2->setCurrentIndex(1);
        forms->Form1->BitBtn10Click();
        QByteArray shown;
        for (PreviewBox* box :
             {previews.Image1, previews.Image2, previews.Image3, previews.Image4}) {
            EXPECT_FALSE(box->picture().isNull());
            shown += QByteArray(reinterpret_cast<const char*>(box->picture().constBits()),
                                box->picture().sizeInBytes());
        }
        for (const char* sample : {"b1.jpg", "b2.jpg", "b3.bmp", "b4.jpg"}) {
            const QByteArray bytes = bytesOf(userData() + "/Preview/" + sample);
            EXPECT_NE(bytes, "<missing>") << sample;
            shown += bytes;
        }
        return shown;
    }

    QByteArray updateCheck()
    {
        TForm6& prompt = *forms->Form6;
        prompt.hide();
        forms->Form1->Checkforprogramupdates1Click();
        EXPECT_TRUE(prompt.Label1->text().contains(NewVersion));
        return prompt.Label1->text().toUtf8();
    }

    // Nothing kept from the last run: every check fetches what it shows.
    void forgetDownloads()
    {
        QDir(userData() + "/Temp").removeRecursively();
        QDir(userData() + "/Preview").removeRecursively();
    }

    // The service's own command, for the address the site will be served at.
    static std::string exported(const std::string& into, const std::string& baseUrl,
                                const std::string& collection)
    {
        QProcess exporter;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TAPESTRON_SERVICE_URL"),
                           QString::fromStdString(baseUrl));
        exporter.setProcessEnvironment(environment);
        exporter.start(QStringLiteral(TAPESTRON_SERVICE_EXECUTABLE),
                       {QStringLiteral("--export"), QString::fromStdString(into),
                        QStringLiteral("--version-answer"), QString::fromLatin1(NewVersion),
                        QString::fromStdString(collection)});
        if (!exporter.waitForFinished(60000) || exporter.exitCode() != 0)
            return "the export failed: " + exporter.readAllStandardError().toStdString();
        return {};
    }
};

TEST_F(StaticSiteTest, TheProgramGetsFromNginxWhatItGetsFromTheService)
{
    if (NginxSite::executable().empty())
        GTEST_SKIP() << "nginx is not installed (scripts/setup-debian.sh installs it)";
    start();
    std::vector<QByteArray> fromService;
    for (const Check& check : checks()) {
        SCOPED_TRACE(check.name);
        fromService.push_back(check.run());
    }

    NginxSite nginx;
    TempDir site;
    ASSERT_EQ(exported(site.path(), nginx.baseUrl(), folder.path()), "");
    ASSERT_EQ(nginx.serve(site.path()), "");
    // Every file of the site, as the service answers a client that reached it at nginx's address.
    httplib::Client client(nginx.baseUrl());
    for (const std::string& path : service.sitePaths()) {
        const auto answer = client.Get(path);
        ASSERT_TRUE(answer) << path;
        EXPECT_EQ(answer->status, 200) << path;
        EXPECT_TRUE(answer->body == service.content(path, nginx.baseUrl())) << path;
    }

    service.stop();
    const ScopedEnv atNginx("TAPESTRON_SERVICE_URL", nginx.baseUrl());
    forgetDownloads();
    const std::vector<Check> again = checks();
    for (std::size_t i = 0; i < again.size(); ++i) {
        SCOPED_TRACE(again[i].name);
        EXPECT_TRUE(again[i].run() == fromService[i]) << "not the same bytes";
    }
}

} // namespace
