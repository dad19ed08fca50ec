#pragma once
// Turning a queued photo into the bytes that are posted: scaling into the configured box,
// the output format and quality, and the name the file is sent under.
#include <cstdint>
#include <string>

#include "image/CxImage.h"
#include "image/FitSize.h"
#include "platform/Text.h"


// Scales keeping proportions, then centres on a canvas of exactly width x height.
bool ScaleToCanvas(CxImage& image, std::uint32_t width, std::uint32_t height);
// The same into `out`, reading the source without copying it first.
bool ScaleToCanvas(const CxImage& source, std::uint32_t width, std::uint32_t height, CxImage& out);

// The image settings preparation depends on, as read from ConfigMgr at that moment.
struct UploadSettings {
    std::int32_t thumbnailWidth = 0;
    std::int32_t thumbnailHeight = 0;
    TString type;                    // ImageUploadType as stored
    std::uint16_t jpegQuality = 80;  // only the low 8 bits reach the encoder
    bool watermark = false;

    static UploadSettings Current();
};

// Format code for a type word ("jpg", "png", "gif", "bmp", "tif", compared exactly), or
// fallback for any other word.
std::uint32_t UploadFormat(const TString& type, std::uint32_t fallback);

// Writes the upload bytes of a decoded image into the stream; nothing for an invalid image.
void PrepareUpload(const CxImage& image, CxFile& stream);
void PrepareUpload(const CxImage& image, CxFile& stream, const UploadSettings& settings);

// The name a local photo is sent under.
TString UploadFileName(const TString& fileName);
TString UploadFileName(const TString& fileName, const TString& type);

// True for a photo whose extension (lower case, no dot) is exactly "gif": such photos are
// sent as their file bytes.
bool IsGifPassThrough(const TString& extension);

// Bytes a queued photo is sent with: its file size for a GIF, else the prepared size.
std::uint32_t PreparedSize(const CxImage* image, const TString& extension, const TString& path);

// Lower-case extension of a file name without the dot; empty when it has none.
TString FileExtension(const TString& fileName);

// Everything one local photo is posted with. The width and height are those of the decoded
// picture (the "width" and "height" form fields), not of the prepared bytes.
struct PreparedPhoto {
    CxMemFile bytes;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t format = 0;  // format code of the bytes
    TString fileName;          // upload file name
    bool whileDecoding = false;  // prepared row by row, the full picture never held
};

// A GIF as it is posted: the file's bytes, with the decoded picture's width and height as
// turned by quarterTurns. False when the file cannot be read; width and height stay 0 when
// its bytes are no picture. The file name is left empty.
bool ReadGifForPost(const TString& path, int quarterTurns, PreparedPhoto& photo);

// Decodes the file and prepares it with the current settings (GIF files pass through as
// they are). False when the file cannot be read or decoded; the product would still post
// such a photo, as an empty file part with width and height 0, which is what is left in
// `photo` then.
bool PrepareFileForPost(const TString& path, PreparedPhoto& photo);
// The same for a photo turned by quarterTurns (see PrepareEncoded); a GIF's bytes are sent
// unturned, its width and height are those of the turned picture.
bool PrepareFileForPost(const TString& path, int quarterTurns, PreparedPhoto& photo);

// Decodes a picture from its encoded bytes (format 0 detects it, any other code decodes only
// that format, as LoadStream does), turns it by quarterTurns quarter turns clockwise
// (negative: counter-clockwise) and fills photo.bytes, width, height and format exactly as
// decoding, turning and PrepareUpload would; the file name is left alone. A 24-bit picture
// that is shrunk into the box and not turned is prepared while it is decoded, row by row,
// and never held at full size. False, with `photo` emptied, when the bytes do not decode.
bool PrepareEncoded(CxFile& encoded, std::uint32_t format, int quarterTurns, const UploadSettings& settings,
                    PreparedPhoto& photo);

// Bytes a queued photo kept as its source is sent with, under the current settings: the
// size of the source for a GIF (by extension), else the prepared size; 0 when it cannot be
// read or decoded.
std::uint32_t PreparedSize(CxFile& encoded, const TString& extension, int quarterTurns);
std::uint32_t PreparedSize(const TString& path, const TString& extension, int quarterTurns);
