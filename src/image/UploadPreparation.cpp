#include "image/UploadPreparation.h"

#include <cstring>
#include <exception>

#include "Biz/ConfigMgr.h"
#include "image/AreaShrinker.h"
#include "image/Codecs.h"
#include "image/RowHandoff.h"
#include "image/Watermark.h"

namespace {

struct TypeWord {
    const TChar* word;
    std::uint32_t format;
    const TChar* extension;
};

constexpr TypeWord kTypeWords[] = {
    {SF_T("png"), CXIMAGE_FORMAT_PNG, SF_T(".png")}, {SF_T("gif"), CXIMAGE_FORMAT_GIF, SF_T(".gif")},
    {SF_T("bmp"), CXIMAGE_FORMAT_BMP, SF_T(".bmp")}, {SF_T("jpg"), CXIMAGE_FORMAT_JPG, SF_T(".jpg")},
    {SF_T("tif"), CXIMAGE_FORMAT_TIF, SF_T(".tif")},
};

const TypeWord* FindType(const TString& type)
{
    for (const TypeWord& t : kTypeWords)
        if (type == t.word) return &t;
    return nullptr;
}

// The plug-in stamps uploads when the page asks; the control only stores the setting.
bool StampsWatermark(const UploadSettings& settings)
{
#if defined(SF_WIDE)
    (void)settings;
    return false;
#else
    return settings.watermark;
#endif
}

std::size_t NameStart(const TString& path)
{
    const std::size_t slash = path.find_last_of(SF_T("\\/"));
    return slash == TString::npos ? 0 : slash + 1;
}

}  // namespace

namespace {

// The size the picture takes inside the canvas: the factor of the longer fit.
FitResult ScaledSize(std::uint32_t w, std::uint32_t h, std::uint32_t tw, std::uint32_t th)
{
    if (w <= tw && h <= th) return {w, h};
    const float a = static_cast<float>(tw) / static_cast<float>(th);
    const float factor = static_cast<float>(h) * a > static_cast<float>(w) ? static_cast<float>(th) / h
                                                                           : static_cast<float>(tw) / w;
    auto nw = static_cast<std::uint32_t>(w * factor);
    auto nh = static_cast<std::uint32_t>(h * factor);
    nw = nw == 0 ? 1 : (nw > tw ? tw : nw);
    nh = nh == 0 ? 1 : (nh > th ? th : nh);
    return {nw, nh};
}

}  // namespace

bool ScaleToCanvas(CxImage& image, std::uint32_t tw, std::uint32_t th)
{
    if (!image.IsValid() || tw == 0 || th == 0) return false;
    const FitResult size = ScaledSize(image.Width(), image.Height(), tw, th);
    return image.Resample(size.width, size.height) && image.CenterOnCanvas(tw, th);
}

bool ScaleToCanvas(const CxImage& source, std::uint32_t tw, std::uint32_t th, CxImage& out)
{
    if (!source.IsValid() || tw == 0 || th == 0) return false;
    const FitResult size = ScaledSize(source.Width(), source.Height(), tw, th);
    return out.ResampleFrom(source, size.width, size.height) && out.CenterOnCanvas(tw, th);
}

UploadSettings UploadSettings::Current()
{
    const ConfigMgr* config = ConfigMgr::Instance();
    UploadSettings s;
    s.thumbnailWidth = config->ThumbnailWidth();
    s.thumbnailHeight = config->ThumbnailHeight();
    s.type = config->ImageUploadType();
    s.jpegQuality = config->JpegQuality();
    s.watermark = config->Watermark();
    return s;
}

std::uint32_t UploadFormat(const TString& type, std::uint32_t fallback)
{
    const TypeWord* t = FindType(type);
    return t ? t->format : fallback;
}

void PrepareUpload(const CxImage& image, CxFile& stream) { PrepareUpload(image, stream, UploadSettings::Current()); }

