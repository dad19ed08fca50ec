#include "ui/Snapshot.h"

#include <vector>

#include "image/CxImage.h"
#include "platform/Handle.h"

namespace Korvel::UI {

bool SaveBitmapPng(HBITMAP bitmap, const wchar_t* path)
{
    BITMAP info{};
    if (!::GetObjectW(bitmap, sizeof(info), &info)) return false;
    return SaveBitmapPng(bitmap, RECT{0, 0, info.bmWidth, info.bmHeight}, path);
}

bool SaveBitmapPng(HBITMAP bitmap, const RECT& part, const wchar_t* path)
{
    BITMAP info{};
    if (!::GetObjectW(bitmap, sizeof(info), &info)) return false;
    RECT whole{0, 0, info.bmWidth, info.bmHeight}, area;
    if (!::IntersectRect(&area, &whole, &part)) return false;

    // Top-down 32-bit rows of the whole bitmap, then the part copied into a 24-bit image.
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), info.bmWidth, -info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> pixels(std::size_t(info.bmWidth) * info.bmHeight);
    WindowDC screen(nullptr);
    if (!::GetDIBits(screen.Get(), bitmap, 0, info.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS)) return false;

    CxImage image;
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (!image.Create(w, h, 24, CXIMAGE_FORMAT_PNG)) return false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[std::size_t(area.top + y) * info.bmWidth + area.left + x];
            image.SetPixelColor(x, y, RGBQ{std::uint8_t(p), std::uint8_t(p >> 8), std::uint8_t(p >> 16), 255});
        }
    return image.Save(path, CXIMAGE_FORMAT_PNG);
}

bool CopyFromScreen(HWND wnd, BackBuffer& out)
{
    if (!wnd) return false;
    ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME | RDW_ALLCHILDREN);
    // Windows may draw into a surface of their own that reaches the screen a little later
    // (Wine's do, whenever their thread waits for messages): wait that out, dispatching nothing.
    ::GdiFlush();
    for (int i = 0; i < 3; ++i) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
        ::Sleep(20);
    }
    RECT r;
    ::GetWindowRect(wnd, &r);
    if (!out.Recreate(nullptr, r.right - r.left, r.bottom - r.top)) return false;
    WindowDC screen(nullptr);
    return ::BitBlt(out.DC(), 0, 0, r.right - r.left, r.bottom - r.top, screen.Get(), r.left, r.top, SRCCOPY) != FALSE;
}

}  // namespace Korvel::UI
