#include "ui/ControlHost.h"

#include <windowsx.h>

#include <climits>

namespace Korvel::UI {

ControlHost::ControlHost(ControlBase& root) : ControlHost(root, Options{}) {}

ControlHost::ControlHost(ControlBase& root, Options options) : root_(root), options_(options) {}

bool ControlHost::Route(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    switch (message) {
    case WM_SIZE:
        Resized(wnd);
        return true;
    case WM_PAINT:
        Paint(wnd);
        return true;
    case WM_ERASEBKGND:
        *result = 1;  // the back buffer covers every pixel
        return true;
    case WM_LBUTTONDOWN:
        MouseDown(wnd, wParam, lParam);
        return true;
    case WM_LBUTTONUP:
        MouseUp(wParam, lParam);
        return true;
    case WM_MOUSEMOVE:
        MouseMove(wnd, wParam, lParam);
        return true;
    case WM_MOUSELEAVE:
        root_.OnMouseLeave();
        tracking_ = false;
        return true;
    case WM_CAPTURECHANGED:
        CaptureLost(wnd, reinterpret_cast<HWND>(lParam));
        return true;
    case WM_DESTROY:
        buffer_.Release();
        capture_ = nullptr;
        root_.Destroy();
        return true;
    default:
        return false;
    }
}

void ControlHost::Resized(HWND wnd)
{
    RECT client;
    ::GetClientRect(wnd, &client);
    WindowDC screen(wnd);
    buffer_.Recreate(screen.Get(), client.right, client.bottom);
    if (sized) {
        sized(client.right, client.bottom);
    } else {
        root_.SetBounds(client);
        root_.OnContainerSized();
    }
    ::InvalidateRect(wnd, nullptr, FALSE);
}

void ControlHost::Paint(HWND wnd)
{
    PaintDC paint(wnd);
    RECT client;
    ::GetClientRect(wnd, &client);
    if (!buffer_.Ensure(paint.Get(), client.right, client.bottom)) return;
    MemoryDC spare(::CreateCompatibleDC(paint.Get()));
    if (paintBackground) paintBackground(buffer_.DC(), client);
    CPaintEventArgs e(buffer_.DC(), spare.Get());
    root_.OnPaint(e);
    ::BitBlt(paint.Get(), 0, 0, client.right, client.bottom, buffer_.DC(), 0, 0, SRCCOPY);
}

CMouseEventArgs ControlHost::MouseArgs(WPARAM wParam, LPARAM lParam) const
{
    const int keys = options_.passKeyFlags ? static_cast<int>(wParam) : MK_LBUTTON;
    return CMouseEventArgs(keys, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

void ControlHost::MouseDown(HWND wnd, WPARAM wParam, LPARAM lParam)
{
    CMouseEventArgs e = MouseArgs(wParam, lParam);
    root_.OnMouseDown(e);
    if (!e.handled) {
        if (unclaimedMouseDown) unclaimedMouseDown(e);
        return;
    }
    if (options_.captureControl && e.target) {
        capture_ = e.target;
        // Keep the release even when it happens outside the window, so no control is
        // left looking pressed.
        ::SetCapture(wnd);
    }
}

void ControlHost::MouseUp(WPARAM wParam, LPARAM lParam)
{
    CMouseEventArgs e = MouseArgs(wParam, lParam);
    if (ControlBase* target = capture_) {
        capture_ = nullptr;
        target->OnMouseUp(e);
        ::ReleaseCapture();
        return;
    }
    root_.OnMouseUp(e);
}

void ControlHost::MouseMove(HWND wnd, WPARAM wParam, LPARAM lParam)
{
    CMouseEventArgs e = MouseArgs(wParam, lParam);
    if (capture_) {
        capture_->OnMouseMove(e);
        return;
    }
    root_.OnMouseMove(e);
    if (options_.trackLeave && !tracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE | TME_HOVER, wnd, 10};
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
    }
}

void ControlHost::CaptureLost(HWND wnd, HWND taker)
{
    // Another window took the mouse mid-press: end the gesture outside every control, so
    // the pressed control resets without a click.
    if (!capture_ || taker == wnd) return;
    ControlBase* target = capture_;
    capture_ = nullptr;
    CMouseEventArgs e(MK_LBUTTON, POINT{INT_MIN / 2, INT_MIN / 2});
    target->OnMouseUp(e);
}

}  // namespace Korvel::UI
