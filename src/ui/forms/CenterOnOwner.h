#pragma once
#include <windows.h>

namespace Korvel::UI {

// Centres a window over another (its owner, or its parent for a child window, when none is
// given), kept inside the work area of the nearest monitor. With no visible, restored window
// to centre on, a pop-up goes to the middle of the work area of the monitor nearest to it.
void CenterOnOwner(HWND window, HWND centre = nullptr);

}  // namespace Korvel::UI
