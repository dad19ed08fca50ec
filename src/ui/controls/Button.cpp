#include "ui/controls/Button.h"

#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/ImageLister.h"

namespace Korvel::UI::Controls {

void Button::Create(ControlBase* container, const wchar_t* text)
{
    Attach(container);
    text_ = text ? text : L"";
}

void Button::SetSkins(const char* normal, const char* hover, const char* pressed, const char* disabled)
{
    normalSkin_ = normal;
    hoverSkin_ = hover;
    pressedSkin_ = pressed;
    disabledSkin_ = disabled;
    Invalidate();
}

const std::string& Button::FaceSkin() const
{
    if (disabled_) return disabledSkin_;
    if (state_ & StatePressed) return pressedSkin_;
    if (state_ & StateHover) return hoverSkin_;
    return normalSkin_;
}

void Button::DrawFace(CPaintEventArgs& e)
{
    ImageLister::Instance().DrawSkin(e.dc, FaceSkin().c_str(), bounds_);
    if (text_.empty()) return;
    const DefaultTheme& theme = DefaultTheme::Instance();
    DrawTextIn(e.dc, bounds_, text_.c_str(), disabled_ ? theme.DisabledTextColor() : theme.NormalTextColor(),
               theme.NormalFont(), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void Button::OnPaint(CPaintEventArgs& e)
{
    if (visible_) DrawFace(e);
}

void Button::OnMouseDown(CMouseEventArgs& e) { TakePress(e); }

void Button::OnMouseMove(CMouseEventArgs& e)
{
    if (!disabled_) FollowPointer(e);
}

void Button::OnMouseUp(CMouseEventArgs& e)
{
    if (!disabled_ && EndClick(e)) Click.emit();
}

}  // namespace Korvel::UI::Controls
