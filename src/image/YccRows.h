#pragma once
// Finishing the pixels of a YCbCr JPEG outside the decoder: the decoder hands over its
// sample planes a band of blocks at a time (luma at full size, the two chroma planes at
// half width, half height or both), and this turns each band into blue-green-red rows with
// the very arithmetic of libjpeg's own output stage (its default "fancy" triangle filter
// for the chroma, its fixed-point colour conversion), so the pixels are the same bytes as
// a normal decode gives. Doing it here lets that work run on the second thread.
#include <cstdint>
#include <memory>
#include <vector>

#include "image/Codecs.h"

// How the planes of one band lie in memory, as the decoder writes them.
struct YccLayout {
    std::uint32_t width = 0, height = 0;      // the picture
    std::uint32_t lumaH = 1, lumaV = 1;       // luma sampling factors (1 or 2); chroma is 1 x 1
    std::uint32_t chromaWidth = 0;            // samples of a chroma row that belong to the picture
    std::uint32_t chromaHeight = 0;           // chroma rows that belong to the picture
    std::size_t lumaStride = 0, chromaStride = 0;  // bytes of a row as written, padding included
    std::uint32_t bands = 0;                  // bands in the picture

    // Luma rows in a band; each band also has 8 rows of each chroma plane.
    std::uint32_t LumaRows() const { return 8 * lumaV; }
    std::size_t BandBytes() const { return LumaRows() * lumaStride + 2 * 8 * chromaStride; }
    // False for layouts libjpeg does not finish with the filter done here.
    bool Supported() const;
};

class YccRows final : public ImageCodec::RowUnpacker {
public:
    // Null when the layout is not supported or there is no memory.
    static std::unique_ptr<YccRows> Make(const YccLayout& layout) noexcept;

    std::size_t UnitBytes() const override { return layout_.BandBytes(); }
    std::uint64_t RowsBytes() const override { return std::uint64_t(layout_.width) * 3 * layout_.height; }
    void Unpack(const std::uint8_t* band, const RowFn& row) noexcept override;

    // One row of colour from luma and full-width chroma rows.
    static void Convert(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* bgr,
                        std::uint32_t width);

private:
    explicit YccRows(const YccLayout& layout) : layout_(layout) {}
    // Output row `r` from its luma row; `near` and `far` are the chroma rows it lies
    // in and the one nearest to it vertically (the same row when chroma is full height).
    void Emit(std::uint32_t r, const std::uint8_t* y, const std::uint8_t* nearCb, const std::uint8_t* farCb,
              const std::uint8_t* nearCr, const std::uint8_t* farCr, const RowFn& row);
    void Widen(const std::uint8_t* near, const std::uint8_t* far, bool below, std::uint8_t* out);

    YccLayout layout_;
    std::uint32_t band_ = 0;  // bands unpacked so far
    // The last luma and chroma rows of the band before: the row above a band's first
    // chroma row, and a deferred output row that needs the next band's first chroma row.
    std::vector<std::uint8_t> lastY_, lastCb_, lastCr_;
    bool deferred_ = false;
    std::vector<std::int16_t> sums_;          // vertical sums of one chroma row
    std::vector<std::uint8_t> cb_, cr_, bgr_;  // one output row's chroma and colour
};
