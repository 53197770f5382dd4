#include "online/download.h"
#include "service.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <QString>

#include <chrono>
#include <filesystem>

namespace {

using Clock = std::chrono::steady_clock;

class Download : public ::testing::Test {
protected:
    void SetUp() override { service.start(); }

    QString url(const std::string& path) const
    {
        return QString::fromStdString(service.baseUrl() + path);
    }
    QString target(const std::string& name = "target") const
    {
        return QString::fromStdString(dir.file(name));
    }
    bool exists(const std::string& name = "target") const
    {
        return std::filesystem::exists(dir.file(name));
    }
    std::string catalog() const
    {
        std::string body;
        for (const auto& category : service.categories())
            body += category.code + "\r\n";
        return body;
    }

    WallpaperService service;
    TempDir dir;
    HttpClient http;
};

TEST_F(Download, SuccessLeavesExactlyTheBodyInPlaceOfTheOldContent)
{
    writeFileBytes(dir.file("target"), std::string(100000, 'x'));
    DownloadFile(http, url("/wallpapers/cat.tsl"), target(), DownloadKind::Text);
    EXPECT_EQ(readFileBytes(dir.file("target")), catalog());

    writeFileBytes(dir.file("target"), std::string(100000, 'x'));
    DoDownload(http, url("/wallpapers/cat.tsl"), target());
    EXPECT_EQ(readFileBytes(dir.file("target")), catalog());
}

TEST_F(Download, FirstLineEndsAtAnyLineEnd)
{
    service.setVersion("0.2.0.81\r\n0.2.0.80");
    EXPECT_EQ(FetchFirstLine(http, url("/version"), target()), "0.2.0.81");
    EXPECT_EQ(readFileBytes(dir.file("target")), "0.2.0.81\r\n0.2.0.80\r\n"); // the file stays
    service.setVersion("1.5\n2");
    EXPECT_EQ(FetchFirstLine(http, url("/version"), target()), "1.5");
    service.setVersion("1.6\r2");
    EXPECT_EQ(FetchFirstLine(http, url("/version"), target()), "1.6");
}

TEST_F(Download, EmptyBodyGivesAnEmptyFileAndAnEmptyFirstLine)
{
    WallpaperService empty{std::vector<ServiceCategory>{}};
    empty.start();
    const QString list = QString::fromStdString(empty.baseUrl() + "/wallpapers/cat.tsl");
    writeFileBytes(dir.file("target"), "old");
    DownloadFile(http, list, target(), DownloadKind::Text);
    ASSERT_TRUE(exists());
    EXPECT_EQ(readFileBytes(dir.file("target")), "");
    EXPECT_EQ(FetchFirstLine(http, list, target("line")), "");
    EXPECT_TRUE(exists("line"));
}

TEST_F(Download, ErrorAnswerLeavesNoTargetEvenWhereAnOldOneWas)
{
    service.setFault("/version", Fault::notFound());
    writeFileBytes(dir.file("target"), "old");
    DownloadFile(http, url("/version"), target(), DownloadKind::Text);
    EXPECT_FALSE(exists());

    // The error page is not taken for the body, nor the old file for the answer.
    writeFileBytes(dir.file("line"), "9.9.9.9\r\n");
    EXPECT_EQ(FetchFirstLine(http, url("/version"), target("line")), "");
    EXPECT_FALSE(exists("line"));
    writeFileBytes(dir.file("preview"), "old");
    DoDownload(http, url("/version"), target("preview"));
    EXPECT_FALSE(exists("preview"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(Download, RedirectIsAFailureAndNotFollowed)
{
    service.setFault("/version", Fault::redirect("/profiles_new.tsl"));
    DownloadFile(http, url("/version"), target(), DownloadKind::Text);
    EXPECT_FALSE(exists());
    EXPECT_EQ(FetchFirstLine(http, url("/version"), target()), "");
    for (const auto& request : service.requests())
        EXPECT_EQ(request.path, "/version");
}

TEST_F(Download, CutBodyIsAFailure)
{
    service.setFault("/wallpapers/cat.tsl", Fault::cutBody());
    DownloadFile(http, url("/wallpapers/cat.tsl"), target(), DownloadKind::Text);
    EXPECT_FALSE(exists());

    DoDownload(http, url("/wallpapers/cat.tsl"), target());
    EXPECT_FALSE(exists());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "no half body under any name";
}

TEST_F(Download, ServerThatClosesWithoutAnswerIsWaitedForThenAFailure)
{
    // No read limit below the stall guard: the client waits for the server's close.
    service.setFault("/version", Fault::closeWithoutResponse(1500));
    writeFileBytes(dir.file("target"), "old");
    const auto started = Clock::now();
    DownloadFile(http, url("/version"), target(), DownloadKind::Text);
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(1400));
    EXPECT_FALSE(exists());
}

TEST_F(Download, UncreatableTargetSendsNoRequest)
{
    const QString missing = QString::fromStdString(dir.file("missing/target"));
    DownloadFile(http, url("/version"), missing, DownloadKind::Text);
    EXPECT_EQ(FetchFirstLine(http, url("/version"), missing), "");
    DoDownload(http, url("/version"), missing);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));

    // The one request the service sees is the control that it records requests at all.
    DownloadFile(http, url("/version"), target(), DownloadKind::Text);
    ASSERT_EQ(service.requests().size(), 1u);
    EXPECT_TRUE(exists());
}

TEST_F(Download, CookieOfOneAnswerGoesBackWithTheNextRequests)
{
    // Without a Path a cookie belongs to the folder of the answer that set it, as in browsers.
    service.setFault("/wallpapers/cat.tsl", Fault::setCookie("folder=1"));
    service.setFault("/version", Fault::setCookie("session=abc123; Path=/"));
    DownloadFile(http, url("/wallpapers/cat.tsl"), target(), DownloadKind::Text);
    DownloadFile(http, url("/version"), target(), DownloadKind::Text);
    DownloadFile(http, url("/wallpapers/2d"), target(), DownloadKind::Text);
    FetchFirstLine(http, url("/profiles_new.tsl"), target());
    const auto log = service.requests();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].cookie, "");
    EXPECT_EQ(log[1].cookie, "");
    EXPECT_EQ(log[2].cookie, "folder=1; session=abc123");
    EXPECT_EQ(log[3].cookie, "session=abc123");

    // The jar belongs to its client; nothing was kept anywhere a new one would read it from.
    HttpClient fresh;
    DownloadFile(fresh, url("/version"), target(), DownloadKind::Text);
    EXPECT_EQ(service.requests().back().cookie, "");
}

