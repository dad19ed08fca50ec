#pragma once
// The decoders and encoders behind CxImage. Each decoder reads from the stream's current
// position and leaves the image invalid with an error text on failure.
#include "image/CxImage.h"

namespace ImageCodec {

// Takes the rows of a 24-bit picture while it is decoded, instead of a full-size picture.
// Called from inside the codec libraries, so nothing here throws.
class RowSink {
public:
    virtual ~RowSink() = default;
    // Once the size is known; true when the sink takes the rows. The image then holds only
    // the picture's settings (format, resolution) and stays invalid.
    virtual bool Accept(std::uint32_t width, std::uint32_t height, bool alpha) noexcept = 0;
    // Where the decoder writes the next row, top to bottom: width blue-green-red triples,
    // then width alpha values when the picture has alpha.
    virtual std::uint8_t* NextRow() noexcept = 0;
    // The row from NextRow is written.
    virtual void RowDone() noexcept = 0;
};

// How a decoder goes on once it knows the picture's size and depth.
enum class Start { Failed, Whole, Rows };

// Offers a 24-bit picture to the sink (when there is one); if it does not take it, creates
// the whole picture in the image, with an alpha plane when asked.
Start StartPicture(CxImage& image, RowSink* sink, std::uint32_t width, std::uint32_t height, std::uint32_t bpp,
                   bool alpha, std::uint32_t format);

// Decoding as CxImage::LoadStream does, with a sink that the JPEG, PNG and TIFF decoders
// hand their rows to where they can (not for interlaced PNG files).
bool DecodeStream(CxImage& image, CxFile& in, std::uint32_t format, RowSink* sink);

bool DecodeBmp(CxImage& image, CxFile& in);
bool EncodeBmp(const CxImage& image, CxFile& out);
bool DecodeGif(CxImage& image, CxFile& in);
bool EncodeGif(const CxImage& image, CxFile& out);
bool DecodeJpeg(CxImage& image, CxFile& in, RowSink* sink = nullptr);
// quality -1: the image's own; any value is limited to 1..100.
bool EncodeJpeg(const CxImage& image, CxFile& out, int quality = -1);
bool DecodePng(CxImage& image, CxFile& in, RowSink* sink = nullptr);
bool EncodePng(const CxImage& image, CxFile& out);
bool DecodeTiff(CxImage& image, CxFile& in, RowSink* sink = nullptr);
bool EncodeTiff(const CxImage& image, CxFile& out);

// Little-endian readers shared by the hand-written coders.
inline std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t Le32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

}  // namespace ImageCodec
