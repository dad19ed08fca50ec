#pragma once
// An edit box with a flat one-pixel border that reports focus, mouse and key events through
// signals. Text changes and focus loss come from its own notifications, so those two arrive
// only under a parent that reflects notifications.
#include <string>

#include "ui/controls/NativeControl.h"
#include "ui/sigslot.h"

namespace Korvel::UI::Controls {

class Editor : public NativeControl {
public:
    using Signal = sigslot::signal0<sigslot::multi_threaded_local>;

    Editor();

    Signal GotFocus;
    Signal MouseMoved;
    Signal LeftButtonDown;
    Signal LostFocus;
    Signal EscapePressed;
    Signal EnterPressed;
    Signal CtrlEnterPressed;
    Signal UpPressed;
    Signal DownPressed;
    Signal TextChanged;

    // Options take effect at Attach.
    void SetMultiLine(int on) { multiLine_ = on; }
    void SetReadOnly(int on) { readOnly_ = on; }
    void SetPassword(int on) { password_ = on; }
    void SetDigitsOnly(int on) { digitsOnly_ = on; }

    void Attach(ControlBase* container) override;

    std::wstring GetText() const;
    void SetText(const std::wstring& text);
    COLORREF BorderColor() const { return borderColor_; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    static Superclass& Class();
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnKeyDown(WPARAM key);
    void OnReflectedCommand(WORD code);

    int multiLine_ = 0;
    int readOnly_ = 0;
    int password_ = 0;
    int digitsOnly_ = 0;
    COLORREF borderColor_ = RGB(181, 184, 200);
};

}  // namespace Korvel::UI::Controls
