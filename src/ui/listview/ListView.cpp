// The list's window: creation, painting through its back buffer, layout and scrolling.
#include "ui/listview/ListView.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "platform/Module.h"
#include "platform/TextConv.h"
#include "ui/Drawing.h"
#include "ui/WindowClass.h"
#include "ui/listview/ListViewItem.h"

using namespace Korvel::UI;
using Korvel::Threading::CriticalSection;

namespace {

const wchar_t kClassName[] = L"ListView";
constexpr int kScrollBarRoom = 17;

}  // namespace

ListView::ListView() = default;

ListView::~ListView()
{
    if (wnd_) ::DestroyWindow(wnd_);
    StopLoader();
    JoinLoader();
    for (ListViewItem* item : items_) delete item;
}

void ListView::Attach(ControlBase* container)
{
    ControlBase::Attach(container);
    parent_ = container->GetWindowHandle();
    CreateWindowIn(parent_, RECT{}, false);
}

void ListView::SetVisible(int visible)
{
    visible_ = visible;
    if (wnd_) ::ShowWindow(wnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool ListView::CreateIn(HWND parent, int x, int y, int width, int height)
{
    parent_ = parent;
    if (!CreateWindowIn(parent, RECT{x, y, x + width, y + height}, true)) return false;
    bounds_ = RECT{x, y, x + width, y + height};
    buffer_.Recreate(nullptr, width, height);
    return true;
}

bool ListView::CreateWindowIn(HWND parent, const RECT& place, bool visible)
{
    if (!RegisterWindowClassOnce(kClassName, &ListView::WindowProc, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                  static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))))
        return false;
    const DWORD style = WS_CHILD | WS_VSCROLL | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0);
    ::CreateWindowExW(0, kClassName, L"", style, place.left, place.top, place.right - place.left,
                      place.bottom - place.top, parent, nullptr, Korvel::ThisModule(), this);
    if (!wnd_) return false;
    ControlBase::window_ = wnd_;
    tooltip_.Create();
    dropTargetRegistered_ = SUCCEEDED(::RegisterDragDrop(wnd_, static_cast<IDropTarget*>(this)));
    captionEditor_.Create(wnd_, RECT{});
    ::GetClientRect(wnd_, &client_);
    UpdateScrollBar();
    return true;
}

void ListView::GetContainerRect(RECT* rect) const
{
    *rect = RECT{};
    if (parent_) ::GetClientRect(parent_, rect);
}

void ListView::Layout()
{
    ControlBase::Layout();
    const int width = bounds_.right - bounds_.left, height = bounds_.bottom - bounds_.top;
    buffer_.Recreate(nullptr, width, height);
    if (wnd_) ::MoveWindow(wnd_, bounds_.left, bounds_.top, width, height, TRUE);
}

void ListView::Destroy()
{
    if (wnd_) ::DestroyWindow(wnd_);
}

void ListView::OnDestroyWindow()
{
    tooltip_.Destroy();
    Clear();
    JoinLoader();
    buffer_.Release();
    if (dropTargetRegistered_) ::RevokeDragDrop(wnd_);
    dropTargetRegistered_ = false;
}

LRESULT CALLBACK ListView::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = WindowObject<ListView>(wnd, message, lParam);
    if (message == WM_NCCREATE && self) self->wnd_ = wnd;
    if (!self) return ::DefWindowProcW(wnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ForgetWindowObject(wnd);
        self->wnd_ = nullptr;
        self->ControlBase::window_ = nullptr;
        return ::DefWindowProcW(wnd, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT ListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if ((message >= WM_MOUSEFIRST && message <= 0x020E) || message == WM_MOUSELEAVE)
        RelayToTooltip(message, wParam, lParam, point);
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
    case WM_KEYDOWN:
        return 0;
    case WM_KEYUP:
        OnKeyUp(wParam);
        return 0;
    case WM_VSCROLL:
        Scroll(LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLeftDown(wParam, point);
        return 0;
    case WM_LBUTTONUP:
        OnLeftUp(point);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnDoubleClick(point);
        return 0;
    case WM_MOUSEMOVE:
        OnMove(point);
        return 0;
    case WM_MOUSELEAVE:
        OnLeave();
        return 0;
    case WM_LISTVIEW_REMOVEITEM:
        RemoveItem(static_cast<int>(wParam));
        return 0;
    case WM_LISTVIEW_REFRESHITEM:
        RefreshItem(static_cast<int>(wParam));
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_KILLFOCUS && reinterpret_cast<HWND>(lParam) == captionEditor_.GetWindowHandle())
            CommitCaptionEdit();
        return 0;
    case WM_DESTROY:
        OnDestroyWindow();
        return 0;
    default:
        return ::DefWindowProcW(wnd_, message, wParam, lParam);
    }
}

void ListView::Paint()
{
    Korvel::PaintDC paint(wnd_);
    RECT client;
    ::GetClientRect(wnd_, &client);
    // Layout makes the buffer the size of the bounds, which covers the client area; a list
    // painted before its first layout gets one here.
    const SIZE have = buffer_.Size();
    if ((have.cx < client.right || have.cy < client.bottom) &&
        !buffer_.Recreate(paint.Get(), client.right, client.bottom))
        return;
    FillSolid(buffer_.DC(), client, RGB(255, 255, 255));
    Korvel::MemoryDC spare(::CreateCompatibleDC(paint.Get()));
    CPaintEventArgs e(buffer_.DC(), spare.Get());
    const int scroll = ScrollPosition();
    {
        CriticalSection::Lock hold(itemsLock_);
        auto it = std::find_if(items_.begin(), items_.end(), [&](ListViewItem* item) {
            RECT b;
            item->GetBounds(&b);
            return b.bottom > scroll;
        });
        for (; it != items_.end(); ++it) {
            RECT b;
            (*it)->GetBounds(&b);
            if (b.top > scroll + client.bottom) break;
            (*it)->Paint(e, scroll);
        }
    }
    const RECT& dirty = paint.Info().rcPaint;
    ::BitBlt(paint.Get(), dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, buffer_.DC(),
             dirty.left, dirty.top, SRCCOPY);
}

