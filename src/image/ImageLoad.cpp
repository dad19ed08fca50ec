// Format detection, loading and saving.
#include <cstring>

#include "image/Codecs.h"

namespace {

using Decoder = bool (*)(CxImage&, CxFile&);

Decoder DecoderFor(std::uint32_t format)
{
    switch (format) {
    case CXIMAGE_FORMAT_BMP: return ImageCodec::DecodeBmp;
    case CXIMAGE_FORMAT_GIF: return ImageCodec::DecodeGif;
    case CXIMAGE_FORMAT_JPG: return ImageCodec::DecodeJpeg;
    case CXIMAGE_FORMAT_PNG: return ImageCodec::DecodePng;
    case CXIMAGE_FORMAT_TIF: return ImageCodec::DecodeTiff;
    default: return nullptr;
    }
}

constexpr std::uint32_t kDetectionOrder[] = {CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_JPG, CXIMAGE_FORMAT_GIF,
                                             CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_TIF};

}  // namespace

bool CxImage::DecodeAs(CxFile* stream, std::uint32_t format)
{
    Decoder decode = DecoderFor(format);
    if (!decode) {
        lastError_ = "Decode: Unknown or wrong format";
        return false;
    }
    Destroy();
    if (decode(*this, *stream)) return true;
    Destroy();
    if (lastError_.empty()) lastError_ = "Decode: Unknown or wrong format";
    return false;
}

bool CxImage::LoadStream(CxFile* stream, std::uint32_t format)
{
    Destroy();
    if (!stream) {
        lastError_ = "null file handler";
        return false;
    }
    lastError_.clear();
    if (format != CXIMAGE_FORMAT_UNKNOWN) return DecodeAs(stream, format);

    const std::int32_t start = stream->Tell();
    for (std::uint32_t candidate : kDetectionOrder) {
        stream->Seek(start, SEEK_SET);
        if (DecodeAs(stream, candidate)) return true;
    }
    Destroy();
    lastError_ = "Decode: Unknown or wrong format";
    return false;
}

bool CxImage::Decode(const std::uint8_t* data, std::uint32_t size, std::uint32_t format)
{
    CxMemFile stream(data, size);
    return LoadStream(&stream, format);
}

namespace {

// A known code is tried first; if that fails the content decides, and the first failure
// is the one reported.
template <typename Char>
bool LoadPath(CxImage& image, const Char* path, std::uint32_t format, const Char* mode)
{
    CxIOFile file;
    if (!path || !file.Open(path, mode)) {
        image.Destroy();
        image.SetLastError("null file handler");
        return false;
    }
    if (format == CXIMAGE_FORMAT_UNKNOWN) return image.LoadStream(&file, format);
    if (image.LoadStream(&file, format)) return true;
    const std::string first = image.GetLastError();
    file.Seek(0, SEEK_SET);
    if (image.LoadStream(&file, CXIMAGE_FORMAT_UNKNOWN)) return true;
    image.SetLastError(first.c_str());
    return false;
}

}  // namespace

bool CxImage::LoadFile(const char* path, std::uint32_t format) { return LoadPath(*this, path, format, "rb"); }
bool CxImage::LoadFile(const wchar_t* path, std::uint32_t format) { return LoadPath(*this, path, format, L"rb"); }

bool CxImage::Encode(CxFile* stream, std::uint32_t format) const
{
    if (!stream) return false;
    if (!IsValid()) return false;
    switch (format) {
    case CXIMAGE_FORMAT_BMP: return ImageCodec::EncodeBmp(*this, *stream);
    case CXIMAGE_FORMAT_GIF: return ImageCodec::EncodeGif(*this, *stream);
    case CXIMAGE_FORMAT_JPG: return ImageCodec::EncodeJpeg(*this, *stream);
    case CXIMAGE_FORMAT_PNG: return ImageCodec::EncodePng(*this, *stream);
    case CXIMAGE_FORMAT_TIF: return ImageCodec::EncodeTiff(*this, *stream);
    default: return false;
    }
}

namespace {
template <typename Char>
bool SavePath(const CxImage& image, const Char* path, std::uint32_t format, const Char* mode)
{
    if (!image.IsValid() || !path) return false;
    CxMemFile bytes;
    if (!image.Encode(&bytes, format)) return false;
    CxIOFile file;
    if (!file.Open(path, mode)) return false;
    const std::size_t n = static_cast<std::size_t>(bytes.Size());
    return file.Write(bytes.GetBuffer(), 1, n) == n && file.Close();
}
}  // namespace

bool CxImage::Save(const char* path, std::uint32_t format) const { return SavePath(*this, path, format, "wb"); }
bool CxImage::Save(const wchar_t* path, std::uint32_t format) const { return SavePath(*this, path, format, L"wb"); }
