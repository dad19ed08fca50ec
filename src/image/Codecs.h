#pragma once
// The decoders and encoders behind CxImage. Each decoder reads from the stream's current
// position and leaves the image invalid with an error text on failure.
#include "image/CxImage.h"

namespace ImageCodec {

bool DecodeBmp(CxImage& image, CxFile& in);
bool EncodeBmp(const CxImage& image, CxFile& out);
bool DecodeGif(CxImage& image, CxFile& in);
bool EncodeGif(const CxImage& image, CxFile& out);
bool DecodeJpeg(CxImage& image, CxFile& in);
// quality -1: the image's own; any value is limited to 1..100.
bool EncodeJpeg(const CxImage& image, CxFile& out, int quality = -1);
bool DecodePng(CxImage& image, CxFile& in);
bool EncodePng(const CxImage& image, CxFile& out);
bool DecodeTiff(CxImage& image, CxFile& in);
bool EncodeTiff(const CxImage& image, CxFile& out);

// Little-endian readers shared by the hand-written coders.
inline std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t Le32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

}  // namespace ImageCodec
