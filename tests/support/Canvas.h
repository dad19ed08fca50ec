#pragma once
// A W x H top-down 32-bit DIB selected into a memory DC, pre-filled with white, whose pixels
// the tests read back.
#include <windows.h>

#include "platform/Handle.h"
#include "ui/Drawing.h"

namespace test {

class Canvas {
public:
    Canvas(int w, int h) : w_(w), dc_(::CreateCompatibleDC(nullptr))
    {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_.Reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<DWORD*>(bits);
        old_ = ::SelectObject(dc_.Get(), bitmap_.Get());
        Korvel::UI::FillSolid(dc_.Get(), RECT{0, 0, w, h}, RGB(255, 255, 255));
    }
    ~Canvas() { ::SelectObject(dc_.Get(), old_); }
    HDC dc() const { return dc_.Get(); }
    int Width() const { return w_; }
    HBITMAP bitmap() const { return bitmap_.Get(); }
    COLORREF At(int x, int y) const
    {
        ::GdiFlush();
        const DWORD p = bits_[y * w_ + x];  // 0x00RRGGBB in memory order B, G, R
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int w_;
    Korvel::MemoryDC dc_;
    Korvel::Bitmap bitmap_;
    DWORD* bits_ = nullptr;
    HGDIOBJ old_;
};

}  // namespace test
