// What a careful visitor does around a run and must never cost a photo or an edit: adding or
// turning during a run, a caption still being typed, posting before the thumbnails are made,
// a picture that cannot be read, a cancel followed at once by another post, a preparation
// that runs out of memory, a busy loader, and what a finished run leaves behind.
#include <gtest/gtest.h>

#include "support/LoopbackServer.h"  // its sockets header comes before windows.h

#include <windows.h>

#include <atomic>
#include <new>
#include <thread>

#include "Biz/ConfigMgr.h"
#include "Network/WinINetPoster.h"
#include "PanelFixture.h"
#include "RunProbes.h"
#include "panel/Preparation.h"
#include "support/DialogRuns.h"
#include "support/TempDir.h"

namespace test {
std::string ReadFile(const std::wstring& path);
bool WriteFile(const std::wstring& path, const std::string& bytes);
}  // namespace test

namespace {

using namespace test;

ListViewPostItem* PostAt(PanelHost& host, int index)
{
    return dynamic_cast<ListViewPostItem*>(host.List().ItemAt(index));
}

// A press and release in the middle of a photo in the grid, as the mouse sends them.
void ClickPhoto(PanelHost& host, int index)
{
    RECT b;
    host.List().ItemAt(index)->GetBounds(&b);
    const LPARAM at = MAKELPARAM((b.left + b.right) / 2, (b.top + b.bottom) / 2 - host.List().ScrollPosition());
    HWND list = host.List().GetWindowHandle();
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(list, WM_LBUTTONUP, 0, at);
}

class RunFaultsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::OleInitialize(nullptr); }
    void SetUp() override { ConfigMgr::Instance()->ResetToDefaults(); }
    void TearDown() override
    {
        Preparation::SetFaultForTests(nullptr);
        ConfigMgr::Instance()->ResetToDefaults();
    }

    std::vector<std::wstring> Photos(int count, unsigned width = 320, unsigned height = 240)
    {
        std::vector<std::wstring> paths;
        for (int i = 0; i < count; ++i) paths.push_back(MakePhoto(dir_, L"p" + std::to_wstring(i) + L".jpg", width, height));
        return paths;
    }

    // A run caught while its first photo is on its way to a server that reads slowly.
    void StartSlowRun(LoopbackServer& server, PanelHost& host, int photos)
    {
        ServerScript slow;
        slow.response = Ok("late");
        slow.readChunk = 2048;
        slow.pauseMs = 40;
        server.SetScript(slow);
        ConfigMgr::Instance()->SetImageUploadType(SF_T("bmp"));  // large bytes: a slow photo
        ASSERT_TRUE(host.Queue(server.Url(L"/upload"), Photos(photos, 640, 480)));
        host.Click(host.Panel().PostButton);
        ASSERT_TRUE(PumpUntil([&] { return !host.Panel().statuses.empty(); }, 5000));
    }

    TempDir dir_;
};

TEST_F(RunFaultsTest, DuringARunNothingEntersTheListAndNothingInItChanges)
{
    LoopbackServer server(4096);
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    StartSlowRun(server, host, 2);
    ASSERT_TRUE(panel.IsRunning());
    EXPECT_TRUE(panel.AddButton.IsDisabled());
    EXPECT_TRUE(panel.AddUrlButton.IsDisabled());

    // Selecting a photo leaves the tools off, and turning it does nothing.
    ClickPhoto(host, 0);
    ASSERT_FALSE(host.List().GetSelection().empty());
    EXPECT_TRUE(panel.RotateLeftTool.IsDisabled());
    EXPECT_TRUE(panel.RotateRightTool.IsDisabled());
    EXPECT_TRUE(panel.DeleteTool.IsDisabled());
    panel.OnRotate(&panel.RotateRightTool);
    EXPECT_EQ(host.List().ItemAt(0)->Turns(), 0);

    // The web dialog, were it open, adds nothing to a list a run holds.
    LoopbackServer images;
    const std::wstring png = MakePhoto(dir_, L"web.png", 24, 16, CXIMAGE_FORMAT_PNG);
    images.SetScript({.response = HttpResponse(200, "Content-Type: image/png\r\n", ReadFile(png))});
    RunWebImage(host.List(), host.Wnd(), images.Url(L"/web.png"), 20000);
    EXPECT_EQ(host.List().Count(), 2);

    // Cancelled: the tools follow the selection again and both add buttons work.
    panel.answer = 0;
    panel.OnPostCommand();
    ASSERT_FALSE(panel.IsRunning());
    EXPECT_FALSE(panel.RotateRightTool.IsDisabled());
    EXPECT_FALSE(panel.AddUrlButton.IsDisabled());
    panel.OnRotate(&panel.RotateRightTool);
    EXPECT_EQ(host.List().ItemAt(0)->Turns(), 1);
    server.SetScript({.response = Ok("done")});
}