int ListView::Columns() const
{
    const int columns =
        (client_.right - inner_.right - inner_.left - client_.left + gapX_ - kScrollBarRoom) / (itemWidth_ + gapX_);
    return std::max(columns, 0);
}

void ListView::Arrange()
{
    if (wnd_) ::GetClientRect(wnd_, &client_);
    const int columns = Columns();
    int x = inner_.left, y = inner_.top, column = 0;
    CriticalSection::Lock hold(itemsLock_);
    for (ListViewItem* item : items_) {
        // With no room for a single column every item gets a row, the first one too.
        if (column >= columns) {
            x = inner_.left;
            y += itemHeight_ + gapY_;
            column = 0;
        }
        item->SetBounds(RECT{x, y, x + itemWidth_, y + itemHeight_});
        x += itemWidth_ + gapX_;
        ++column;
    }
}

void ListView::UpdateScrollBar()
{
    if (!wnd_) return;
    const int count = Count(), columns = Columns();
    const int rows = columns > 0 ? (count + columns - 1) / columns : (count > 0 ? count + 1 : 0);
    const int rowHeight = itemHeight_ + gapY_;
    const int clientHeight = client_.bottom - client_.top;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    if (rows > clientHeight / rowHeight) {
        info.nMax = rows * rowHeight + inner_.bottom + inner_.top;
        info.nPage = static_cast<UINT>(clientHeight);
        ::SetScrollInfo(wnd_, SB_VERT, &info, TRUE);
        ::EnableScrollBar(wnd_, SB_VERT, ESB_ENABLE_BOTH);
    } else {
        ::SetScrollInfo(wnd_, SB_VERT, &info, TRUE);
        ::EnableScrollBar(wnd_, SB_VERT, ESB_DISABLE_BOTH);
        const RECT edge{client_.right - 18, client_.top, client_.right, client_.bottom};
        ::InvalidateRect(wnd_, &edge, FALSE);
    }
}

void ListView::RepaintAll()
{
    if (wnd_) ::InvalidateRect(wnd_, nullptr, TRUE);
}

int ListView::ScrollPosition() const
{
    if (!wnd_) return 0;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    return ::GetScrollInfo(wnd_, SB_VERT, &info) ? info.nPos : 0;
}

int ListView::MaxScrollPosition() const
{
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    if (!wnd_ || !::GetScrollInfo(wnd_, SB_VERT, &info)) return 0;
    return std::max(0, info.nMax - static_cast<int>(info.nPage) + 1);
}

void ListView::InvalidateBesideScrollBar(int keep)
{
    RECT r{client_.left, client_.top, client_.right - keep, client_.bottom};
    ::InvalidateRect(wnd_, &r, FALSE);
}

void ListView::ScrollTo(int position)
{
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    info.nPos = position;
    ::SetScrollInfo(wnd_, SB_VERT, &info, TRUE);
    InvalidateBesideScrollBar(kScrollBarRoom);
}

void ListView::Scroll(int request)
{
    const int position = ScrollPosition(), maximum = MaxScrollPosition();
    const int page = client_.bottom - client_.top;
    switch (request) {
    case SB_LINEUP:
        if (position > 0) ScrollTo(position - 1);
        break;
    case SB_LINEDOWN:
        if (position < maximum) ScrollTo(position + 1);
        break;
    case SB_PAGEUP:
        if (position > 0) ScrollTo(position > page ? position - page : 0);
        break;
    case SB_PAGEDOWN:
        if (position < maximum) ScrollTo(std::min(position + page, maximum));
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 32-bit track position, not the message's 16 bits.
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(wnd_, SB_VERT, &info);
        ScrollTo(info.nTrackPos);
        break;
    }
    case SB_TOP:
        ScrollTo(0);
        break;
    case SB_BOTTOM:
        ScrollTo(maximum);
        break;
    default:
        break;
    }
}

void ListView::Wheel(int delta)
{
    const int position = ScrollPosition(), maximum = MaxScrollPosition();
    if (delta < 0 && position < maximum) ScrollTo(std::min(position + itemHeight_, maximum));
    if (delta > 0 && position > 0) ScrollTo(std::max(position - itemHeight_, 0));
}

void ListView::FollowCursor()
{
    POINT cursor;
    ::GetCursorPos(&cursor);
    ::ScreenToClient(wnd_, &cursor);
    ::SendMessageW(wnd_, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
}

void ListView::BeginCaptionEdit(ListViewItem* item, const RECT& windowRect, const TString& caption)
{
    editing_ = item;
    captionEditor_.SetText(Korvel::Text::WideFromText(caption));
    captionEditor_.Place(windowRect);
    HWND editor = captionEditor_.GetWindowHandle();
    ::SetFocus(editor);
    ::SendMessageW(editor, EM_SETSEL, 0, -1);
    ::SendMessageW(editor, EM_SCROLLCARET, 0, 0);
}

TString ListView::CaptionEditorText() const
{
    return Korvel::Text::TextFromWide<TChar>(captionEditor_.GetText());
}

void ListView::HideCaptionEditor() { captionEditor_.Hide(); }

void ListView::CommitCaptionEdit()
{
    if (ListViewItem* editing = std::exchange(editing_, nullptr)) editing->EndEdit();
}

void ListView::SetItemCaption(ListViewItem* item, const TString& caption)
{
    CriticalSection::Lock hold(itemsLock_);
    item->SetCaption(caption);
}
