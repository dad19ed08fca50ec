#pragma once
// The extent of a control's text, measured on its window's context (the screen's when the
// control has no window yet).
#include <windows.h>

#include <string>

#include "platform/Handle.h"
#include "ui/Drawing.h"

namespace Korvel::UI::Controls {

inline SIZE TextExtent(HWND window, const std::wstring& text, HFONT font = nullptr)
{
    WindowDC dc(window);
    return MeasureText(dc.Get(), text.c_str(), static_cast<int>(text.size()), font);
}

}  // namespace Korvel::UI::Controls
