#pragma once
// Makes an existing window reflect its children's notifications, the way the upload panel
// does, by putting a procedure in front of its own for as long as this object lives.
#include <windows.h>

#include "ui/Reflection.h"

namespace test {

class ReflectingParent {
public:
    explicit ReflectingParent(HWND wnd) : wnd_(wnd)
    {
        ::SetPropW(wnd_, kProp, this);
        previous_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ReflectingParent::Proc)));
    }
    ~ReflectingParent()
    {
        if (!::IsWindow(wnd_)) return;
        ::SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        ::RemovePropW(wnd_, kProp);
    }
    ReflectingParent(const ReflectingParent&) = delete;
    ReflectingParent& operator=(const ReflectingParent&) = delete;

private:
    static constexpr const wchar_t* kProp = L"test.ReflectingParent";

    static LRESULT CALLBACK Proc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = static_cast<ReflectingParent*>(::GetPropW(wnd, kProp));
        LRESULT result = 0;
        if (Korvel::UI::ReflectNotification(wnd, message, wParam, lParam, &result)) return result;
        return ::CallWindowProcW(self->previous_, wnd, message, wParam, lParam);
    }

    HWND wnd_;
    WNDPROC previous_ = nullptr;
};

}  // namespace test
