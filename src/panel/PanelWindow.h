#pragma once
// The smallest host of a panel: a top-level window of its own whose messages all go to the
// panel. The tool's panel command, the gallery and the tests use it; the browser hosts give
// the panel their own windows the same way.
#include <windows.h>

#include <memory>

#include "panel/UploadPanel.h"

class PanelWindow {
public:
    // A bare pop-up by default (Xvfb has no window manager to draw or wait for a frame);
    // a person's window can ask for a framed style. width x height is the client area.
    static constexpr DWORD kPopup = WS_POPUP | WS_CLIPCHILDREN;
    PanelWindow(PanelCallbacks& callbacks, int width, int height, const wchar_t* title = L"Snapferry",
                DWORD style = kPopup);
    // With a panel of the caller's making (a test's recording panel, say).
    PanelWindow(std::unique_ptr<UploadPanel> panel, int width, int height, const wchar_t* title = L"Snapferry",
                DWORD style = kPopup);
    ~PanelWindow();
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    HWND Handle() const { return wnd_; }
    UploadPanel& Panel() { return *panel_; }

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<UploadPanel> panel_;
    HWND wnd_ = nullptr;
};
