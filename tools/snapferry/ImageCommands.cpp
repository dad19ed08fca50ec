#include "snapferry/ImageCommands.h"

#include <cwchar>
#include <cwctype>

#include "Biz/ConfigMgr.h"
#include "image/PhotoTime.h"
#include "image/UploadPreparation.h"
#include "platform/FileInfo.h"
#include "snapferry/Console.h"

namespace {

using namespace Tool;

// A whole decimal number within 0..limit; false for anything else ("", "-1", "12px").
bool ParseNumber(const std::wstring& text, unsigned long limit, unsigned long& value)
{
    if (text.empty() || text.size() > 10) return false;
    value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<unsigned long>(c - L'0');
    }
    return value <= limit;
}

bool Readable(const std::wstring& path)
{
    CxIOFile file;
    return file.Open(path.c_str(), L"rb");
}

}  // namespace

int RunPrepareCommand(const std::vector<std::wstring>& args)
{
    ConfigMgr* config = ConfigMgr::Instance();
    std::vector<std::wstring> files;
    bool width = false, height = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (a == L"--watermark") {
            config->SetWatermark(true);
            continue;
        }
        if (a == L"--type" || a == L"--width" || a == L"--height" || a == L"--quality") {
            if (i + 1 >= args.size()) return UsageError(L"prepare: " + a + L" needs a value");
            const std::wstring& v = args[++i];
            unsigned long n = 0;
            if (a == L"--type") {
                config->SetImageUploadType(ToText(v));
            } else if (!ParseNumber(v, 65535, n)) {
                return UsageError(L"prepare: " + a + L" takes a whole number from 0 to 65535, not '" + v + L"'");
            } else if (a == L"--width") {
                config->SetThumbnailWidth(static_cast<std::uint16_t>(n));
                width = true;
            } else if (a == L"--height") {
                config->SetThumbnailHeight(static_cast<std::uint16_t>(n));
                height = true;
            } else {
                config->SetJpegQuality(static_cast<std::uint16_t>(n));
            }
            continue;
        }
        if (a.size() > 1 && a[0] == L'-') return UsageError(L"prepare: unknown option " + a);
        files.push_back(a);
    }
    if (width != height) return UsageError(L"prepare: give --width and --height together");
    if (files.size() != 2) return UsageError(L"prepare: needs FILE and OUT");

    const std::wstring& in = files[0];
    if (!Readable(in)) {
        Error(L"snapferry: cannot open " + in);
        return kFailed;
    }
    PreparedPhoto photo;
    if (!PrepareFileForPost(ToText(in), photo)) {
        Error(L"snapferry: " + in + L" is not a picture in a format we read (BMP, GIF, JPEG, PNG, TIFF)");
        return kFailed;
    }
    CxIOFile out;
    const std::size_t size = static_cast<std::size_t>(photo.bytes.Size());
    if (!out.Open(files[1].c_str(), L"wb") || out.Write(photo.bytes.GetBuffer(), 1, size) != size || !out.Close()) {
        Error(L"snapferry: cannot write " + files[1]);
        return kFailed;
    }
    Print(L"name=" + FromText(photo.fileName) + L" size=" + std::to_wstring(size) + L" width=" +
          std::to_wstring(photo.width) + L" height=" + std::to_wstring(photo.height) + L" format=" +
          std::to_wstring(photo.format));
    return kOk;
}

int RunPhotoTimeCommand(const std::vector<std::wstring>& args)
{
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == L'-')) return UsageError(L"phototime: needs one FILE");
    if (!Readable(args[0])) {
        Error(L"snapferry: cannot open " + args[0]);
        return kFailed;
    }
    Print(Korvel::IO::FormatTime(PhotoTime(ToText(args[0])), L"%Y-%m-%d %H:%M:%S"));
    return kOk;
}
