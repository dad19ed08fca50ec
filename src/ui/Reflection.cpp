#include "ui/Reflection.h"

namespace Korvel::UI {

namespace {

// Owner-draw messages name their control by identifier; a zero wParam means a menu.
HWND ItemControl(HWND parent, WPARAM wParam, UINT id)
{
    return wParam ? ::GetDlgItem(parent, static_cast<int>(id)) : nullptr;
}

bool IsReflectable(UINT message)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_PARENTNOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

HWND NotifyingChild(HWND parent, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsReflectable(message)) return nullptr;
    switch (message) {
    case WM_NOTIFY:
        return lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_PARENTNOTIFY: {
        const UINT event = LOWORD(wParam);
        return event == WM_CREATE || event == WM_DESTROY ? reinterpret_cast<HWND>(lParam) : nullptr;
    }
    case WM_DRAWITEM:
        return wParam ? reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case WM_MEASUREITEM:
        return ItemControl(parent, wParam, reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID);
    case WM_COMPAREITEM:
        return ItemControl(parent, wParam, reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->CtlID);
    case WM_DELETEITEM:
        return ItemControl(parent, wParam, reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->CtlID);
    default:
        // Commands, scroll and colour messages carry the child's handle; it is null for menus,
        // accelerators and the window's own scroll bars.
        return reinterpret_cast<HWND>(lParam);
    }
}

}  // namespace

bool ReflectNotification(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const HWND child = NotifyingChild(parent, message, wParam, lParam);
    // Only our own children: the handle comes from the message, and anything may send one.
    if (!child || !::IsChild(parent, child)) return false;
    *result = ::SendMessageW(child, Reflected(message), wParam, lParam);
    return true;
}

bool DefaultReflectionHandler(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message < kReflectOffset || !IsReflectable(message - kReflectOffset)) return false;
    *result = ::DefWindowProcW(child, message - kReflectOffset, wParam, lParam);
    return true;
}

}  // namespace Korvel::UI
