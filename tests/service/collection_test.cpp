#include "collection.h"
#include "rawhttp.h"
#include "service.h"
#include "tempenv.h"

#include "automode/fetch.h"
#include "common/paths.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

// What the service checks before it offers a file: the signature of its kind.
std::string pictureFileBytes(const std::string& name)
{
    const bool bitmap = pictureContentType(name) == "image/bmp";
    return (bitmap ? std::string("BM") : std::string("\xff\xd8\xff")) + " bytes of " + name;
}

} // namespace

TEST(ServiceNames, CaptionsPlacementsAndTypes)
{
    EXPECT_EQ(captionFromFileName("Sunset_over-the_bay@1.jpg"), "Sunset over the bay");
    EXPECT_EQ(captionFromFileName("a.b_c.jpeg"), "a.b c");
    EXPECT_EQ(captionFromFileName("name@3.bmp"), "name@3");
    // A ";" would end the caption field of the list line, a line end the line.
    EXPECT_EQ(captionFromFileName("Rock;Roll\nLive.jpg"), "Rock,Roll Live");
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
        for (const char* file :
             {"b_shore-line@2.JPG", "a_dunes.jpeg", "c.bmp", ".hidden.jpg", "bad name.jpg"})
            writeFileBytes((root / "Sea_Views" / file).string(), pictureFileBytes(file));
        writeFileBytes((root / "Sea_Views/notes.txt").string(), "notes");
        for (const char* file : {"bad name/x.jpg", ".git/x.jpg", "cat.tsl/x.jpg", "zz/z.jpg"})
            writeFileBytes((root / file).string(), pictureFileBytes(file));
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
    const auto codes = crlfLines(client.Get("/wallpapers/cat.tsl")->body);
    ASSERT_EQ(codes.size(), 4u);
    EXPECT_EQ(codes[0], "Sea_Views");
    EXPECT_EQ(codes[1], "bad_name");
    EXPECT_TRUE(codes[2].starts_with("cat.tsl-")) << "the name of the list itself is taken";
    EXPECT_EQ(codes[3], "zz");
    EXPECT_EQ(client.Get("/profiles_new.tsl")->body, "Sea Views\r\nbad name\r\ncat.tsl\r\nzz\r\n");
    const std::string pictures = service.baseUrl() + "/pictures/Sea_Views/";
    EXPECT_EQ(client.Get("/wallpapers/Sea_Views")->body,
              pictures + "a_dunes.jpeg;a dunes;0\r\n" + pictures +
                  "b_shore-line@2.JPG;b shore line;2\r\n" + pictures +
                  "bad_name.jpg;bad name;0\r\n" + pictures + "c.bmp;c;0\r\n");
    EXPECT_EQ(client.Get("/wallpapers/zz")->body, service.baseUrl() + "/pictures/zz/z.jpg;z;0\r\n");

    auto res = client.Get("/pictures/Sea_Views/b_shore-line@2.JPG");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, pictureFileBytes("b_shore-line@2.JPG"));
    EXPECT_EQ(res->get_header_value("Content-Type"), "image/jpeg");
    EXPECT_EQ(client.Get("/pictures/Sea_Views/c.bmp")->get_header_value("Content-Type"),
              "image/bmp");
}

TEST_F(ServiceFolder, NothingOutsideTheFolderIsServedAndWhatIsLeftOutIsReported)
{
    std::vector<SkippedEntry> skipped;
    WallpaperService service(scanFolder(tmp.file("root"), &skipped));
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

    std::map<std::string, std::string> reasons;
    for (const auto& entry : skipped)
        reasons[entry.path] = entry.reason;
    const std::string link = "a symbolic link, not followed";
    EXPECT_EQ(reasons, (std::map<std::string, std::string>{
                           {".git", "hidden"},
                           {"Sea_Views/.hidden.jpg", "hidden"},
                           {"Sea_Views/notes.txt",
                            "not a picture (only .jpg, .jpeg and .bmp files are served)"},
                           {"empty", "no pictures in it"},
                           {"linked", link},
                           {"top.jpg", link},
                           {"zz/secret.jpg", link},
                           {"zz/sub.jpg", "a folder inside a category, not searched"},
                       }));
}

