#pragma once
// The fonts and text colours every control uses unless told otherwise. One per process,
// made on first use and kept until the module is unloaded.
#include <windows.h>

#include "platform/Handle.h"

namespace Korvel::UI {

// A new 新宋体 font of height 12 at the given weight, as the theme and the wrapped system
// controls use it.
Font CreateThemeFont(int weight);

class DefaultTheme {
public:
    static DefaultTheme& Instance();
    virtual ~DefaultTheme() = default;

    HFONT NormalFont() const { return normal_.Get(); }
    HFONT BoldFont() const { return bold_.Get(); }
    COLORREF DisabledTextColor() const { return RGB(193, 193, 193); }
    COLORREF NormalTextColor() const { return RGB(51, 51, 51); }

private:
    DefaultTheme();
    Font normal_;
    Font bold_;
};

}  // namespace Korvel::UI
