#include "ui/controls/Superclass.h"

#include "platform/Module.h"

namespace Korvel::UI::Controls {

bool Superclass::Register()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(nullptr, systemClass_, &wc)) return false;
    baseProc_ = wc.lpfnWndProc;
    ownerSlot_ = wc.cbWndExtra;
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(ThisModule(), ownClass_, &existing)) return true;
    wc.lpfnWndProc = proc_;
    wc.cbWndExtra = ownerSlot_ + static_cast<int>(sizeof(LONG_PTR));
    wc.hInstance = ThisModule();
    wc.lpszClassName = ownClass_;
    // Ours belongs to this module; the system class stays as it is for everyone else.
    wc.style &= ~CS_GLOBALCLASS;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND Superclass::Create(void* owner, DWORD exStyle, DWORD style, const RECT& rect, HWND parent)
{
    if (!Register()) return nullptr;
    return ::CreateWindowExW(exStyle, ownClass_, L"", style, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, nullptr, ThisModule(), owner);
}

LRESULT Superclass::CallBase(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::CallWindowProcW(baseProc_, wnd, message, wParam, lParam);
}

void* Superclass::Owner(HWND wnd, UINT message, LPARAM lParam) const
{
    if (message == WM_NCCREATE) {
        void* owner = reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams;
        ::SetWindowLongPtrW(wnd, ownerSlot_, reinterpret_cast<LONG_PTR>(owner));
        return owner;
    }
    return reinterpret_cast<void*>(::GetWindowLongPtrW(wnd, ownerSlot_));
}

void Superclass::Forget(HWND wnd) const
{
    ::SetWindowLongPtrW(wnd, ownerSlot_, 0);
}

}  // namespace Korvel::UI::Controls
