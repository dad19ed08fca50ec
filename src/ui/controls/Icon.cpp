#include "ui/controls/Icon.h"

#include "ui/ImageLister.h"

namespace Korvel::UI::Controls {

void Icon::SetSkin(const char* name)
{
    skin_ = name ? name : "";
    Invalidate();
}

void Icon::OnPaint(CPaintEventArgs& e)
{
    if (visible_) ImageLister::Instance().DrawSkinAt(e.dc, skin_.c_str(), bounds_.left, bounds_.top);
}

}  // namespace Korvel::UI::Controls
