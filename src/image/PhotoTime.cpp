// The photo time through GDI+, which reads the DateTime tag of JPEG, TIFF and PNG files.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <ctime>
#include <vector>

#include "image/CxFile.h"
#include "image/GdiplusSession.h"
#include "image/PhotoTime.h"
#include "platform/TextConv.h"

namespace {

constexpr PROPID kDateTimeTag = 0x0132;

bool ReadDateTime(const std::wstring& path, std::int64_t& time)
{
    GdiplusSession session;
    if (!session.Ok()) return false;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Gdiplus::Ok || !bitmap) return false;
    bool found = false;
    UINT size = 0;
    if (Gdiplus::DllExports::GdipGetPropertyItemSize(bitmap, kDateTimeTag, &size) == Gdiplus::Ok &&
        size >= sizeof(Gdiplus::PropertyItem)) {
        std::vector<unsigned char> buffer(size);
        auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
        if (Gdiplus::DllExports::GdipGetPropertyItem(bitmap, kDateTimeTag, size, item) == Gdiplus::Ok &&
            item->type == PropertyTagTypeASCII && item->value)
            found = ParsePhotoTime(static_cast<const char*>(item->value), item->length, time);
    }
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return found;
}

}  // namespace

std::int64_t PhotoTime(const TString& path)
{
    std::int64_t time = 0;
#if defined(SF_WIDE)
    const std::wstring& wide = path;
#else
    const std::wstring wide = Korvel::Text::WideFromAnsi(path);
#endif
    if (ReadDateTime(wide, time)) return time;
    CxIOFile file;
    if (file.Open(wide.c_str(), L"rb")) {
        std::vector<std::uint8_t> head(70000);
        head.resize(file.Read(head.data(), 1, head.size()));
        if (JpegExifPhotoTime(head.data(), head.size(), time)) return time;
    }
    return static_cast<std::int64_t>(std::time(nullptr));
}