TEST_F(RunFaultsTest, ACaptionBeingTypedIsKeptWhenTheEditorLosesTheFocusOrPostIsPressed)
{
    LoopbackServer server;
    ServerScript script;
    script.responses = {Ok("one"), HttpResponse(500, "", "no")};
    server.SetScript(script);
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    ASSERT_TRUE(host.Queue(server.Url(L"/upload"), Photos(2)));

    PostAt(host, 0)->BeginEdit();
    HWND editor = ::GetFocus();
    ASSERT_NE(editor, nullptr);
    ::SetWindowTextW(editor, L"sunset");
    ::SetFocus(host.Wnd());  // anything else taking the focus
    EXPECT_EQ(host.List().EditingItem(), nullptr);
    EXPECT_EQ(host.List().ItemAt(0)->GetCaption(), SF_T("sunset"));

    // Typed into the second photo, then straight to the post button.
    PostAt(host, 1)->BeginEdit();
    ::SetWindowTextW(::GetFocus(), L"harbour");
    host.Click(panel.PostButton);
    ASSERT_TRUE(host.WaitIdle());
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(FieldValue(requests[0], "remark").rfind("c3Vuc2V0", 0), 0u) << FieldValue(requests[0], "remark");
    EXPECT_EQ(FieldValue(requests[1], "remark").rfind("aGFyYm91cg", 0), 0u) << FieldValue(requests[1], "remark");
    EXPECT_EQ(host.List().ItemAt(1)->GetCaption(), SF_T("harbour"));
}

TEST_F(RunFaultsTest, APhotoPostedBeforeItsPictureIsReadSendsItsNameAndAGifItsOwnBytes)
{
    LoopbackServer server;
    server.SetScript({.response = Ok("ok")});
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    const std::wstring gif = MakePhoto(dir_, L"anim.gif", 40, 30, CXIMAGE_FORMAT_GIF);
    const std::wstring jpg = MakePhoto(dir_, L"beach.jpg", 320, 240);
    panel.PutPostUrl(T(server.Url(L"/upload")).c_str());
    // Queued as a drop queues them, with the loader held back: it never gets to them.
    host.List().AddItem(new ListViewPostItem(T(gif)));
    host.List().AddItem(new ListViewPostItem(T(jpg)));
    panel.ShowLook();
    ASSERT_FALSE(host.List().ItemAt(0)->IsLoaded());
    EXPECT_EQ(host.List().ItemAt(0)->GetCaption(), SF_T("anim.gif"));

    host.Click(panel.PostButton);
    ASSERT_TRUE(host.WaitIdle());
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    // The remark is the file's name, never its full path.
    EXPECT_EQ(FieldValue(requests[0], "remark").rfind("YW5pbS5naWY", 0), 0u) << FieldValue(requests[0], "remark");
    EXPECT_LT(FieldValue(requests[0], "remark").size(), 20u);
    EXPECT_NE(RequestBody(requests[0]).find(ReadFile(gif)), std::string::npos) << "the GIF goes as its bytes";
    EXPECT_EQ(FieldValue(requests[0], "width"), "40");
    EXPECT_EQ(FieldValue(requests[0], "height"), "30");
    EXPECT_EQ(FieldValue(requests[1], "remark").rfind("YmVhY2guanBn", 0), 0u);
    EXPECT_EQ(FieldValue(requests[1], "width"), "320");
}

