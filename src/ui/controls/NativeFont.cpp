#include "ui/controls/NativeFont.h"

#include <cwchar>

namespace Korvel::UI::Controls {

Font CreateNativeControlFont()
{
    LOGFONTW lf{};
    lf.lfHeight = 12;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = 0;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = 0x20;
    wcscpy_s(lf.lfFaceName, L"新宋体");
    return Font(::CreateFontIndirectW(&lf));
}

}  // namespace Korvel::UI::Controls
