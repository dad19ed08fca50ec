// Format detection, loading and saving.
#include <cstring>
#include <utility>

#include "image/Codecs.h"

namespace {

using Decoder = bool (*)(CxImage&, CxFile&, ImageCodec::RowSink*);

Decoder DecoderFor(std::uint32_t format)
{
    switch (format) {
    case CXIMAGE_FORMAT_BMP: return [](CxImage& i, CxFile& f, ImageCodec::RowSink*) { return ImageCodec::DecodeBmp(i, f); };
    case CXIMAGE_FORMAT_GIF: return [](CxImage& i, CxFile& f, ImageCodec::RowSink*) { return ImageCodec::DecodeGif(i, f); };
    case CXIMAGE_FORMAT_JPG: return ImageCodec::DecodeJpeg;
    case CXIMAGE_FORMAT_PNG: return ImageCodec::DecodePng;
    case CXIMAGE_FORMAT_TIF: return ImageCodec::DecodeTiff;
    default: return nullptr;
    }
}

constexpr std::uint32_t kDetectionOrder[] = {CXIMAGE_FORMAT_BMP, CXIMAGE_FORMAT_JPG, CXIMAGE_FORMAT_GIF,
                                             CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_TIF};

constexpr const char* kUnknownFormat = "Decode: Unknown or wrong format";

bool DecodeAs(CxImage& image, CxFile& stream, std::uint32_t format, ImageCodec::RowSink* sink)
{
    Decoder decode = DecoderFor(format);
    if (!decode) {
        image.SetLastError(kUnknownFormat);
        return false;
    }
    image.Destroy();
    if (decode(image, stream, sink)) return true;
    image.Destroy();
    if (image.GetLastError()[0] == '\0') image.SetLastError(kUnknownFormat);
    return false;
}

}  // namespace

namespace ImageCodec {

Start StartPicture(CxImage& image, RowSink* sink, std::uint32_t width, std::uint32_t height, std::uint32_t bpp,
                   bool alpha, std::uint32_t format, std::unique_ptr<RowUnpacker> units)
{
    // The sink is asked only about pictures we would accept whole.
    if (sink && bpp == 24 && image.CreateSettingsOnly(width, height, bpp, format)) {
        if (units && !alpha && sink->AcceptUnits(width, height, std::move(units))) return Start::Units;
        if (sink->Accept(width, height, alpha)) return Start::Rows;
    }
    if (!image.Create(width, height, bpp, format) || (alpha && !image.AlphaCreate())) return Start::Failed;
    return Start::Whole;
}

bool DecodeStream(CxImage& image, CxFile& in, std::uint32_t format, RowSink* sink)
{
    image.Destroy();
    image.SetLastError("");
    if (format != CXIMAGE_FORMAT_UNKNOWN) return DecodeAs(image, in, format, sink);

    const std::int32_t start = in.Tell();
    for (std::uint32_t candidate : kDetectionOrder) {
        in.Seek(start, SEEK_SET);
        if (DecodeAs(image, in, candidate, sink)) return true;
    }
    image.Destroy();
    image.SetLastError(kUnknownFormat);
    return false;
}

}  // namespace ImageCodec

bool CxImage::LoadStream(CxFile* stream, std::uint32_t format)
{
    if (!stream) {
        Destroy();
        lastError_ = "null file handler";
        return false;
    }
    return ImageCodec::DecodeStream(*this, *stream, format, nullptr);
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
