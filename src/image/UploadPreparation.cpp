#include "image/UploadPreparation.h"

#include <cstring>

#include "Biz/ConfigMgr.h"
#include "image/Codecs.h"
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

void PrepareUpload(const CxImage& image, CxFile& stream, const UploadSettings& settings)
{
    if (!image.IsValid()) return;
    // The working image is only made when something changes: photos are large, and a
    // full copy would double what preparing one costs in memory.
    CxImage working;
    const CxImage* picture = &image;
    auto own = [&]() {
        if (picture == &image) {
            if (!working.Copy(image)) return false;
            picture = &working;
        }
        return true;
    };
    if (settings.thumbnailWidth > 0 && settings.thumbnailHeight > 0) {
        const FitResult target = FitSize(image.Width(), image.Height(), static_cast<std::uint32_t>(settings.thumbnailWidth),
                                         static_cast<std::uint32_t>(settings.thumbnailHeight));
        if (target.width != image.Width() || target.height != image.Height()) {
            if (!ScaleToCanvas(image, target.width, target.height, working)) return;
            picture = &working;
        }
    }
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
    if (IsGifPassThrough(extension)) {
        CxIOFile file;
        if (!file.Open(path.c_str(), SF_T("rb"))) return 0;
        const std::int32_t size = file.Size();
        return size > 0 ? static_cast<std::uint32_t>(size) : 0;
    }
    if (!image) return 0;
    CxMemFile scratch;
    PrepareUpload(*image, scratch);
    return static_cast<std::uint32_t>(scratch.Size());
}

bool PrepareFileForPost(const TString& path, PreparedPhoto& photo)
{
    photo.bytes.Close();
    photo.width = photo.height = photo.format = 0;
    const TString name = path.substr(NameStart(path));
    photo.fileName = UploadFileName(name);
    CxImage image;
    const bool decoded = image.LoadFile(path.c_str());
    if (decoded) {
        photo.width = image.Width();
        photo.height = image.Height();
    }
    if (IsGifPassThrough(FileExtension(name))) {
        photo.format = CXIMAGE_FORMAT_GIF;
        if (!ReadWholeFile(path, photo.bytes)) {
            photo.bytes.Close();
            return false;
        }
        return true;
    }
    if (!decoded) return false;
    const UploadSettings settings = UploadSettings::Current();
    photo.format = UploadFormat(settings.type, image.FormatCode());
    PrepareUpload(image, photo.bytes, settings);
    return true;
}