TEST_F(Download, ProxyEnvironmentIsIgnored)
{
    const ScopedEnv http1("http_proxy", "http://127.0.0.1:1");
    const ScopedEnv http2("HTTP_PROXY", "http://127.0.0.1:1");
    const ScopedEnv all("ALL_PROXY", "http://127.0.0.1:1");
    EXPECT_EQ(FetchFirstLine(http, url("/version"), target()), "0.2.0.80");
}

TEST_F(Download, OnlyPlainWebAddressesAreFetched)
{
    const std::string host = "127.0.0.1:" + std::to_string(service.port());
    writeFileBytes(dir.file("secret"), "secret\r\n");
    const std::vector<std::string> refused{"file://" + dir.file("secret"),
                                           "ftp://" + host + "/version",
                                           host + "/version",
                                           "http://user:password@" + host + "/version",
                                           "/version",
                                           ""};
    for (const std::string& address : refused) {
        SCOPED_TRACE(address);
        const QString text = QString::fromStdString(address);
        EXPECT_EQ(FetchFirstLine(http, text, target()), "");
        DoDownload(http, text, target());
        EXPECT_FALSE(exists());
    }
    DownloadFile(http, url("/version"), target(), DownloadKind::Text); // the control
    ASSERT_EQ(service.requests().size(), 1u);
    EXPECT_TRUE(exists());
}

} // namespace
