// An impatient visitor's whole day at one panel, at random but reproducibly: drops, picker
// and web adds, turns, captions, deletions, sorts, posts, cancels and posts again, against a
// server that is sometimes slow, sometimes refuses and sometimes answers late. After every
// step the panel must account for every photo: what the server accepted arrived once, with
// the turn and caption it had when its run began; what it did not accept is still queued with
// its edits; every run ends. SNAPFERRY_DAY_SEED picks another day.
#include <gtest/gtest.h>

#include "support/LoopbackServer.h"  // its sockets header comes before windows.h

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>

#include "Biz/ConfigMgr.h"
#include "Biz/Remark.h"
#include "Network/HttpForm.h"
#include "Network/WinINetPoster.h"
#include "Network/WireText.h"
#include "image/UploadPreparation.h"
#include "PanelFixture.h"
#include "RunProbes.h"
#include "support/DialogRuns.h"

namespace test {
std::string ReadFile(const std::wstring& path);
}  // namespace test

namespace {

using namespace test;

constexpr unsigned kWidth = 96, kHeight = 64;  // every photo of the day

// The server's mood for its n-th request, the same for every run of one seed.
void Mood(std::uint32_t seed, std::size_t n, ServerScript& script)
{
    std::mt19937 pick(seed * 7919u + static_cast<std::uint32_t>(n));
    const int roll = static_cast<int>(pick() % 100);
    script.response = Ok("ok#" + std::to_string(n));
    if (roll < 15) {
        script.readChunk = 512;
        script.pauseMs = 15;  // slow
    } else if (roll < 25) {
        script.response = HttpResponse(500, "", "no#" + std::to_string(n));  // refuses
    } else if (roll < 40) {
        script.silentMs = 150 + static_cast<int>(pick() % 600);  // answers late
    }
}

// What one photo should be, as far as the visitor knows.
struct Expected {
    TString caption;
    bool web = false;
    int turns = 0;
    bool accepted = false;
};

std::string Utf8(const TString& text) { return Korvel::Text::Utf8FromWide(W(text)); }

// What a request carried, read back from its bytes.
struct Sent {
    std::string fileName, remark, width, height;
};

Sent ReadSent(const std::string& raw)
{
    Sent sent{{}, FieldValue(raw, "remark"), FieldValue(raw, "width"), FieldValue(raw, "height")};
    const std::string key = "filename=\"";
    const std::size_t at = raw.find(key);
    if (at != std::string::npos) sent.fileName = raw.substr(at + key.size(), raw.find('"', at + key.size()) - at - key.size());
    return sent;
}

// The remark field as the panel's form writes it for a caption.
std::string RemarkOnTheWire(const TString& caption, const TString& charset)
{
    HttpForm form;
    form.SetCharset(charset);
    form.AddFormField(SF_T("remark"), EncodeRemark(caption));
    return FieldValue("\r\n\r\n" + Network::AnsiBytes(form.GetFieldsText()), "remark");
}

// A file name as the form's file part writes it.
std::string FileNameOnTheWire(const TString& name, const TString& charset)
{
    HttpForm form;
    form.SetCharset(charset);
    form.AddStreamField(1, name);
    return ReadSent("\r\n\r\n" + Network::AnsiBytes(form.GetFieldsText())).fileName;
}

class VisitorDay {
public:
    VisitorDay(std::uint32_t seed, const TempDir& dir) : seed_(seed), random_(seed), dir_(dir)
    {
        webPicture_ = ReadFile(MakePhoto(dir_, L"served.png", kWidth, kHeight, CXIMAGE_FORMAT_PNG));
        ServerScript script;
        script.vary = [seed](std::size_t n, ServerScript& s) { Mood(seed, n, s); };
        server_.SetScript(script);
        ServerScript pictures;
        pictures.response = HttpResponse(200, "Content-Type: image/png\r\n", webPicture_);
        images_.SetScript(pictures);
        panel().PutPostUrl(T(server_.Url(L"/upload")).c_str());
        panel().answer = 0;  // every cancel question is confirmed
    }

