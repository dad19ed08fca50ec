#pragma once
// The in-place caption editor of the list view: a multi-line edit with a thin border that is
// placed over an item and shows one line centred in its height.
#include <windows.h>

#include <string>

#include "platform/Handle.h"
#include "ui/controls/Superclass.h"

namespace Korvel::UI::Controls {

class TextEditor {
public:
    TextEditor();
    ~TextEditor();
    TextEditor(const TextEditor&) = delete;
    TextEditor& operator=(const TextEditor&) = delete;

    // A hidden child of parent.
    bool Create(HWND parent, const RECT& rect);
    // Moves there and shows, with the text area inset so one line sits in the middle.
    void Place(const RECT& rect);
    void Hide();
    void Destroy();

    HWND GetWindowHandle() const { return wnd_; }
    std::wstring GetText() const;
    void SetText(const std::wstring& text);
    COLORREF TextColor() const { return textColor_; }
    COLORREF BorderColor() const { return borderColor_; }

private:
    static Superclass& Class();
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    HWND wnd_ = nullptr;
    Font font_;
    COLORREF textColor_ = RGB(130, 130, 130);
    COLORREF borderColor_ = RGB(100, 100, 100);
};

}  // namespace Korvel::UI::Controls
