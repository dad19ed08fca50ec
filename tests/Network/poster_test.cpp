// The poster against a loopback server: the bytes on the wire, the final event for every
// kind of answer, progress pacing, cancelling, and a poster destroyed mid-upload.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "Biz/ConfigMgr.h"
#include "Biz/Remark.h"
#include "Network/WinINetPoster.h"
#include "Network/Codepage.h"
#include "Network/WireText.h"
#include "TransferSink.h"
#include "support/LoopbackServer.h"

namespace {

using test::HttpResponse;
using test::LoopbackServer;
using test::ServerScript;

std::string Wire(const TString& text) { return Network::AnsiBytes(text); }

#if defined(SF_WIDE)
TString T(const std::wstring& w) { return w; }
#else
TString T(const std::wstring& w) { return Network::Codepage::AnsiFromWide(w); }
#endif

std::string Bytes(std::size_t n, unsigned seed = 1)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen());
    return s;
}

std::string Gbk(const wchar_t* text) { return Network::Codepage::AnsiFromWide(text); }
std::string Utf8(const wchar_t* text) { return Network::Codepage::Utf8FromWide(text); }

// About 2 MB/s. Uploads well beyond the socket buffers (up to 4 MiB on Linux) keep the
// worker writing for seconds.
constexpr int kSlowBuffer = 65536;
ServerScript SlowReader()
{
    ServerScript script{HttpResponse(200, "", "ok")};
    script.readChunk = 65536;
    script.pauseMs = 30;
    return script;
}

class PosterTest : public testing::Test {
protected:
    void SetUp() override
    {
        ConfigMgr::Instance()->ResetToDefaults();
        poster = std::make_unique<WinINetPoster>();
        poster->SetEventSink(&sink);
        poster->SetUrl(T(server.Url(L"/up.php")));
    }
    void TearDown() override { ConfigMgr::Instance()->ResetToDefaults(); }

    // Posts bytes under a file name and waits for the final event.
    bool PostAndWait(const std::string& bytes, const TString& name = SF_T("a.jpg"), int id = 3)
    {
        stream = std::make_unique<Network::MemoryByteStream>(bytes);
        if (!poster->Post(id, stream.get(), name)) return false;
        return sink.WaitFinal();
    }
    // Starts a 16 MB post to a server that reads slowly, and waits for its first progress.
    void StartBigPostTo(LoopbackServer& slow)
    {
        slow.SetScript(SlowReader());
        poster->SetUrl(T(slow.Url(L"/up.php")));
        stream = std::make_unique<Network::MemoryByteStream>(Bytes(16000000));
        ASSERT_TRUE(poster->Post(5, stream.get(), SF_T("big.jpg")));
        ASSERT_TRUE(sink.WaitProgress());
    }
    // The body the poster should have sent for bytes.
    std::string ExpectedBody(const std::string& bytes)
    {
        return Wire(poster->GetForm().GetFieldsText()) + bytes + "\r\n" + Wire(poster->GetForm().GetEndText());
    }

    LoopbackServer server;
    test::TransferSink sink;
    std::unique_ptr<Network::MemoryByteStream> stream;
    std::unique_ptr<WinINetPoster> poster;
};

