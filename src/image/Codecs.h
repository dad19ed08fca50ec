#pragma once
// The decoders and encoders behind CxImage. Each decoder reads from the stream's current
// position and leaves the image invalid with an error text on failure.
#include <cstddef>
#include <functional>
#include <memory>

#include "image/CxImage.h"

namespace ImageCodec {

// Turns the units a decoder hands over (bands in a layout of the decoder's own) into
// 24-bit rows, on whichever thread consumes them, so that finishing the pixels can run
// beside the decoding. Units come in order, each once, on one thread at a time.
class RowUnpacker {
public:
    using RowFn = std::function<void(const std::uint8_t* row)>;
    virtual ~RowUnpacker() = default;
    virtual std::size_t UnitBytes() const = 0;
    // Bytes of all the 24-bit rows the units make: how much work the picture is.
    virtual std::uint64_t RowsBytes() const = 0;
    // Hands the rows of the next unit (blue-green-red triples) to `row`, top to bottom.
    virtual void Unpack(const std::uint8_t* unit, const RowFn& row) noexcept = 0;
};

// Takes the rows of a 24-bit picture while it is decoded, instead of a full-size picture.
// Called from inside the codec libraries, so nothing here throws.
class RowSink {
public:
    virtual ~RowSink() = default;
    // Once the size is known; true when the sink takes the rows. The image then holds only
    // the picture's settings (format, resolution) and stays invalid.
    virtual bool Accept(std::uint32_t width, std::uint32_t height, bool alpha) noexcept = 0;
    // Instead of Accept, for a picture without alpha whose decoder hands over units that
    // `unpacker` turns into rows: true when the sink takes them, NextRow then giving room
    // for a unit. The sink keeps the unpacker either way.
    virtual bool AcceptUnits(std::uint32_t width, std::uint32_t height, std::unique_ptr<RowUnpacker> unpacker) noexcept
    {
        (void)width;
        (void)height;
        (void)unpacker;
        return false;
    }
    // Where the decoder writes the next row, top to bottom: width blue-green-red triples,
    // then width alpha values when the picture has alpha (or the next unit).
    virtual std::uint8_t* NextRow() noexcept = 0;
    // The row from NextRow is written.
    virtual void RowDone() noexcept = 0;
};

// How a decoder goes on once it knows the picture's size and depth.
enum class Start { Failed, Whole, Rows, Units };

// Offers a 24-bit picture to the sink (when there is one), as units when the decoder has an
// unpacker for them, else as rows; if the sink takes neither, creates the whole picture in
// the image, with an alpha plane when asked.
Start StartPicture(CxImage& image, RowSink* sink, std::uint32_t width, std::uint32_t height, std::uint32_t bpp,
                   bool alpha, std::uint32_t format, std::unique_ptr<RowUnpacker> units = nullptr);

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
