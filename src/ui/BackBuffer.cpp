#include "ui/BackBuffer.h"

namespace Korvel::UI {

bool BackBuffer::Recreate(HDC reference, int width, int height)
{
    Release();
    if (width <= 0 || height <= 0) return false;
    MemoryDC dc(::CreateCompatibleDC(reference));
    if (!dc) return false;
    // A memory DC alone is monochrome: take the colour format from the reference (or screen).
    Korvel::Bitmap bitmap;
    if (reference) {
        bitmap.Reset(::CreateCompatibleBitmap(reference, width, height));
    } else {
        WindowDC screen(nullptr);
        bitmap.Reset(::CreateCompatibleBitmap(screen.Get(), width, height));
    }
    if (!bitmap) return false;
    previous_ = ::SelectObject(dc.Get(), bitmap.Get());
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    size_ = SIZE{width, height};
    return true;
}

bool BackBuffer::Ensure(HDC reference, int width, int height)
{
    if (bitmap_ && size_.cx == width && size_.cy == height) return true;
    return Recreate(reference, width, height);
}

void BackBuffer::Release()
{
    // The bitmap must leave the context before either is deleted.
    if (dc_ && previous_) ::SelectObject(dc_.Get(), previous_);
    previous_ = nullptr;
    bitmap_.Reset();
    dc_.Reset();
    size_ = SIZE{};
}

}  // namespace Korvel::UI
