#pragma once
// The root control of a self-drawn window: it runs the window's controls through the host
// contract and moves the window when the user drags a spot no control takes.
#include <windows.h>

#include "ui/ControlBase.h"
#include "ui/ControlHost.h"
#include "ui/forms/FormDrager.h"

namespace Korvel::UI {

struct FormPlace {
    int x, y, width, height;
};

class FormBase : public ControlBase {
public:
    FormBase();

    // The messages of the host contract; false leaves the message to the caller.
    virtual bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void AttachWindow(HWND window, int x, int y, int width, int height);
    virtual void AttachWindow(HWND window, const FormPlace& place);
    virtual void OnHostSized(int width, int height);

    const BackBuffer& Buffer() const { return host_.Buffer(); }
    bool IsDragging() const { return drager_.IsDragging(); }

private:
    ControlHost host_;
    FormDrager drager_;
};

}  // namespace Korvel::UI
