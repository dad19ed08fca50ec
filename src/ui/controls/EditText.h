#pragma once
// The text of an edit window, whole.
#include <windows.h>

#include <string>

namespace Korvel::UI::Controls {

inline std::wstring WindowText(HWND wnd)
{
    if (!wnd) return {};
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(wnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(wnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace Korvel::UI::Controls
