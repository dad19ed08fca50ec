// Drawing into a device context and loading from resources: the Windows-only members.
#include <windows.h>

#include <cstring>
#include <vector>

#include "image/CxImage.h"
#include "platform/Handle.h"

namespace {

struct PaletteBitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

// Straight rows go to StretchDIBits; rows are stored top-down, hence the negative height.
bool DrawOpaque(const CxImage& image, HDC dc, int x, int y, int w, int h)
{
    PaletteBitmapInfo info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = static_cast<LONG>(image.Width());
    info.header.biHeight = -static_cast<LONG>(image.Height());
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(image.GetBpp());
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = image.GetNumColors();
    for (std::uint32_t i = 0; i < image.GetNumColors(); ++i) {
        const RGBQ c = image.GetPaletteColor(i);
        info.colours[i] = RGBQUAD{c.b, c.g, c.r, 0};
    }
    const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    const int lines = ::StretchDIBits(dc, x, y, w, h, 0, 0, static_cast<int>(image.Width()),
                                      static_cast<int>(image.Height()), image.GetBits(),
                                      reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
    ::SetStretchBltMode(dc, oldMode);
    return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}

// Alpha (or a transparent palette index) is blended over what the DC already holds, from
// a premultiplied 32-bit copy.
bool DrawBlended(const CxImage& image, HDC dc, int x, int y, int w, int h)
{
    const std::uint32_t iw = image.Width(), ih = image.Height();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(iw);
    info.bmiHeader.biHeight = -static_cast<LONG>(ih);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Korvel::Bitmap bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return false;
    auto* out = static_cast<std::uint8_t*>(bits);
    const int trans = image.AlphaIsValid() ? -1 : image.GetTransIndex();
    for (std::uint32_t row = 0; row < ih; ++row) {
        for (std::uint32_t col = 0; col < iw; ++col, out += 4) {
            const RGBQ c = image.GetPixelColor(col, row);
            unsigned a = c.a;
            if (trans >= 0) a = image.GetPixelIndex(col, row) == trans ? 0 : 255;
            out[0] = static_cast<std::uint8_t>((c.b * a + 127) / 255);
            out[1] = static_cast<std::uint8_t>((c.g * a + 127) / 255);
            out[2] = static_cast<std::uint8_t>((c.r * a + 127) / 255);
            out[3] = static_cast<std::uint8_t>(a);
        }
    }
    ::GdiFlush();
    Korvel::MemoryDC source(::CreateCompatibleDC(dc));
    if (!source) return false;
    Korvel::SelectedObject selected(source.Get(), bitmap.Get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return ::AlphaBlend(dc, x, y, w, h, source.Get(), 0, 0, static_cast<int>(iw), static_cast<int>(ih), blend) != FALSE;
}

bool Draw(const CxImage& image, HDC dc, int x, int y, int w, int h)
{
    if (!image.IsValid() || !dc || w <= 0 || h <= 0) return false;
    const bool blended = image.AlphaIsValid() || (image.GetBpp() <= 8 && image.GetTransIndex() >= 0);
    return blended ? DrawBlended(image, dc, x, y, w, h) : DrawOpaque(image, dc, x, y, w, h);
}

}  // namespace

bool CxImage::DrawStretched(HDC dc, const RECT& rect) const
{
    return Draw(*this, dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

bool CxImage::DrawNatural(HDC dc, int x, int y) const
{
    return Draw(*this, dc, x, y, static_cast<int>(width_), static_cast<int>(height_));
}

bool CxImage::LoadResource(HINSTANCE module, unsigned id, std::uint32_t format)
{
    Destroy();
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = found ? ::SizeofResource(module, found) : 0;
    if (!data || size == 0) {
        lastError_ = "null file handler";
        return false;
    }
    // Resource memory is read-only and lives as long as the module; decode from a copy.
    return Decode(static_cast<const std::uint8_t*>(data), size, format);
}