TEST_F(RunFaultsTest, AGifThatIsNoPictureFailsTheRunAtItsTurn)
{
    LoopbackServer server;
    server.SetScript({.response = Ok("ok")});
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    const std::wstring bad = dir_.File(L"broken.gif");
    ASSERT_TRUE(WriteFile(bad, "GIF89a but nothing after the signature"));
    ASSERT_TRUE(host.Queue(server.Url(L"/upload"), {bad, Photos(1)[0]}));

    host.Click(panel.PostButton);
    ASSERT_TRUE(host.WaitIdle());
    EXPECT_EQ(server.Requests().size(), 0u);
    ExpectFailedAtUnreadable(host, L"broken.gif", 2);
}

TEST_F(RunFaultsTest, ACancelledPostThatIsAnsweredLateNeitherCountsInTheNextRunNorHoldsThePage)
{
    LoopbackServer server;
    ServerScript script;
    script.vary = [](std::size_t n, ServerScript& s) {
        s.response = Ok("answer " + std::to_string(n));
        if (n == 0) s.silentMs = 3000;  // the photo that will be cancelled is answered late
    };
    server.SetScript(script);
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    ASSERT_TRUE(host.Queue(server.Url(L"/upload"), Photos(2)));
    host.Click(panel.PostButton);
    PumpFor(400);  // the first photo is at the server, which keeps its answer back

    StallProbe probe(host.Wnd());
    panel.answer = 0;
    panel.OnPostCommand();  // cancel, confirmed
    ASSERT_FALSE(panel.IsRunning());
    panel.OnPostCommand();  // and post again in the same turn
    ASSERT_TRUE(panel.IsRunning());
    ASSERT_TRUE(host.WaitIdle(30000));
    probe.Stop();

    EXPECT_LT(probe.Longest(), 1500u) << "the page waited for the cancelled post";
    ASSERT_EQ(host.callbacks.calls.size(), 1u);
    EXPECT_EQ(host.callbacks.calls[0].name, "AfterImagesPosted");
    EXPECT_EQ(panel.PostedFiles(), (std::vector<TString>{SF_T("answer 1"), SF_T("answer 2")}));
    // The first photo twice (its cancel raced its acceptance), the second once.
    EXPECT_EQ(server.Requests().size(), 3u);
}

TEST_F(RunFaultsTest, APreparationThatRunsOutOfMemoryFailsTheRunAtThatPhoto)
{
    LoopbackServer server;
    server.SetScript({.response = Ok("ok")});
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    ASSERT_TRUE(host.Queue(server.Url(L"/upload"), Photos(3)));
    const int doomed = host.List().ItemAt(1)->Id();
    Preparation::SetFaultForTests([doomed](const RunPhoto& photo) {
        if (photo.id == doomed) throw std::bad_alloc();
    });

    host.Click(panel.PostButton);
    ASSERT_TRUE(host.WaitIdle(10000)) << "the run waits for ever";
    EXPECT_EQ(server.Requests().size(), 1u);
    ExpectFailedAtUnreadable(host, L"p1.jpg", 3);
    EXPECT_TRUE(PostAt(host, 0)->IsUploaded());
    EXPECT_FALSE(PostAt(host, 1)->IsUploaded());
}

TEST_F(RunFaultsTest, CancelDoesNotWaitForAPhotoStillBeingPrepared)
{
    LoopbackServer server(4096);
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    // Every photo after the first takes long to prepare (a large picture).
    std::atomic<bool> release{false};
    Preparation::SetFaultForTests([&release, first = -1](const RunPhoto& photo) mutable {
        if (first < 0) first = photo.id;
        for (int waited = 0; photo.id != first && !release && waited < 3000; waited += 10) ::Sleep(10);
    });
    StartSlowRun(server, host, 3);
    PumpFor(200);  // the next photos are being prepared meanwhile

    const Stopwatch watch;
    panel.answer = 0;
    panel.OnPostCommand();
    EXPECT_LT(watch.Elapsed(), 1000u);
    EXPECT_FALSE(panel.IsRunning());
    release = true;
    Preparation::SetFaultForTests(nullptr);
    server.SetScript({.response = Ok("done")});  // the slow reader lets the cancelled upload go
}

