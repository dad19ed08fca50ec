// libFuzzer entry: decodes arbitrary bytes with one decoder (or with detection), and when
// that succeeds runs the pieces that read the whole picture, so that whatever a decoder
// accepted is also safe to rotate, scale and encode.
#include <cstddef>
#include <cstdint>

#include "image/CxImage.h"
#include "image/PhotoTime.h"

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
    if (!image.Decode(data, static_cast<std::uint32_t>(size), FUZZ_FORMAT)) {
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
