#include "ui/listview/ListViewSelectItem.h"

#include "platform/TextConv.h"
#include "ui/CombinBitmap.h"
#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/listview/ListView.h"

using namespace Korvel::UI;
using Korvel::Text::WideFromText;

void ListViewSelectItem::PaintAt(CPaintEventArgs& e, const RECT& r)
{
    if (IsLoaded()) PaintPicture(e.dc, RECT{r.left + 2, r.top + 2, r.left + 135, r.top + 104});
    if ((IsHovered() || checked_) && owner_) FrameDouble(e.dc, r, 1, owner_->SelectedFrameColor());
    if (checked_) CombinBitmap::Instance().DrawCellAt(e.dc, L"Check", r.left + 1, r.top + 1);
    const std::wstring caption = WideFromText(caption_);
    DrawTextIn(e.dc, RECT{r.left + 1, r.top + 121, r.right - 1, r.bottom - 1}, caption.c_str(), RGB(51, 51, 51),
               DefaultTheme::Instance().NormalFont(), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void ListViewSelectItem::Select()
{
    checked_ = !checked_;
    ListViewItem::Select();
}

void ListViewSelectItem::AddFileSize(int* total) const
{
    if (checked_) ListViewItem::AddFileSize(total);
}

void ListViewSelectItem::OnMouseDown(POINT)
{
    checked_ = !checked_;
    state_ |= Selected;
    if (owner_) {
        owner_->AddToSelection(this);
        owner_->SetSelectionAnchor(id_);
    }
    InvalidateIfVisible();
}
