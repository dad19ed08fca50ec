#include "ui/controls/ThinBorder.h"

#include "platform/Handle.h"
#include "ui/Drawing.h"

namespace Korvel::UI::Controls {

namespace {

// The whole window's context, frame included, released against its window.
class FrameDC {
public:
    explicit FrameDC(HWND wnd) : wnd_(wnd), dc_(::GetWindowDC(wnd)) {}
    ~FrameDC()
    {
        if (dc_) ::ReleaseDC(wnd_, dc_);
    }
    FrameDC(const FrameDC&) = delete;
    FrameDC& operator=(const FrameDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

void PaintBorder(HWND wnd, HDC dc, COLORREF color)
{
    RECT window;
    ::GetWindowRect(wnd, &window);
    const RECT frame{0, 0, window.right - window.left, window.bottom - window.top};
    FrameSolid(dc, frame, color);
}

}  // namespace

bool ThinBorderMessage(const Superclass& base, HWND wnd, UINT message, WPARAM wParam, LPARAM lParam,
                       COLORREF color, LRESULT* result)
{
    switch (message) {
    case WM_NCCALCSIZE: {
        // With wParam set the first of the rectangles is the proposed window rectangle,
        // otherwise lParam is that rectangle alone; either way it becomes the client's.
        RECT* rect = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
        ::InflateRect(rect, -1, -1);
        *result = 0;
        return true;
    }
    case WM_NCPAINT: {
        FrameDC dc(wnd);
        if (dc.Get()) PaintBorder(wnd, dc.Get(), color);
        *result = 0;
        return true;
    }
    case WM_PRINT: {
        if (!(lParam & PRF_NONCLIENT)) return false;
        HDC dc = reinterpret_cast<HDC>(wParam);
        if ((lParam & PRF_CHECKVISIBLE) && !::IsWindowVisible(wnd)) {
            *result = 0;
            return true;
        }
        PaintBorder(wnd, dc, color);
        // The rest is drawn in client coordinates, one pixel in from the border.
        POINT old;
        ::OffsetViewportOrgEx(dc, 1, 1, &old);
        *result = base.CallBase(wnd, message, wParam, lParam & ~static_cast<LPARAM>(PRF_NONCLIENT));
        ::SetViewportOrgEx(dc, old.x, old.y, nullptr);
        return true;
    }
    default:
        return false;
    }
}

}  // namespace Korvel::UI::Controls
