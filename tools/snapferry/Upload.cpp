#include "snapferry/Upload.h"

#include "Biz/ConfigMgr.h"
#include "image/UploadPreparation.h"
#include "snapferry/Console.h"

namespace Tool {

bool ParseUploadOption(const std::vector<std::wstring>& args, std::size_t& i, UploadSetup& out, std::wstring* error)
{
    const std::wstring& a = args[i];
    auto value = [&](std::wstring& into) { return TakeValue(args, i, into); };
    std::wstring v;
    if (a == L"--url") {
        if (!value(out.url)) *error = L"--url needs an address";
    } else if (a == L"--charset") {
        if (!value(out.charset)) *error = L"--charset needs a name (UTF-8 or GB2312)";
    } else if (a == L"--file-field") {
        if (!value(out.fileField) || out.fileField.empty()) *error = L"--file-field needs a name";
    } else if (a == L"--field") {
        const auto eq = value(v) ? v.find(L'=') : std::wstring::npos;
        if (eq == std::wstring::npos || eq == 0)
            *error = L"--field needs NAME=VALUE" + (v.empty() ? std::wstring() : L", got '" + v + L"'");
        else
            out.fields[ToText(v.substr(0, eq))] = ToText(v.substr(eq + 1));
    } else if (a == L"--type") {
        if (!value(v) || (v != L"jpg" && v != L"png" && v != L"gif" && v != L"bmp" && v != L"tif"))
            *error = L"--type must be jpg, png, gif, bmp or tif" + (v.empty() ? std::wstring() : L", got '" + v + L"'");
        else
            out.upload.type = v;
    } else if (a == L"--width" || a == L"--height") {
        const bool width = a == L"--width";
        if (!value(v) || !ParseNumber(v, 1, 65535, width ? out.upload.width : out.upload.height))
            *error = a + L" needs a number from 1 to 65535";
        out.sizeGiven[width ? 0 : 1] = true;
    } else if (a == L"--quality") {
        if (!value(v) || !ParseNumber(v, 1, 100, out.upload.quality)) *error = L"--quality needs a number from 1 to 100";
    } else {
        return false;
    }
    return true;
}

std::wstring CheckUploadSetup(const UploadSetup& setup)
{
    if (setup.url.empty()) return L"--url is needed";
    if (setup.sizeGiven[0] != setup.sizeGiven[1]) return L"--width and --height go together";
    return std::wstring();
}

void ApplyUploadSetup(const UploadSetup& setup)
{
    ConfigMgr* config = ConfigMgr::Instance();
    config->SetFileFieldName(ToText(setup.fileField));
    if (!setup.upload.type.empty()) config->SetImageUploadType(ToText(setup.upload.type));
    config->SetJpegQuality(static_cast<std::uint16_t>(setup.upload.quality));
    config->SetThumbnailWidth(static_cast<std::uint16_t>(setup.upload.width));
    config->SetThumbnailHeight(static_cast<std::uint16_t>(setup.upload.height));
}

PreparedUpload PrepareForUpload(const std::wstring& path, const UploadOptions&)
{
    // The options already sit in ConfigMgr, where the panel's preparation reads them.
    PreparedUpload upload;
    PreparedPhoto photo;
    if (!PrepareFileForPost(ToText(path), photo)) {
        // The panel would post such a file as an empty part; a tool user wants to know.
        upload.error = L"cannot read or decode " + path;
        return upload;
    }
    const std::int32_t size = photo.bytes.Size();
    upload.bytes.assign(reinterpret_cast<const char*>(photo.bytes.GetBuffer()), size > 0 ? size : 0);
    upload.width = static_cast<int>(photo.width);
    upload.height = static_cast<int>(photo.height);
    upload.fileName = FromText(photo.fileName);
    upload.ok = true;
    return upload;
}

}  // namespace Tool
