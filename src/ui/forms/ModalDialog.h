#pragma once
// The native side of every dialog: a window made from one blank in-memory template and run
// modally on the caller's thread. A dialog answers its own messages in ProcessMessage.
#include <windows.h>

namespace Korvel::UI {

class ModalDialog {
public:
    ModalDialog() = default;
    virtual ~ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // The value the dialog ended with, or -1 when its window could not be made.
    INT_PTR ShowModal(HWND parent);
    HWND DialogHandle() const { return dialog_; }
    // The dialog running in a window of ours, or null for any other window.
    static ModalDialog* FromHandle(HWND window);

protected:
    // True when answered; result is the message's result (1 or 0 for the initialisation).
    virtual bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;
    void EndDialog(INT_PTR result);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    HWND dialog_ = nullptr;
};

}  // namespace Korvel::UI