TEST_F(PosterTest, SendsTheFormAndFileByteForByte)
{
    server.SetScript({HttpResponse(200, "Content-Type: text/html; charset=utf-8\r\n", Utf8(L"已保存 a.jpg"))});
    poster->SetUrl(T(server.Url(L"/dir/up.php?uid=7#frag")));
    auto& form = poster->GetForm();
    form.AddFormField(SF_T("uid"), SF_T("7"));
    form.AddFormField(SF_T("remark"), EncodeRemark(SF_T("abc")));
    const std::string file = Bytes(5000);
    ASSERT_TRUE(PostAndWait(file, SF_T("IMG_0001.jpg")));

    EXPECT_EQ(sink.completes, 1);
    EXPECT_EQ(sink.ids.back(), 3);
    ASSERT_TRUE(server.WaitForRequests(1));
    const std::string raw = server.Requests().at(0);
    const std::string head = test::RequestHead(raw), body = test::RequestBody(raw);
    EXPECT_EQ(head.rfind("POST /dir/up.php HTTP/1.1\r\n", 0), 0u) << head;  // no query string, no fragment
    EXPECT_EQ(body, ExpectedBody(file));
    EXPECT_EQ(body.size(), poster->GetForm().GetContentLength());
    EXPECT_NE(head.find("Content-Length: " + std::to_string(body.size()) + "\r\n"), std::string::npos) << head;
    for (const char* line : {"Accept: application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;q=0.8,image/png,*/*;q=0.5\r\n",
                             "multipart/form-data;boundary=---------------------------7da1d41060a1a\r\n",
                             "Accept-Language: zh-cn\r\n",
                             "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\n",
                             "Cache-Control: no-cache\r\n"})
        EXPECT_NE(head.find(line), std::string::npos) << line << "\n" << head;

    EXPECT_EQ(poster->GetStatusCode(), 200u);
    EXPECT_EQ(poster->GetPostState(), HttpPoster::Connected | HttpPoster::DataSent);
    EXPECT_EQ(Wire(poster->GetResponseCharset()), "utf-8");
    EXPECT_EQ(poster->GetResponse(), T(L"已保存 a.jpg"));
    EXPECT_EQ(poster->GetFileSize(), 5000);
    EXPECT_TRUE(sink.progress.empty()) << "a post under a second reports no progress";
}

TEST_F(PosterTest, FileSizesAtTheBlockEdges)
{
    server.SetScript({HttpResponse(200, "", "ok")});
    for (std::size_t size : {0u, 1u, 511u, 512u, 513u, 1024u}) {
        test::TransferSink fresh;
        poster->SetEventSink(&fresh);
        poster->GetForm().Clear();
        stream = std::make_unique<Network::MemoryByteStream>(Bytes(size, static_cast<unsigned>(size)));
        ASSERT_TRUE(poster->Post(1, stream.get(), SF_T("f.png")));
        ASSERT_TRUE(fresh.WaitFinal()) << size;
        EXPECT_EQ(fresh.completes, 1) << size;
    }
    ASSERT_TRUE(server.WaitForRequests(6));
    const auto requests = server.Requests();
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const std::size_t size = std::vector<std::size_t>{0, 1, 511, 512, 513, 1024}[i];
        const std::string body = test::RequestBody(requests[i]);
        EXPECT_EQ(body, ExpectedBody(Bytes(size, static_cast<unsigned>(size)))) << size;
    }
}

