#include "collection.h"
#include "rawhttp.h"
#include "service.h"
#include "tempenv.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(ServiceNames, SegmentsCaptionsAndPlacements)
{
    for (const char* good : {"a", "3d-objects", "Sea_Views", "x.jpg", "b@1.JPG", "a~b+c"})
        EXPECT_TRUE(isSafeSegment(good)) << good;
    for (const char* bad : {"", ".", "..", ".hidden", "a/b", "a\\b", "a b", "a;b", "a%2e", "a\tb",
                            "a\nb", "caf\xc3\xa9", "a?b", "a#b"})
        EXPECT_FALSE(isSafeSegment(bad)) << bad;
    EXPECT_FALSE(isSafeSegment(std::string(129, 'a')));

    EXPECT_EQ(captionFromFileName("Sunset_over-the_bay@1.jpg"), "Sunset over the bay");
    EXPECT_EQ(captionFromFileName("a.b_c.jpeg"), "a.b c");
    EXPECT_EQ(captionFromFileName("name@3.bmp"), "name@3");
    EXPECT_EQ(positionFromFileName("x@1.jpg"), '1');
    EXPECT_EQ(positionFromFileName("x@2.BMP"), '2');
    EXPECT_EQ(positionFromFileName("x@3.jpg"), '0');
    EXPECT_EQ(positionFromFileName("x.jpg"), '0');

    EXPECT_EQ(pictureContentType("a.JPG"), "image/jpeg");
    EXPECT_EQ(pictureContentType("a.jpeg"), "image/jpeg");
    EXPECT_EQ(pictureContentType("a.Bmp"), "image/bmp");
    EXPECT_EQ(pictureContentType("a.png"), "");
    EXPECT_EQ(pictureContentType("jpg"), "");
}

class ServiceFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        // outside/ is next to the served folder and must stay unreachable.
        fs::create_directories(tmp.file("outside"));
        writeFileBytes(tmp.file("outside/secret.jpg"), "SECRET");
        const fs::path root = tmp.file("root");
        for (const char* dir : {"Sea_Views", "empty", "bad name", ".git", "cat.tsl", "zz"})
            fs::create_directories(root / dir);
        for (const char* file : {"b_shore-line@2.JPG", "a_dunes.jpeg", "c.bmp", "notes.txt",
                                 ".hidden.jpg", "bad name.jpg"})
            writeFileBytes((root / "Sea_Views" / file).string(), std::string("bytes of ") + file);
        writeFileBytes((root / "bad name/x.jpg").string(), "x");
        writeFileBytes((root / ".git/x.jpg").string(), "x");
        writeFileBytes((root / "cat.tsl/x.jpg").string(), "x");
        writeFileBytes((root / "zz/z.jpg").string(), "z");
        fs::create_directories(root / "zz/sub.jpg");
        fs::create_directory_symlink(tmp.file("outside"), root / "linked");
        fs::create_symlink(tmp.file("outside/secret.jpg"), root / "zz/secret.jpg");
        fs::create_symlink(tmp.file("outside/secret.jpg"), root / "top.jpg");
    }

    TempDir tmp;
};

TEST_F(ServiceFolder, SubfoldersBecomeCategoriesOfTheirPictures)
{
    EXPECT_THROW(scanFolder(tmp.file("missing")), std::runtime_error);
    WallpaperService service(scanFolder(tmp.file("root")));
    service.start();
    httplib::Client client("127.0.0.1", service.port());
    EXPECT_EQ(client.Get("/wallpapers/cat.tsl")->body, "Sea_Views\r\nzz\r\n");
    EXPECT_EQ(client.Get("/profiles_new.tsl")->body, "Sea Views\r\nzz\r\n");
    const std::string pictures = service.baseUrl() + "/pictures/Sea_Views/";
    EXPECT_EQ(client.Get("/wallpapers/Sea_Views")->body,
              pictures + "a_dunes.jpeg;a dunes;0\r\n" + pictures +
                  "b_shore-line@2.JPG;b shore line;2\r\n" + pictures + "c.bmp;c;0\r\n");
    EXPECT_EQ(client.Get("/wallpapers/zz")->body, service.baseUrl() + "/pictures/zz/z.jpg;z;0\r\n");

    auto res = client.Get("/pictures/Sea_Views/b_shore-line@2.JPG");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, "bytes of b_shore-line@2.JPG");
    EXPECT_EQ(res->get_header_value("Content-Type"), "image/jpeg");
    EXPECT_EQ(client.Get("/pictures/Sea_Views/c.bmp")->get_header_value("Content-Type"),
              "image/bmp");
}

TEST_F(ServiceFolder, NothingOutsideTheFolderIsServed)
{
    WallpaperService service(scanFolder(tmp.file("root")));
    service.start();
    for (const char* target :
         {"/pictures/../outside/secret.jpg", "/pictures/%2e%2e/outside/secret.jpg",
          "/pictures/Sea_Views/../../outside/secret.jpg",
          "/pictures/Sea_Views/..%2f..%2foutside%2fsecret.jpg",
          "/pictures/Sea_Views/%2e%2e%5c%2e%2e%5coutside%5csecret.jpg",
          "/pictures/linked/secret.jpg", "/pictures/zz/secret.jpg", "/pictures/%2e%2e/top.jpg",
          "/pictures/Sea_Views/notes.txt", "/pictures/Sea_Views/.hidden.jpg",
          "/pictures/Sea_Views/bad%20name.jpg", "/pictures/Sea_Views//c.bmp",
          "/pictures/Sea_Views/c.bmp%00.jpg", "/pictures/.git/x.jpg", "/wallpapers/..",
          "/wallpapers/linked", "/preview/%2e%2e", "/pictures//etc/passwd"}) {
        const auto raw = rawGet(service.port(), target);
        EXPECT_EQ(rawStatus(raw.received), 404) << target;
        EXPECT_EQ(raw.received.find("SECRET"), std::string::npos) << target;
    }
    EXPECT_EQ(rawStatus(rawGet(service.port(), "/pictures/Sea_Views/c.bmp").received), 200);
}
