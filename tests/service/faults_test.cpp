#include "rawhttp.h"
#include "service.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>

namespace {

class ServiceFaults : public ::testing::Test {
protected:
    void SetUp() override { service.start(); }

    httplib::Client client() { return httplib::Client("127.0.0.1", service.port()); }

    WallpaperService service;
};

std::size_t contentLength(const std::string& response)
{
    const auto at = response.find("Content-Length: ");
    return at == std::string::npos ? 0 : std::stoul(response.substr(at + 16));
}

std::string bodyOf(const std::string& response)
{
    const auto at = response.find("\r\n\r\n");
    return at == std::string::npos ? std::string() : response.substr(at + 4);
}

} // namespace

TEST_F(ServiceFaults, NotFoundRedirectAndCookieChangeTheAnswer)
{
    service.setFault("/version", Fault::notFound());
    EXPECT_EQ(client().Get("/version")->status, 404);
    EXPECT_EQ(client().Get("/profiles_new.tsl")->status, 200); // only the path named
    service.setFault("/version", Fault{});
    EXPECT_EQ(client().Get("/version")->body, "0.2.0.80\r\n");

    service.setFault("/version", Fault::redirect("/profiles_new.tsl"));
    auto res = client().Get("/version");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 302);
    EXPECT_EQ(res->get_header_value("Location"), service.baseUrl() + "/profiles_new.tsl");
    auto follow = client();
    follow.set_follow_location(true);
    res = follow.Get("/version");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_TRUE(res->body.starts_with("All\r\nDigital Art \\ 2D\r\n"));
    service.setFault("/faq.html", Fault::redirect("http://elsewhere.test/x"));
    EXPECT_EQ(client().Get("/faq.html")->get_header_value("Location"), "http://elsewhere.test/x");

    service.clearFaults();
    service.setFault("/wallpapers/cat.tsl", Fault::setCookie("session=abc123"));
    res = client().Get("/wallpapers/cat.tsl");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Set-Cookie"), "session=abc123");
    EXPECT_TRUE(res->body.starts_with("all\r\n2d\r\n"));
    EXPECT_FALSE(client().Get("/version")->has_header("Set-Cookie"));
}

TEST_F(ServiceFaults, CloseWithoutResponseSendsNothingAndHolds)
{
    service.setFault("/wallpapers/cat.tsl", Fault::closeWithoutResponse(400));
    const auto raw = rawGet(service.port(), "/wallpapers/cat.tsl");
    EXPECT_EQ(raw.received, "");
    EXPECT_GE(raw.elapsedMs, 350);
    EXPECT_LT(raw.elapsedMs, 3000);
    auto res = client().Get("/wallpapers/cat.tsl");
    EXPECT_FALSE(res);
    // Other paths, and later the same one without its fault, answer as usual.
    EXPECT_EQ(client().Get("/version")->status, 200);
    service.setFault("/wallpapers/cat.tsl", Fault{});
    EXPECT_EQ(client().Get("/wallpapers/cat.tsl")->status, 200);
}

TEST_F(ServiceFaults, CutBodyAnnouncesAllAndSendsHalf)
{
    const auto& anime = service.categories().at(5);
    const std::string path = "/pictures/anime/" + anime.pictures.at(0).file;
    const std::string whole = client().Get(path)->body;
    ASSERT_GT(whole.size(), 1000u);
    service.setFault(path, Fault::cutBody());
    const auto raw = rawGet(service.port(), path);
    EXPECT_EQ(rawStatus(raw.received), 200);
    EXPECT_EQ(contentLength(raw.received), whole.size());
    EXPECT_EQ(bodyOf(raw.received), whole.substr(0, whole.size() / 2));
    auto res = client().Get(path);
    EXPECT_FALSE(res); // the client sees the connection end early
    // A path without a 200 answer is not cut.
    service.setFault("/wallpapers/nope", Fault::cutBody());
    EXPECT_EQ(client().Get("/wallpapers/nope")->status, 404);
}

