// The panel's benchmark: a drop of many photos on a real panel window, then a whole run to
// a receiver on loopback. Prints "name value unit" lines: how long intake takes until every
// thumbnail is made and painted, private memory with the queue full and during the run, how
// soon the first request arrives, the longest time the window thread left a message
// unanswered (a probe thread asks every 20 ms), and the whole run.
// Usage: panel_bench --url URL --store DIR [--sequential] PHOTO...
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Biz/ConfigMgr.h"
#include "panel/PanelWindow.h"
#include "platform/DataObject.h"
#include "platform/TextConv.h"
#include "support/DataObjects.h"
#include "support/DialogDriver.h"
#include "support/MessagePump.h"

namespace {

struct Done : PanelCallbacks {
    bool completed = false, failed = false;
    void OnImagesPosted() override { completed = true; }
    void FireOnError(int) override { failed = true; }
};

// Samples private memory and the window thread's answers in the background.
class Probe {
public:
    explicit Probe(HWND wnd) : wnd_(wnd)
    {
        memory_ = std::thread([this] {
            while (!stop_) {
                PROCESS_MEMORY_COUNTERS_EX counters{};
                counters.cb = sizeof(counters);
                ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                       sizeof(counters));
                // Wine leaves PrivateUsage at 0; its PagefileUsage counts the same committed bytes.
                const std::size_t used = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
                std::size_t seen = peak_;
                while (used > seen && !peak_.compare_exchange_weak(seen, used)) {
                }
                ::Sleep(25);
            }
        });
        stall_ = std::thread([this] {
            while (!stop_) {
                const ULONGLONG start = ::GetTickCount64();
                DWORD_PTR result = 0;
                ::SendMessageTimeoutW(wnd_, WM_NULL, 0, 0, SMTO_BLOCK, 60000, &result);
                const auto took = static_cast<unsigned>(::GetTickCount64() - start);
                if (took > maxStall_) maxStall_ = took;
                ::Sleep(20);
            }
        });
    }
    ~Probe()
    {
        stop_ = true;
        memory_.join();
        stall_.join();
    }
    void Reset()
    {
        peak_ = 0;
        maxStall_ = 0;
    }
    double PeakMb() const { return static_cast<double>(peak_.load()) / 1048576.0; }
    unsigned MaxStallMs() const { return maxStall_; }

private:
    HWND wnd_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> peak_{0};
    std::atomic<unsigned> maxStall_{0};
    std::thread memory_, stall_;
};

void Report(const char* name, double value, const char* unit) { std::printf("%s %.3f %s\n", name, value, unit); }

bool AnyFile(const std::wstring& dir)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        if (entry.is_regular_file()) return true;
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring url, store;
    bool sequential = false;
    std::vector<std::wstring> photos;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--url" && i + 1 < argc) {
            url = argv[++i];
        } else if (a == L"--store" && i + 1 < argc) {
            store = argv[++i];
        } else if (a == L"--sequential") {
            sequential = true;
        } else {
            wchar_t full[MAX_PATH];
            ::GetFullPathNameW(a.c_str(), MAX_PATH, full, nullptr);
            photos.push_back(full);
        }
    }
    if (url.empty() || store.empty() || photos.empty()) {
        std::fprintf(stderr, "usage: panel_bench --url URL --store DIR [--sequential] PHOTO...\n");
        return 2;
    }
    ::OleInitialize(nullptr);
    ConfigMgr* config = ConfigMgr::Instance();
    config->SetThumbnailWidth(1024);
    config->SetThumbnailHeight(768);
    config->SetImageUploadType(SF_T("jpg"));
    config->SetJpegQuality(80);
    UploadPanel::SetPreparationAhead(!sequential);

    Done done;
    PanelWindow window(done, 1000, 700);
    UploadPanel& panel = window.Panel();
    panel.PutPostUrl(Korvel::Text::TextFromWide<TChar>(url).c_str());
    test::PumpFor(100);
    Probe probe(window.Handle());

    // Intake: the drop, until every thumbnail is made and the window has painted them.
    test::Stopwatch intake;
    // Two drops: the second while the first one's thumbnails are being made, as a visitor
    // adds more before the grid is done; the stall probe sees whether the window waited.
    auto drop = [&](const std::vector<std::wstring>& files) {
        Korvel::ComPtr<IDataObject> data = test::OneFormat(CF_HDROP, test::FileListBytes(files));
        IDropTarget* target = &panel;
        DWORD effect = DROPEFFECT_COPY;
        target->DragEnter(data.Get(), MK_LBUTTON, POINTL{300, 300}, &effect);
        effect = DROPEFFECT_COPY;
        // The hundredth photo reaches the queue's limit and the panel says so: a visitor's OK.
        test::DialogDriver confirm([](HWND dialog) { ::EndDialog(dialog, 0); });
        target->Drop(data.Get(), 0, POINTL{300, 300}, &effect);
    };
    const auto half = photos.begin() + static_cast<std::ptrdiff_t>(photos.size() / 2);
    drop(std::vector<std::wstring>(photos.begin(), half));
    test::PumpFor(200);
    drop(std::vector<std::wstring>(half, photos.end()));
    test::PumpUntil([&] { return !panel.ImageList.IsLoading(); }, 600000);
    ::RedrawWindow(window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double intakeS = intake.Elapsed() / 1000.0;
    test::PumpFor(300);
    if (!sequential) {
        Report("panel.intake_s", intakeS, "s");
        Report("panel.queue_peak_mb", probe.PeakMb(), "MB");
    }
    const unsigned intakeStall = probe.MaxStallMs();
    probe.Reset();

    // The run: the post button, as the mouse presses it.
    const RECT& b = panel.PostButton.GetBounds();
    const LPARAM at = MAKELPARAM((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    test::Stopwatch run;
    ::SendMessageW(window.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(window.Handle(), WM_LBUTTONUP, 0, at);
    double firstS = -1;
    test::PumpUntil(
        [&] {
            if (firstS < 0 && AnyFile(store)) firstS = run.Elapsed() / 1000.0;
            return done.completed || done.failed;
        },
        3600000);
    const double runS = run.Elapsed() / 1000.0;
    if (!done.completed) {
        std::fprintf(stderr, "panel_bench: the run failed: %ls\n", Korvel::Text::WideFromText(panel.Response()).c_str());
        return 1;
    }
    if (sequential) {
        Report("panel.run_sequential_s", runS, "s");
    } else {
        Report("panel.first_request_s", firstS, "s");
        Report("panel.max_stall_ms", std::max(intakeStall, probe.MaxStallMs()), "ms");
        Report("panel.run_s", runS, "s");
        Report("panel.run_peak_mb", probe.PeakMb(), "MB");
    }
    return 0;
}
