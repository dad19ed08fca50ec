#pragma once
// A panel in a real window under the test's control: drops through its real drop target,
// clicks at its controls' places, and a record of every callback, message and status text.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "image/CxImage.h"
#include "panel/PanelWindow.h"
#include "platform/DataObject.h"
#include "platform/TextConv.h"
#include "support/DataObjects.h"
#include "support/DialogDriver.h"
#include "support/MessagePump.h"
#include "support/TempDir.h"
#include "ui/listview/ListViewPostItem.h"

namespace test {

inline TString T(const std::wstring& text) { return Korvel::Text::TextFromWide<TChar>(text); }
inline std::wstring W(const TString& text) { return Korvel::Text::WideFromText(text); }

struct Callbacks : PanelCallbacks {
    struct Call {
        std::string name;
        int code;
        DWORD thread;
        std::size_t postedFiles;
    };
    std::vector<Call> calls;
    const PanelSettings* panel = nullptr;
    void OnImagesPosted() override { Record("AfterImagesPosted", 0); }
    void FireOnError(int code) override { Record("OnError", code); }
    void Record(const char* name, int code)
    {
        calls.push_back({name, code, ::GetCurrentThreadId(), panel ? panel->PostedFiles().size() : 0});
    }
};

// Records the messages it would show (answering with `answer`) and every status text.
class RecordingPanel : public UploadPanel {
public:
    using UploadPanel::UploadPanel;
    int answer = 0;
    bool realDialogs = false;
    std::vector<std::wstring> messages;
    std::vector<std::wstring> statuses;
    int ShowMessage(const Messages::Message& message) override
    {
        messages.push_back(message.text);
        return realDialogs ? UploadPanel::ShowMessage(message) : answer;
    }

protected:
    void SetText(Label& label, const TString& text) override
    {
        if (&label == &StatusLabel) statuses.push_back(W(text));
        UploadPanel::SetText(label, text);
    }
};

// Photos of a given size with a gradient, as JPEG (or another format) files.
inline std::wstring MakePhoto(const TempDir& dir, const std::wstring& name, unsigned width, unsigned height,
                              std::uint32_t format = CXIMAGE_FORMAT_JPG)
{
    CxImage image;
    image.Create(width, height, 24, format);
    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x)
            image.SetPixelColor(x, y, RGBQ{std::uint8_t(x * 7), std::uint8_t(y * 3), std::uint8_t((x + y) * 5), 255});
    const std::wstring path = dir.File(name);
    image.Save(path.c_str(), format);
    return path;
}

class PanelHost {
public:
    explicit PanelHost(int width = 760, int height = 520)
    {
        auto panel = std::make_unique<RecordingPanel>(callbacks);
        panel_ = panel.get();
        callbacks.panel = panel_;
        window_ = std::make_unique<PanelWindow>(std::move(panel), width, height);
        PumpFor(20);
    }
    ~PanelHost()
    {
        window_.reset();
        PumpFor(10);
    }
    RecordingPanel& Panel() { return *panel_; }
    HWND Wnd() const { return window_->Handle(); }
    ListView& List() { return panel_->ImageList; }

    // Files dropped onto the panel's own target, as the shell drops them.
    void DropOnPanel(const std::vector<std::wstring>& paths)
    {
        DropFileList(panel_, paths, POINTL{300, 200});
    }
    // The address to post to, then photos dropped and loaded: the panel ready to run.
    bool Queue(const std::wstring& url, const std::vector<std::wstring>& photos)
    {
        panel_->PutPostUrl(T(url).c_str());
        DropOnPanel(photos);
        return WaitLoaded();
    }
    // Waits until the list's loader has made every thumbnail.
    bool WaitLoaded(DWORD ms = 10000)
    {
        return PumpUntil([&] { return !List().IsLoading(); }, ms);
    }
    // A press and release at the middle of a control, as the mouse sends them.
    void Click(const Korvel::UI::ControlBase& control)
    {
        const RECT& b = control.GetBounds();
        const LPARAM at = MAKELPARAM((b.left + b.right) / 2, (b.top + b.bottom) / 2);
        ::SendMessageW(Wnd(), WM_MOUSEMOVE, 0, at);
        ::SendMessageW(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(Wnd(), WM_LBUTTONUP, 0, at);
    }
    bool WaitIdle(DWORD ms = 20000)
    {
        return PumpUntil([&] { return !panel_->IsRunning(); }, ms);
    }

    Callbacks callbacks;

private:
    RecordingPanel* panel_ = nullptr;
    std::unique_ptr<PanelWindow> window_;
};

// A run that stopped at a photo it could not read: the page heard of it once, the status
// line says so, the answer names the file and every photo is still queued.
inline void ExpectFailedAtUnreadable(PanelHost& host, const std::wstring& name, int queued)
{
    ASSERT_EQ(host.callbacks.calls.size(), 1u);
    EXPECT_EQ(host.callbacks.calls[0].name, "OnError");
    EXPECT_EQ(host.Panel().StatusLabel.Text(), L"上传错误");
    EXPECT_NE(W(host.Panel().Response()).find(name), std::wstring::npos);
    EXPECT_EQ(host.List().Count(), queued);
}

}  // namespace test
