// The upload panel in a real window: its looks, drops, runs against a loopback server (all
// accepted, a failure and a restart, an unreadable photo, a cancel), the locked list, two
// panels in one process and a run that ends under continuous repainting.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "Biz/AppState.h"
#include "Biz/ConfigMgr.h"
#include "Network/WinINetPoster.h"
#include "PanelFixture.h"
#include "support/LoopbackServer.h"
#include "ui/ImageLister.h"
#include "ui/SkinLease.h"

namespace {

using namespace test;

std::string Ok(const std::string& body) { return HttpResponse(200, "", body); }

// A server that reads uploads slowly, so a run can be caught while a photo is in flight.
ServerScript SlowReader(const std::string& body, std::size_t chunk, int pauseMs)
{
    ServerScript script;
    script.response = Ok(body);
    script.readChunk = chunk;
    script.pauseMs = pauseMs;
    return script;
}

// The text fields of a request, in the order they were sent (the file part excluded).
std::vector<std::string> FieldNames(const std::string& raw)
{
    std::vector<std::string> names;
    const std::string body = RequestBody(raw);
    const std::string key = " name=\"";
    for (std::size_t at = body.find(key); at != std::string::npos; at = body.find(key, at + 1)) {
        const std::size_t end = body.find('"', at + key.size());
        names.push_back(body.substr(at + key.size(), end - at - key.size()));
    }
    return names;
}

class PanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::OleInitialize(nullptr); }
    void SetUp() override { ConfigMgr::Instance()->ResetToDefaults(); }
    void TearDown() override
    {
        ConfigMgr::Instance()->ResetToDefaults();
        WinINetPoster::SetTimeouts(30000, 60000);
    }

    std::vector<std::wstring> Photos(int count, unsigned width = 320, unsigned height = 240)
    {
        std::vector<std::wstring> paths;
        for (int i = 0; i < count; ++i) paths.push_back(MakePhoto(dir_, L"p" + std::to_wstring(i) + L".jpg", width, height));
        return paths;
    }

    TempDir dir_;
};

TEST_F(PanelTest, AFreshPanelShowsTheEmptyLookAndFollowsItsWidth)
{
    PanelHost host(760, 520);
    RecordingPanel& panel = host.Panel();
    EXPECT_TRUE(panel.PostButton.IsDisabled());
    EXPECT_TRUE(panel.RotateLeftTool.IsDisabled() && panel.RotateRightTool.IsDisabled() && panel.DeleteTool.IsDisabled());
    EXPECT_FALSE(::IsWindowVisible(panel.ImageList.GetWindowHandle()));
    EXPECT_EQ(panel.BigAddButton.GetBounds().top, 228);
    EXPECT_EQ(panel.HintLabel.GetBounds().top, 298);
    for (const Korvel::UI::ControlBase* centred : {static_cast<const Korvel::UI::ControlBase*>(&panel.BigAddButton),
                                                   static_cast<const Korvel::UI::ControlBase*>(&panel.HintLabel)}) {
        const RECT& b = centred->GetBounds();
        EXPECT_NEAR((b.left + b.right) / 2, 380, 1);
    }
    EXPECT_EQ(panel.StatusLabel.Text(), L"请点击\"添加按钮\"，选择要上传的照片");

    const RECT add = panel.AddButton.GetBounds(), del = panel.DeleteTool.GetBounds(), all = panel.SelectAllBox.GetBounds();
    const RECT grid = panel.ImageList.GetBounds();
    ::SetWindowPos(host.Wnd(), nullptr, 0, 0, 860, 520, SWP_NOMOVE | SWP_NOZORDER);
    PumpFor(20);
    EXPECT_EQ(panel.AddButton.GetBounds().left, add.left);
    EXPECT_EQ(panel.DeleteTool.GetBounds().left, del.left + 100);
    EXPECT_EQ(panel.SelectAllBox.GetBounds().left, all.left + 100);
    EXPECT_EQ(panel.ImageList.GetBounds().right, grid.right + 100);
    EXPECT_NEAR((panel.BigAddButton.GetBounds().left + panel.BigAddButton.GetBounds().right) / 2, 430, 1);
}

