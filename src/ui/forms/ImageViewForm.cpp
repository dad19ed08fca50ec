#include "ui/forms/ImageViewForm.h"

#include "platform/Handle.h"
#include "platform/Module.h"
#include "ui/Drawing.h"
#include "ui/WindowClass.h"
#include "ui/listview/ListViewItem.h"

namespace {

const wchar_t kClassName[] = L"SnapferryImageView";

}  // namespace

ImageViewForm::ImageViewForm(ListViewItem* item) : item_(item), image_(item ? item->LoadPicture() : nullptr) {}

bool ImageViewForm::Open()
{
    // Nothing to show: no window at all rather than an empty one.
    if (!image_) {
        delete this;
        return false;
    }
    const int width = static_cast<int>(image_->Width());
    const int height = static_cast<int>(image_->Height());
    if (!Korvel::UI::RegisterWindowClassOnce(kClassName, &ImageViewForm::WindowProc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                              static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))) ||
        !::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                           nullptr, Korvel::ThisModule(), this)) {
        delete this;
        return false;
    }
    open_ = true;
    // In the middle of the work area; a picture larger than the screen stays centred and is
    // clipped by the screen's edges rather than pushed into a corner.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(wnd_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& screen = monitor.rcWork;
    ::SetWindowPos(wnd_, nullptr, (screen.left + screen.right - width) / 2, (screen.top + screen.bottom - height) / 2, 0,
                   0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void ImageViewForm::Paint()
{
    Korvel::PaintDC paint(wnd_);
    RECT client;
    ::GetClientRect(wnd_, &client);
    Korvel::UI::FillSolid(paint.Get(), client, RGB(255, 255, 255));
    if (image_) image_->DrawStretched(paint.Get(), client);
}

LRESULT CALLBACK ImageViewForm::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = Korvel::UI::WindowObject<ImageViewForm>(wnd, message, lParam);
    if (message == WM_NCCREATE && self) self->wnd_ = wnd;
    switch (message) {
    case WM_PAINT:
        if (self) self->Paint();
        return 0;
    case WM_KILLFOCUS:
    case WM_LBUTTONDOWN:
        ::DestroyWindow(wnd);
        return 0;
    case WM_NCDESTROY:
        Korvel::UI::ForgetWindowObject(wnd);
        if (self && self->open_) delete self;
        return ::DefWindowProcW(wnd, message, wParam, lParam);
    default:
        return ::DefWindowProcW(wnd, message, wParam, lParam);
    }
}
