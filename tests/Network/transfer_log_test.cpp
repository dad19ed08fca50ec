// What the transport writes to the diagnostic log: the control logs its uploads, the
// plug-in does not; both log the downloader's failures.
#include <gtest/gtest.h>

#include <memory>

#include "Biz/LogPath.h"
#include "Biz/PanelSettings.h"
#include "Network/Codepage.h"
#include "Network/WinINetDowner.h"
#include "Network/WinINetPoster.h"
#include "TransferSink.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace {

#if defined(SF_WIDE)
constexpr bool kWide = true;
TString T(const std::wstring& w) { return w; }
#else
constexpr bool kWide = false;
TString T(const std::wstring& w) { return Network::Codepage::AnsiFromWide(w); }
#endif

std::string Gbk(const wchar_t* text) { return Network::Codepage::AnsiFromWide(text); }

class NullDownloadSink : public IDownloaderEvent {
public:
    void OnDownloadComplete(int) override { done.Set(); }
    void OnDownloadError(int, int) override { done.Set(); }
    void OnDownloadProgress(int, std::uint64_t, TString) override {}
    void OnFileSizeKnown() override {}
    void OnFileNameKnown() override {}
    Korvel::Threading::EventHandler done;
};

TEST(TransferLog, PosterLogsOnlyInTheControlAndTheDownloaderInBoth)
{
    test::RemoveFilesIn(LogPath::LogFolder());
    const std::wstring name = std::to_wstring(::GetCurrentProcessId()) + L"-transfer.log";
    PanelSettings panel;
    panel.PutDebug(-1);
    panel.PutLogFile(T(name).c_str());

    // A post whose head cannot be sent, and one without a host.
    const std::wstring refused = L"http://127.0.0.1:" + std::to_wstring(test::LoopbackServer::UnusedPort()) + L"/up.php";
    for (const std::wstring& url : {refused, std::wstring(L"no host")}) {
        test::TransferSink sink;
        WinINetPoster poster;
        poster.SetEventSink(&sink);
        poster.SetUrl(T(url));
        Network::MemoryByteStream data(std::string(10, 'x'));
        ASSERT_TRUE(poster.Post(1, &data, SF_T("a.jpg")));
        ASSERT_TRUE(sink.WaitFinal());
    }

    // A download without a Content-Length.
    test::LoopbackServer server;
    server.SetScript({test::HttpResponse(200, "Content-Type: image/png\r\n", "x", false)});
    NullDownloadSink sink;
    Network::MemoryByteStream out;
    {
        WinINetDowner downer;
        downer.SetEventSink(&sink);
        ASSERT_TRUE(downer.Download(T(server.Url(L"/a.png")), &out));
        sink.done.Wait();
    }

    const std::string log = test::ReadFile(LogPath::LogFolder() + L"\\" + name);
    const std::string poster = kWide ? " [Network\\WinINetPoster.cpp:" : "";
    const std::string downer = kWide ? " [Network\\WinINetDowner.cpp:" : "\n";
    const std::string refusedA(refused.begin(), refused.end());
    if (kWide) {
        EXPECT_NE(log.find(Gbk(L"上传地址：") + refusedA + poster), std::string::npos) << log;
        EXPECT_NE(log.find(Gbk(L"发送请求头失败，错误码：")), std::string::npos) << log;
        EXPECT_NE(log.find(Gbk(L"上传地址：") + "no host" + poster), std::string::npos) << log;
        EXPECT_NE(log.find(Gbk(L"连接失败") + poster), std::string::npos) << log;
    } else {
        EXPECT_EQ(log.find(Gbk(L"上传地址：")), std::string::npos) << log;
        EXPECT_EQ(log.find(Gbk(L"连接失败")), std::string::npos) << log;
    }
    EXPECT_NE(log.find(Gbk(L"获取服务器文件大小错误") + downer), std::string::npos) << log;
}

}  // namespace
