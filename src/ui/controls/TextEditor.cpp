#include "ui/controls/TextEditor.h"

#include "ui/Reflection.h"
#include "ui/controls/EditText.h"
#include "ui/controls/NativeFont.h"
#include "ui/controls/ThinBorder.h"

namespace Korvel::UI::Controls {

Superclass& TextEditor::Class()
{
    static Superclass windowClass(L"EDIT", L"KorvelTextEditor", &TextEditor::WindowProc);
    return windowClass;
}

TextEditor::TextEditor() : font_(CreateNativeControlFont()) {}

TextEditor::~TextEditor()
{
    if (HWND wnd = wnd_) {
        Class().Forget(wnd);
        wnd_ = nullptr;
        ::DestroyWindow(wnd);
    }
}

bool TextEditor::Create(HWND parent, const RECT& rect)
{
    if (wnd_) return true;
    Class().Create(this, 0, WS_CHILD | ES_MULTILINE | ES_AUTOHSCROLL, rect, parent);
    if (!wnd_) return false;
    ::SendMessageW(wnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return true;
}

void TextEditor::Place(const RECT& rect)
{
    if (!wnd_) return;
    ::SetWindowPos(wnd_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_SHOWWINDOW);
    RECT client;
    ::GetClientRect(wnd_, &client);
    TEXTMETRICW metrics{};
    {
        WindowDC dc(wnd_);
        SelectedObject font(dc.Get(), font_.Get());
        ::GetTextMetricsW(dc.Get(), &metrics);
    }
    // A box lower than a line keeps its whole height rather than a text area taller than it.
    const int spare = client.bottom - client.top - metrics.tmHeight - metrics.tmExternalLeading;
    const int inset = spare > 0 ? spare / 2 : 0;
    ::InflateRect(&client, -2, -inset);
    ::SendMessageW(wnd_, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&client));
}

void TextEditor::Hide()
{
    if (wnd_) ::ShowWindow(wnd_, SW_HIDE);
}

void TextEditor::Destroy()
{
    if (wnd_) ::DestroyWindow(wnd_);
}

std::wstring TextEditor::GetText() const
{
    return WindowText(wnd_);
}

void TextEditor::SetText(const std::wstring& text)
{
    if (wnd_) ::SetWindowTextW(wnd_, text.c_str());
}

bool TextEditor::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (ThinBorderMessage(Class(), wnd_, message, wParam, lParam, borderColor_, result)) return true;
    if (message == Reflected(WM_CTLCOLOREDIT)) {
        ::SetTextColor(reinterpret_cast<HDC>(wParam), textColor_);
        *result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    }
    return false;
}

LRESULT CALLBACK TextEditor::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<TextEditor*>(Class().Owner(wnd, message, lParam));
    if (self && message == WM_NCCREATE) self->wnd_ = wnd;
    LRESULT result = 0;
    if (self && self->OnMessage(message, wParam, lParam, &result)) {
        // handled
    } else if (!DefaultReflectionHandler(wnd, message, wParam, lParam, &result)) {
        result = Class().CallBase(wnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        Class().Forget(wnd);
        if (self) self->wnd_ = nullptr;
    }
    return result;
}

}  // namespace Korvel::UI::Controls