TEST_F(PanelTest, DropsOnThePanelKeepToTheRulesAndTheLimit)
{
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    std::vector<std::wstring> files;
    for (int i = 0; i < 103; ++i) files.push_back(MakePhoto(dir_, L"t" + std::to_wstring(i) + L".png", 8, 6, CXIMAGE_FORMAT_PNG));
    const std::vector<std::wstring> first(files.begin(), files.begin() + 101);
    host.DropOnPanel(first);
    EXPECT_EQ(host.List().Count(), 100);
    ASSERT_EQ(panel.messages.size(), 1u);
    EXPECT_EQ(panel.messages[0], L"选择的图片数量超过限制");
    EXPECT_TRUE(::IsWindowVisible(host.List().GetWindowHandle()));
    EXPECT_FALSE(panel.BigAddButton.IsVisible());
    EXPECT_FALSE(panel.PostButton.IsDisabled());
    // A full queue still takes the first acceptable photo of the next drop.
    host.DropOnPanel({files[101], files[102]});
    EXPECT_EQ(host.List().Count(), 101);
    EXPECT_EQ(panel.messages.size(), 2u);
    ASSERT_TRUE(host.WaitLoaded());
    EXPECT_TRUE(host.List().ItemAt(100)->GetImage() != nullptr);
    EXPECT_EQ(host.List().ItemAt(100)->GetCaption(), T(L"t101.png"));

    PanelHost other;
    const std::wstring jpeg = dir_.File(L"x.jpeg"), folder = dir_.File(L"album.jpg");
    ::CopyFileW(files[0].c_str(), jpeg.c_str(), FALSE);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    other.DropOnPanel({files[0], files[0], jpeg, folder, L"C:\\"});
    EXPECT_EQ(other.List().Count(), 1);
    EXPECT_TRUE(other.Panel().messages.empty());
}

