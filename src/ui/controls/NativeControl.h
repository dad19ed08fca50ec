#pragma once
// A control that is a real child window of the host: it attaches and follows its anchors
// like the drawn controls, but it moves, shows and enables its own window, and the window
// handle it keeps is its own.
#include <windows.h>

#include "platform/Handle.h"
#include "ui/ControlBase.h"
#include "ui/controls/Superclass.h"

namespace Korvel::UI::Controls {

class NativeControl : public ControlBase {
public:
    NativeControl(const NativeControl&) = delete;
    NativeControl& operator=(const NativeControl&) = delete;
    ~NativeControl() override;

    void SetVisible(int visible) override;
    void SetDisabled(int disabled) override;
    // The owner's window: our own window sits inside it.
    void GetContainerRect(RECT* rect) const override;
    void Layout() override;
    void Destroy() override;

    HFONT GetFont() const { return font_.Get(); }

protected:
    explicit NativeControl(Superclass& windowClass);

    // Creates the window as a visible child of the container's window, gives it our font,
    // then attaches to the container with the new window as ours.
    void CreateAndAttach(ControlBase* container, DWORD style);
    // The control's own handling; false hands the message on to the system control.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;
    // The window procedure of each subclass's window class calls this.
    static LRESULT Route(Superclass& windowClass, HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    Superclass& class_;
    Font font_;
};

}  // namespace Korvel::UI::Controls
