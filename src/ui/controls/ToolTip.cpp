#include "ui/controls/ToolTip.h"

#include "platform/Module.h"
#include "ui/Drawing.h"
#include "ui/WindowClass.h"
#include "ui/controls/NativeFont.h"

namespace Korvel::UI::Controls {

namespace {

const wchar_t kClassName[] = L"KorvelToolTip";

// The line with the most characters; the first of equally long ones.
const std::wstring* LongestLine(const std::vector<std::wstring>& lines)
{
    const std::wstring* longest = nullptr;
    for (const std::wstring& line : lines)
        if (!longest || line.size() > longest->size()) longest = &line;
    return longest;
}

}  // namespace

std::vector<std::wstring> SplitToolTipLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

ToolTip::ToolTip() : font_(CreateNativeControlFont()) {}

ToolTip::~ToolTip()
{
    Destroy();
}

bool ToolTip::Create()
{
    if (wnd_) return true;
    if (!RegisterWindowClassOnce(kClassName, &ToolTip::WindowProc)) return false;
    ::CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                      ThisModule(), this);
    return wnd_ != nullptr;
}

void ToolTip::Destroy()
{
    if (wnd_) ::DestroyWindow(wnd_);  // WM_NCDESTROY forgets the handle and the state
}

void ToolTip::ClearTools()
{
    tools_.clear();
    nextId_ = 0;
    current_ = -1;
}

void ToolTip::AddTool(HWND owner, const RECT& rect, const std::wstring& text)
{
    owner_ = owner;
    SetText(text);
    tools_.push_back(Tool{nextId_++, rect, text});
}

void ToolTip::Relay(const MSG& message)
{
    if (!wnd_) return;
    if (message.message == WM_MOUSEMOVE) OwnerMouseMove();
    if (message.message == WM_MOUSELEAVE) OwnerMouseLeave();
}