TEST_F(PanelTest, SelectedPhotosEnableTheToolsAndDeleteReturnsToTheEmptyLook)
{
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    host.DropOnPanel(Photos(2));
    ASSERT_TRUE(host.WaitLoaded());
    HWND list = host.List().GetWindowHandle();
    for (int index : {0, 1}) {
        RECT b;
        host.List().ItemAt(index)->GetBounds(&b);
        const LPARAM at = MAKELPARAM(b.left + 60, b.top + 30);
        const WPARAM keys = index ? MK_CONTROL : 0;
        ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
        ::SendMessageW(list, WM_LBUTTONUP, keys, at);
    }
    EXPECT_EQ(host.List().GetSelection().size(), 2u);
    EXPECT_FALSE(panel.RotateLeftTool.IsDisabled() || panel.RotateRightTool.IsDisabled() || panel.DeleteTool.IsDisabled());
    // The selected frame is what the visitor sees.
    ::RedrawWindow(host.Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT b;
    host.List().ItemAt(0)->GetBounds(&b);
    HDC dc = ::GetDC(list);
    EXPECT_EQ(::GetPixel(dc, b.left, b.top + 50), host.List().SelectedFrameColor());
    ::ReleaseDC(list, dc);

    host.Click(panel.DeleteTool);
    EXPECT_TRUE(host.List().IsEmpty());
    EXPECT_FALSE(panel.SelectAllBox.IsChecked());
    EXPECT_TRUE(panel.BigAddButton.IsVisible());
    EXPECT_TRUE(panel.PostButton.IsDisabled());
    EXPECT_TRUE(panel.DeleteTool.IsDisabled());
}

TEST_F(PanelTest, TheAddButtonsOpenTheirDialogsAndAnEmptyCloseKeepsTheEmptyLook)
{
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    for (Korvel::UI::Controls::Button* button : {&panel.AddButton, &panel.BigAddButton, &panel.AddUrlButton}) {
        bool opened = false;
        {
            DialogDriver driver([&](HWND dialog) {
                opened = true;
                ::EndDialog(dialog, 1);
            });
            host.Click(*button);
        }
        EXPECT_TRUE(opened);
        EXPECT_TRUE(host.List().IsEmpty());
        EXPECT_TRUE(panel.BigAddButton.IsVisible());
        EXPECT_TRUE(panel.PostButton.IsDisabled());
    }
}

TEST_F(PanelTest, ARunPostsEveryPhotoThenEmptiesTheListAndCallsBackOnTheWindowThread)
{
    LoopbackServer server;
    server.SetScript({.response = Ok("stored")});
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    panel.AddField(SF_T("album"), SF_T("summer"));
    ASSERT_TRUE(host.Queue(server.Url(L"/upload"), Photos(2, 320, 240)));
    host.List().ItemAt(0)->RotateRight();

    host.Click(panel.PostButton);
    EXPECT_TRUE(panel.IsRunning());
    EXPECT_TRUE(panel.AddButton.IsDisabled());
    ASSERT_TRUE(host.WaitIdle());

    EXPECT_EQ(panel.statuses, (std::vector<std::wstring>{L"正在上传第1/2张图片", L"正在上传第2/2张图片", L"所有图片已上传完毕"}));
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::vector<std::string> order{"album", "lastWriteTime", "width", "height", "remark", "img"};
    EXPECT_EQ(FieldNames(requests[0]), order);
    // The turned photo reports its turned size.
    EXPECT_NE(RequestBody(requests[0]).find("name=\"width\"\r\n\r\n240\r\n"), std::string::npos);
    EXPECT_NE(RequestBody(requests[1]).find("name=\"width\"\r\n\r\n320\r\n"), std::string::npos);
    EXPECT_EQ(panel.PostedFiles().size(), 2u);
    EXPECT_TRUE(host.List().IsEmpty());
    EXPECT_FALSE(::IsWindowVisible(host.List().GetWindowHandle()));
    EXPECT_TRUE(panel.BigAddButton.IsVisible());
    EXPECT_TRUE(panel.PostButton.IsDisabled());
    EXPECT_EQ(AppState::Instance()->State(), Stopped);
    ASSERT_EQ(host.callbacks.calls.size(), 1u);
    EXPECT_EQ(host.callbacks.calls[0].name, "AfterImagesPosted");
    EXPECT_EQ(host.callbacks.calls[0].thread, ::GetCurrentThreadId());
    EXPECT_EQ(host.callbacks.calls[0].postedFiles, 2u);
    EXPECT_EQ(panel.Response(), SF_T("stored"));
}

TEST_F(PanelTest, AFailureStopsTheRunAndARestartSendsOnlyWhatWasNotAccepted)
{
    LoopbackServer server;
    ServerScript script;
    script.responses = {Ok("one"), Ok("two"), HttpResponse(500, "", "disk full"), Ok("three"), Ok("four"), Ok("five")};
    server.SetScript(script);
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    ASSERT_TRUE(host.Queue(server.Url(L"/upload"), Photos(5)));

    host.Click(panel.PostButton);
    ASSERT_TRUE(host.WaitIdle());
    ASSERT_EQ(host.callbacks.calls.size(), 1u);
    EXPECT_EQ(host.callbacks.calls[0].name, "OnError");
    EXPECT_EQ(host.callbacks.calls[0].postedFiles, 2u);
    EXPECT_EQ(panel.StatusLabel.Text(), L"上传错误");
    EXPECT_EQ(panel.Response(), SF_T("disk full"));
    EXPECT_EQ(host.List().Count(), 5);
    EXPECT_FALSE(panel.PostButton.IsDisabled());
    EXPECT_FALSE(panel.AddButton.IsDisabled());

    panel.statuses.clear();
    host.Click(panel.PostButton);
    ASSERT_TRUE(host.WaitIdle());
    EXPECT_EQ(panel.statuses, (std::vector<std::wstring>{L"正在上传第1/5张图片", L"正在上传第2/5张图片", L"正在上传第3/5张图片",
                                                         L"所有图片已上传完毕"}));
    EXPECT_EQ(server.Requests().size(), 6u);
    EXPECT_EQ(panel.PostedFiles(), (std::vector<TString>{SF_T("one"), SF_T("two"), SF_T("three"), SF_T("four"), SF_T("five")}));
    EXPECT_EQ(host.callbacks.calls.back().name, "AfterImagesPosted");
}

TEST_F(PanelTest, APhotoThatCannotBeReadAtItsTurnFailsTheRunInsteadOfGoingEmpty)
{
    LoopbackServer server;
    server.SetScript({.response = Ok("fine")});
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    std::vector<std::wstring> photos = Photos(3);
    ASSERT_TRUE(host.Queue(server.Url(L"/upload"), photos));
    ASSERT_TRUE(::DeleteFileW(photos[1].c_str()));

    host.Click(panel.PostButton);
    ASSERT_TRUE(host.WaitIdle());
    EXPECT_EQ(server.Requests().size(), 1u);
    ExpectFailedAtUnreadable(host, L"p1.jpg", 3);
    EXPECT_TRUE(dynamic_cast<ListViewPostItem*>(host.List().ItemAt(0))->IsUploaded());
    EXPECT_FALSE(dynamic_cast<ListViewPostItem*>(host.List().ItemAt(1))->IsUploaded());
}

TEST_F(PanelTest, ARunWithNothingLeftToSendEndsAtOnce)
{
    LoopbackServer server;
    server.SetScript({.response = Ok("ok")});
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    ASSERT_TRUE(host.Queue(server.Url(L"/upload"), Photos(1)));
    dynamic_cast<ListViewPostItem*>(host.List().ItemAt(0))->MarkUploaded();
    host.Click(panel.PostButton);
    EXPECT_FALSE(panel.IsRunning());
    EXPECT_FALSE(panel.AddButton.IsDisabled());
    EXPECT_EQ(server.Requests().size(), 0u);
    EXPECT_TRUE(host.callbacks.calls.empty());
}

TEST_F(PanelTest, ConfirmedCancelStopsQuietlyAndTheNextRunStartsCleanly)
{
    LoopbackServer server(4096);
    server.SetScript(SlowReader("late", 2048, 40));
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    panel.realDialogs = true;
    ConfigMgr::Instance()->SetImageUploadType(SF_T("bmp"));  // large bytes: a slow photo
    ASSERT_TRUE(host.Queue(server.Url(L"/upload"), Photos(2, 640, 480)));

    host.Click(panel.PostButton);
    ASSERT_TRUE(PumpUntil([&] { return panel.RemainingLabel.IsVisible() && !panel.statuses.empty(); }, 5000));
    PumpFor(300);
    {
        // The real confirmation dialog, answered with OK.
        DialogDriver driver([](HWND dialog) { ::EndDialog(dialog, 0); });
        host.Click(panel.PostButton);
    }
    EXPECT_FALSE(panel.IsRunning());
    EXPECT_EQ(panel.messages.back(), L"照片正在上传中，确定取消上传吗？");
    EXPECT_FALSE(panel.RemainingLabel.IsVisible());
    EXPECT_FALSE(panel.SpeedLabel.IsVisible());
    EXPECT_FALSE(panel.PostButton.IsDisabled());
    PumpFor(200);
    EXPECT_TRUE(host.callbacks.calls.empty());

    // Post again at once, to a server that answers quickly: the cancelled worker must not
    // take the new request down with it.
    server.SetScript({.response = Ok("quick")});
    ConfigMgr::Instance()->SetImageUploadType(SF_T("jpg"));
    host.Click(panel.PostButton);
    ASSERT_TRUE(host.WaitIdle()) << ::testing::PrintToString(panel.statuses) << ::testing::PrintToString(panel.messages)
                                 << server.Requests().size() << " " << W(panel.Response());
    ASSERT_EQ(host.callbacks.calls.size(), 1u);
    EXPECT_EQ(host.callbacks.calls[0].name, "AfterImagesPosted");
}

TEST_F(PanelTest, AServerThatStopsAnsweringFailsThePhotoAfterTheTimeOut)
{
    LoopbackServer server;
    ServerScript silent;
    silent.response = Ok("too late");
    silent.silentMs = 8000;
    server.SetScript(silent);
    WinINetPoster::SetTimeouts(2000, 500);
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    ASSERT_TRUE(host.Queue(server.Url(L"/upload"), Photos(1)));
    const Stopwatch watch;
    host.Click(panel.PostButton);
    ASSERT_TRUE(host.WaitIdle(6000));
    EXPECT_LT(watch.Elapsed(), 6000u);
    ASSERT_EQ(host.callbacks.calls.size(), 1u);
    EXPECT_EQ(host.callbacks.calls[0].name, "OnError");
    EXPECT_EQ(panel.StatusLabel.Text(), L"上传错误");
}

TEST_F(PanelTest, ALockedListIgnoresDeleteKeysDropsAndTheSortBox)
{
    LoopbackServer server(4096);
    server.SetScript(SlowReader("ok", 1024, 50));
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    ConfigMgr::Instance()->SetImageUploadType(SF_T("bmp"));
    const std::vector<std::wstring> photos = Photos(3, 400, 300);
    ASSERT_TRUE(host.Queue(server.Url(L"/upload"), {photos[0], photos[1]}));
    host.List().SelectAll(true);
    host.Click(panel.PostButton);
    ASSERT_TRUE(panel.IsRunning());

    ::SendMessageW(host.List().GetWindowHandle(), WM_KEYUP, VK_DELETE, 0);
    host.DropOnPanel({photos[2]});
    Korvel::ComPtr<IDataObject> data = OneFormat(CF_HDROP, FileListBytes({photos[2]}));
    IDropTarget* grid = &host.List();
    DWORD effect = DROPEFFECT_COPY;
    grid->DragEnter(data.Get(), MK_LBUTTON, POINTL{100, 100}, &effect);
    grid->Drop(data.Get(), 0, POINTL{100, 100}, &effect);
    const int first = host.List().ItemAt(0)->Id();
    panel.OnSortChanged(1);
    EXPECT_EQ(host.List().Count(), 2);
    EXPECT_EQ(host.List().ItemAt(0)->Id(), first);

    // The post button now offers to cancel; confirmed, the list is the user's again.
    host.Click(panel.PostButton);
    EXPECT_EQ(panel.messages.back(), L"照片正在上传中，确定取消上传吗？");
    EXPECT_FALSE(panel.IsRunning());
    ::SendMessageW(host.List().GetWindowHandle(), WM_KEYUP, VK_DELETE, 0);
    EXPECT_TRUE(host.List().IsEmpty());
}

TEST_F(PanelTest, TwoPanelsKeepTheirSkinsWhenOneGoes)
{
    auto first = std::make_unique<PanelHost>();
    PanelHost second;
    EXPECT_EQ(Korvel::UI::SkinLease::Holders(), 2);
    const auto skin = Korvel::UI::ImageLister::Instance().GetSkin("BtnPost-Normal");
    ASSERT_TRUE(skin);
    first.reset();
    EXPECT_EQ(Korvel::UI::SkinLease::Holders(), 1);
    EXPECT_EQ(Korvel::UI::ImageLister::Instance().GetSkin("BtnPost-Normal"), skin);
    ::RedrawWindow(second.Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

TEST_F(PanelTest, ARunEndsSafelyWhileThePanelRepaintsWithoutPause)
{
    LoopbackServer server;
    server.SetScript({.response = Ok("ok")});
    for (int round = 0; round < 3; ++round) {
        PanelHost host;
        RecordingPanel& panel = host.Panel();
        ASSERT_TRUE(host.Queue(server.Url(L"/upload"), Photos(6, 200, 150)));
        host.Click(panel.PostButton);
        const bool done = PumpUntil(
            [&] {
                ::RedrawWindow(host.Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                return !panel.IsRunning();
            },
            20000);
        ASSERT_TRUE(done);
        EXPECT_TRUE(host.List().IsEmpty());
    }
}

}  // namespace
