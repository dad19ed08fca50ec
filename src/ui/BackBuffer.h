#pragma once
// An off-screen bitmap the size of a window's client area, kept selected into its own
// memory context. Windows paint into it and copy it to the screen in one transfer.
#include <windows.h>

#include "platform/Handle.h"

namespace Korvel::UI {

class BackBuffer {
public:
    BackBuffer() = default;
    ~BackBuffer() { Release(); }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    // Makes a new bitmap compatible with reference (or the screen) at the given size.
    bool Recreate(HDC reference, int width, int height);
    // Recreates only when the size differs from the current one.
    bool Ensure(HDC reference, int width, int height);
    void Release();

    HDC DC() const { return dc_.Get(); }
    HBITMAP Bitmap() const { return bitmap_.Get(); }
    SIZE Size() const { return size_; }

private:
    MemoryDC dc_;
    Korvel::Bitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
    SIZE size_{};
};

}  // namespace Korvel::UI
