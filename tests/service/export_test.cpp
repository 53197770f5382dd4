#include "export.h"
#include "service.h"
#include "tempenv.h"

#include "wallpaper/jpeg.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <filesystem>

namespace {

TEST(ServiceExport, EveryFileLandsAtItsPathAndWhatCanNotBeMadeIsLeftOutAndNamed)
{
    TempDir collection;
    std::filesystem::create_directories(collection.file("Cat"));
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(QColor(20, 120, 200));
    encodeJpeg(picture, QString::fromStdString(collection.file("Cat/good.jpg")), 90);
    // A JPEG to look at, whose sample can not be made.
    writeFileBytes(collection.file("Cat/bad.jpg"), "\xff\xd8\xff not really");
    WallpaperService service(scanFolder(collection.path()));

    TempDir site;
    const std::string base = "https://cdn.example.org";
    std::vector<std::string> skipped;
    const auto export_ = [&] {
        skipped.clear();
        return exportSite(service, site.path(), base,
                          [&](const std::string& path) { skipped.push_back(path); });
    };
    const std::vector<std::string> paths = service.sitePaths();
    EXPECT_EQ(export_(), paths.size() - 1);
    EXPECT_EQ(skipped, std::vector<std::string>{"/samples/Cat/bad.jpg"});
    for (const std::string& path : paths) {
        if (path == skipped.front())
            continue;
        const std::string file = path == "/" ? "index.html" : path.substr(1);
        EXPECT_EQ(readFileBytes(site.file(file)), service.content(path, base)) << path;
    }
    EXPECT_EQ(readFileBytes(site.file("preview/Cat")),
              base + "/samples/Cat/bad.jpg\r\n" + base + "/samples/Cat/good.jpg\r\n");

    // Exported again over a changed copy: the site's files are whole again, others stay.
    writeFileBytes(site.file("wallpapers/cat.tsl"), "stale");
    writeFileBytes(site.file("notes.txt"), "mine");
    EXPECT_EQ(export_(), paths.size() - 1);
    EXPECT_EQ(readFileBytes(site.file("wallpapers/cat.tsl")), "Cat\r\n");
    EXPECT_EQ(readFileBytes(site.file("notes.txt")), "mine");
}

} // namespace
