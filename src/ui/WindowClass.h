#pragma once
// Registers one of our window classes in this module, the first time it is asked for.
#include <windows.h>

namespace Korvel::UI {

// True when the class exists afterwards. The arrow cursor; no brush unless given one.
bool RegisterWindowClassOnce(const wchar_t* name, WNDPROC proc, UINT style = 0, HBRUSH background = nullptr);

// The object a window was made for (the last CreateWindowEx argument), kept with the window
// from WM_NCCREATE on; null before that and after ForgetWindowObject.
template <class T>
T* WindowObject(HWND wnd, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    return reinterpret_cast<T*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

inline void ForgetWindowObject(HWND wnd) { ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0); }

}  // namespace Korvel::UI
