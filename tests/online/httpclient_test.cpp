#include "online/download.h"
#include "rawserver.h"
#include "tempenv.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class RecordingProgress : public HttpProgress {
public:
    void workBegin(std::int64_t expectedTotal) override { begins.push_back(expectedTotal); }
    void work(std::int64_t bytesSoFar) override { positions.push_back(bytesSoFar); }

    std::vector<std::int64_t> begins;
    std::vector<std::int64_t> positions;
};

class HttpClientTest : public ::testing::Test {
protected:
    QString target(const std::string& name = "target") const
    {
        return QString::fromStdString(dir.file(name));
    }
    bool exists(const std::string& name = "target") const
    {
        return std::filesystem::exists(dir.file(name));
    }
    static QString local(int port, const std::string& path = "/x")
    {
        return QString::fromStdString("http://127.0.0.1:" + std::to_string(port) + path);
    }
    // How long DownloadFile took, in ms.
    long long timedDownload(const QString& url)
    {
        const auto started = Clock::now();
        DownloadFile(http, url, target(), DownloadKind::Text);
        return std::chrono::duration_cast<milliseconds>(Clock::now() - started).count();
    }

    TempDir dir;
    HttpClient http;
};

QString urlOf(const ScriptedServer& server, const std::string& path)
{
    return QString::fromStdString(server.url(path));
}

std::string okHead(std::size_t length)
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

// The request head as sorted header lines, the request line first.
std::vector<std::string> headLines(const std::string& head)
{
    std::vector<std::string> lines;
    std::istringstream in(head);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line != "\r")
            lines.push_back(line.substr(0, line.size() - (line.back() == '\r')));
    std::sort(lines.begin() + (lines.empty() ? 0 : 1), lines.end());
    return lines;
}

TEST_F(HttpClientTest, UnansweredConnectionGivesUpAfterTheConnectTimeout)
{
    writeFileBytes(dir.file("target"), "old");
    EXPECT_LT(timedDownload(local(refusingPort())), 3000);
    EXPECT_FALSE(exists());

    const SilentPort silent;
    writeFileBytes(dir.file("target"), "old");
    const long long waited = timedDownload(local(silent.port()));
    EXPECT_GE(waited, 900);
    EXPECT_LT(waited, 3000);
    EXPECT_FALSE(exists());

    // DoDownload keeps the timeout the last DownloadFile set.
    const auto started = Clock::now();
    DoDownload(http, local(silent.port()), target());
    EXPECT_LT(Clock::now() - started, milliseconds(3000));
    EXPECT_FALSE(exists());
}

TEST_F(HttpClientTest, SilenceLongerThanTheStallLimitFailsInAnyPhase)
{
    http.setLimits(DownloadKind::Text, {1000, 1024, milliseconds(400), {}});
    ScriptedServer stalling({{0, okHead(10) + "abc"}, {10000, "defghij"}});
    EXPECT_LT(timedDownload(urlOf(stalling, "/x")), 3000);
    EXPECT_FALSE(exists());

    // Without a connect timeout, the stall limit also ends a connection attempt nobody answers.
    HttpClient fresh;
    fresh.setLimits(DownloadKind::Text, {1000, 1024, milliseconds(400), {}});
    const SilentPort silent;
    const auto started = Clock::now();
    DoDownload(fresh, local(silent.port()), target());
    EXPECT_LT(Clock::now() - started, milliseconds(2000));
}

