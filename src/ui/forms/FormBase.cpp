#include "ui/forms/FormBase.h"

#include <windowsx.h>

namespace Korvel::UI {

FormBase::FormBase() : host_(*this)
{
    host_.unclaimedMouseDown = [this](CMouseEventArgs& e) { drager_.Start(GetWindowHandle(), e.point); };
    host_.sized = [this](int width, int height) { OnHostSized(width, height); };
}

bool FormBase::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (drager_.IsDragging()) {
        switch (message) {
        case WM_MOUSEMOVE:
            drager_.Move(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            *result = 0;
            return true;
        case WM_LBUTTONUP:
            drager_.End();
            *result = 0;
            return true;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != window) drager_.Abandon();
            break;
        }
    }
    const bool handled = host_.Route(window, message, wParam, lParam, result);
    if (handled && message == WM_PAINT) *result = 1;
    return handled;
}

void FormBase::AttachWindow(HWND window, int x, int y, int width, int height)
{
    SetWindowHandle(window);
    SetBounds(RECT{x, y, x + width, y + height});
}

void FormBase::AttachWindow(HWND window, const FormPlace& place)
{
    AttachWindow(window, place.x, place.y, place.width, place.height);
}

void FormBase::OnHostSized(int width, int height)
{
    SetBounds(RECT{0, 0, width, height});
    for (ControlBase* child : Children()) child->Layout();
}

}  // namespace Korvel::UI
