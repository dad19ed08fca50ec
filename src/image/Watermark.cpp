// The upload stamp, drawn with GDI the way the photo would be shown: the photo at (0, 0),
// the stamp blended over its middle, and the result read back as 24-bit pixels.
#include <windows.h>

#include "image/Watermark.h"
#include "platform/Handle.h"
#include "platform/Module.h"

bool ApplyWatermark(CxImage& image)
{
    if (!image.IsValid() || image.Width() > 0x7FFFFFFF || image.Height() > 0x7FFFFFFF) return false;
    CxImage stamp;
    if (!stamp.LoadResource(Korvel::ThisModule(), kWatermarkResourceId, CXIMAGE_FORMAT_PNG)) return false;
    const int w = static_cast<int>(image.Width()), h = static_cast<int>(image.Height());
    const int sw = static_cast<int>(stamp.Width()), sh = static_cast<int>(stamp.Height());
    const int x = w > sw ? (w - sw) / 2 : 0, y = h > sh ? (h - sh) / 2 : 0;

    Korvel::WindowDC screen(nullptr);
    Korvel::MemoryDC dc(::CreateCompatibleDC(screen.Get()));
    Korvel::Bitmap bitmap(::CreateCompatibleBitmap(screen.Get(), w, h));
    if (!dc || !bitmap) return false;
    CxImage stamped;
    if (!stamped.Create(image.Width(), image.Height(), 24, image.FormatCode())) return false;
    {
        Korvel::SelectedObject selected(dc.Get(), bitmap.Get());
        if (!image.DrawNatural(dc.Get(), 0, 0)) return false;
        stamp.DrawNatural(dc.Get(), x, y);
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // our rows are top-down, padded to 4 bytes like a DIB's
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    if (::GetDIBits(dc.Get(), bitmap.Get(), 0, static_cast<UINT>(h), stamped.GetBits(), &info, DIB_RGB_COLORS) != h)
        return false;
    stamped.SetJpegQuality(image.GetJpegQuality());
    stamped.SetXDPI(image.GetXDPI());
    stamped.SetYDPI(image.GetYDPI());
    image = std::move(stamped);
    return true;
}
