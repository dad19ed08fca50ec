#pragma once
// A person's clicks on a panel in whatever window its host gave it: the panel says where its
// named controls are (WM_PANEL_LOCATE), and the press goes to the window under that point.
#include <windows.h>

#include "panel/PanelMessages.h"

namespace test {

// The deepest visible window under a screen point, starting from `top`.
inline HWND DeepestWindowAt(HWND top, POINT screen)
{
    HWND wnd = top;
    for (;;) {
        POINT p = screen;
        ::ScreenToClient(wnd, &p);
        HWND child = ::ChildWindowFromPointEx(wnd, p, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
        if (!child || child == wnd) return wnd;
        wnd = child;
    }
}

// Moves to, presses and releases the middle of a named control (a tool bar button, the sort
// box, a photo or one of its buttons); false when the panel has no such control showing.
inline bool PressNamed(HWND panel, const wchar_t* name)
{
    RECT where{};
    if (!::SendMessageW(panel, WM_PANEL_LOCATE, reinterpret_cast<WPARAM>(name), reinterpret_cast<LPARAM>(&where)))
        return false;
    POINT at{(where.left + where.right) / 2, (where.top + where.bottom) / 2};
    ::ClientToScreen(panel, &at);
    HWND wnd = DeepestWindowAt(panel, at);
    ::ScreenToClient(wnd, &at);
    const LPARAM point = MAKELPARAM(at.x, at.y);
    ::SendMessageW(wnd, WM_MOUSEMOVE, 0, point);
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::SendMessageW(wnd, WM_LBUTTONUP, 0, point);
    return true;
}

}  // namespace test
