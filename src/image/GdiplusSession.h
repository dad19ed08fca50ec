#pragma once
// One start-up of GDI+ for as long as the object lives. GDI+ counts its start-ups, so a
// nested one inside a host that started it is harmless.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

class GdiplusSession {
public:
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;
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
