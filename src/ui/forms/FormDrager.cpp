#include "ui/forms/FormDrager.h"

namespace Korvel::UI {

void FormDrager::Start(HWND window, POINT point)
{
    dragging_ = 1;
    window_ = window;
    press_ = point;
    ::ClientToScreen(window, &press_);
    ::GetWindowRect(window, &start_);
    ::SetCapture(window);
}

void FormDrager::Move(POINT point)
{
    if (!dragging_) return;
    ::ClientToScreen(window_, &point);
    ::SetWindowPos(window_, nullptr, start_.left + point.x - press_.x, start_.top + point.y - press_.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormDrager::End()
{
    if (!dragging_) return;
    dragging_ = 0;
    ::ReleaseCapture();
}

}  // namespace Korvel::UI