TEST_F(RunFaultsTest, TheEditorsCommitWaitsForThoseWhoReadTheCaptions)
{
    PanelHost host;
    ASSERT_TRUE(host.Queue(L"http://127.0.0.1:9/", Photos(1)));
    PostAt(host, 0)->BeginEdit();
    ::SetWindowTextW(::GetFocus(), L"typed");

    // A reader holding the list's lock (as painting and the run do) sees one caption
    // throughout, and the editor's commit comes after it.
    std::atomic<bool> inside{false};
    TString before, after;
    std::thread reader([&] {
        host.List().VisitItems([&](ListViewItem& item) {
            before = item.GetCaption();
            inside = true;
            ::Sleep(300);
            after = item.GetCaption();
        });
    });
    while (!inside) ::Sleep(1);
    host.List().CommitCaptionEdit();
    reader.join();
    EXPECT_EQ(before, after);
    EXPECT_EQ(host.List().ItemAt(0)->GetCaption(), SF_T("typed"));
}

TEST_F(RunFaultsTest, TheWindowThreadNeverWaitsForTheLoadersDecode)
{
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    // A large PNG keeps the loader decoding for a while.
    const std::wstring big = MakePhoto(dir_, L"big.png", 5000, 3500, CXIMAGE_FORMAT_PNG);
    const std::vector<std::wstring> small = Photos(2);
    host.DropOnPanel({big});
    PumpFor(50);
    ASSERT_TRUE(host.List().IsLoading());

    const Stopwatch watch;
    host.DropOnPanel({small[0]});          // a second drop
    panel.OnSortChanged(1);                // a sort
    host.List().RemoveItem(host.List().ItemAt(1)->Id());  // a deletion
    host.DropOnPanel({small[1]});
    const ULONGLONG took = watch.Elapsed();
    const bool stillDecoding = !host.List().ItemAt(0)->IsLoaded();
    EXPECT_LT(took, 300u);
    EXPECT_TRUE(stillDecoding) << "the picture decoded too fast to tell";
    ASSERT_TRUE(host.WaitLoaded(30000));
    EXPECT_TRUE(host.List().ItemAt(0)->HasPicture());
    EXPECT_TRUE(host.List().ItemAt(1)->HasPicture());
}

TEST_F(RunFaultsTest, AFinishedRunFreesItsWebPicturesAndSelectAllComesBackWithNewPhotos)
{
    LoopbackServer server;
    server.SetScript({.response = Ok("ok")});
    PanelHost host;
    RecordingPanel& panel = host.Panel();
    panel.PutPostUrl(T(server.Url(L"/upload")).c_str());
    const std::string png = ReadFile(MakePhoto(dir_, L"web.png", 64, 48, CXIMAGE_FORMAT_PNG));
    auto* web = new ListViewPostItem(SF_T("web.png"), reinterpret_cast<const std::uint8_t*>(png.data()),
                                     static_cast<std::uint32_t>(png.size()), CXIMAGE_FORMAT_PNG);
    web->SetWeb(1);
    const std::weak_ptr<const std::vector<std::uint8_t>> bytes = web->Source().bytes;
    host.List().AddItem(web);
    panel.AfterAdding();

    host.Click(panel.PostButton);
    ASSERT_TRUE(host.WaitIdle());
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(bytes.expired()) << "the run kept the picture's bytes";
    EXPECT_TRUE(panel.SelectAllBox.IsDisabled());

    host.DropOnPanel(Photos(1));
    EXPECT_FALSE(panel.SelectAllBox.IsDisabled());
}

}  // namespace
