// The web image dialog against a loopback server, run modally and driven by real messages:
// its layout, the address box, every way a download can end, and a download cut short.
#include <gtest/gtest.h>

#include "support/LoopbackServer.h"  // its sockets header comes before windows.h

#include <windows.h>

#include <string>

#include "image/CxFile.h"
#include "image/CxImage.h"
#include "platform/TextConv.h"
#include "support/DialogDriver.h"
#include "support/DialogRuns.h"
#include "support/MessagePump.h"
#include "ui/HostWindow.h"
#include "ui/forms/WebImageDialog.h"
#include "ui/listview/ListView.h"
#include "ui/listview/ListViewItem.h"

namespace {

using namespace Korvel::UI;
using Korvel::Text::WideFromText;
using test::DialogDriver;
using test::HttpResponse;
using test::LoopbackServer;
using test::ServerScript;

// A small PNG, as a server would send it.
std::string PngBytes()
{
    CxImage image;
    image.Create(24, 16, 24, CXIMAGE_FORMAT_PNG);
    for (unsigned y = 0; y < 16; ++y)
        for (unsigned x = 0; x < 24; ++x) image.SetPixelColor(x, y, RGBQ{std::uint8_t(x * 10), 90, std::uint8_t(y * 15), 255});
    CxMemFile stream;
    image.Encode(&stream, CXIMAGE_FORMAT_PNG);
    return std::string(reinterpret_cast<const char*>(stream.GetBuffer()), static_cast<std::size_t>(stream.Size()));
}

RECT Rect(HWND wnd, HWND parent)
{
    RECT r;
    ::GetWindowRect(wnd, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

class WebDialogTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ::OleInitialize(nullptr); }
    void SetUp() override
    {
        target_.Attach(&host_.Root());
        target_.SetSize(600, 400);
        target_.Layout();
    }

    LoopbackServer server_;
    HostWindow host_{700, 500};
    ListView target_;
};

TEST_F(WebDialogTest, LayoutAddressLimitAndKeysThatDoNothing)
{
    WebImageDialog dialog(&target_, nullptr);
    RECT size{}, box{}, ok{}, cancel{}, progress{};
    std::size_t typed = 0;
    bool openAfterKeys = false;
    DialogDriver driver([&](HWND d) {
        ::GetWindowRect(d, &size);
        box = Rect(dialog.AddressBox().GetWindowHandle(), d);
        ok = dialog.OkButton().GetBounds();
        cancel = dialog.CancelButton().GetBounds();
        progress = dialog.Children().back()->GetBounds();
        HWND edit = dialog.AddressBox().GetWindowHandle();
        for (int i = 0; i < 300; ++i) ::SendMessageW(edit, WM_CHAR, L'a' + i % 26, 0);
        typed = dialog.AddressBox().GetText().size();
        ::PostMessageW(d, WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
        ::PostMessageW(d, WM_KEYDOWN, VK_ESCAPE, 0);
        test::PumpFor(200);
        openAfterKeys = ::IsWindowVisible(d) != FALSE;
        test::PostClick(d, dialog.CancelButton().GetBounds());
    });
    EXPECT_EQ(dialog.ShowModal(nullptr), 1);
    EXPECT_EQ(dialog.Title(), L"打开网络图片");
    EXPECT_EQ(size.right - size.left, 310);
    EXPECT_EQ(size.bottom - size.top, 150);
    EXPECT_TRUE(SameRect(box, RECT{68, 48, 249, 67}));
    EXPECT_TRUE(SameRect(progress, RECT{64, 74, 245, 93}));
    EXPECT_TRUE(SameRect(ok, RECT{156, 121, 228, 146}));
    EXPECT_TRUE(SameRect(cancel, RECT{231, 121, 303, 146}));
    EXPECT_EQ(typed, 255u) << "the address box takes 255 characters";
    EXPECT_TRUE(openAfterKeys) << "Enter and Esc do nothing";
    EXPECT_EQ(target_.Count(), 0);
}

TEST_F(WebDialogTest, OnlyAPictureIsAddedEveryFailureIsToldAndTheDialogStaysOpen)
{
    const std::string png = PngBytes();
    const std::string tooLarge = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 10485761\r\n"
                                 "Connection: close\r\n\r\n" + png;
    const struct {
        const char* name;
        std::string response;
        const wchar_t* path;
        const wchar_t* caption;  // null: nothing is added and the user is told
    } cases[] = {
        {"a PNG by its type", HttpResponse(200, "Content-Type: image/png\r\n", png), L"/pics/cat.png?x=1", L"cat.png"},
        {"named by the server, type from the bytes",
         HttpResponse(200, "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"x.png\"\r\n", png),
         L"/get?id=7", L"x.png"},
        {"a 404 page", HttpResponse(404, "Content-Type: text/html\r\n", "<html>Not Found</html>"), L"/gone.png", nullptr},
        {"a picture with a 404", HttpResponse(404, "Content-Type: image/png\r\n", png), L"/gone.png", nullptr},
        {"no Content-Length", HttpResponse(200, "Content-Type: image/png\r\n", png, false), L"/a.png", nullptr},
        {"not a picture", HttpResponse(200, "Content-Type: image/jpeg\r\n", std::string(3000, 'j')), L"/a.jpg", nullptr},
        {"over the size limit", tooLarge, L"/huge.png", nullptr},
        {"nothing listening", "", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        target_.Clear();
        ServerScript script;
        script.response = c.response;
        server_.SetScript(script);
        const std::wstring url =
            c.path ? server_.Url(c.path)
                   : L"http://127.0.0.1:" + std::to_wstring(LoopbackServer::UnusedPort()) + L"/a.png";
        const test::DialogRun run = test::RunWebImage(target_, nullptr, url, 20000);
        if (c.caption) {
            EXPECT_EQ(run.result, 0) << c.name;
            EXPECT_TRUE(run.messages.empty()) << c.name;
            ASSERT_EQ(target_.Count(), 1) << c.name;
            ListViewItem* item = target_.ItemAt(0);
            EXPECT_EQ(WideFromText(item->GetCaption()), c.caption) << c.name;
            EXPECT_EQ(item->IsWeb(), 1) << c.name;
            EXPECT_EQ(item->GetSize(), static_cast<int>(png.size())) << c.name;
            ASSERT_NE(item->GetImage(), nullptr) << c.name;
        } else {
            EXPECT_EQ(run.result, 1) << c.name << ": closed with Cancel after the message";
            ASSERT_EQ(run.messages.size(), 1u) << c.name;
            EXPECT_EQ(run.messages[0].title, L"提示消息") << c.name;
            EXPECT_EQ(run.messages[0].text, L"图片下载失败") << c.name;
            EXPECT_EQ(target_.Count(), 0) << c.name;
        }
    }

    const test::DialogRun empty = test::RunWebImage(target_, nullptr, L"", 10000);
    ASSERT_EQ(empty.messages.size(), 1u);
    EXPECT_EQ(empty.messages[0].text, L"地址不能为空");
    EXPECT_EQ(empty.result, 1);
}

TEST_F(WebDialogTest, ASecondOkIsIgnoredAndCancelStopsTheDownloadBeforeTheDialogGoes)
{
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 100000\r\n\r\n";
    ServerScript script;
    script.response = head + std::string(100000, 'x');
    script.responseChunk = head.size() + 25000;
    script.responsePauseMs = 1500;
    server_.SetScript(script);

    WebImageDialog dialog(&target_, nullptr);
    bool downloading = false, stillDownloading = false;
    int progress = -1;
    std::size_t requests = 0;
    DialogDriver driver(
        [&](HWND d) {
            for (wchar_t c : server_.Url(L"/slow.jpg")) ::SendMessageW(dialog.AddressBox().GetWindowHandle(), WM_CHAR, c, 0);
            test::SendClick(d, dialog.OkButton().GetBounds());
            downloading = dialog.IsDownloading();
            test::PumpUntil([&] { return dialog.Progress() > 0; }, 1000);
            progress = dialog.Progress();
            test::SendClick(d, dialog.OkButton().GetBounds());
            stillDownloading = dialog.IsDownloading();
            requests = server_.Requests().size();
            test::PostClick(d, dialog.CancelButton().GetBounds());
        },
        10000);
    EXPECT_EQ(dialog.ShowModal(nullptr), 1);
    EXPECT_TRUE(downloading);
    EXPECT_TRUE(stillDownloading);
    EXPECT_GT(progress, 0) << "a quarter arrived before the server paused";
    EXPECT_LE(progress, 25);
    EXPECT_EQ(requests, 1u) << "the second OK starts nothing";
    ASSERT_NE(dialog.Downloader().Worker(), nullptr);
    EXPECT_EQ(::WaitForSingleObject(dialog.Downloader().Worker(), 0), WAIT_OBJECT_0)
        << "the download ended before the dialog's window went";
    EXPECT_EQ(target_.Count(), 0);
}

}  // namespace