namespace {

// The canvas a picture of w x h is scaled onto; false when the box leaves it as it is.
bool BoxTarget(const UploadSettings& settings, std::uint32_t w, std::uint32_t h, FitResult& canvas)
{
    if (settings.thumbnailWidth <= 0 || settings.thumbnailHeight <= 0) return false;
    canvas = FitSize(w, h, static_cast<std::uint32_t>(settings.thumbnailWidth),
                     static_cast<std::uint32_t>(settings.thumbnailHeight));
    return canvas.width != w || canvas.height != h;
}

// The steps after scaling: the stamp, the JPEG conversion and quality, the encoding.
// `picture` is either `image` itself or `working`, a picture of our own that may change.
void EncodeForUpload(const CxImage& image, const CxImage* picture, CxImage& working, CxFile& stream,
                     const UploadSettings& settings)
{
    // The working image is only made when something changes: photos are large, and a
    // full copy would double what preparing one costs in memory.
    auto own = [&]() {
        if (picture == &image) {
            if (!working.Copy(image)) return false;
            picture = &working;
        }
        return true;
    };
    if (StampsWatermark(settings)) {
        if (!own()) return;
        ApplyWatermark(working);
    }
    int quality = picture->GetJpegQuality();
    if (settings.type == SF_T("jpg")) {
        if (!picture->IsGrayScale() && picture->GetBpp() != 24) {
            if (!own() || !working.IncreaseBpp24()) return;
        }
        quality = settings.jpegQuality & 0xFF;
    }
    // A failed encode is not reported: the stream keeps whatever was written.
    const std::uint32_t format = UploadFormat(settings.type, image.FormatCode());
    if (format == CXIMAGE_FORMAT_JPG) ImageCodec::EncodeJpeg(*picture, stream, quality);
    else picture->Encode(&stream, format);
}

// Scales a 24-bit picture into the box while it is decoded, when preparing it would shrink
// it by the area average: the steps of ScaleToCanvas, fed one row at a time. The averaging
// runs beside the decoder, on a second thread where the picture is big enough.
class BoxSink final : public ImageCodec::RowSink {
public:
    explicit BoxSink(const UploadSettings& settings) : settings_(settings) {}

    bool Accept(std::uint32_t width, std::uint32_t height, bool alpha) noexcept override
    {
        if (!Begin(width, height, alpha)) return false;
        const std::size_t colour = std::size_t(width) * 3;
        const std::size_t rowBytes = alpha ? colour + width : colour;
        return handoff_.Start(rowBytes, std::uint64_t(rowBytes) * height, [this, colour, alpha](const std::uint8_t* row) {
            shrink_.AddRow(row, alpha ? row + colour : nullptr);
        });
    }
    // The decoder's units are turned into rows on the second thread, beside the decoding;
    // without one the decoder's own finishing of the rows is the quicker.
    bool AcceptUnits(std::uint32_t width, std::uint32_t height,
                     std::unique_ptr<ImageCodec::RowUnpacker> unpacker) noexcept override
    {
        handoff_.Stop();  // before the unpacker it may be using goes
        unpacker_ = std::move(unpacker);
        if (!unpacker_ || !RowHandoff::Threaded(unpacker_->RowsBytes()) || !Begin(width, height, false)) return false;
        return handoff_.Start(unpacker_->UnitBytes(), unpacker_->RowsBytes(), [this](const std::uint8_t* unit) {
            unpacker_->Unpack(unit, [this](const std::uint8_t* row) { shrink_.AddRow(row, nullptr); });
        });
    }
    std::uint8_t* NextRow() noexcept override { return handoff_.NextRow(); }
    void RowDone() noexcept override { handoff_.RowDone(); }