    // One random step, then the checks.
    void Step(int step)
    {
        const int roll = Roll(100);
        if (roll < 14) {
            Drop(1 + Roll(3));
        } else if (roll < 17) {
            AddFromPicker();
        } else if (roll < 20) {
            AddFromWeb();
        } else if (roll < 34) {
            Turn();
        } else if (roll < 46) {
            Caption(step);
        } else if (roll < 52) {
            Delete();
        } else if (roll < 57) {
            panel().OnSortChanged(Roll(4));
        } else if (roll < 78) {
            Post();
        } else {
            PumpFor(static_cast<DWORD>(Roll(150)));
        }
        Check();
    }

    // The day ends: the last run must end too.
    void End()
    {
        ASSERT_TRUE(host_.WaitIdle(40000)) << "a run did not end";
        PumpFor(300);
        Check();
    }

    int Duplicates() const { return duplicates_; }
    int Accepted() const { return static_cast<int>(acceptedRequests_.size()); }

private:
    RecordingPanel& panel() { return host_.Panel(); }
    ListView& list() { return host_.List(); }
    int Roll(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

    std::wstring NewPhoto(const std::wstring& folder)
    {
        std::filesystem::create_directories(folder);
        const std::wstring path = folder + L"\\d" + std::to_wstring(made_++) + L".jpg";
        CxImage image;
        image.Create(kWidth, kHeight, 24, CXIMAGE_FORMAT_JPG);
        for (unsigned y = 0; y < kHeight; ++y)
            for (unsigned x = 0; x < kWidth; ++x) image.SetPixelColor(x, y, RGBQ{std::uint8_t(x * 3), std::uint8_t(made_), std::uint8_t(y), 255});
        image.Save(path.c_str(), CXIMAGE_FORMAT_JPG);
        return path;
    }

    bool Idle() { return !panel().IsRunning(); }

    void Drop(int count)
    {
        std::vector<std::wstring> paths;
        for (int i = 0; i < count; ++i) paths.push_back(NewPhoto(dir_.File(L"drops")));
        const bool idle = Idle();
        host_.DropOnPanel(paths);
        // During a run nothing comes in.
        for (const std::wstring& path : paths)
            if (idle) expected_[T(path)] = Expected{T(std::filesystem::path(path).filename().wstring())};
    }

    void AddFromPicker()
    {
        const std::wstring folder = dir_.File(L"pick" + std::to_wstring(made_));
        const std::vector<std::wstring> paths{NewPhoto(folder), NewPhoto(folder)};
        if (!Idle()) return;  // the add button is off during a run
        panel().AfterAdding();
        const DialogRun run = RunPicker(list(), host_.Wnd(), folder, PickChoice{true, {}}, 30000);
        panel().AfterAdding();
        for (const std::wstring& path : paths)
            if (list().ContainsPath(T(path))) expected_[T(path)] = Expected{T(std::filesystem::path(path).filename().wstring())};
    }

    void AddFromWeb()
    {
        const std::wstring name = L"w" + std::to_wstring(made_++) + L".png";
        const bool wasRunning = panel().IsRunning();
        RunWebImage(list(), host_.Wnd(), images_.Url(L"/" + name), 30000);
        panel().AfterAdding();
        // It may come in only once the list is free again (a run that ended meanwhile).
        for (int i = 0; i < list().Count(); ++i) {
            const TString path = list().ItemAt(i)->GetPath();
            if (NameOf(path) != T(name)) continue;
            EXPECT_FALSE(wasRunning && panel().IsRunning()) << "a web picture entered a running list";
            expected_[path] = Expected{T(name), true};
        }
    }

    ListViewPostItem* RandomPhoto()
    {
        if (list().IsEmpty()) return nullptr;
        return dynamic_cast<ListViewPostItem*>(list().ItemAt(Roll(list().Count())));
    }

    void Select(ListViewItem* item)
    {
        list().SelectAll(false);
        item->Select();
        list().AddToSelection(item);
        list().SelectionChanged.emit(1);
    }

    void Turn()
    {
        ListViewPostItem* item = RandomPhoto();
        if (!item) return;
        Select(item);
        panel().OnRotate(Roll(2) ? &panel().RotateLeftTool : &panel().RotateRightTool);
        // A photo not yet read has nothing to turn; during a run nothing turns.
        const int turns = item->Turns();
        Expected& expected = expected_[item->GetPath()];
        if (!Idle()) {
            EXPECT_EQ(turns, expected.turns) << "turned during a run";
        }
        expected.turns = turns;
    }

    void Caption(int step)
    {
        ListViewPostItem* item = RandomPhoto();
        // (A web picture keeps its name: the control sends it under its caption.)
        if (!item || item->IsWeb() || !Idle()) return;
        item->BeginEdit();
        HWND editor = ::GetFocus();
        if (!editor || list().EditingItem() != item) return;
        const std::wstring text = L"说明" + std::to_wstring(step);
        ::SetWindowTextW(editor, text.c_str());
        expected_[item->GetPath()].caption = T(text);
        // Left to whatever comes next: the focus moving on, the post button, a click.
        switch (Roll(3)) {
        case 0:
            ::SetFocus(host_.Wnd());
            break;
        case 1:
            Post();
            break;
        default:
            break;  // the next step's action commits it, or the next check does
        }
    }

    void Delete()
    {
        ListViewPostItem* item = RandomPhoto();
        if (!item) return;
        Select(item);
        const TString path = item->GetPath();
        const bool idle = Idle();
        panel().OnDelete();
        if (idle) {
            EXPECT_FALSE(list().ContainsPath(path));
            expected_.erase(path);
        } else {
            EXPECT_TRUE(list().ContainsPath(path)) << "deleted during a run";
        }
    }

    void Post()
    {
        const bool wasIdle = Idle();
        const std::size_t requestsBefore = server_.Requests().size();
        const std::map<TString, Expected> snapshot = expected_;
        host_.Click(panel().PostButton);
        if (wasIdle && panel().IsRunning()) runs_.push_back(Run{requestsBefore, snapshot});
        // Now and then the visitor changes their mind at once, or posts again right away.
        if (!wasIdle && Roll(2) == 0) {
            host_.Click(panel().PostButton);
            if (panel().IsRunning()) runs_.push_back(Run{server_.Requests().size(), expected_});
        }
    }

    // Every accepted photo came once and as it was; every other one is still queued as it is.
    void Check()
    {
        list().CommitCaptionEdit();
        // The server's side: each accepted request names its photo.
        const std::vector<std::string> requests = server_.Requests();
        const std::vector<TString>& posted = panel().PostedFiles();
        for (; seenPosted_ < posted.size(); ++seenPosted_) {
            const std::string answer = Utf8(posted[seenPosted_]);
            ASSERT_EQ(answer.rfind("ok#", 0), 0u) << answer;
            const std::size_t n = std::stoul(answer.substr(3));
            ASSERT_LT(n, requests.size());
            ASSERT_TRUE(acceptedRequests_.insert(n).second) << "one answer counted twice";
            const Sent sent = ReadSent(requests[n]);
            ASSERT_TRUE(acceptedNames_.insert(sent.fileName).second) << sent.fileName << " accepted twice";
            // The run the request belongs to: the last one begun before it reached the server.
            const Run* run = nullptr;
            for (const Run& r : runs_)
                if (r.requestsBefore <= n) run = &r;
            ASSERT_NE(run, nullptr);
            const Expected* photo = nullptr;
            for (const auto& [path, expected] : run->photos)
                if (SentName(path, expected) == sent.fileName) photo = &expected;
            ASSERT_NE(photo, nullptr) << sent.fileName << " was never queued";
            EXPECT_EQ(sent.remark, RemarkOnTheWire(photo->caption, panel().EncodeType())) << sent.fileName;
            const bool across = photo->turns % 2 != 0;
            EXPECT_EQ(sent.width, std::to_string(across ? kHeight : kWidth)) << sent.fileName;
            EXPECT_EQ(sent.height, std::to_string(across ? kWidth : kHeight)) << sent.fileName;
            for (auto& [path, expected] : expected_)
                if (SentName(path, expected) == sent.fileName) expected.accepted = true;
        }
        // Photos the server took (a 200 to a whole request) and was sent again: only where a
        // cancel raced the acceptance, since a counted one is never sent twice (checked above).
        std::set<std::string> taken;
        duplicates_ = 0;
        for (std::size_t n = 0; n < requests.size(); ++n) {
            const std::string name = ReadSent(requests[n]).fileName;
            if (taken.count(name)) ++duplicates_;
            ServerScript mood;
            Mood(seed_, n, mood);
            const std::string head = RequestHead(requests[n]);
            const std::size_t length = head.find("Content-Length: ");
            const bool whole = length != std::string::npos &&
                               RequestBody(requests[n]).size() >= std::stoul(head.substr(length + 16));
            if (whole && mood.response.rfind("HTTP/1.1 200", 0) == 0) taken.insert(name);
        }
        // A complete run empties the list: what it held was accepted, and only that goes.
        const auto& calls = host_.callbacks.calls;
        const auto completed = static_cast<std::size_t>(
            std::count_if(calls.begin(), calls.end(), [](const Callbacks::Call& c) { return c.name == "AfterImagesPosted"; }));
        if (completed > completedRuns_) {
            completedRuns_ = completed;
            std::erase_if(expected_, [](const auto& entry) { return entry.second.accepted; });
        }
        std::set<TString> inList;
        for (int i = 0; i < list().Count(); ++i) {
            auto* item = dynamic_cast<ListViewPostItem*>(list().ItemAt(i));
            ASSERT_NE(item, nullptr);
            inList.insert(item->GetPath());
            const auto found = expected_.find(item->GetPath());
            ASSERT_NE(found, expected_.end()) << NameOf(item->GetPath()) << " came from nowhere";
            EXPECT_EQ(item->GetCaption(), found->second.caption);
            EXPECT_EQ(item->Turns(), found->second.turns) << NameOf(item->GetPath());
            EXPECT_EQ(item->IsUploaded(), found->second.accepted) << NameOf(item->GetPath());
        }
        for (const auto& [path, expected] : expected_) EXPECT_TRUE(inList.count(path)) << NameOf(path) << " went missing";
    }

    // The file name a photo goes under: the control sends a web picture under its caption.
    std::string SentName(const TString& path, const Expected& photo)
    {
        TString name = UploadFileName(NameOf(path));
#if defined(SF_WIDE)
        if (photo.web) name = photo.caption;
#endif
        (void)photo;
        return FileNameOnTheWire(name, panel().EncodeType());
    }

    static TString NameOf(const TString& path)
    {
        const std::size_t slash = path.find_last_of(SF_T("\\/"));
        return slash == TString::npos ? path : path.substr(slash + 1);
    }

    struct Run {
        std::size_t requestsBefore;
        std::map<TString, Expected> photos;
    };

    const std::uint32_t seed_;
    std::mt19937 random_;
    const TempDir& dir_;
    LoopbackServer server_;
    LoopbackServer images_;
    std::string webPicture_;
    PanelHost host_;
    int made_ = 0;
    std::map<TString, Expected> expected_;  // by path (a web picture's is its address)
    std::vector<Run> runs_;
    std::size_t seenPosted_ = 0;
    std::set<std::size_t> acceptedRequests_;
    std::set<std::string> acceptedNames_;
    int duplicates_ = 0;
    std::size_t completedRuns_ = 0;
};

TEST(VisitorDay, EveryPhotoAndEditIsAccountedForThroughoutARandomDay)
{
    ::OleInitialize(nullptr);
    ConfigMgr::Instance()->ResetToDefaults();
    WinINetPoster::SetTimeouts(3000, 3000);
    const char* chosen = std::getenv("SNAPFERRY_DAY_SEED");
    const std::uint32_t seed = chosen ? static_cast<std::uint32_t>(std::strtoul(chosen, nullptr, 10)) : 20261211u;
    SCOPED_TRACE("seed " + std::to_string(seed) + " (SNAPFERRY_DAY_SEED repeats this day)");
    TempDir dir;
    {
        VisitorDay day(seed, dir);
        const Stopwatch watch;
        for (int step = 0; step < 160 && watch.Elapsed() < 30000 && !::testing::Test::HasFatalFailure(); ++step) {
            SCOPED_TRACE("step " + std::to_string(step));
            day.Step(step);
        }
        if (!::testing::Test::HasFatalFailure()) day.End();
        std::printf("visitor day %u: %d photos accepted, %d sent twice after a cancel raced their acceptance\n", seed,
                    day.Accepted(), day.Duplicates());
    }
    WinINetPoster::SetTimeouts(30000, 60000);
    ConfigMgr::Instance()->ResetToDefaults();
}

}  // namespace
