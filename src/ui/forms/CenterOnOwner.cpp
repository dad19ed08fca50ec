#include "ui/forms/CenterOnOwner.h"

namespace Korvel::UI {

namespace {

RECT WorkAreaNear(HWND window)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

}  // namespace

void CenterOnOwner(HWND window, HWND centre)
{
    const bool child = (::GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0;
    if (!centre) centre = child ? ::GetParent(window) : ::GetWindow(window, GW_OWNER);

    RECT area, over;
    if (child) {
        HWND parent = ::GetParent(window);
        ::GetClientRect(parent, &area);
        over = area;
        if (centre && centre != parent) {
            ::GetWindowRect(centre, &over);
            ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&over), 2);
        }
    } else if (!centre || !::IsWindowVisible(centre) || ::IsIconic(centre)) {
        area = WorkAreaNear(window);
        over = area;
    } else {
        ::GetWindowRect(centre, &over);
        area = WorkAreaNear(centre);
    }

    RECT self;
    ::GetWindowRect(window, &self);
    const int width = self.right - self.left, height = self.bottom - self.top;
    int left = (over.left + over.right) / 2 - width / 2;
    int top = (over.top + over.bottom) / 2 - height / 2;
    // Right and bottom first, so a window larger than the area keeps its top-left visible.
    if (left + width > area.right) left = area.right - width;
    if (top + height > area.bottom) top = area.bottom - height;
    if (left < area.left) left = area.left;
    if (top < area.top) top = area.top;
    ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace Korvel::UI
