#include "ui/forms/ExtForm.h"

#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/ImageLister.h"

namespace Korvel::UI {

void ExtForm::OnPaint(CPaintEventArgs& e)
{
    PaintFrame(e);
    if (!iconSkin_.empty()) ImageLister::Instance().DrawSkinAt(e.dc, iconSkin_.c_str(), 6, 6);
    PaintTitle(e);
    FormBase::OnPaint(e);
}

void ExtForm::PaintFrame(CPaintEventArgs& e)
{
    const RECT& b = GetBounds();
    FillSolid(e.dc, b, RGB(255, 255, 255));
    FillSolid(e.dc, RECT{b.left, b.bottom - 37, b.right, b.bottom}, RGB(243, 243, 243));
    ImageLister::Instance().DrawSkin(e.dc, "Title_bk", RECT{b.left, b.top + 1, b.right, b.top + 34});
    FrameSolid(e.dc, b, RGB(216, 216, 216));
}

void ExtForm::PaintTitle(CPaintEventArgs& e)
{
    const DefaultTheme& theme = DefaultTheme::Instance();
    const SIZE extent = MeasureText(e.dc, title_.c_str(), static_cast<int>(title_.size()), theme.NormalFont());
    DrawTextIn(e.dc, RECT{26, 7, 26 + extent.cx, 7 + extent.cy}, title_.c_str(), RGB(78, 78, 78), theme.NormalFont(),
               DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace Korvel::UI
