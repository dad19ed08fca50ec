#include "snapferry/Upload.h"

#include "image/UploadPreparation.h"
#include "snapferry/Console.h"

namespace Tool {

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
