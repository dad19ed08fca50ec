#include "ui/controls/NativeFont.h"

#include "ui/DefaultTheme.h"

namespace Korvel::UI::Controls {

Font CreateNativeControlFont() { return CreateThemeFont(FW_NORMAL); }

}  // namespace Korvel::UI::Controls
