// The list's mouse and keyboard: hover and tooltips, selection, item buttons, dragging an
// item to reorder, double-click, Control+A and Delete.
#include "ui/listview/ListView.h"

#include <algorithm>

#include "platform/DataObject.h"
#include "platform/TextConv.h"
#include "ui/listview/ListViewItem.h"

POINT ListView::ToList(POINT window) const
{
    return POINT{window.x, window.y + ScrollPosition()};
}

using Korvel::Threading::CriticalSection;

void ListView::RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam, POINT point)
{
    if (message != WM_MOUSELEAVE) tooltip_.SetHoverPoint(ToList(point));
    MSG msg{};
    msg.hwnd = wnd_;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    tooltip_.Relay(msg);
}

void ListView::Deselect(ListViewItem* item)
{
    item->SetState(item->GetState() & ~ListViewItem::Selected);
}

void ListView::DeselectAll()
{
    for (ListViewItem* item : selection_) Deselect(item);
    selection_.clear();
}

void ListView::OnMove(POINT point)
{
    if (IsArmed()) {
        StartDrag(wnd_);
        return;
    }
    if (!items_.empty()) {
        const POINT at = ToList(point);
        ListViewItem* item = ItemFromPoint(at);
        const int id = item ? item->Id() : -1;
        if (id != hovered_) {
            if (ListViewItem* previous = ItemById(hovered_)) previous->OnMouseLeave();
            hovered_ = -1;
            if (item) {
                item->OnMouseMove(at);
                hovered_ = id;
                tooltip_.ClearTools();
                // Captions and sizes change under this lock (the editor, the loader).
                CriticalSection::Lock hold(itemsLock_);
                for (int index = 0; index < 4; ++index) {
                    TString text;
                    RECT rect;
                    if (item->GetToolInfo(index, &text, &rect))
                        tooltip_.AddTool(wnd_, rect, Korvel::Text::WideFromText(text));
                }
            }
        }
    }
    if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, wnd_, 100};
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
    }
}

void ListView::OnLeave()
{
    if (ListViewItem* item = ItemById(hovered_)) item->OnMouseLeave();
    hovered_ = -1;
    tracking_ = false;
}

void ListView::OnLeftDown(WPARAM keys, POINT point)
{
    ::SetFocus(wnd_);
    const POINT at = ToList(point);
    ListViewItem* item = ItemFromPoint(at);
    if (!item) {
        DeselectAll();
    } else if (keys & MK_SHIFT) {
        ListViewItem* anchor = ItemById(anchor_);
        if (!anchor) {
            // No range to extend: the item alone, and no signal.
            if (std::find(selection_.begin(), selection_.end(), item) == selection_.end()) {
                item->Select();
                selection_.push_back(item);
            }
            return;
        }
        DeselectAll();
        auto from = std::find(items_.begin(), items_.end(), anchor);
        auto to = std::find(items_.begin(), items_.end(), item);
        if (from > to) std::swap(from, to);
        for (auto it = from; it <= to; ++it) {
            (*it)->Select();
            selection_.push_back(*it);
        }
    } else if (keys & MK_CONTROL) {
        auto found = std::find(selection_.begin(), selection_.end(), item);
        if (found == selection_.end()) {
            item->Select();
            selection_.push_back(item);
        } else {
            Deselect(item);
            selection_.erase(found);
        }
    } else {
        DeselectAll();
        anchor_ = -1;
        item->OnMouseDown(at);
        if (!item->HitButton(at) && editable_) {
            Korvel::ComPtr<IDataObject> data = MakeItemDataObject(item->Id());
            if (data) Arm(data.Get());
        }
    }
    SelectionChanged.emit(0);
}

void ListView::OnLeftUp(POINT point)
{
    CommitCaptionEdit();
    if (IsArmed()) Disarm();
    const POINT at = ToList(point);
    // The item may delete itself here (its delete button).
    if (ListViewItem* item = ItemFromPoint(at)) item->OnMouseUp(at);
}

void ListView::OnDoubleClick(POINT point)
{
    const POINT at = ToList(point);
    ListViewItem* item = ItemFromPoint(at);
    if (item && !item->HitButton(at)) ItemActivated.emit(item);
}

void ListView::OnKeyUp(WPARAM key)
{
    if (key == 'A' && ::GetKeyState(VK_CONTROL) < 0) {
        selection_.clear();
        for (ListViewItem* item : items_) {
            item->Select();
            selection_.push_back(item);
        }
        SelectionChanged.emit(0);
    } else if (key == VK_DELETE && editable_) {
        // A locked list's items are in an upload run's hands.
        RemoveSelected();
    }
}
