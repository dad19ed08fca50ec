#include "ui/Drawing.h"

#include <cwchar>

#include "image/CxImage.h"
#include "image/FitSize.h"
#include "platform/Handle.h"
#include "ui/DefaultTheme.h"

namespace Korvel::UI {

void DrawTextIn(HDC dc, const RECT& rect, const wchar_t* text, COLORREF color, HFONT font, UINT format)
{
    if (!text) return;
    SelectedObject selected(dc, font);
    const COLORREF oldColor = ::SetTextColor(dc, color);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    RECT r = rect;
    ::DrawTextW(dc, text, -1, &r, format);
    ::SetBkMode(dc, oldMode);
    ::SetTextColor(dc, oldColor);
}

SIZE MeasureText(HDC dc, const wchar_t* text, int length, HFONT font)
{
    SIZE size{0, 0};
    if (!text) return size;
    SelectedObject selected(dc, font ? font : DefaultTheme::Instance().NormalFont());
    ::GetTextExtentPoint32W(dc, text, length, &size);
    return size;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color)
{
    Brush brush(::CreateSolidBrush(color));
    ::FillRect(dc, &rect, brush.Get());
}

void DrawBox(HDC dc, const RECT& rect, COLORREF pen, COLORREF brush)
{
    Pen outline(::CreatePen(PS_SOLID, 1, pen));
    Brush fill(::CreateSolidBrush(brush));
    SelectedObject p(dc, outline.Get()), b(dc, fill.Get());
    ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF color)
{
    Brush brush(::CreateSolidBrush(color));
    ::FrameRect(dc, &rect, brush.Get());
}

void FrameDouble(HDC dc, const RECT& rect, int width, COLORREF color)
{
    FrameSolid(dc, rect, color);
    RECT inner = rect;
    ::InflateRect(&inner, -(width - 1), -(width - 1));
    FrameSolid(dc, inner, color);
}

void FrameDouble(HDC dc, int left, int top, int right, int bottom, int width, COLORREF color)
{
    FrameDouble(dc, RECT{left, top, right, bottom}, width, color);
}

void DrawLine(HDC dc, COLORREF color, POINT from, POINT to)
{
    Pen pen(::CreatePen(PS_SOLID, 1, color));
    SelectedObject selected(dc, pen.Get());
    ::MoveToEx(dc, from.x, from.y, nullptr);
    ::LineTo(dc, to.x, to.y);
}

void BlendSolid(HDC dc, const RECT& rect, COLORREF color, std::uint8_t alpha)
{
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0 || alpha == 0) return;
    // AlphaBlend needs a source: a bitmap of the rectangle's size filled with the colour.
    MemoryDC mem(::CreateCompatibleDC(dc));
    Bitmap bitmap(::CreateCompatibleBitmap(dc, w, h));
    if (!mem || !bitmap) return;
    SelectedObject selected(mem.Get(), bitmap.Get());
    FillSolid(mem.Get(), RECT{0, 0, w, h}, color);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, 0};
    ::AlphaBlend(dc, rect.left, rect.top, w, h, mem.Get(), 0, 0, w, h, blend);
}

void BlitKeyed(HDC dc, const RECT& dest, HBITMAP source, const RECT& cell, COLORREF key)
{
    if (!source) return;
    MemoryDC mem(::CreateCompatibleDC(dc));
    if (!mem) return;
    SelectedObject selected(mem.Get(), source);
    ::TransparentBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, mem.Get(), cell.left,
                     cell.top, cell.right - cell.left, cell.bottom - cell.top, key);
}

void DrawImageFitted(HDC dc, const CxImage* image, const RECT& box)
{
    if (image) DrawImageFitted(dc, image, box, image->Width(), image->Height());
}

void DrawImageFitted(HDC dc, const CxImage* image, const RECT& box, std::uint32_t width, std::uint32_t height)
{
    if (!image || !image->IsValid() || box.right <= box.left || box.bottom <= box.top) return;
    const FitResult fit = FitSize(width, height, static_cast<std::uint32_t>(box.right - box.left),
                                  static_cast<std::uint32_t>(box.bottom - box.top));
    const int w = static_cast<int>(fit.width), h = static_cast<int>(fit.height);
    const int left = (box.left + box.right) / 2 - w / 2;
    const int top = (box.top + box.bottom) / 2 - h / 2;
    image->DrawStretched(dc, RECT{left, top, left + w, top + h});
}

}  // namespace Korvel::UI
