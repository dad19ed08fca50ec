#include "ui/forms/DialogButtons.h"

namespace Korvel::UI {

void CreateSkinnedButton(Controls::Button& button, ControlBase* form, const ButtonLook& look, const Margins& margins,
                         int anchors)
{
    button.Create(form, L"");
    button.SetSkins(look.normal, look.hover, look.pressed, look.disabled);
    button.SetSize(look.width, look.height);
    button.SetMargins(margins.left, margins.top, margins.right, margins.bottom);
    button.SetAnchor(anchors);
}

}  // namespace Korvel::UI