// A body of count pieces, one every pauseMs, after a head that announces no length.
std::vector<ScriptedServer::Step> trickle(int count, int pauseMs, const std::string& piece)
{
    std::vector<ScriptedServer::Step> script{{0, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"}};
    for (int i = 0; i < count; ++i)
        script.push_back({pauseMs, piece});
    return script;
}

TEST_F(HttpClientTest, TooSlowATransferFailsAndATextFileHasATimeLimitInAll)
{
    const milliseconds period(400);
    http.setLimits(DownloadKind::Picture, {1 << 20, 1024, period, {}});
    // 10 bytes every 50 ms is 200 bytes a second: going on, but too slowly.
    ScriptedServer slow(trickle(200, 50, std::string(10, 's')));
    const auto started = Clock::now();
    DownloadFile(http, urlOf(slow, "/x"), target(), DownloadKind::Picture);
    EXPECT_LT(Clock::now() - started, milliseconds(2000));
    EXPECT_FALSE(exists());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    // 20 KB a second is fast enough, but a text file must be whole within its total time.
    http.setLimits(DownloadKind::Text, {1 << 20, 1024, period, milliseconds(600)});
    ScriptedServer steady(trickle(30, 50, std::string(1000, 't')));
    const auto begun = Clock::now();
    DownloadFile(http, urlOf(steady, "/x"), target(), DownloadKind::Text);
    EXPECT_LT(Clock::now() - begun, milliseconds(1200));
    EXPECT_FALSE(exists());
    // A picture has no such limit: the same answer arrives whole.
    ScriptedServer again(trickle(30, 50, std::string(1000, 't')));
    DownloadFile(http, urlOf(again, "/x"), target(), DownloadKind::Picture);
    EXPECT_EQ(readFileBytes(dir.file("target")), std::string(30000, 't'));
}

TEST_F(HttpClientTest, ABodyPastTheSizeLimitIsRefusedOrCutOffAndNothingOfItKept)
{
    http.setLimits(DownloadKind::Text, {64 * 1024, 1024, milliseconds(5000), {}});
    // An announced length past the limit is refused before the body: the rest never comes.
    ScriptedServer announced({{0, okHead(64 * 1024 + 1) + "abc"}, {10000, "def"}});
    const auto started = Clock::now();
    DownloadFile(http, urlOf(announced, "/x"), target(), DownloadKind::Text);
    EXPECT_LT(Clock::now() - started, milliseconds(2000));
    EXPECT_FALSE(exists());

    // A body without a length is cut off where it passes the limit.
    ScriptedServer endless(trickle(100, 0, std::string(16 * 1024, 'e')));
    DownloadFile(http, urlOf(endless, "/x"), target(), DownloadKind::Text);
    EXPECT_FALSE(exists());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "no part of it under any name";

    // Up to the limit, the body is whole.
    ScriptedServer exact(trickle(4, 0, std::string(16 * 1024, 'x')));
    DownloadFile(http, urlOf(exact, "/x"), target(), DownloadKind::Text);
    EXPECT_EQ(readFileBytes(dir.file("target")).size(), 64u * 1024u);
}

TEST_F(HttpClientTest, TheDefaultLimitsAreEightMebibytesOfTextAndOneGibibyteOfPicture)
{
    using std::chrono::seconds;
    EXPECT_EQ(http.limits(DownloadKind::Text),
              (TransferLimits{8 << 20, 1024, seconds(30), seconds(60)}));
    EXPECT_EQ(http.limits(DownloadKind::Picture), (TransferLimits{1 << 30, 1024, seconds(30), {}}));

    const std::string eightMiB(8 << 20, 'b');
    ScriptedServer whole({{0, okHead(eightMiB.size()) + eightMiB}});
    DownloadFile(http, urlOf(whole, "/x"), target(), DownloadKind::Text);
    EXPECT_EQ(std::filesystem::file_size(dir.file("target")), eightMiB.size());

    for (const auto& [kind, length] : {std::pair{DownloadKind::Text, std::int64_t{8 << 20} + 1},
                                       std::pair{DownloadKind::Picture, std::int64_t{1} << 31}}) {
        ScriptedServer huge({{0, okHead(static_cast<std::size_t>(length)) + "abc"}, {10000, "d"}});
        const auto started = Clock::now();
        DownloadFile(http, urlOf(huge, "/x"), target(), kind);
        EXPECT_LT(Clock::now() - started, milliseconds(2000)) << length;
        EXPECT_FALSE(exists()) << length;
    }
}

TEST_F(HttpClientTest, SlowBodyKeepsThePumpRunningAndReportsProgress)
{
    const std::string chunk(1000, 'p');
    ScriptedServer slow(
        {{0, okHead(4000)}, {100, chunk}, {100, chunk}, {100, chunk}, {100, chunk}});
    RecordingProgress progress;
    int pumped = 0;
    http.setProgress(&progress);
    http.setPump([&] { ++pumped; });
    DownloadFile(http, urlOf(slow, "/x"), target(), DownloadKind::Text);

    EXPECT_EQ(readFileBytes(dir.file("target")), std::string(4000, 'p'));
    EXPECT_GE(pumped, 6); // 400 ms in slices of at most 50 ms
    EXPECT_EQ(progress.begins, std::vector<std::int64_t>{4000});
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_EQ(progress.positions.back(), 4000);
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    EXPECT_GT(progress.positions.size(), 2u);
}

TEST_F(HttpClientTest, ProgressTotalIsZeroWhenUnannouncedAndClampedWhenHuge)
{
    RecordingProgress progress;
    http.setProgress(&progress);
    {
        ScriptedServer unannounced({{0, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n12345"}});
        DownloadFile(http, urlOf(unannounced, "/x"), target(), DownloadKind::Text);
    }
    EXPECT_EQ(readFileBytes(dir.file("target")), "12345");
    EXPECT_EQ(progress.begins, std::vector<std::int64_t>{0});
    EXPECT_EQ(progress.positions.back(), 5);

    progress.begins.clear();
    ScriptedServer huge({{0, okHead(5'000'000'000) + "12345"}});
    DownloadFile(http, urlOf(huge, "/x"), target(), DownloadKind::Text);
    EXPECT_EQ(progress.begins, std::vector<std::int64_t>{2147483647});
    EXPECT_FALSE(exists()); // the body ended early
}

TEST_F(HttpClientTest, NothingIsUnderTheTargetNameUntilTheWholeBodyIsIn)
{
    for (const bool whole : {true, false}) {
        SCOPED_TRACE(whole ? "whole body" : "cut body");
        ScriptedServer server({{0, okHead(10) + "abcde"}, {300, whole ? "fghij" : ""}});
        writeFileBytes(dir.file("target"), "old");
        // What a program killed in the middle of the transfer would leave under the target name.
        int pumped = 0;
        bool seen = false;
        http.setPump([&] {
            ++pumped;
            seen = seen || exists();
        });
        DownloadFile(http, urlOf(server, "/x"), target(), DownloadKind::Text);

        EXPECT_GT(pumped, 2);
        EXPECT_FALSE(seen);
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            left.push_back(entry.path().filename().string());
        EXPECT_EQ(left, whole ? std::vector<std::string>{"target"} : std::vector<std::string>{});
        if (whole) {
            EXPECT_EQ(readFileBytes(dir.file("target")), "abcdefghij");
        }
    }
}

TEST_F(HttpClientTest, RequestFromInsideThePumpFailsAndLeavesNoTarget)
{
    ScriptedServer slow({{300, okHead(2) + "ok"}});
    bool asked = false;
    http.setPump([&] {
        if (asked)
            return;
        asked = true;
        EXPECT_TRUE(http.busy());
        // An old file would pass for the answer to a request that was never sent.
        writeFileBytes(dir.file("other"), "old");
        DownloadFile(http, urlOf(slow, "/nested"), target("other"), DownloadKind::Text);
        EXPECT_FALSE(exists("other"));
        writeFileBytes(dir.file("other"), "0.1\r\n");
        EXPECT_EQ(FetchFirstLine(http, urlOf(slow, "/nested"), target("other")), "");
        EXPECT_FALSE(exists("other"));
        writeFileBytes(dir.file("new"), "old");
        DoDownload(http, urlOf(slow, "/nested"), target("new"));
    });
    DownloadFile(http, urlOf(slow, "/outer"), target(), DownloadKind::Text);

    EXPECT_TRUE(asked);
    EXPECT_FALSE(http.busy());
    EXPECT_EQ(readFileBytes(dir.file("target")), "ok");
    EXPECT_FALSE(exists("other"));
    EXPECT_FALSE(exists("new"));
    ASSERT_EQ(slow.requests().size(), 1u);
    EXPECT_TRUE(slow.requests()[0].starts_with("GET /outer "));
}

TEST_F(HttpClientTest, WireCarriesOnlyTheProgramsHeadersAndItsCookie)
{
    ScriptedServer server(
        {{0, "HTTP/1.1 200 OK\r\nSet-Cookie: n=v\r\nContent-Length: 2\r\n\r\nok"}});
    DownloadFile(http, urlOf(server, "/a b"), target(), DownloadKind::Text);
    DownloadFile(http, urlOf(server, "/second"), target(), DownloadKind::Text);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string host = "Host: 127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(headLines(requests[0]),
              (std::vector<std::string>{"GET /a%20b HTTP/1.1", "Accept: text/html, */*", host,
                                        "User-Agent: Tapestron"}));
    EXPECT_EQ(headLines(requests[1]),
              (std::vector<std::string>{"GET /second HTTP/1.1", "Accept: text/html, */*",
                                        "Cookie: n=v", host, "User-Agent: Tapestron"}));
}

} // namespace
