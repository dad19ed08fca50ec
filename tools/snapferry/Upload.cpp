#include "snapferry/Upload.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace Tool {

PreparedUpload PrepareForUpload(const std::wstring& path, const UploadOptions&)
{
    PreparedUpload upload;
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) {
        upload.error = L"cannot open " + path;
        return upload;
    }
    upload.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        upload.error = L"cannot read " + path;
        return upload;
    }
    upload.fileName = std::filesystem::path(path).filename().wstring();
    upload.ok = true;
    return upload;
}

}  // namespace Tool
