#include "ui/controls/Label.h"

#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/controls/TextExtent.h"

using namespace Korvel::UI;

void Label::Create(ControlBase* container, const wchar_t* text)
{
    Attach(container);
    SetText(text);
}

void Label::SetText(const wchar_t* text)
{
    Invalidate();
    text_ = text ? text : L"";
    const SIZE extent = Controls::TextExtent(window_, text_);
    bounds_.right = bounds_.left + extent.cx;
    bounds_.bottom = bounds_.top + extent.cy;
    Invalidate();
}

void Label::SetColor(COLORREF color)
{
    color_ = color;
    Invalidate();
}

void Label::Layout()
{
    RECT container;
    GetContainerRect(&container);
    bounds_ = AnchoredRect(container, anchors_, bounds_.right - bounds_.left, bounds_.bottom - bounds_.top, margins_);
}

void Label::OnPaint(CPaintEventArgs& e)
{
    if (visible_) DrawTextIn(e.dc, bounds_, text_.c_str(), color_, DefaultTheme::Instance().NormalFont(), format_);
}
