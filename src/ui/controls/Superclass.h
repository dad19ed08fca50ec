#pragma once
// A window class of our own built on a system control class: our procedure sees every
// message first and hands the rest to the system one. The object that owns a window is kept
// in extra window bytes past the system class's own, so the control's state is untouched.
#include <windows.h>

namespace Korvel::UI::Controls {

class Superclass {
public:
    Superclass(const wchar_t* systemClass, const wchar_t* ownClass, WNDPROC proc)
        : systemClass_(systemClass), ownClass_(ownClass), proc_(proc)
    {
    }

    // Creates a window of our class; owner comes back from Owner() from WM_NCCREATE on.
    HWND Create(void* owner, DWORD exStyle, DWORD style, const RECT& rect, HWND parent);
    // The system procedure for everything our procedure does not answer.
    LRESULT CallBase(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) const;
    // Reads the owner, storing it first when the message is WM_NCCREATE; null once the
    // window is past WM_NCDESTROY.
    void* Owner(HWND wnd, UINT message, LPARAM lParam) const;
    void Forget(HWND wnd) const;

private:
    bool Register();

    const wchar_t* systemClass_;
    const wchar_t* ownClass_;
    WNDPROC proc_;
    WNDPROC baseProc_ = nullptr;
    int ownerSlot_ = 0;
};

}  // namespace Korvel::UI::Controls
