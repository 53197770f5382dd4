#include "rawhttp.h"
#include "service.h"
#include "tempenv.h"

#include "wallpaper/jpeg.h"
#include "wallpaper/picture.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <QString>

#include <set>

namespace {

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find(';', start)) != std::string::npos; start = end + 1)
        out.push_back(line.substr(start, end - start));
    out.push_back(line.substr(start));
    return out;
}

class ServiceRoutes : public ::testing::Test {
protected:
    void SetUp() override { service.start(); }

    httplib::Result get(const std::string& path, const httplib::Headers& headers = {})
    {
        httplib::Client client("127.0.0.1", service.port());
        return client.Get(path, headers);
    }
    std::string body(const std::string& path)
    {
        auto res = get(path);
        EXPECT_TRUE(res) << path;
        if (!res)
            return {};
        EXPECT_EQ(res->status, 200) << path;
        return res->body;
    }

    WallpaperService service;
};

} // namespace

TEST_F(ServiceRoutes, ListsAndPagesAnswerInTheProgramsFormats)
{
    EXPECT_EQ(service.baseUrl(), "http://127.0.0.1:" + std::to_string(service.port()));
    // The generated collection is the program's own category list, byte for byte.
    EXPECT_EQ(body("/wallpapers/cat.tsl"), readFileBytes(TAPESTRON_SOURCE_DATA_DIR "/cat.tsl"));
    EXPECT_EQ(body("/profiles_new.tsl"), readFileBytes(TAPESTRON_SOURCE_DATA_DIR "/profiles.tsl"));
    EXPECT_EQ(crlfLines(body("/wallpapers/cat.tsl")).size(), 18u);

    EXPECT_EQ(body("/version"), "0.2.0.80\r\n");
    service.setVersion("1.2.3.4");
    EXPECT_EQ(body("/version"), "1.2.3.4\r\n");

    for (const char* page : {"/", "/profiles.html", "/galleries.html", "/faq.html"}) {
        auto res = get(page);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200) << page;
        EXPECT_TRUE(res->get_header_value("Content-Type").starts_with("text/html")) << page;
        EXPECT_NE(res->body.find("</html>"), std::string::npos) << page;
    }
    EXPECT_NE(body("/profiles.html").find("Urban&amp;Rural"), std::string::npos);

    for (const char* missing :
         {"/wallpapers/", "/wallpapers/nope", "/preview/nope", "/wallpapers/2d/extra",
          "/pictures/2d", "/pictures/2d/none.jpg", "/version/", "/cat.tsl"}) {
        auto res = get(missing);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 404) << missing;
    }
}

TEST_F(ServiceRoutes, WallpaperListsPointAtPicturesThatDecode)
{
    const std::string base = service.baseUrl() + "/pictures/";
    int fixed = 0, total = 0;
    for (const auto& code : crlfLines(body("/wallpapers/cat.tsl"))) {
        const auto lines = crlfLines(body("/wallpapers/" + code));
        ASSERT_GE(lines.size(), 3u) << code;
        ASSERT_LE(lines.size(), 4u) << code;
        std::vector<std::string> urls;
        int bitmaps = 0;
        for (const auto& line : lines) {
            const auto f = fields(line);
            ASSERT_EQ(f.size(), 3u) << line;
            EXPECT_TRUE(f[0].starts_with(base + code + "/")) << line;
            EXPECT_FALSE(f[1].empty()) << line;
            EXPECT_EQ(f[1].find_first_of("_-"), std::string::npos) << line;
            ASSERT_EQ(f[2].size(), 1u) << line;
            EXPECT_NE(std::string("012").find(f[2][0]), std::string::npos) << line;
            fixed += f[2] != "0";
            bitmaps += f[0].ends_with(".bmp");
            urls.push_back(f[0]);
            ++total;
        }
        EXPECT_EQ(bitmaps, 1) << code;
        // The samples of the pictures, under the pictures' names.
        const auto preview = crlfLines(body("/preview/" + code));
        ASSERT_EQ(preview.size(), urls.size()) << code;
        for (std::size_t i = 0; i < preview.size(); ++i)
            EXPECT_EQ(preview[i], service.baseUrl() + "/samples/" +
                                      urls[i].substr(service.baseUrl().size() + 10))
                << code;
    }
    EXPECT_GT(fixed, 0);
    EXPECT_LT(fixed * 2, total); // the user's choice for most

    // Every picture of two categories, fetched back by the URL the list gave.
    TempDir dir;
    for (const std::string code : {"2d", "street"}) {
        for (const auto& line : crlfLines(body("/wallpapers/" + code))) {
            const std::string url = fields(line)[0];
            auto res = get(url.substr(service.baseUrl().size()));
            ASSERT_TRUE(res);
            ASSERT_EQ(res->status, 200) << url;
            const bool bitmap = url.ends_with(".bmp");
            EXPECT_EQ(res->get_header_value("Content-Type"), bitmap ? "image/bmp" : "image/jpeg");
            const std::string file = dir.file(bitmap ? "p.bmp" : "p.jpg");
            writeFileBytes(file, res->body);
            const QImage image = bitmap ? LoadPictureAsBitmap(QString::fromStdString(file)).value()
                                        : decodeJpeg(QString::fromStdString(file));
            EXPECT_EQ(image.size(), QSize(1280, 800)) << url;
            // Served twice, the same bytes (generated once and kept).
            EXPECT_EQ(get(url.substr(service.baseUrl().size()))->body, res->body);
            // Its sample fills a box of the preview window, in the picture's own format.
            const std::string samplePath = "/samples/" + url.substr(base.size());
            writeFileBytes(file, body(samplePath));
            EXPECT_EQ(LoadPictureAsBitmap(QString::fromStdString(file))->size(), QSize(297, 241))
                << samplePath;
        }
    }
}

