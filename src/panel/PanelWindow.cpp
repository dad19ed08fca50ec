#include "panel/PanelWindow.h"

#include "platform/Module.h"
#include "ui/WindowClass.h"

namespace {

const wchar_t kClassName[] = L"SnapferryPanelWindow";

}  // namespace

PanelWindow::PanelWindow(PanelCallbacks& callbacks, int width, int height, const wchar_t* title, DWORD style)
    : PanelWindow(std::make_unique<UploadPanel>(callbacks), width, height, title, style)
{
}

PanelWindow::PanelWindow(std::unique_ptr<UploadPanel> panel, int width, int height, const wchar_t* title,
                         DWORD style)
    : panel_(std::move(panel))
{
    Korvel::UI::RegisterWindowClassOnce(kClassName, &PanelWindow::WindowProc);
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int x = (style & WS_CAPTION) ? CW_USEDEFAULT : 0;
    wnd_ = ::CreateWindowExW(0, kClassName, title, style, x, 0, frame.right - frame.left, frame.bottom - frame.top,
                             nullptr, nullptr, Korvel::ThisModule(), this);
    if (wnd_) ::ShowWindow(wnd_, SW_SHOW);
}

PanelWindow::~PanelWindow()
{
    if (wnd_) ::DestroyWindow(wnd_);
}

LRESULT CALLBACK PanelWindow::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = Korvel::UI::WindowObject<PanelWindow>(wnd, message, lParam);
    if (message == WM_NCCREATE && self) self->wnd_ = wnd;
    LRESULT result = 0;
    if (self && self->panel_->HandleMessage(wnd, message, wParam, lParam, &result)) {
        if (message == WM_DESTROY) {
            Korvel::UI::ForgetWindowObject(wnd);
            self->wnd_ = nullptr;
        }
        return result;
    }
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}