TEST(ServiceEverydayFolder, PicturesOfAnyNameAreServedUnderNamesTheClientTakesWithRealCaptions)
{
    TempDir tmp;
    const fs::path root = tmp.file("photos");
    // The real name of each picture and the caption its list line must carry.
    const std::map<std::string, std::string> captions{
        {"Summer 2024/Strand bei Kühlungsborn.JPG", "Strand bei Kühlungsborn"},
        {"Summer 2024/Möwe.jpeg", "Möwe"},
        {"Summer 2024/Abend am Meer.BMP", "Abend am Meer"},
        // Both are "Sand_Burg" in the characters the client takes.
        {"Summer 2024/Sand Burg.jpg", "Sand Burg"},
        {"Summer 2024/Sand_Burg.jpg", "Sand Burg"},
        // The client keeps pictures by name alone, whatever their category and case.
        {"Winter/möwe.jpg", "möwe"},
        {"Winter/CON.jpg", "CON"},
    };
    fs::create_directories(root / "Summer 2024");
    fs::create_directories(root / "Winter");
    for (const auto& [path, caption] : captions)
        writeFileBytes((root / path).string(), pictureFileBytes(path));
    writeFileBytes((root / "Summer 2024/Einkaufsliste.txt").string(), "Milch, Brot");

    std::vector<SkippedEntry> skipped;
    WallpaperService service(scanFolder(root.string(), &skipped));
    service.start();
    httplib::Client client("127.0.0.1", service.port());
    EXPECT_EQ(client.Get("/profiles_new.tsl")->body, "Summer 2024\r\nWinter\r\n");
    const auto codes = crlfLines(client.Get("/wallpapers/cat.tsl")->body);
    EXPECT_EQ(codes, (std::vector<std::string>{"Summer_2024", "Winter"}));

    std::set<QString> cacheNames;
    std::map<std::string, std::string> served;    // real name (from the bytes) -> caption
    std::map<std::string, std::string> urlNameOf; // real name -> the name in its URL
    for (const std::string& code : codes) {
        EXPECT_TRUE(isSafeFileName(QString::fromStdString(code))) << code;
        for (const std::string& line : crlfLines(client.Get("/wallpapers/" + code)->body)) {
            // Read as the client reads it, and refused where the client would refuse it.
            const WallpaperEntry entry = parseWallpaperEntry(QString::fromUtf8(line), true);
            const QString urlName = entry.url.section(u'/', -1);
            EXPECT_TRUE(isSafeFileName(urlName)) << line;
            EXPECT_TRUE(isSafeFileName(entry.name)) << line;
            EXPECT_TRUE(cacheNames.insert(entry.name.toLower()).second) << line;
            auto res = client.Get(entry.url.toStdString().substr(service.baseUrl().size()));
            ASSERT_TRUE(res) << line;
            ASSERT_EQ(res->status, 200) << line;
            const std::string real = res->body.substr(res->body.find(" bytes of ") + 10);
            EXPECT_EQ(res->body, pictureFileBytes(real));
            served[real] = entry.caption.toStdString();
            urlNameOf[real] = urlName.toStdString();
        }
    }
    EXPECT_EQ(served, captions);
    EXPECT_EQ(urlNameOf["Summer 2024/Strand bei Kühlungsborn.JPG"], "Strand_bei_Kuhlungsborn.JPG");
    EXPECT_EQ(urlNameOf["Summer 2024/Sand_Burg.jpg"], "Sand_Burg.jpg")
        << "a name the client takes as it is stays as it is";

    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0].path, "Summer 2024/Einkaufsliste.txt");
    EXPECT_TRUE(skipped[0].reason.starts_with("not a picture")) << skipped[0].reason;
}
