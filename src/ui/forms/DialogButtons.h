#pragma once
// The skinned OK, Cancel and close buttons the product's dialogs share.
#include <cstddef>

#include "ui/Layout.h"
#include "ui/controls/Button.h"

namespace Korvel::UI {

struct ButtonLook {
    const char *normal, *hover, *pressed, *disabled;
    int width, height;
};

inline constexpr ButtonLook kOkLook{"BtnOk", "BtnOk", "BtnOk", "BtnOk", 51, 24};
inline constexpr ButtonLook kCancelLook{"BtnCancel", "BtnCancel", "BtnCancel", "BtnCancel", 51, 24};
// The cross in the title bar, 5 pixels from the top and 6 from the right.
inline constexpr ButtonLook kCloseLook{"BtnCloseNormal", "BtnCloseHover", "BtnCloseHover", "", 15, 15};
inline constexpr Margins kCloseMargins{0, 5, 6, 0};

// Creates a captionless skinned button on a form at its anchored place.
void CreateSkinnedButton(Controls::Button& button, ControlBase* form, const ButtonLook& look, const Margins& margins,
                         int anchors);

// A dialog's skinned button: where it goes and what its click runs.
template <class Form>
struct DialogButton {
    Controls::Button& button;
    const ButtonLook& look;
    Margins margins;
    int anchors;
    void (Form::*click)();
};

template <class Form, std::size_t N>
void CreateDialogButtons(Form* form, const DialogButton<Form> (&buttons)[N])
{
    for (const DialogButton<Form>& b : buttons) {
        CreateSkinnedButton(b.button, form, b.look, b.margins, b.anchors);
        b.button.Click.connect(form, b.click);
    }
}

}  // namespace Korvel::UI
