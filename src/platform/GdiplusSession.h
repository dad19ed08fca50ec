#pragma once
// One start-up of GDI+, shut down when the object goes. GDI+ counts its start-ups, so a nested
// session inside a host that started it is harmless.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace Korvel {

class GdiplusSession {
public:
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, nothing suppressed
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession()
    {
        if (ok_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

}  // namespace Korvel
