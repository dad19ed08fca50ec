#include "ui/listview/ListViewPostItem.h"

#include <algorithm>

#include "Biz/AppState.h"
#include "platform/TextConv.h"
#include "ui/CombinBitmap.h"
#include "ui/DefaultTheme.h"
#include "ui/Drawing.h"
#include "ui/forms/ImageViewForm.h"
#include "ui/listview/ListView.h"

using namespace Korvel::UI;
using Korvel::Text::WideFromText;

ListViewPostItem::ListViewPostItem(const TString& path) : ListViewItem(path) {}

ListViewPostItem::ListViewPostItem(const TString& address, const std::uint8_t* bytes, std::uint32_t length,
                                   std::uint32_t format)
{
    path_ = address;
    caption_ = address;
    web_ = 1;
    size_ = static_cast<int>(length);
    LoadFromBytes(std::vector<std::uint8_t>(bytes, bytes + length), format);
}

void ListViewPostItem::SetBounds(const RECT& b)
{
    ListViewItem::SetBounds(b);
    delete_ = RECT{b.right - 16, b.top, b.right, b.top + 16};
    rotateLeft_ = RECT{b.left + 13, b.bottom - 53, b.left + 29, b.bottom - 37};
    rotateRight_ = RECT{b.left + 41, b.bottom - 53, b.left + 57, b.bottom - 37};
    view_ = RECT{b.left + 126, b.bottom - 53, b.left + 142, b.bottom - 37};
    captionEdit_ = RECT{b.left, b.bottom - 30, b.right, b.bottom};
}

bool ListViewPostItem::NamedButton(const wchar_t* name, RECT* rect) const
{
    const struct {
        const wchar_t* name;
        const RECT* rect;
    } buttons[] = {{L"delete", &delete_}, {L"rotateleft", &rotateLeft_}, {L"rotateright", &rotateRight_},
                   {L"view", &view_}, {L"caption", &captionEdit_}};
    for (const auto& b : buttons) {
        if (::lstrcmpW(b.name, name) != 0) continue;
        *rect = *b.rect;
        return true;
    }
    return false;
}

bool ListViewPostItem::GetToolInfo(int index, TString* text, RECT* rect)
{
    static const TChar* const kTexts[] = {SF_T("删除"), SF_T("向左旋转"), SF_T("向右旋转"), SF_T("查看大图")};
    const RECT* rects[] = {&delete_, &rotateLeft_, &rotateRight_, &view_};
    if (index < 0 || index > 3) return false;
    *text = kTexts[index];
    *rect = *rects[index];
    return true;
}

RECT ListViewPostItem::ButtonAt(POINT point) const
{
    for (const RECT* r : {&delete_, &rotateLeft_, &rotateRight_, &view_})
        if (::PtInRect(r, point)) return *r;
    return RECT{};
}

bool ListViewPostItem::HitButton(POINT point) const
{
    for (const RECT* r : {&delete_, &rotateLeft_, &rotateRight_, &view_, &captionEdit_})
        if (::PtInRect(r, point)) return true;
    return false;
}

void ListViewPostItem::EndEdit()
{
    if (!owner_) return;
    owner_->SetItemCaption(this, owner_->CaptionEditorText());
    owner_->HideCaptionEditor();
}

void ListViewPostItem::PaintAt(CPaintEventArgs& e, const RECT& r)
{
    PaintPicture(e.dc, ThumbRect(r));
    FrameDouble(e.dc, r, 1, IsSelected() && owner_ ? owner_->SelectedFrameColor() : RGB(225, 225, 225));
    if (AppState::Instance()->IsPosting()) {
        PaintProgress(e.dc, r);
        return;
    }
    if (IsHovered()) {
        CombinBitmap::Instance().DrawCellInto(e.dc, L"Del", RECT{r.right - 13, r.top, r.right, r.top + 14});
        if (owner_ && owner_->IsEditable()) PaintButtons(e.dc, r);
    }
    const std::wstring caption = WideFromText(caption_);
    const DefaultTheme& theme = DefaultTheme::Instance();
    DrawTextIn(e.dc, CaptionRect(r), caption.c_str(), theme.NormalTextColor(), theme.NormalFont(),
               DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
}

void ListViewPostItem::PaintProgress(HDC dc, const RECT& r) const
{
    const RECT strip = ProgressStrip(r);
    BlendSolid(dc, strip, RGB(0, 0, 0), 90);
    // A size of 0 (not yet known) counts as nothing sent; more than the size as all of it.
    const float fraction = size_ > 0 ? std::clamp(static_cast<float>(sent_) / static_cast<float>(size_), 0.0f, 1.0f)
                                     : 0.0f;
    const RECT done{strip.left, strip.top, strip.left + static_cast<int>((strip.right - strip.left) * fraction),
                    strip.bottom};
    if (done.right > done.left) BlendSolid(dc, done, RGB(171, 211, 105), 210);
    const int percent = static_cast<int>(fraction * 100);
    const std::wstring text = percent == 100 ? std::wstring(L"上传成功") : std::to_wstring(percent) + L"%";
    DrawTextIn(dc, strip, text.c_str(), RGB(255, 255, 255), DefaultTheme::Instance().NormalFont(),
               DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void ListViewPostItem::PaintButtons(HDC dc, const RECT& r) const
{
    BlendSolid(dc, RECT{r.left + 1, r.top + 90, r.right - 1, r.bottom - 30}, RGB(0, 0, 0), 170);
    struct Cell {
        const wchar_t* name;
        int x;
    };
    for (Cell c : {Cell{L"LeftCirc", 12}, Cell{L"RightCirc", 40}, Cell{L"Editor", 68}, Cell{L"Search", 125}}) {
        const int left = r.left + c.x, top = r.bottom - 53;
        CombinBitmap::Instance().DrawCellInto(dc, c.name, RECT{left, top, left + 16, top + 16});
    }
}

void ListViewPostItem::OnMouseDown(POINT point)
{
    if (!::PtInRect(&bounds_, point)) {
        state_ = 0;
        InvalidateIfVisible();
        return;
    }
    state_ |= Selected;
    if (owner_) {
        owner_->AddToSelection(this);
        owner_->SetSelectionAnchor(id_);
    }
    InvalidateIfVisible();
}

void ListViewPostItem::OnMouseUp(POINT point)
{
    if (!IsSelected() || !owner_ || !owner_->IsEditable()) return;
    if (::PtInRect(&delete_, point)) {
        RemoveSelf();  // this item is gone now
    } else if (::PtInRect(&rotateLeft_, point)) {
        RotateLeft();
    } else if (::PtInRect(&rotateRight_, point)) {
        RotateRight();
    } else if (::PtInRect(&captionEdit_, point)) {
        BeginEdit();
    } else if (::PtInRect(&view_, point)) {
        (new ImageViewForm(this))->Open();
    }
}

void ListViewPostItem::BeginEdit()
{
    if (!owner_) return;
    RECT strip = GetViewRect(owner_->ScrollPosition());
    strip.top = strip.bottom - 30;
    owner_->BeginCaptionEdit(this, strip, caption_);
}

void ListViewPostItem::MarkUploaded()
{
    uploaded_ = 1;
    sent_ = size_;
    if (owner_) owner_->RefreshItem(id_);
}

void ListViewPostItem::RemoveSelf()
{
    if (owner_) owner_->RemoveItem(id_);
}
