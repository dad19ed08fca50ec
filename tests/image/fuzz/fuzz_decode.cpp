// libFuzzer entry: decodes arbitrary bytes with one decoder (or with detection), and when
// that succeeds runs the pieces that read the whole picture, so that whatever a decoder
// accepted is also safe to rotate, scale and encode. Preparing the bytes for upload while
// they decode must agree with preparing the whole picture, on every input.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/CxImage.h"
#include "image/PhotoTime.h"
#include "image/UploadPreparation.h"

namespace {

// Same success, same bytes. The box is small, so that even the small seed pictures are
// shrunk while they decode. Preparation detects the format, so the whole picture it is
// compared with is decoded the same way.
void CheckPreparation(const std::uint8_t* data, std::size_t size, const CxImage& decoded)
{
    UploadSettings settings;
    settings.thumbnailWidth = 8;
    settings.thumbnailHeight = 6;
    settings.type = SF_T("png");
    CxMemFile in(data, size);
    PreparedPhoto photo;
    const bool prepared = PrepareEncoded(in, CXIMAGE_FORMAT_UNKNOWN, 0, settings, photo);
    CxImage detected;
    const CxImage* whole = &decoded;
    if (FUZZ_FORMAT != CXIMAGE_FORMAT_UNKNOWN) {
        detected.Decode(data, static_cast<std::uint32_t>(size), CXIMAGE_FORMAT_UNKNOWN);
        whole = &detected;
    }
    if (prepared != whole->IsValid()) __builtin_trap();
    if (!prepared) return;
    CxMemFile expected;
    PrepareUpload(*whole, expected, settings);
    if (expected.Size() != photo.bytes.Size() ||
        std::memcmp(expected.GetBuffer(), photo.bytes.GetBuffer(), static_cast<std::size_t>(expected.Size())) != 0)
        __builtin_trap();
}

}  // namespace

#ifndef FUZZ_FORMAT
#define FUZZ_FORMAT CXIMAGE_FORMAT_UNKNOWN
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 0x7FFFFFFF) return 0;
    if (FUZZ_FORMAT == CXIMAGE_FORMAT_JPG) {
        std::int64_t time = 0;
        JpegExifPhotoTime(data, size, time);
    }
    CxImage image;
    const bool decoded = image.Decode(data, static_cast<std::uint32_t>(size), FUZZ_FORMAT);
    // Big enough for the averaging to run on its own thread, small enough to stay quick.
    if (!decoded || std::uint64_t(image.Width()) * image.Height() <= 1u << 21) CheckPreparation(data, size, image);
    if (!decoded) {
        if (image.IsValid() || image.GetLastError()[0] == '\0') __builtin_trap();
        return 0;
    }
    if (image.Width() == 0 || image.Height() == 0) __builtin_trap();
    // Bounded follow-up work: large pictures only prove that decoding itself was safe.
    if (std::uint64_t(image.Width()) * image.Height() > 1u << 20) return 0;
    image.RotateRight();
    CxImage grey;
    image.GreyCopy(grey);
    image.Resample(image.Width() / 2 + 1, image.Height() / 3 + 1);
    CxMemFile out;
    image.Encode(&out, FUZZ_FORMAT == CXIMAGE_FORMAT_UNKNOWN ? CXIMAGE_FORMAT_PNG : FUZZ_FORMAT);
    return 0;
}
