#pragma once
// Shrinking a 24-bit picture by the area average: each new pixel is the area-weighted mean
// of the source pixels it covers. The source arrives a row at a time, top to bottom, so the
// same arithmetic serves a picture held whole and one handed over by its decoder row by
// row; both give the same bytes. An alpha plane takes the nearest source value.
#include <cstdint>
#include <vector>

#include "image/CxImage.h"

class AreaShrinker {
public:
    // Makes `into` a 24-bit picture of newWidth x newHeight, with an alpha plane when the
    // source has one. Both new sides must be smaller than the source's.
    bool Begin(std::uint32_t width, std::uint32_t height, bool alpha, std::uint32_t newWidth, std::uint32_t newHeight,
               CxImage& into);
    // The next source row: width blue-green-red triples, and width alpha values (null when
    // the source has no alpha plane). Rows past the last are ignored.
    void AddRow(const std::uint8_t* colour, const std::uint8_t* alpha);
    // True once every source row has arrived.
    bool Complete() const { return into_ && next_ == height_; }
    // Gives the shrunk picture the settings of its source (resolution, format, quality, the
    // transparent colour as its background).
    void Finish(const CxImage& source);

    // The nearest-value mapping of alpha planes, shared with the other resampling.
    static std::uint32_t NearestSource(std::uint32_t to, std::uint32_t from, std::uint32_t newSize)
    {
        return static_cast<std::uint32_t>(std::uint64_t(to) * from / newSize);
    }
    static void NearestRow(const std::uint8_t* from, std::uint32_t width, std::uint8_t* to, std::uint32_t newWidth);

private:
    // Destination row or column d covers source rows first .. first + count - 1, with the
    // weights from index `weights` of the weight table.
    struct Span {
        std::uint32_t first, count;
        std::uint32_t weights;
    };
    static void Spans(std::uint32_t from, std::uint32_t to, std::vector<Span>& spans, std::vector<float>& weights);
    void Emit(std::uint32_t row);

    CxImage* into_ = nullptr;
    std::uint32_t width_ = 0, height_ = 0;
    std::vector<Span> xs_, ys_;
    std::vector<float> xw_, yw_;
    // The destination rows being summed: a source row can fall into two of them.
    std::vector<float> sums_;
    std::uint32_t slots_ = 0;
    std::uint32_t next_ = 0;       // next source row
    std::uint32_t open_ = 0;       // first destination row not yet written
    std::uint32_t alphaNext_ = 0;  // first destination alpha row not yet written
};
