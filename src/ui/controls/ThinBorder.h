#pragma once
// The flat look of our edit boxes: the client area is the window inset by one pixel on
// every side, and that pixel is painted in one colour instead of the system's 3-D edge.
#include <windows.h>

#include "ui/controls/Superclass.h"

namespace Korvel::UI::Controls {

// Answers the non-client size and paint messages, and the non-client part of WM_PRINT so
// pictures taken of the window show the same border; false leaves the message to the caller.
bool ThinBorderMessage(const Superclass& base, HWND wnd, UINT message, WPARAM wParam, LPARAM lParam,
                       COLORREF color, LRESULT* result);

}  // namespace Korvel::UI::Controls
