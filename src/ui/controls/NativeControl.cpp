#include "ui/controls/NativeControl.h"

#include "ui/Reflection.h"
#include "ui/controls/NativeFont.h"

namespace Korvel::UI::Controls {

NativeControl::NativeControl(Superclass& windowClass) : class_(windowClass), font_(CreateNativeControlFont()) {}

NativeControl::~NativeControl()
{
    if (HWND wnd = window_) {
        // Our subclass part is already gone: the window must not call back into it.
        class_.Forget(wnd);
        window_ = nullptr;
        ::DestroyWindow(wnd);
    }
}

void NativeControl::CreateAndAttach(ControlBase* container, DWORD style)
{
    const HWND parent = container->GetWindowHandle();
    const HWND wnd = class_.Create(static_cast<NativeControl*>(this), 0, WS_CHILD | WS_VISIBLE | style, RECT{}, parent);
    if (wnd) ::SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    ControlBase::Attach(container);
    window_ = wnd;
}

void NativeControl::SetVisible(int visible)
{
    visible_ = visible;
    if (window_) ::ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
}

void NativeControl::SetDisabled(int disabled)
{
    disabled_ = disabled;
    if (window_) ::EnableWindow(window_, disabled ? FALSE : TRUE);
}

void NativeControl::GetContainerRect(RECT* rect) const
{
    *rect = RECT{};
    if (owner_ && owner_->GetWindowHandle()) ::GetClientRect(owner_->GetWindowHandle(), rect);
}

void NativeControl::Layout()
{
    ControlBase::Layout();
    if (window_)
        ::MoveWindow(window_, bounds_.left, bounds_.top, bounds_.right - bounds_.left, bounds_.bottom - bounds_.top,
                     TRUE);
}

void NativeControl::Destroy()
{
    ControlBase::Destroy();
    if (window_) ::DestroyWindow(window_);  // WM_NCDESTROY forgets the handle
    font_.Reset();
}

LRESULT NativeControl::Route(Superclass& windowClass, HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<NativeControl*>(windowClass.Owner(wnd, message, lParam));
    if (self && message == WM_NCCREATE) self->window_ = wnd;
    LRESULT result = 0;
    if (self && self->OnMessage(message, wParam, lParam, &result)) {
        // handled
    } else if (DefaultReflectionHandler(wnd, message, wParam, lParam, &result)) {
        // a reflected notification we have no use for
    } else if (::IsWindow(wnd)) {
        // (a slot may have destroyed the window while we were handling the message)
        result = windowClass.CallBase(wnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        windowClass.Forget(wnd);
        if (self) self->window_ = nullptr;
    }
    return result;
}

}  // namespace Korvel::UI::Controls
