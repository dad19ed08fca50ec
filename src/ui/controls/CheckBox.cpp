#include "ui/controls/CheckBox.h"

#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/ImageLister.h"
#include "ui/controls/TextExtent.h"

namespace Korvel::UI::Controls {

void CheckBox::Create(ControlBase* container, const wchar_t* text)
{
    Attach(container);
    text_ = text ? text : L"";
    const SIZE extent = TextExtent(window_, text_);
    SetSize(extent.cx, extent.cy);
}

void CheckBox::SetChecked(int checked)
{
    checked_ = checked;
    Invalidate();
}

void CheckBox::Layout()
{
    RECT container;
    GetContainerRect(&container);
    const RECT placed = AnchoredRect(container, anchors_, width_ + boxWidth_, height_, margins_);
    // The caption's width (measured at creation) beside the box; the box sets the height.
    bounds_ = RECT{placed.left, placed.top, placed.left + width_ + boxWidth_, placed.top + boxHeight_};
}

void CheckBox::OnPaint(CPaintEventArgs& e)
{
    if (!visible_) return;
    const bool hover = state_ & StateHover;
    const std::string& skin = checked_ ? (hover ? checkedHoverSkin_ : checkedSkin_) : (hover ? hoverSkin_ : normalSkin_);
    ImageLister::Instance().DrawSkinAt(e.dc, skin.c_str(), bounds_.left, bounds_.top);
    RECT caption = bounds_;
    ::OffsetRect(&caption, boxWidth_, 0);
    const DefaultTheme& theme = DefaultTheme::Instance();
    DrawTextIn(e.dc, caption, text_.c_str(), theme.NormalTextColor(), theme.NormalFont(),
               DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CheckBox::OnMouseDown(CMouseEventArgs& e) { TakePress(e); }

// Unlike a button, a disabled check box still shows hover, and a release outside keeps it.
void CheckBox::OnMouseMove(CMouseEventArgs& e) { FollowPointer(e); }

void CheckBox::OnMouseUp(CMouseEventArgs& e)
{
    if (EndPress(e) != Release::Inside) return;
    checked_ = !checked_;
    Invalidate();
    Click.emit();
}

}  // namespace Korvel::UI::Controls