    // After a decode that handed its rows here, `header` holding the picture's settings:
    // the picture on its canvas, or null if the rows did not all arrive.
    CxImage* Finish(const CxImage& header)
    {
        handoff_.Finish();
        if (!shrink_.Complete()) return nullptr;
        shrink_.Finish(header);
        return picture_.CenterOnCanvas(canvas_.width, canvas_.height) ? &picture_ : nullptr;
    }
    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }

private:
    // Sizes the shrunk picture; false when the box does not shrink it by the area average.
    bool Begin(std::uint32_t width, std::uint32_t height, bool alpha) noexcept
    {
        handoff_.Stop();
        if (!BoxTarget(settings_, width, height, canvas_)) return false;
        const FitResult size = ScaledSize(width, height, canvas_.width, canvas_.height);
        // Enlarging a side is bilinear, which needs the neighbouring rows at hand.
        if (size.width >= width || size.height >= height) return false;
        if (!shrink_.Begin(width, height, alpha, size.width, size.height, picture_)) return false;
        width_ = width;
        height_ = height;
        return true;
    }

    const UploadSettings& settings_;
    FitResult canvas_{0, 0};
    std::uint32_t width_ = 0, height_ = 0;
    AreaShrinker shrink_;
    CxImage picture_;
    std::unique_ptr<ImageCodec::RowUnpacker> unpacker_;
    RowHandoff handoff_;  // last: its thread stops before what it feeds goes
};

void Empty(PreparedPhoto& photo)
{
    photo.bytes.Close();
    photo.width = photo.height = photo.format = 0;
    photo.whileDecoding = false;
}

// Quarter turns clockwise, as RotateRight; three are one turn the other way.
bool Turn(CxImage& image, int quarterTurns)
{
    switch ((quarterTurns % 4 + 4) % 4) {
    case 1: return image.RotateRight();
    case 2: return image.RotateRight() && image.RotateRight();
    case 3: return image.RotateLeft();
    default: return true;
    }
}

}  // namespace

void PrepareUpload(const CxImage& image, CxFile& stream, const UploadSettings& settings)
{
    if (!image.IsValid()) return;
    CxImage working;
    const CxImage* picture = &image;
    FitResult canvas{0, 0};
    if (BoxTarget(settings, image.Width(), image.Height(), canvas)) {
        if (!ScaleToCanvas(image, canvas.width, canvas.height, working)) return;
        picture = &working;
    }
    EncodeForUpload(image, picture, working, stream, settings);
}

bool PrepareEncoded(CxFile& encoded, std::uint32_t format, int quarterTurns, const UploadSettings& settings,
                    PreparedPhoto& photo)
{
    Empty(photo);
    try {
        // A turned picture is decoded whole: its rows would come in the wrong direction.
        const bool turned = (quarterTurns % 4) != 0;
        BoxSink sink(settings);
        CxImage image;
        if (!ImageCodec::DecodeStream(image, encoded, format, turned ? nullptr : &sink)) return false;
        if (!image.IsValid()) {
            // The decoder handed its rows to the sink; `image` holds the settings only.
            CxImage* picture = sink.Finish(image);
            if (!picture) return false;
            photo.width = sink.Width();
            photo.height = sink.Height();
            photo.whileDecoding = true;
            EncodeForUpload(image, picture, *picture, photo.bytes, settings);
        } else {
            if (!Turn(image, quarterTurns)) return false;
            photo.width = image.Width();
            photo.height = image.Height();
            PrepareUpload(image, photo.bytes, settings);
        }
        photo.format = UploadFormat(settings.type, image.FormatCode());
        return true;
    } catch (const std::exception&) {
        // Out of memory for the decoder's or the averaging's buffers.
        Empty(photo);
        return false;
    }
}

TString UploadFileName(const TString& fileName) { return UploadFileName(fileName, ConfigMgr::Instance()->ImageUploadType()); }

TString UploadFileName(const TString& fileName, const TString& type)
{
    const TypeWord* t = FindType(type);
    if (!t) return fileName;
    const std::size_t dot = fileName.rfind(SF_T('.'));
    return (dot == TString::npos ? fileName : fileName.substr(0, dot)) + t->extension;
}

