#pragma once
// How a host window drives its root control: it answers the window's size, paint and mouse
// messages by laying out, painting through a back buffer and routing the mouse, keeping the
// control that took a press as the receiver of the rest of that gesture.
#include <windows.h>

#include <functional>

#include "ui/BackBuffer.h"
#include "ui/ControlBase.h"

namespace Korvel::UI {

class ControlHost {
public:
    struct Options {
        // Send a press's move and release to the control that took it, alone.
        bool captureControl = true;
        // Ask for leave notification so hover looks are cleared when the pointer goes.
        bool trackLeave = true;
        // Pass the message's key flags; when false controls get 1 (left button).
        bool passKeyFlags = true;
    };

    explicit ControlHost(ControlBase& root);
    ControlHost(ControlBase& root, Options options);

    // Drawn before the controls, into the back buffer.
    std::function<void(HDC dc, const RECT& client)> paintBackground;
    // A press no control claimed (a form starts moving its window here).
    std::function<void(CMouseEventArgs& e)> unclaimedMouseDown;
    // The new client size; by default the root takes it as its bounds and lays its children out.
    std::function<void(int width, int height)> sized;

    // Answers the messages the host contract covers; false leaves the message to the caller.
    bool Route(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // The picture of the last paint.
    const BackBuffer& Buffer() const { return buffer_; }
    ControlBase* CaptureControl() const { return capture_; }

private:
    void Resized(HWND wnd);
    void Paint(HWND wnd);
    CMouseEventArgs MouseArgs(WPARAM wParam, LPARAM lParam) const;
    void MouseDown(HWND wnd, WPARAM wParam, LPARAM lParam);
    void MouseUp(WPARAM wParam, LPARAM lParam);
    void MouseMove(HWND wnd, WPARAM wParam, LPARAM lParam);
    void CaptureLost(HWND wnd, HWND taker);

    ControlBase& root_;
    Options options_;
    BackBuffer buffer_;
    ControlBase* capture_ = nullptr;
    bool tracking_ = false;
};

}  // namespace Korvel::UI
