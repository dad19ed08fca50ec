#include "ui/controls/IconLabel.h"

#include "image/CxImage.h"
#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/ImageLister.h"
#include "ui/controls/TextExtent.h"

namespace Korvel::UI::Controls {

namespace {

std::shared_ptr<const CxImage> IconSkin(const std::string& name)
{
    return ImageLister::Instance().GetSkin(name.c_str());
}

}  // namespace

void IconLabel::Create(ControlBase* container, const wchar_t* text, const char* iconName)
{
    Attach(container);
    icon_ = iconName ? iconName : "";
    SetText(text);
}

void IconLabel::SetText(const wchar_t* text)
{
    text_ = text ? text : L"";
    const SIZE extent = TextExtent(window_, text_);
    width_ = extent.cx;
    height_ = extent.cy;
    if (const auto icon = IconSkin(icon_)) width_ += static_cast<int>(icon->Width()) + gap_;
    Invalidate();
}

void IconLabel::DrawIcon(CPaintEventArgs& e)
{
    ImageLister& skins = ImageLister::Instance();
    if (disabled_)
        skins.DrawSkinGrayAt(e.dc, icon_.c_str(), bounds_.left, bounds_.top);
    else
        skins.DrawSkinAt(e.dc, icon_.c_str(), bounds_.left, bounds_.top);
}

void IconLabel::OnPaint(CPaintEventArgs& e)
{
    if (!visible_) return;
    DrawIcon(e);
    RECT textRect = bounds_;
    if (const auto icon = IconSkin(icon_)) textRect.left += static_cast<int>(icon->Width()) + gap_;
    const DefaultTheme& theme = DefaultTheme::Instance();
    DrawTextIn(e.dc, textRect, text_.c_str(), disabled_ ? theme.DisabledTextColor() : theme.NormalTextColor(),
               theme.NormalFont(), DT_VCENTER | DT_SINGLELINE);
}

void IconLabel::OnMouseDown(CMouseEventArgs& e) { TakePress(e); }

void IconLabel::OnMouseMove(CMouseEventArgs& e)
{
    if (!disabled_) FollowPointer(e);
}

void IconLabel::OnMouseUp(CMouseEventArgs& e)
{
    if (!disabled_ && EndClick(e)) Click.emit(this);
}

}  // namespace Korvel::UI::Controls