TEST_F(PosterTest, FinalEventAndResponseTextPerAnswer)
{
    const std::string gbk = Gbk(L"已保存"), utf8 = Utf8(L"已保存");
#if defined(SF_WIDE)
    const TString mixedCase = L"已保存";  // the control finds CharSet=UTF-8 in any case
    const char* const mixedCharset = "utf-8";
#else
    const TString mixedCase = utf8;  // the plug-in's search is case-sensitive: bytes kept as sent
    const char* const mixedCharset = "gb2312";
#endif
    const struct {
        const char* what;
        std::string response;
        int error;  // -1: completed
        TString text;
        const char* charset;
    } cases[] = {
        {"utf-8", HttpResponse(200, "Content-Type: text/plain; charset=utf-8\r\n", utf8), -1, T(L"已保存"), "utf-8"},
        {"gbk", HttpResponse(200, "Content-Type: text/plain; charset=GBK\r\n", gbk), -1, T(L"已保存"), "gb2312"},
        {"no charset", HttpResponse(200, "", gbk), -1, T(L"已保存"), "gb2312"},
        {"mixed case", HttpResponse(200, "Content-Type: text/plain; CharSet=UTF-8\r\n", utf8), -1, mixedCase,
         mixedCharset},
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", -1, SF_T(""), nullptr},
        {"empty", HttpResponse(200, "", ""), -1, SF_T(""), nullptr},
        {"zero byte", HttpResponse(200, "", std::string("ab\0cd", 5)), -1, SF_T("ab"), nullptr},
        {"500", HttpResponse(500, "", "boom"), 2, SF_T("boom"), nullptr},
        {"302", HttpResponse(302, "", "moved"), 2, SF_T("moved"), nullptr},
        {"404 without length", HttpResponse(404, "", "gone", false), 2, SF_T(""), nullptr},
    };
    for (const auto& c : cases) {
        test::TransferSink fresh;
        poster->SetEventSink(&fresh);
        server.SetScript({c.response});
        stream = std::make_unique<Network::MemoryByteStream>(Bytes(700));
        ASSERT_TRUE(poster->Post(9, stream.get(), SF_T("p.gif")));
        ASSERT_TRUE(fresh.WaitFinal()) << c.what;
        EXPECT_EQ(fresh.finals, 1) << c.what;
        if (c.error < 0) {
            EXPECT_EQ(fresh.completes, 1) << c.what;
        } else {
            EXPECT_EQ(fresh.lastError, c.error) << c.what;
        }
        EXPECT_EQ(poster->GetResponse(), c.text) << c.what;
        if (c.charset) {
            EXPECT_EQ(Wire(poster->GetResponseCharset()), c.charset) << c.what;
        }
    }
}

TEST_F(PosterTest, ReportsProgressAtMostOncePerSecondWhileTheServerReadsSlowly)
{
    LoopbackServer slow(kSlowBuffer);
    slow.SetScript(SlowReader());
    poster->SetUrl(T(slow.Url(L"/up.php")));
    const std::string file = Bytes(8000000);
    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(PostAndWait(file));
    const DWORD elapsed = ::GetTickCount() - start;

    EXPECT_EQ(sink.completes, 1);
    ASSERT_GE(sink.progress.size(), 1u) << elapsed << " ms";
    EXPECT_LE(sink.progress.size(), elapsed / 1000 + 1);
    std::uint32_t last = 0;
    for (std::size_t i = 0; i < sink.progress.size(); ++i) {
        const auto& p = sink.progress[i];
        EXPECT_GT(p.bytes, last);
        EXPECT_LE(p.bytes, file.size());
        EXPECT_TRUE(p.bytes % 512 == 0 || p.bytes == file.size());
        EXPECT_FALSE(p.speed.empty());
        if (i > 0) {
            EXPECT_GE(p.tick - sink.progress[i - 1].tick, 950u);
        }
        last = p.bytes;
    }
    EXPECT_EQ(sink.ids.front(), 3);
    ASSERT_TRUE(slow.WaitForRequests(1));
    EXPECT_EQ(test::RequestBody(slow.Requests().at(0)), ExpectedBody(file));
}

TEST_F(PosterTest, CancelDuringTheFileRaisesNothingAndTheNextPostStartsAfresh)
{
    LoopbackServer slow(kSlowBuffer);
    ASSERT_NO_FATAL_FAILURE(StartBigPostTo(slow));
    poster->Cancel();
    poster->Cancel();  // a second cancel finds the handle gone
    EXPECT_FALSE(sink.WaitFinal(2000));
    ASSERT_TRUE(slow.WaitForRequests(1));
    EXPECT_LT(test::RequestBody(slow.Requests().at(0)).size(), 16000000u);

    // Counters start from zero again and the next file goes through.
    test::TransferSink next;
    poster->SetEventSink(&next);
    poster->SetUrl(T(server.Url(L"/up.php")));
    server.SetScript({HttpResponse(200, "", "second")});
    poster->GetForm().Clear();
    stream = std::make_unique<Network::MemoryByteStream>(Bytes(100));
    ASSERT_TRUE(poster->Post(6, stream.get(), SF_T("small.jpg")));
    ASSERT_TRUE(next.WaitFinal());
    EXPECT_EQ(next.completes, 1);
    EXPECT_EQ(poster->GetFileSize(), 100);
    EXPECT_EQ(poster->GetResponse(), SF_T("second"));
    EXPECT_EQ(sink.finals, 0);
}

