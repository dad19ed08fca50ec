#pragma once
// The product's own message box: a title, one line of text, OK and Cancel. ShowModal gives
// 0 when the user confirmed and 1 when not (Cancel, close button, Esc, system close).
#include <string>

#include "ui/controls/Button.h"
#include "ui/controls/Label.h"
#include "ui/forms/ExtForm.h"
#include "ui/forms/Messages.h"
#include "ui/forms/ModalDialog.h"
#include "ui/sigslot.h"

class CMessageDialog : public Korvel::UI::ModalDialog,
                       public Korvel::UI::ExtForm,
                       public sigslot::has_slots<> {
public:
    void SetMessage(const wchar_t* message) { message_ = message ? message : L""; }
    // Title (when the message has one) and text of one of the product's messages.
    void SetMessage(const Messages::Message& message)
    {
        if (message.title) SetTitle(message.title);
        SetMessage(message.text);
    }
    const std::wstring& Message() const { return message_; }
    void PaintTitle(Korvel::UI::CPaintEventArgs& e) override;

    static constexpr int kWidth = 384, kHeight = 174;

protected:
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void OnInitDialog();
    void OnOk() { EndDialog(0); }
    void OnCancel() { EndDialog(1); }

    std::wstring message_;
    Korvel::UI::Controls::Button ok_;
    Korvel::UI::Controls::Button cancel_;
    Korvel::UI::Controls::Button close_;
    Label label_;
};