TEST_F(ServiceRoutes, UrlsFollowTheHostTheClientAskedFor)
{
    auto res = get("/wallpapers/macro", {{"Host", "wallpapers.local:9000"}});
    ASSERT_TRUE(res);
    EXPECT_TRUE(res->body.starts_with("http://wallpapers.local:9000/pictures/macro/")) << res->body;
    // Anything that is not a plain host name and port is not copied into the lists.
    const auto raw = rawExchange(service.port(), "GET /preview/macro HTTP/1.1\r\nHost: a/b;c\r\n"
                                                 "Connection: close\r\n\r\n");
    EXPECT_EQ(rawStatus(raw.received), 200);
    EXPECT_NE(raw.received.find("\r\n\r\n" + service.baseUrl() + "/samples/macro/"),
              std::string::npos)
        << raw.received;
}

TEST_F(ServiceRoutes, GalleryPagesFollowTheProgramsTableAndShowSamplesLinkedToPictures)
{
    const std::string all = body("/galleries.html");
    const std::string street = body("/galleries/photo_urb_str/galleries.html");
    EXPECT_NE(all.find("<a href=\"galleries/photo_urb_str/galleries.html\">"), std::string::npos);
    EXPECT_NE(all.find("<a href=\"galleries/digi_2d/galleries.html\">"), std::string::npos);
    EXPECT_NE(street.find("Urban&amp;Rural \\ Street"), std::string::npos);
    // Relative links, so a copy of the site works under any address.
    for (const auto& picture : service.categories().back().pictures)
        EXPECT_NE(street.find("<a href=\"../../pictures/street/" + picture.file +
                              "\"><img src=\"../../samples/street/" + picture.file + "\""),
                  std::string::npos)
            << picture.file;
    const auto res = get("/galleries/photo_urb_str2/galleries.html");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 404);

    // A collection of three categories has the pages of its two after "All" only.
    WallpaperService three({service.categories().begin(), service.categories().begin() + 3});
    std::vector<std::string> galleries;
    for (const std::string& path : three.sitePaths())
        if (path.starts_with("/galleries"))
            galleries.push_back(path);
    EXPECT_EQ(galleries,
              (std::vector<std::string>{"/galleries.html", "/galleries/digi_2d/galleries.html",
                                        "/galleries/digi_3d_char/galleries.html"}));
    EXPECT_FALSE(three.content("/galleries/digi_3d_obj/galleries.html", "http://h"));
}

TEST_F(ServiceRoutes, EachCategoryIsOfferedAsAProfileOfItsPictures)
{
    const std::string page = body("/profiles.html");
    for (const auto& category : service.categories()) {
        EXPECT_NE(page.find("<a href=\"tapestron:profile/" + category.code + "\">"),
                  std::string::npos)
            << category.code;
        std::vector<std::string> expected;
        for (const auto& picture : category.pictures)
            expected.push_back(service.baseUrl() + "/pictures/" + category.code + "/" +
                               picture.file);
        EXPECT_EQ(crlfLines(body("/profiles/" + category.code + ".tsl")), expected);
    }
    for (const char* missing : {"/profiles/2d", "/profiles/nope.tsl", "/profiles/2d.tsl/x"})
        EXPECT_EQ(get(missing)->status, 404) << missing;
}