TEST_F(PosterTest, DestroyingThePosterMidUploadWaitsForItsWorker)
{
    LoopbackServer slow(kSlowBuffer);
    ASSERT_NO_FATAL_FAILURE(StartBigPostTo(slow));
    const std::size_t before = sink.progress.size();
    poster.reset();  // must not return while the worker still uses the poster
    stream.reset();
    ::Sleep(1500);
    EXPECT_EQ(sink.finals, 0);
    EXPECT_LE(sink.progress.size(), before + 1);
}

TEST_F(PosterTest, RefusedConnectionFailsAtTheFirstWrite)
{
    // Nothing listens: the head cannot be sent, so the post ends as a write failure.
    poster->SetUrl(T(L"http://127.0.0.1:" + std::to_wstring(LoopbackServer::UnusedPort()) + L"/up.php"));
    ASSERT_TRUE(PostAndWait(Bytes(100)));
    EXPECT_EQ(sink.finals, 1);
    EXPECT_EQ(sink.lastError, HttpPoster::WriteError);
    EXPECT_EQ(poster->GetPostState(), HttpPoster::Failed);
    EXPECT_EQ(poster->GetResponse(), T(L"向服务器发送请求头失败，请检查URL是否正确。"));

    // The next post starts from zero and replaces the text once it reads a response.
    test::TransferSink next;
    poster->SetEventSink(&next);
    server.SetScript({HttpResponse(200, "", "fine")});
    poster->SetUrl(T(server.Url(L"/up.php")));
    poster->GetForm().Clear();
    stream = std::make_unique<Network::MemoryByteStream>(Bytes(10));
    ASSERT_TRUE(poster->Post(4, stream.get(), SF_T("a.jpg")));
    ASSERT_TRUE(next.WaitFinal());
    EXPECT_EQ(next.completes, 1);
    EXPECT_EQ(poster->GetResponse(), SF_T("fine"));
}

TEST_F(PosterTest, AddressWithoutHostFailsToConnect)
{
    poster->SetUrl(SF_T("not an address"));
    ASSERT_TRUE(PostAndWait(Bytes(10)));
    EXPECT_EQ(sink.lastError, HttpPoster::ConnectError);
    EXPECT_EQ(poster->GetPostState(), HttpPoster::Failed);
    EXPECT_EQ(poster->GetResponse(), T(L"连接服务器失败，请检查URL是否正确。"));
}

TEST_F(PosterTest, ServerHangingUpMidFileIsAWriteFailure)
{
    ServerScript script;
    script.closeAfterBodyBytes = 1000;
    server.SetScript(script);
    ASSERT_TRUE(PostAndWait(Bytes(8000000)));
    EXPECT_EQ(sink.finals, 1);
    EXPECT_EQ(sink.lastError, HttpPoster::WriteError);
    EXPECT_EQ(poster->GetResponse(), SF_T("")) << "no response was read";
}

TEST_F(PosterTest, ResponseIsReadWholeButBounded)
{
    // A body that arrives in pieces is read to its announced end.
    std::string text(100000, 'x');
    ServerScript pieces{HttpResponse(200, "", text)};
    pieces.responseChunk = 10000;
    pieces.responsePauseMs = 20;
    server.SetScript(pieces);
    ASSERT_TRUE(PostAndWait(Bytes(10)));
    EXPECT_EQ(poster->GetResponse(), TString(text.begin(), text.end()));

    // A length of gigabytes neither allocates it nor hangs: what came is the response.
    test::TransferSink second;
    poster->SetEventSink(&second);
    server.SetScript({"HTTP/1.1 200 OK\r\nContent-Length: 3000000000\r\nConnection: close\r\n\r\nsmall body"});
    stream = std::make_unique<Network::MemoryByteStream>(Bytes(10));
    ASSERT_TRUE(poster->Post(1, stream.get(), SF_T("a.jpg")));
    ASSERT_TRUE(second.WaitFinal());
    EXPECT_EQ(second.completes, 1);
    EXPECT_EQ(poster->GetResponse(), SF_T("small body"));
}

