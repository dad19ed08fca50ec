// The web image downloader against a loopback server: file name and type from the
// response, percent, and every way a download can end.
#include <gtest/gtest.h>

#include <memory>

#include "Network/Codepage.h"
#include "Network/WinINetDowner.h"
#include "Network/WireText.h"
#include "DownloadSink.h"
#include "support/LoopbackServer.h"
#include "support/MessagePump.h"

namespace {

using test::DownloadSink;
using test::HttpResponse;
using test::LoopbackServer;
using test::ServerScript;

#if defined(SF_WIDE)
TString T(const std::wstring& w) { return w; }
#else
TString T(const std::wstring& w) { return Network::Codepage::AnsiFromWide(w); }
#endif

class DownloaderTest : public testing::Test {
protected:
    // Downloads path from the loopback server answering response; waits for the end.
    void Fetch(const std::string& response, const std::wstring& path = L"/photos/cat.jpg")
    {
        ServerScript script;
        script.response = response;
        Fetch(script, path);
    }
    void Fetch(const ServerScript& script, const std::wstring& path = L"/photos/cat.jpg", DWORD timeoutMs = 0,
               int waitMs = 20000)
    {
        Fetch(server, script, path, timeoutMs, waitMs);
    }
    void Fetch(LoopbackServer& server, const ServerScript& script, const std::wstring& path, DWORD timeoutMs,
               int waitMs)
    {
        sink = std::make_unique<DownloadSink>();
        out = std::make_unique<Network::MemoryByteStream>();
        downer = std::make_unique<WinINetDowner>();
        downer->SetEventSink(sink.get());
        if (timeoutMs) downer->SetTimeout(timeoutMs);
        server.SetScript(script);
        ASSERT_TRUE(downer->Download(T(server.Url(path)), out.get()));
        ASSERT_TRUE(sink->WaitFinal(waitMs));
        ASSERT_EQ(sink->finals, 1);
    }

    LoopbackServer server;
    std::unique_ptr<DownloadSink> sink;
    std::unique_ptr<Network::MemoryByteStream> out;
    std::unique_ptr<WinINetDowner> downer;
};

TEST_F(DownloaderTest, DownloadsTheImageWithNameTypeAndSize)
{
    const std::string body(10000, 'J');
    Fetch(HttpResponse(200, "Content-Type: image/jpeg\r\n", body), L"/photos/cat.jpg?size=big");
    EXPECT_EQ(sink->completes, 1);
    EXPECT_EQ(sink->lastId, -1);
    EXPECT_EQ(out->Bytes(), body);
    EXPECT_EQ(downer->GetFileSize(), body.size());
    EXPECT_EQ(downer->GetPercent(), 100);
    EXPECT_EQ(downer->GetFileName(), SF_T("cat.jpg"));
    EXPECT_EQ(downer->GetImageType(), 3);
    EXPECT_EQ(downer->GetStatusCode(), 200);
    EXPECT_EQ(sink->sizeKnown, 1);
    EXPECT_EQ(sink->nameKnown, 0);

    ASSERT_TRUE(server.WaitForRequests(1));
    const std::string head = test::RequestHead(server.Requests().at(0));
    EXPECT_EQ(head.rfind("GET /photos/cat.jpg?size=big HTTP/1.1\r\n", 0), 0u) << head;
    EXPECT_NE(head.find("User-Agent: FileDownloader\r\n"), std::string::npos) << head;
}

TEST_F(DownloaderTest, ContentDispositionRenamesTheFile)
{
    const struct {
        const char* header;
        const wchar_t* name;
        int known;
    } cases[] = {
        {"Content-Disposition: attachment; filename=\"x.png\"\r\n", L"x.png", 1},
        {"Content-Disposition: inline; filename=\"../../etc/y.gif\"\r\n", L"y.gif", 1},  // no folders from servers
        {"Content-Disposition: attachment; filename=\"\"\r\n", L"cat.jpg", 0},
        {"Content-Disposition: attachment; filename=plain.png\r\n", L"cat.jpg", 0},
    };
    for (const auto& c : cases) {
        Fetch(HttpResponse(200, c.header, "data"));
        EXPECT_EQ(downer->GetFileName(), T(c.name)) << c.header;
        EXPECT_EQ(sink->nameKnown, c.known) << c.header;
        EXPECT_EQ(sink->completes, 1);
    }
}

TEST_F(DownloaderTest, ImageTypeFromContentType)
{
    const struct {
        const char* type;
        int code;
    } cases[] = {{"image/bmp", 1},  {"image/gif", 2},  {"IMAGE/JPEG", 3}, {"image/png", 4}, {"image/tiff", 6},
                 {"image/jpeg; charset=binary", 0}, {"text/html", 0}, {"image/x-png", 0}};
    for (const auto& c : cases) {
        Fetch(HttpResponse(200, std::string("Content-Type: ") + c.type + "\r\n", "data"));
        EXPECT_EQ(downer->GetImageType(), c.code) << c.type;
    }
    Fetch(HttpResponse(200, "", "data"));
    EXPECT_EQ(downer->GetImageType(), 0) << "no Content-Type";
}

TEST_F(DownloaderTest, WithoutContentLengthCompletesEmpty)
{
    Fetch(HttpResponse(200, "Content-Type: image/png\r\n", "not read", false));
    EXPECT_EQ(sink->completes, 1);
    EXPECT_EQ(out->Bytes(), "");
    EXPECT_EQ(downer->GetFileSize(), 0u);
    EXPECT_EQ(downer->GetPercent(), 0);
    EXPECT_EQ(sink->sizeKnown, 0);
}

TEST_F(DownloaderTest, ShortBodyIsAReadError)
{
    Fetch("HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 5000\r\nConnection: close\r\n\r\n" +
          std::string(1200, 'G'));
    EXPECT_EQ(sink->errors, 1);
    EXPECT_EQ(sink->lastError, WinINetDowner::ReadError);
    EXPECT_EQ(out->Bytes(), std::string(1200, 'G')) << "what arrived is kept";
    EXPECT_EQ(downer->GetPercent(), 24);
}

TEST_F(DownloaderTest, AnnouncedSizeOverTheLimitIsRefusedUnread)
{
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: " +
                             std::to_string(WinINetDowner::kSizeLimit + 1) + "\r\nConnection: close\r\n\r\n";
    Fetch(head + std::string(4096, 'P'));
    EXPECT_EQ(sink->errors, 1);
    EXPECT_EQ(sink->lastError, WinINetDowner::TooLarge);
    EXPECT_EQ(out->Bytes(), "");

    // Exactly at the limit is still a download.
    const std::string body(WinINetDowner::kSizeLimit, 'L');
    Fetch(HttpResponse(200, "Content-Type: image/png\r\n", body));
    EXPECT_EQ(sink->completes, 1);
    EXPECT_EQ(out->Bytes().size(), body.size());
}

TEST_F(DownloaderTest, AResetConnectionEndsAsAReadErrorKeepingOnlyRealBytes)
{
    // One whole read block arrives, then part of the next, then the connection is reset
    // while that read waits for the rest.
    const std::string first(3072, 'G'), part(1000, 'H');
    ServerScript script;
    script.response = "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 50000\r\n\r\n" + first + part;
    script.responseChunk = script.response.size();
    script.responsePauseMs = 300;
    script.resetAfterResponse = true;
    Fetch(script);
    EXPECT_EQ(sink->errors, 1);
    EXPECT_EQ(sink->lastError, WinINetDowner::ReadError);
    EXPECT_EQ(out->Bytes(), first) << "the failed read adds nothing";
    EXPECT_EQ(downer->GetBytesReceived(), first.size());
}

TEST_F(DownloaderTest, AServerThatStopsAnsweringTimesOut)
{
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 100000\r\n\r\n";
    const struct {
        const char* name;
        std::size_t firstPiece;
    } cases[] = {
        {"before the head is complete", 20},
        {"in the middle of the body", head.size() + 1000},
    };
    // A server each: a stalled one serves nobody else until its pause is over.
    LoopbackServer servers[std::size(cases)];
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ServerScript script;
        script.response = head + std::string(99000, 'x');
        script.responseChunk = cases[i].firstPiece;
        script.responsePauseMs = 5000;
        test::Stopwatch clock;
        Fetch(servers[i], script, L"/stall.jpg", 600, 4000);
        EXPECT_EQ(sink->errors, 1) << cases[i].name;
        EXPECT_EQ(sink->lastError, WinINetDowner::TimedOut) << cases[i].name;
        EXPECT_LT(clock.Elapsed(), 4000u) << "well before the server goes on: " << cases[i].name;
        downer.reset();
    }
}