TEST_F(ServiceFaults, RequestsAreRecordedWithTheirHeaders)
{
    service.setFault("/wallpapers/cat.tsl", Fault::setCookie("id=42"));
    auto c = client();
    ASSERT_TRUE(c.Get("/wallpapers/cat.tsl", {{"User-Agent", "Tapestron/0.2"}, {"Accept", "*/*"}}));
    ASSERT_TRUE(c.Get("/wallpapers/2d", {{"User-Agent", "Tapestron/0.2"}, {"Cookie", "id=42"}}));
    service.setFault("/version", Fault::closeWithoutResponse(0));
    c.Get("/version%20x", {{"Accept", "text/plain"}});
    c.Get("/version");

    const auto log = service.requests();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].method, "GET");
    EXPECT_EQ(log[0].path, "/wallpapers/cat.tsl");
    EXPECT_EQ(log[0].userAgent, "Tapestron/0.2");
    EXPECT_EQ(log[0].accept, "*/*");
    EXPECT_EQ(log[0].cookie, "");
    EXPECT_EQ(log[1].path, "/wallpapers/2d");
    EXPECT_EQ(log[1].cookie, "id=42");
    EXPECT_EQ(log[2].path, "/version x"); // decoded
    EXPECT_EQ(log[2].accept, "text/plain");
    EXPECT_EQ(log[3].path, "/version"); // recorded though never answered
    service.clearRequests();
    EXPECT_TRUE(service.requests().empty());
}

TEST_F(ServiceFaults, StopEndsHeldConnectionsAndTheServiceStartsAgain)
{
    EXPECT_THROW(service.start(), std::runtime_error);
    WallpaperService other;
    EXPECT_THROW(other.start(service.port()), std::runtime_error); // taken

    service.setFault("/version", Fault::closeWithoutResponse(20000));
    RawExchange held;
    std::thread waiting([&] { held = rawGet(service.port(), "/version"); });
    while (service.requests().empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto started = std::chrono::steady_clock::now();
    service.stop();
    waiting.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(held.received, "");
    EXPECT_FALSE(service.running());
    service.stop();

    service.start();
    EXPECT_TRUE(service.running());
    EXPECT_EQ(client().Get("/profiles_new.tsl")->status, 200);
}

TEST_F(ServiceFaults, BodyFaultsBreakTheAnswerEachInItsOwnWay)
{
    const std::string path = "/wallpapers/cat.tsl";
    const std::string whole = client().Get(path)->body;
    ASSERT_GT(whole.size(), 100u);

    service.setFault(path, Fault::serverError());
    EXPECT_EQ(client().Get(path)->status, 500);

    service.setFault(path, Fault::stall(300));
    auto raw = rawGet(service.port(), path);
    EXPECT_EQ(contentLength(raw.received), whole.size());
    EXPECT_EQ(bodyOf(raw.received), whole.substr(0, whole.size() / 2));
    EXPECT_GE(raw.elapsedMs, 250);

    service.setFault(path, Fault::hugeLength(0));
    raw = rawGet(service.port(), path);
    EXPECT_EQ(contentLength(raw.received), Fault::HugeLength);
    EXPECT_EQ(bodyOf(raw.received), whole);

    // 16 bytes every 20 ms: the whole body, slowly.
    service.setFault(path, Fault::trickle(20));
    raw = rawGet(service.port(), path);
    EXPECT_EQ(bodyOf(raw.received), whole);
    EXPECT_GE(raw.elapsedMs, static_cast<int>(whole.size() / Fault::TricklePiece - 1) * 20);

    service.setFault(path, Fault::reset());
    EXPECT_FALSE(client().Get(path));

    // Far more than the answer arrives, until the client stops reading.
    service.setFault(path, Fault::endlessBody());
    std::size_t received = 0;
    EXPECT_FALSE(client().Get(path, [&](const char*, std::size_t length) {
        received += length;
        return received < (1u << 20);
    }));
    EXPECT_GE(received, 1u << 20);
    service.clearFaults();
    EXPECT_EQ(client().Get(path)->body, whole) << "the service is well again";
}
