// libFuzzer entry for the way a picture from a web address travels: the server's bytes,
// decoded by whatever their content says they are, drawn small for the list, then prepared
// for upload under each type word, with and without the scaling box. Whatever comes out
// must read back as the format it was written in, at the size the settings promise.
#include <cstddef>
#include <cstdint>

#include "image/CxImage.h"
#include "image/FitSize.h"
#include "image/UploadPreparation.h"

namespace {

// The picker's thumbnail box; the upload list's is of the same order.
constexpr std::uint32_t kThumbWidth = 133, kThumbHeight = 102;

// Bounded follow-up work: a large picture only proves that decoding itself was safe.
constexpr std::uint64_t kMaxThumbPixels = 1u << 20;
constexpr std::uint64_t kMaxPreparePixels = 1u << 16;

void CheckPrepared(const CxImage& image, const UploadSettings& settings)
{
    CxMemFile out;
    PrepareUpload(image, out, settings);
    if (out.Size() <= 0) return;
    std::uint32_t width = image.Width(), height = image.Height();
    if (settings.thumbnailWidth > 0 && settings.thumbnailHeight > 0) {
        const FitResult fit = FitSize(width, height, static_cast<std::uint32_t>(settings.thumbnailWidth),
                                      static_cast<std::uint32_t>(settings.thumbnailHeight));
        width = fit.width;
        height = fit.height;
    }
    CxImage back;
    const std::uint32_t format = UploadFormat(settings.type, image.FormatCode());
    if (!back.Decode(out.GetBuffer(), static_cast<std::uint32_t>(out.Size()), format)) __builtin_trap();
    if (back.Width() != width || back.Height() != height) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 0x7FFFFFFF) return 0;
    CxImage image;
    if (!image.Decode(data, static_cast<std::uint32_t>(size), CXIMAGE_FORMAT_UNKNOWN)) {
        if (image.IsValid()) __builtin_trap();
        return 0;
    }
    if (image.Width() == 0 || image.Height() == 0 || image.FormatCode() == CXIMAGE_FORMAT_UNKNOWN) __builtin_trap();
    const std::uint64_t pixels = std::uint64_t(image.Width()) * image.Height();
    if (pixels > kMaxThumbPixels) return 0;

    const FitResult fit = FitSize(image.Width(), image.Height(), kThumbWidth, kThumbHeight);
    CxImage thumb;
    if (!thumb.ResampleFrom(image, fit.width, fit.height)) __builtin_trap();
    if (thumb.Width() != fit.width || thumb.Height() != fit.height) __builtin_trap();
    if (pixels > kMaxPreparePixels) return 0;

    // An unknown word keeps the decoded format.
    static const TChar* const kTypes[] = {SF_T("jpg"), SF_T("png"), SF_T("gif"), SF_T("bmp"), SF_T("tif"), SF_T("jpeg")};
    for (const TChar* type : kTypes) {
        for (const bool box : {false, true}) {
            UploadSettings settings;
            settings.type = type;
            settings.jpegQuality = static_cast<std::uint16_t>(20 + size % 80);
            if (box) {
                // Smaller than the picture, so that it is scaled and put on a canvas.
                settings.thumbnailWidth = static_cast<std::int32_t>(image.Width() / 2 + 1);
                settings.thumbnailHeight = static_cast<std::int32_t>(image.Height() / 3 + 1);
            }
            CheckPrepared(image, settings);
        }
    }
    return 0;
}
