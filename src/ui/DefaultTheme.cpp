#include "ui/DefaultTheme.h"

namespace Korvel::UI {

Font CreateThemeFont(int weight)
{
    LOGFONTW lf{};
    lf.lfHeight = 12;
    lf.lfWeight = weight;
    lf.lfCharSet = 0;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = 0x20;
    wcscpy_s(lf.lfFaceName, L"新宋体");
    return Font(::CreateFontIndirectW(&lf));
}

DefaultTheme::DefaultTheme() : normal_(CreateThemeFont(FW_NORMAL)), bold_(CreateThemeFont(FW_BOLD)) {}

DefaultTheme& DefaultTheme::Instance()
{
    static DefaultTheme* theme = new DefaultTheme;  // lives until the module is unloaded
    return *theme;
}

}  // namespace Korvel::UI
