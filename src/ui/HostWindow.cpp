#include "ui/HostWindow.h"

#include "platform/Module.h"
#include "ui/WindowClass.h"

namespace Korvel::UI {

namespace {

const wchar_t kClassName[] = L"SnapferryHostWindow";

}  // namespace

HostWindow::HostWindow(int width, int height, const wchar_t* title, ControlHost::Options options)
    : host_(root_, options)
{
    RegisterWindowClassOnce(kClassName, &HostWindow::WindowProc);
    RECT frame{0, 0, width, height};
    // A bare pop-up: no frame to wait on a window manager for, which Xvfb does not have.
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    wnd_ = ::CreateWindowExW(0, kClassName, title, style, 0, 0, frame.right - frame.left,
                             frame.bottom - frame.top, nullptr, nullptr, ThisModule(), this);
    root_.SetWindowHandle(wnd_);
    RECT client;
    ::GetClientRect(wnd_, &client);
    root_.SetBounds(client);
    ::ShowWindow(wnd_, SW_SHOWNOACTIVATE);
}

HostWindow::~HostWindow()
{
    if (wnd_) ::DestroyWindow(wnd_);
}

void HostWindow::Relayout()
{
    root_.OnContainerSized();
    ::InvalidateRect(wnd_, nullptr, FALSE);
}

void HostWindow::PaintNow()
{
    ::InvalidateRect(wnd_, nullptr, FALSE);
    ::UpdateWindow(wnd_);
}

LRESULT CALLBACK HostWindow::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = WindowObject<HostWindow>(wnd, message, lParam);
    if (message == WM_NCCREATE && self) self->wnd_ = wnd;
    LRESULT result = 0;
    if (self && self->host_.Route(wnd, message, wParam, lParam, &result)) {
        if (message == WM_DESTROY) {
            ForgetWindowObject(wnd);
            self->wnd_ = nullptr;
        }
        return result;
    }
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}

}  // namespace Korvel::UI