TEST_F(PosterTest, ContentLengthMatchesTheBytesWithGbkNamesAndValues)
{
    server.SetScript({HttpResponse(200, "", "ok")});
    poster->SetCharset(SF_T("GB2312"));
    poster->GetForm().AddFormField(T(L"名字"), T(L"中文的值"));
    const std::string file = Bytes(600);
    ASSERT_TRUE(PostAndWait(file, T(L"照片.jpg")));
    EXPECT_EQ(sink.completes, 1);
    ASSERT_TRUE(server.WaitForRequests(1));
    const std::string raw = server.Requests().at(0);
    const std::string body = test::RequestBody(raw);
    EXPECT_EQ(body.size(), poster->GetForm().GetContentLength());
    EXPECT_NE(test::RequestHead(raw).find("Content-Length: " + std::to_string(body.size()) + "\r\n"), std::string::npos);
    EXPECT_NE(body.find("name=\"" + Gbk(L"名字") + "\"\r\n\r\n" + Gbk(L"中文的值") + "\r\n"), std::string::npos);
    EXPECT_NE(body.find("filename=\"" + Gbk(L"照片.jpg") + "\""), std::string::npos);
    EXPECT_EQ(body, ExpectedBody(file));
}

// A stream that announces more bytes than it gives.
class ShortStream : public Network::MemoryByteStream {
public:
    ShortStream() : MemoryByteStream(std::string(600, 's')) {}
    std::int32_t Size() override { return 1000; }
};

TEST_F(PosterTest, StreamEndingBeforeItsSizeIsAWriteFailure)
{
    server.SetScript({HttpResponse(200, "", "ok")});
    ShortStream shortStream;
    ASSERT_TRUE(poster->Post(2, &shortStream, SF_T("a.jpg")));
    ASSERT_TRUE(sink.WaitFinal()) << "the caller must not be left waiting";
    EXPECT_EQ(sink.lastError, HttpPoster::WriteError);
}

TEST_F(PosterTest, HttpsAddressUsesItsPortAndTheSecureFlags)
{
    const auto parts = Network::SplitUrl(SF_T("https://up.example.com:8443/up.aspx?id=5"));
    EXPECT_EQ(Wire(parts.host), "up.example.com");
    EXPECT_EQ(parts.port, 8443);
    EXPECT_EQ(Wire(parts.path), "/up.aspx");
    EXPECT_EQ(WinINetPoster::RequestFlags(parts.scheme), DWORD(INTERNET_FLAG_SECURE)) << "no certificate problem ignored";
    EXPECT_EQ(WinINetPoster::RequestFlags(Network::Scheme::Http), DWORD(INTERNET_FLAG_NO_CACHE_WRITE));

    // On the wire: the client opens with a TLS handshake on the given port.
    ServerScript script;
    script.closeOnFirstBytes = true;
    server.SetScript(script);
    poster->SetUrl(T(L"https://127.0.0.1:" + std::to_wstring(server.Port()) + L"/up.aspx?id=5"));
    ASSERT_TRUE(PostAndWait(Bytes(10)));
    EXPECT_EQ(sink.lastError, HttpPoster::WriteError);
    ASSERT_TRUE(server.WaitForRequests(1));
    const std::string hello = server.Requests().at(0);
    ASSERT_FALSE(hello.empty());
    EXPECT_EQ(hello[0], '\x16') << "a TLS record, not plain HTTP";
}

}  // namespace