void ToolTip::ShowAt(POINT screen, const std::wstring& text)
{
    if (!wnd_) return;
    SetText(text);
    ::SetWindowPos(wnd_, HWND_TOPMOST, screen.x, screen.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    shown_ = true;
}

void ToolTip::SetText(const std::wstring& text)
{
    text_ = text;
    lines_ = SplitToolTipLines(text);
    const int count = static_cast<int>(lines_.size());
    textSize_ = SIZE{};
    if (const std::wstring* longest = LongestLine(lines_)) {
        WindowDC dc(wnd_);
        textSize_ = MeasureText(dc.Get(), longest->c_str(), static_cast<int>(longest->size()), font_.Get());
    }
    const int gaps = count > 1 ? count - 1 : 0;
    windowSize_.cx = textSize_.cx + insets_.left + insets_.right + 2;
    windowSize_.cy = insets_.top + insets_.bottom + textSize_.cy * count + lineGap_ * gaps + 2;
    client_ = RECT{0, 0, windowSize_.cx, windowSize_.cy};
    if (!wnd_) return;
    ::SetWindowPos(wnd_, nullptr, 0, 0, windowSize_.cx, windowSize_.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(wnd_, nullptr, FALSE);
}

const ToolTip::Tool* ToolTip::ToolAtHoverPoint() const
{
    for (const Tool& tool : tools_)
        if (::PtInRect(&tool.rect, hoverPoint_)) return &tool;
    return nullptr;
}

void ToolTip::OwnerMouseMove()
{
    const Tool* tool = ToolAtHoverPoint();
    if (tool && tool->id != current_) {
        current_ = tool->id;
        Hide();
        // A hide still pending from the way here must not cut the new tip short.
        ::KillTimer(wnd_, kHideTimer);
        ::SetTimer(wnd_, kShowTimer, kShowDelay, nullptr);
    } else if (!tool && shown_) {
        ::SetTimer(wnd_, kHideTimer, kHideDelay, nullptr);
    }
}

void ToolTip::OwnerMouseLeave()
{
    if (!shown_) return;
    // The pointer may have left the owner for the tip itself: then the tip stays while the
    // pointer is there. Anywhere else it counts as leaving the tip now (not every system
    // reports a leave for a window the pointer is not over when tracking starts).
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (::WindowFromPoint(cursor) == wnd_)
        Track(TME_LEAVE);
    else
        OnPointerLeft();
}

void ToolTip::OnShowTimer()
{
    ::KillTimer(wnd_, kShowTimer);
    const Tool* tool = ToolAtHoverPoint();
    if (!tool || SplitToolTipLines(tool->text).empty()) {
        // The pointer left every tool before the delay ran out: nothing to show, and the
        // next tool it enters, even this one again, starts over.
        current_ = -1;
        return;
    }
    current_ = tool->id;
    SetText(tool->text);
    if (!shown_) ShowAtCursor();
}

void ToolTip::ShowAtCursor()
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const int y = cursor.y + ::GetSystemMetrics(SM_CYCURSOR) - 11;
    ::SetWindowPos(wnd_, HWND_TOPMOST, cursor.x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    shown_ = true;
}

void ToolTip::OnHideTimer()
{
    if (pointerOver_) return;
    ::KillTimer(wnd_, kHideTimer);
    if (!shown_) return;
    Hide();
    // Gone because the pointer left the tools: coming back to the same tool shows it again.
    current_ = -1;
}

void ToolTip::Hide()
{
    ::ShowWindow(wnd_, SW_HIDE);
    shown_ = false;
}

void ToolTip::OnPointerOver()
{
    if (pointerOver_) return;
    pointerOver_ = true;
    Track(TME_LEAVE | TME_HOVER);
}

void ToolTip::OnPointerLeft()
{
    pointerOver_ = false;
    tracking_ = false;
    ::SetTimer(wnd_, kHideTimer, kLeftTipDelay, nullptr);
}

void ToolTip::Track(DWORD flags)
{
    if (tracking_) return;
    TRACKMOUSEEVENT track{sizeof(track), flags, wnd_, 100};
    tracking_ = ::TrackMouseEvent(&track) != FALSE;
}

void ToolTip::Paint(HDC target)
{
    if (!buffer_.Ensure(target, client_.right, client_.bottom)) return;
    HDC dc = buffer_.DC();
    DrawBox(dc, client_, borderColor_, backColor_);
    RECT line{client_.left + insets_.left, client_.top + insets_.top, client_.right - insets_.right,
              client_.bottom - insets_.bottom};
    for (const std::wstring& text : lines_) {
        DrawTextIn(dc, line, text.c_str(), textColor_, font_.Get(), 0);
        line.top += textSize_.cy + lineGap_;
    }
    ::BitBlt(target, 0, 0, client_.right, client_.bottom, dc, 0, 0, SRCCOPY);
}

bool ToolTip::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result)
{
    *result = 0;
    switch (message) {
    case WM_TIMER:
        if (wParam == kShowTimer) OnShowTimer();
        if (wParam == kHideTimer) OnHideTimer();
        return true;
    case WM_MOUSEMOVE:
        OnPointerOver();
        return true;
    case WM_MOUSELEAVE:
        OnPointerLeft();
        return true;
    case WM_MOUSEACTIVATE:
        Hide();
        current_ = -1;
        *result = MA_NOACTIVATE;
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        return true;  // a press on the tip is not the owner's business
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    case WM_PAINT: {
        PaintDC paint(wnd_);
        Paint(paint.Get());
        return true;
    }
    case WM_PRINTCLIENT:  // pictures of the window
        Paint(reinterpret_cast<HDC>(wParam));
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK ToolTip::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = WindowObject<ToolTip>(wnd, message, lParam);
    if (message == WM_NCCREATE && self) self->wnd_ = wnd;
    LRESULT result = 0;
    if (self && self->OnMessage(message, wParam, lParam, &result)) return result;
    if (message == WM_NCDESTROY && self) {
        ForgetWindowObject(wnd);
        self->wnd_ = nullptr;
        self->buffer_.Release();
        self->shown_ = self->tracking_ = self->pointerOver_ = false;
    }
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}

}  // namespace Korvel::UI::Controls
