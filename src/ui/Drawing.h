#pragma once
// Stateless drawing on a device context. Each call makes the GDI objects it needs, selects
// them, draws, puts the previous selection back and deletes what it made. Colours are
// COLORREF (0x00BBGGRR).
#include <windows.h>

#include <cstdint>

class CxImage;

namespace Korvel::UI {

void DrawTextIn(HDC dc, const RECT& rect, const wchar_t* text, COLORREF color, HFONT font, UINT format);
// Extent of the text in the font; the theme's normal font when font is null.
SIZE MeasureText(HDC dc, const wchar_t* text, int length, HFONT font);
void FillSolid(HDC dc, const RECT& rect, COLORREF color);
void DrawBox(HDC dc, const RECT& rect, COLORREF pen, COLORREF brush);
void FrameSolid(HDC dc, const RECT& rect, COLORREF color);
// A frame on rect and another on rect inset by width - 1: width 2 gives a 2-pixel border.
void FrameDouble(HDC dc, const RECT& rect, int width, COLORREF color);
void FrameDouble(HDC dc, int left, int top, int right, int bottom, int width, COLORREF color);
void DrawLine(HDC dc, COLORREF color, POINT from, POINT to);
// Paints color over rect at constant alpha (0 leaves it as it was).
void BlendSolid(HDC dc, const RECT& rect, COLORREF color, std::uint8_t alpha);
// Stretches a cell of the bitmap into dest, leaving pixels of the key colour out.
void BlitKeyed(HDC dc, const RECT& dest, HBITMAP source, const RECT& cell, COLORREF key);
// Draws the image at its fitted size, centred in the box; nothing without an image.
void DrawImageFitted(HDC dc, const CxImage* image, const RECT& box);
// The same for a reduced copy of a picture of width x height: placed and sized as the full
// picture would be, with the copy stretched into that place.
void DrawImageFitted(HDC dc, const CxImage* image, const RECT& box, std::uint32_t width, std::uint32_t height);

}  // namespace Korvel::UI
