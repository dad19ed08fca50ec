#pragma once
// What one file becomes before it is posted. This is the one place that decides the bytes,
// the picture size and the name the server is told.
#include <string>

namespace Tool {

struct UploadOptions {
    std::wstring type;  // jpg, png, gif, bmp, tif; empty: as the panel's default
    int width = 0;      // box to scale into; 0: no scaling
    int height = 0;
    int quality = 80;
};

struct PreparedUpload {
    bool ok = false;
    std::string bytes;
    int width = 0;  // of the decoded picture; 0 when not decoded
    int height = 0;
    std::wstring fileName;
    std::wstring error;
};

// Decodes and prepares the photo as the upload run does (a GIF goes as its bytes).
PreparedUpload PrepareForUpload(const std::wstring& path, const UploadOptions& options);

}  // namespace Tool
