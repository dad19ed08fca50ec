#pragma once
// What a host hands its controls with each paint and mouse event.
#include <windows.h>

namespace Korvel::UI {

class ControlBase;

class CEventArgs {
public:
    virtual ~CEventArgs() = default;
};

class CPaintEventArgs : public CEventArgs {
public:
    CPaintEventArgs(HDC target, HDC spare) : dc(target), spareDc(spare) {}
    // Off-screen context in the host's client coordinates; controls draw here.
    HDC dc;
    // A compatible context a drawing routine may select its own bitmaps into.
    HDC spareDc;
};

class CMouseEventArgs : public CEventArgs {
public:
    CMouseEventArgs(int keys, POINT at) : keyFlags(keys), point(at) {}
    int keyFlags;
    POINT point;
    int handled = 0;
    // The control that took the mouse-down; the host sends it the rest of the gesture.
    ControlBase* target = nullptr;
};

}  // namespace Korvel::UI
