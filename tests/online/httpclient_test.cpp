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
        DownloadFile(http, url, target());
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
    http.setStallTimeout(milliseconds(400));
    ScriptedServer stalling({{0, okHead(10) + "abc"}, {10000, "defghij"}});
    EXPECT_LT(timedDownload(urlOf(stalling, "/x")), 3000);
    EXPECT_FALSE(exists());

    // Without a connect timeout, the stall limit also ends a connection attempt nobody answers.
    HttpClient fresh;
    fresh.setStallTimeout(milliseconds(400));
    const SilentPort silent;
    const auto started = Clock::now();
    DoDownload(fresh, local(silent.port()), target());
    EXPECT_LT(Clock::now() - started, milliseconds(2000));
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
    DownloadFile(http, urlOf(slow, "/x"), target());

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
        DownloadFile(http, urlOf(unannounced, "/x"), target());
    }
    EXPECT_EQ(readFileBytes(dir.file("target")), "12345");
    EXPECT_EQ(progress.begins, std::vector<std::int64_t>{0});
    EXPECT_EQ(progress.positions.back(), 5);

    progress.begins.clear();
    ScriptedServer huge({{0, okHead(5'000'000'000) + "12345"}});
    DownloadFile(http, urlOf(huge, "/x"), target());
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
        DownloadFile(http, urlOf(server, "/x"), target());

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
        DownloadFile(http, urlOf(slow, "/nested"), target("other"));
        EXPECT_FALSE(exists("other"));
        writeFileBytes(dir.file("other"), "0.1\r\n");
        EXPECT_EQ(FetchFirstLine(http, urlOf(slow, "/nested"), target("other")), "");
        EXPECT_FALSE(exists("other"));
        writeFileBytes(dir.file("new"), "old");
        DoDownload(http, urlOf(slow, "/nested"), target("new"));
    });
    DownloadFile(http, urlOf(slow, "/outer"), target());

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
    DownloadFile(http, urlOf(server, "/a b"), target());
    DownloadFile(http, urlOf(server, "/second"), target());
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