TEST_F(DownloaderTest, RefusedConnectionIsAnError)
{
    sink = std::make_unique<DownloadSink>();
    out = std::make_unique<Network::MemoryByteStream>();
    downer = std::make_unique<WinINetDowner>();
    downer->SetEventSink(sink.get());
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(LoopbackServer::UnusedPort()) + L"/a.jpg";
    ASSERT_TRUE(downer->Download(T(url), out.get()));
    ASSERT_TRUE(sink->WaitFinal());
    EXPECT_EQ(sink->completes, 0);
    EXPECT_EQ(sink->lastError, WinINetDowner::NoRequest);
}

TEST_F(DownloaderTest, PercentIsTruncated)
{
    const struct {
        std::uint64_t received, size;
        int percent;
    } cases[] = {{1536, 2048, 75}, {0, 0, 0}, {5, 0, 0}, {2048, 2048, 100}, {2047, 2048, 99}, {1, 3, 33}};
    for (const auto& c : cases) EXPECT_EQ(WinINetDowner::Percent(c.received, c.size), c.percent);
}

TEST_F(DownloaderTest, DestroyedWhileTheServerStallsRaisesNothing)
{
    sink = std::make_unique<DownloadSink>();
    out = std::make_unique<Network::MemoryByteStream>();
    downer = std::make_unique<WinINetDowner>();
    downer->SetEventSink(sink.get());
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 100000\r\n\r\n";
    ServerScript script{head + std::string(1000, 'x') + std::string(99000, 'y')};
    script.responseChunk = head.size() + 1000;
    script.responsePauseMs = 1500;  // then nothing for a while
    server.SetScript(script);
    ASSERT_TRUE(downer->Download(T(server.Url(L"/stall.jpg")), out.get()));
    ::Sleep(500);
    // Windows gives up the read when the request is closed; Wine finishes it first. Either
    // way the downloader goes only once WinINet is done with it, and raises nothing.
    downer.reset();
    EXPECT_EQ(sink->finals, 0) << "a stopped download raises no final event";
}

}  // namespace
