// The system's modal drag loop run by OleDrager, driven by synthetic mouse and key input,
// dropping on a window with our drop target registered.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/MessagePump.h"
#include "platform/DataObject.h"
#include "platform/DragFormats.h"
#include "platform/DropSource.h"
#include "platform/DropTarget.h"
#include "support/DataObjects.h"

namespace {

using namespace std::chrono_literals;
using Korvel::ComPtr;

// Records what the loop brought to the window.
class DropRecorder : public CIDropTargetImpl {
public:
    std::atomic<int> entered{0};
    DWORD lastOver = 0xFFFF;
    int fileDrops = 0, privateDrops = 0;
    std::vector<std::wstring> files;
    int id = -1;
    POINTL at{};

    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override
    {
        ++entered;
        return CIDropTargetImpl::DragEnter(data, keys, pt, effect);
    }
    STDMETHODIMP DragOver(DWORD keys, POINTL pt, DWORD* effect) override
    {
        const HRESULT hr = CIDropTargetImpl::DragOver(keys, pt, effect);
        lastOver = *effect;
        return hr;
    }
    void OnDropFiles(HDROP drop) override
    {
        ++fileDrops;
        const UINT n = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < n; ++i) {
            wchar_t name[MAX_PATH] = {};
            ::DragQueryFileW(drop, i, name, MAX_PATH);
            files.push_back(name);
        }
    }
    void OnDropPrivate(IDataObject* data, DWORD, POINTL pt, DWORD*) override
    {
        ++privateDrops;
        at = pt;
        ReadItemId(data, &id);
    }
    int Drops() const { return fileDrops + privateDrops; }
};

void Mouse(DWORD flags, int x = 0, int y = 0)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        in.mi.dx = MulDiv(x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = MulDiv(y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    ::SendInput(1, &in, sizeof in);
}

void Key(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &in, sizeof in);
}

void MoveTo(int x, int y)
{
    ::SetCursorPos(x, y);
    Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
}

// Plays input on its own thread once the test thread sits in the drag loop (ready() says
// so). After its script it keeps pressing Escape and releasing the button until the loop
// has returned, and ends the process if even that fails, so a run is bounded in time.
class InputPlayer {
public:
    InputPlayer(std::function<bool()> ready, std::function<void()> script)
        : thread_([this, ready, script] { Run(ready, script); })
    {
    }
    ~InputPlayer() { Finish(); }
    void Finish()
    {
        done_ = true;
        if (thread_.joinable()) thread_.join();
    }

private:
    void Run(const std::function<bool()>& ready, const std::function<void()>& script)
    {
        const auto waitUntil = std::chrono::steady_clock::now() + 5s;
        while (!ready() && !done_ && std::chrono::steady_clock::now() < waitUntil) std::this_thread::sleep_for(10ms);
        if (!done_) script();
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        for (int i = 1; !done_; ++i) {
            std::this_thread::sleep_for(100ms);
            if (i % 20 == 0) {
                Key(VK_ESCAPE, false);
                Key(VK_ESCAPE, true);
                Mouse(MOUSEEVENTF_LEFTUP);
            }
            if (std::chrono::steady_clock::now() > deadline) {
                std::fprintf(stderr, "the drag loop did not end\n");
                std::fflush(stderr);
                ::TerminateProcess(::GetCurrentProcess(), 3);
            }
        }
    }

    std::atomic<bool> done_{false};
    std::thread thread_;
};

// The window spans 100..400 on both axes; drags start at its (50, 50) and end at its
// (140, 150).
constexpr POINT kStart{150, 150}, kEnd{240, 250};

enum class Finish { Release, Escape };

struct Outcome {
    HRESULT hr;
    DWORD effect;
};

