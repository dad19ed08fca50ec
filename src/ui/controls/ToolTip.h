#pragma once
// The hover tips of a list view: a small pop-up of its own drawing that shows the text of the
// tool under the owner's hover point a moment after the pointer arrives, and goes away a
// moment after it leaves. The owner feeds it its tools, its hover point and its mouse messages.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Handle.h"
#include "ui/BackBuffer.h"

namespace Korvel::UI::Controls {

// Consecutive breaks count as one, so no line is empty.
std::vector<std::wstring> SplitToolTipLines(const std::wstring& text);

class ToolTip {
public:
    struct Tool {
        int id;
        RECT rect;
        std::wstring text;
    };

    static constexpr UINT_PTR kHideTimer = 100;
    static constexpr UINT_PTR kShowTimer = 101;
    static constexpr UINT kShowDelay = 250;
    static constexpr UINT kHideDelay = 100;
    static constexpr UINT kLeftTipDelay = 250;

    ToolTip();
    ~ToolTip();
    ToolTip(const ToolTip&) = delete;
    ToolTip& operator=(const ToolTip&) = delete;

    // The hidden pop-up, on the calling thread, which must be the owner's.
    bool Create();
    void Destroy();

    void ClearTools();
    // The text becomes the current one at once; rect is in the owner's coordinates.
    void AddTool(HWND owner, const RECT& rect, const std::wstring& text);
    void SetHoverPoint(POINT point) { hoverPoint_ = point; }
    // The owner's mouse messages, all of them; moves and leaves are acted on.
    void Relay(const MSG& message);
    // Shows text at a screen point now, without tools or delays (for pictures of the tip).
    void ShowAt(POINT screen, const std::wstring& text);

    HWND GetWindowHandle() const { return wnd_; }
    bool IsShown() const { return shown_; }
    int CurrentTool() const { return current_; }
    const std::wstring& Text() const { return text_; }
    const std::vector<std::wstring>& Lines() const { return lines_; }
    // The longest line's width and the line height, in the tip's font.
    SIZE TextSize() const { return textSize_; }
    SIZE WindowSize() const { return windowSize_; }
    HFONT GetFont() const { return font_.Get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void SetText(const std::wstring& text);
    const Tool* ToolAtHoverPoint() const;
    void OwnerMouseMove();
    void OwnerMouseLeave();
    void OnShowTimer();
    void OnHideTimer();
    void OnPointerOver();
    void OnPointerLeft();
    void ShowAtCursor();
    void Hide();
    void Track(DWORD flags);
    void Paint(HDC target);

    std::vector<Tool> tools_;
    int nextId_ = 0;
    HWND wnd_ = nullptr;
    HWND owner_ = nullptr;
    std::wstring text_;
    std::vector<std::wstring> lines_;
    POINT hoverPoint_{};
    bool tracking_ = false;
    bool shown_ = false;
    bool pointerOver_ = false;
    COLORREF textColor_ = RGB(0, 0, 0);
    COLORREF backColor_ = RGB(254, 254, 225);
    COLORREF borderColor_ = RGB(0, 0, 0);
    int lineGap_ = 2;
    int current_ = -1;
    Font font_;
    SIZE textSize_{};
    SIZE windowSize_{};
    RECT insets_{4, 5, 4, 6};
    RECT client_{};
    BackBuffer buffer_;
};

}  // namespace Korvel::UI::Controls
