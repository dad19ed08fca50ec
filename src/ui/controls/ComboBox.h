#pragma once
// A drop-down list in a real combo box window. It learns of a new selection from its own
// notification, which reaches it only under a parent that reflects notifications.
#include "ui/controls/NativeControl.h"
#include "ui/sigslot.h"

namespace Korvel::UI::Controls {

class ComboBox : public NativeControl {
public:
    ComboBox();

    // The new selection's index.
    sigslot::signal1<int, sigslot::multi_threaded_local> SelectionChanged;

    // Creates the window in the container's window, then attaches. The owner adds the
    // entries itself (CB_ADDSTRING).
    void Attach(ControlBase* container) override;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    static Superclass& Class();
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace Korvel::UI::Controls