// One window for the suite: destroying a window that held the pointer costs Wine seconds.
class DragLoop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_TRUE(DragFormats::Instance().RegisterFormat(kListViewItemFormat));
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"DragLoopTarget";
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        ::RegisterClassW(&wc);
        window_ = ::CreateWindowExW(WS_EX_TOPMOST, L"DragLoopTarget", L"drop here", WS_POPUP | WS_VISIBLE, 100, 100,
                                    300, 300, nullptr, nullptr, wc.hInstance, nullptr);
        ::SetForegroundWindow(window_);
    }
    static void TearDownTestSuite()
    {
        if (window_) ::DestroyWindow(window_);
        window_ = nullptr;
        ::OleUninitialize();
    }
    void SetUp() override
    {
        ASSERT_TRUE(window_);
        ASSERT_EQ(::RegisterDragDrop(window_, &target_), S_OK);
        Mouse(MOUSEEVENTF_LEFTUP);
        test::PumpFor(100);
    }
    void TearDown() override { ::RevokeDragDrop(window_); }

    // Presses the button on the window, starts the loop, glides across and finishes.
    Outcome Drag(const std::function<HRESULT(DWORD*)>& loop, Finish finish)
    {
        MoveTo(kStart.x, kStart.y);
        test::PumpFor(50);
        Mouse(MOUSEEVENTF_LEFTDOWN);
        test::PumpFor(100);
        EXPECT_TRUE(::GetAsyncKeyState(VK_LBUTTON) & 0x8000) << "the synthetic press did not arrive";
        InputPlayer player([this] { return target_.entered > 0; }, [finish] {
            for (int i = 1; i <= 10; ++i) {
                MoveTo(kStart.x + (kEnd.x - kStart.x) * i / 10, kStart.y + (kEnd.y - kStart.y) * i / 10);
                std::this_thread::sleep_for(40ms);
            }
            if (finish == Finish::Escape) {
                Key(VK_ESCAPE, false);
                std::this_thread::sleep_for(100ms);
                Key(VK_ESCAPE, true);
            } else {
                Mouse(MOUSEEVENTF_LEFTUP);
            }
        });
        Outcome out{E_FAIL, 0xFFFF};
        out.hr = loop(&out.effect);
        player.Finish();
        Mouse(MOUSEEVENTF_LEFTUP);
        test::PumpFor(50);
        return out;
    }

    static inline HWND window_ = nullptr;
    DropRecorder target_;
};

TEST_F(DragLoop, AnItemDraggedWithinTheWindowIsDroppedAsACopy)
{
    OleDrager drager;
    drager.Arm(MakeItemDataObject(77).Get());
    const Outcome out = Drag([&](DWORD* effect) { return drager.StartDrag(window_, effect); }, Finish::Release);
    EXPECT_EQ(out.hr, DRAGDROP_S_DROP);
    EXPECT_EQ(out.effect, DWORD(DROPEFFECT_COPY));
    EXPECT_FALSE(drager.IsArmed());
    EXPECT_GE(target_.entered, 1);
    EXPECT_EQ(target_.privateDrops, 1);
    EXPECT_EQ(target_.id, 77);
    EXPECT_EQ(target_.at.x, kEnd.x);
    EXPECT_EQ(target_.at.y, kEnd.y);
}

TEST_F(DragLoop, EscapeCancelsTheDrag)
{
    OleDrager drager;
    drager.Arm(MakeItemDataObject(5).Get());
    const Outcome out = Drag([&](DWORD* effect) { return drager.StartDrag(window_, effect); }, Finish::Escape);
    EXPECT_EQ(out.hr, DRAGDROP_S_CANCEL);
    EXPECT_EQ(out.effect, DWORD(DROPEFFECT_NONE));
    EXPECT_FALSE(drager.IsArmed());
    EXPECT_GE(target_.entered, 1);
    EXPECT_EQ(target_.Drops(), 0);
}

TEST_F(DragLoop, FilesOfferedForMoveAreTakenAsACopy)
{
    ComPtr<IDataObject> files = test::OneFormat(CF_HDROP, test::FileListBytes({L"C:\\相册\\a.jpg"}));
    ComPtr<IDropSource> source(new IDropSourceImpl, false);
    const Outcome out = Drag(
        [&](DWORD* effect) {
            return ::DoDragDrop(files.Get(), source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, effect);
        },
        Finish::Release);
    EXPECT_EQ(out.hr, DRAGDROP_S_DROP);
    EXPECT_EQ(out.effect, DWORD(DROPEFFECT_COPY)) << "a move would have the source delete its files";
    EXPECT_EQ(target_.lastOver, DWORD(DROPEFFECT_MOVE));
    EXPECT_EQ(target_.files, std::vector<std::wstring>{L"C:\\相册\\a.jpg"});
}

TEST_F(DragLoop, TextIsNotTaken)
{
    ComPtr<IDataObject> text = test::OneFormat(CF_UNICODETEXT, {'h', 0, 'i', 0, 0, 0});
    ComPtr<IDropSource> source(new IDropSourceImpl, false);
    const Outcome out = Drag(
        [&](DWORD* effect) {
            return ::DoDragDrop(text.Get(), source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, effect);
        },
        Finish::Release);
    EXPECT_EQ(out.effect, DWORD(DROPEFFECT_NONE));
    EXPECT_GE(target_.entered, 1);
    EXPECT_EQ(target_.lastOver, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(target_.Drops(), 0);
}

}  // namespace
