#include "ui/forms/ImageViewForm.h"

#include "platform/Handle.h"
#include "platform/Module.h"
#include "ui/Drawing.h"
#include "ui/WindowClass.h"
#include "ui/forms/CenterOnOwner.h"
#include "ui/listview/ListViewItem.h"

namespace {

const wchar_t kClassName[] = L"SnapferryImageView";

}  // namespace

ImageViewForm::ImageViewForm(ListViewItem* item) : item_(item), image_(item ? item->GetImage() : nullptr) {}

bool ImageViewForm::Open()
{
    const int width = image_ ? static_cast<int>(image_->Width()) : 0;
    const int height = image_ ? static_cast<int>(image_->Height()) : 0;
    if (!Korvel::UI::RegisterWindowClassOnce(kClassName, &ImageViewForm::WindowProc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                              static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))) ||
        !::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                           nullptr, Korvel::ThisModule(), this)) {
        delete this;
        return false;
    }
    open_ = true;
    Korvel::UI::CenterOnOwner(wnd_, nullptr);
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
