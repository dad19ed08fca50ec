#pragma once
// Moves a window while the user drags a spot of it that no control claimed.
#include <windows.h>

namespace Korvel::UI {

class FormDrager {
public:
    // point: the press in the window's client coordinates.
    void Start(HWND window, POINT point);
    void Move(POINT point);
    void End();
    // The mouse went to another window mid-drag: stop without releasing what is not ours.
    void Abandon() { dragging_ = 0; }
    bool IsDragging() const { return dragging_ != 0; }

private:
    int dragging_ = 0;
    POINT press_{};
    RECT start_{};
    HWND window_ = nullptr;
};

}  // namespace Korvel::UI
