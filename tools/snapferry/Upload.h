#pragma once
// What one file becomes before it is posted. This is the one place that decides the bytes,
// the picture size and the name the server is told.
#include <map>
#include <string>
#include <vector>

#include "platform/Text.h"

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

// The options post and panel share: where and how photos are uploaded.
struct UploadSetup {
    std::wstring url;
    std::wstring charset;
    std::wstring fileField = L"img";
    std::map<TString, TString> fields;  // the page's extra fields go out in name order
    UploadOptions upload;
    bool sizeGiven[2] = {false, false};
};
// Takes args[i] (and the value after it, moving i on) when it is one of --url, --charset,
// --file-field, --field, --type, --width, --height, --quality. False when it is none of
// them; *error says what is wrong with a value.
bool ParseUploadOption(const std::vector<std::wstring>& args, std::size_t& i, UploadSetup& out, std::wstring* error);
// What is missing or does not fit together; empty when the setup is usable.
std::wstring CheckUploadSetup(const UploadSetup& setup);
// Puts the image settings where the panel's preparation reads them.
void ApplyUploadSetup(const UploadSetup& setup);

// Decodes and prepares the photo as the upload run does (a GIF goes as its bytes).
PreparedUpload PrepareForUpload(const std::wstring& path, const UploadOptions& options);

}  // namespace Tool