bool IsGifPassThrough(const TString& extension) { return extension == SF_T("gif"); }

TString FileExtension(const TString& fileName)
{
    const std::size_t start = NameStart(fileName);
    const std::size_t dot = fileName.rfind(SF_T('.'));
    if (dot == TString::npos || dot < start) return TString();
    TString ext = fileName.substr(dot + 1);
    for (TChar& c : ext)
        if (c >= SF_T('A') && c <= SF_T('Z')) c = static_cast<TChar>(c - SF_T('A') + SF_T('a'));
    return ext;
}

namespace {

bool ReadWholeFile(const TString& path, CxMemFile& out)
{
    CxIOFile file;
    if (!file.Open(path.c_str(), SF_T("rb"))) return false;
    const std::int32_t size = file.Size();
    if (size < 0) return false;
    char buffer[65536];
    std::size_t n;
    while ((n = file.Read(buffer, 1, sizeof buffer)) > 0)
        if (out.Write(buffer, 1, n) != n) return false;
    return file.Error() == 0;
}

}  // namespace

std::uint32_t PreparedSize(const CxImage* image, const TString& extension, const TString& path)
{
    if (IsGifPassThrough(extension)) return PreparedSize(path, extension, 0);
    if (!image) return 0;
    CxMemFile scratch;
    PrepareUpload(*image, scratch);
    return static_cast<std::uint32_t>(scratch.Size());
}

std::uint32_t PreparedSize(CxFile& encoded, const TString& extension, int quarterTurns)
{
    if (IsGifPassThrough(extension)) {
        const std::int32_t size = encoded.Size();
        return size > 0 ? static_cast<std::uint32_t>(size) : 0;
    }
    PreparedPhoto scratch;
    return PrepareEncoded(encoded, CXIMAGE_FORMAT_UNKNOWN, quarterTurns, UploadSettings::Current(), scratch)
               ? static_cast<std::uint32_t>(scratch.bytes.Size())
               : 0;
}

std::uint32_t PreparedSize(const TString& path, const TString& extension, int quarterTurns)
{
    CxIOFile file;
    if (!file.Open(path.c_str(), SF_T("rb"))) return 0;
    return PreparedSize(file, extension, quarterTurns);
}

bool ReadGifForPost(const TString& path, int quarterTurns, PreparedPhoto& photo)
{
    Empty(photo);
    photo.format = CXIMAGE_FORMAT_GIF;
    if (!ReadWholeFile(path, photo.bytes)) {
        photo.bytes.Close();
        return false;
    }
    // Sent as the file's bytes; the form fields still give the decoded picture's size.
    CxImage image;
    if (image.Decode(photo.bytes.GetBuffer(), static_cast<std::uint32_t>(photo.bytes.Size()))) {
        const bool across = quarterTurns % 2 != 0;
        photo.width = across ? image.Height() : image.Width();
        photo.height = across ? image.Width() : image.Height();
    }
    return true;
}

bool PrepareFileForPost(const TString& path, PreparedPhoto& photo) { return PrepareFileForPost(path, 0, photo); }

bool PrepareFileForPost(const TString& path, int quarterTurns, PreparedPhoto& photo)
{
    Empty(photo);
    const TString name = path.substr(NameStart(path));
    photo.fileName = UploadFileName(name);
    if (IsGifPassThrough(FileExtension(name))) {
        const TString fileName = photo.fileName;
        if (!ReadGifForPost(path, quarterTurns, photo)) return false;
        photo.fileName = fileName;
        return true;
    }
    CxIOFile file;
    if (!file.Open(path.c_str(), SF_T("rb"))) return false;
    return PrepareEncoded(file, CXIMAGE_FORMAT_UNKNOWN, quarterTurns, UploadSettings::Current(), photo);
}
