#include "image/YccRows.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <new>

namespace {

// libjpeg's fixed-point colour factors: 16 fraction bits, rounded to nearest.
constexpr int Fix(double x) { return static_cast<int>(x * 65536 + 0.5); }
constexpr int kHalf = 1 << 15;
// Each factor is split into a whole part and a part that fits 16 bits, which leaves the
// rounding of the shifted sum unchanged and keeps the products narrow enough to vectorise:
// red 1.402 = 1 + .., blue 1.772 = 2 - .., green -0.71414 cr = -1 + ...
constexpr int kCrR = Fix(1.40200) - 65536;
constexpr int kCbB = Fix(1.77200) - 2 * 65536;
constexpr int kCrG = 65536 - Fix(0.71414);
constexpr int kCbG = -Fix(0.34414);

// The pixel loops go a fixed block at a time, which the compiler vectorises without
// run-time checks.
constexpr std::uint32_t kBlock = 16;
std::size_t RoundUp(std::size_t n) { return (n + kBlock - 1) / kBlock * kBlock; }

inline std::uint8_t Clamp(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

}  // namespace

bool YccLayout::Supported() const
{
    if (width == 0 || height == 0 || bands == 0 || chromaWidth == 0 || chromaHeight == 0) return false;
    if ((lumaH != 1 && lumaH != 2) || (lumaV != 1 && lumaV != 2)) return false;
    // Chroma this narrow is widened by plain repetition, not by the filter.
    if (lumaH == 2 && chromaWidth <= 2) return false;
    return std::uint64_t(chromaWidth) * lumaH >= width && chromaStride >= chromaWidth && lumaStride >= width &&
           std::uint64_t(bands) * LumaRows() >= height;
}

std::unique_ptr<YccRows> YccRows::Make(const YccLayout& layout) noexcept
{
    if (!layout.Supported()) return nullptr;
    std::unique_ptr<YccRows> rows(new (std::nothrow) YccRows(layout));
    if (!rows) return nullptr;
    try {
        const std::size_t wide = std::size_t(layout.chromaWidth) * layout.lumaH;
        rows->lastY_.resize(layout.width);
        rows->lastCb_.resize(layout.chromaWidth);
        rows->lastCr_.resize(layout.chromaWidth);
        rows->sums_.resize(RoundUp(layout.chromaWidth) + 2);
        rows->cb_.resize(RoundUp(wide) + 2 * kBlock);
        rows->cr_.resize(RoundUp(wide) + 2 * kBlock);
        rows->bgr_.resize(std::size_t(layout.width) * 3);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return rows;
}

namespace {

// A block of pixels at a time, in 16-bit arithmetic, so that the compiler turns each step
// into a few vector instructions. Each pixel is then one little-endian word whose fourth
// byte the next pixel's store overwrites.
void ConvertBlock(const std::uint8_t* __restrict y, const std::uint8_t* __restrict cb,
                  const std::uint8_t* __restrict cr, std::uint8_t* __restrict bgr)
{
    static_assert(std::endian::native == std::endian::little);
    std::uint8_t b[kBlock], g[kBlock], r[kBlock];
    for (std::uint32_t i = 0; i < kBlock; ++i) {
        const int l = y[i], xb = cb[i] - 128, xr = cr[i] - 128;
        b[i] = Clamp(l + 2 * xb + ((kCbB * xb + kHalf) >> 16));
        g[i] = Clamp(l - xr + ((kCrG * xr + kCbG * xb + kHalf) >> 16));
        r[i] = Clamp(l + xr + ((kCrR * xr + kHalf) >> 16));
    }
    std::uint32_t pixels[kBlock];
    for (std::uint32_t i = 0; i < kBlock; ++i) pixels[i] = b[i] | std::uint32_t(g[i]) << 8 | std::uint32_t(r[i]) << 16;
    for (std::uint32_t i = 0; i + 1 < kBlock; ++i) std::memcpy(bgr + 3 * i, &pixels[i], 4);
    std::memcpy(bgr + 3 * (kBlock - 1), &pixels[kBlock - 1], 3);
}

}  // namespace

void YccRows::Convert(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* bgr,
                      std::uint32_t width)
{
    std::uint32_t i = 0;
    for (; i + kBlock <= width; i += kBlock) ConvertBlock(y + i, cb + i, cr + i, bgr + 3 * i);
    if (i == width) return;
    // The last few pixels through a padded block.
    std::uint8_t ty[kBlock] = {}, tb[kBlock] = {}, tr[kBlock] = {}, out[3 * kBlock];
    const std::uint32_t rest = width - i;
    std::memcpy(ty, y + i, rest);
    std::memcpy(tb, cb + i, rest);
    std::memcpy(tr, cr + i, rest);
    ConvertBlock(ty, tb, tr, out);
    std::memcpy(bgr + 3 * i, out, 3 * rest);
}

namespace {

void SumBlock(const std::uint8_t* __restrict near, const std::uint8_t* __restrict far, std::int16_t* __restrict s)
{
    for (std::uint32_t i = 0; i < kBlock; ++i) s[i] = static_cast<std::int16_t>(3 * near[i] + far[i]);
}

void WidenBlock(const std::int16_t* __restrict s, std::uint8_t* __restrict out, int even, int odd, int shift)
{
    for (std::ptrdiff_t i = 0; i < std::ptrdiff_t(kBlock); ++i) {
        const int centre = 3 * s[i];
        out[2 * i] = static_cast<std::uint8_t>((centre + s[i - 1] + even) >> shift);
        out[2 * i + 1] = static_cast<std::uint8_t>((centre + s[i + 1] + odd) >> shift);
    }
}

}  // namespace

// The triangle filter: each output sample is 3/4 of the nearer input and 1/4 of the next
// one, in each direction the chroma is halved, with the edge samples repeated outwards.
// Ties round up and down in turn, as libjpeg does. The sums and the output run on in whole
// blocks past the row's end, into padding that nothing reads.
void YccRows::Widen(const std::uint8_t* near, const std::uint8_t* far, bool below, std::uint8_t* out)
{
    const std::uint32_t n = layout_.chromaWidth;
    std::int16_t* s = sums_.data() + 1;
    if (layout_.lumaV == 2) {
        std::uint32_t i = 0;
        for (; i + kBlock <= n; i += kBlock) SumBlock(near + i, far + i, s + i);
        for (; i < n; ++i) s[i] = static_cast<std::int16_t>(3 * near[i] + far[i]);
        if (layout_.lumaH == 1) {
            const int bias = below ? 2 : 1;
            for (std::uint32_t b = 0; b < n; b += kBlock)
                for (std::uint32_t k = 0; k < kBlock; ++k)
                    out[b + k] = static_cast<std::uint8_t>((s[b + k] + bias) >> 2);
            return;
        }
    } else {
        for (std::uint32_t i = 0; i < n; ++i) s[i] = near[i];
    }
    s[-1] = s[0];
    s[n] = s[n - 1];
    // Vertical sums carry a factor of 4 already.
    const bool tall = layout_.lumaV == 2;
    for (std::uint32_t b = 0; b < n; b += kBlock) WidenBlock(s + b, out + 2 * b, tall ? 8 : 1, tall ? 7 : 2, tall ? 4 : 2);
}

void YccRows::Emit(std::uint32_t r, const std::uint8_t* y, const std::uint8_t* nearCb, const std::uint8_t* farCb,
                   const std::uint8_t* nearCr, const std::uint8_t* farCr, const RowFn& row)
{
    const bool below = r % 2 != 0;
    const std::uint8_t* cb = nearCb;
    const std::uint8_t* cr = nearCr;
    if (layout_.lumaH == 2 || layout_.lumaV == 2) {
        Widen(nearCb, farCb, below, cb_.data());
        Widen(nearCr, farCr, below, cr_.data());
        cb = cb_.data();
        cr = cr_.data();
    }
    Convert(y, cb, cr, bgr_.data(), layout_.width);
    row(bgr_.data());
}

void YccRows::Unpack(const std::uint8_t* band, const RowFn& row) noexcept
{
    const YccLayout& l = layout_;
    if (band_ >= l.bands) return;
    const std::uint32_t k = band_++;
    const std::uint32_t lumaRows = l.LumaRows();
    auto luma = [&](std::uint32_t i) { return band + i * l.lumaStride; };
    const std::uint8_t* chroma = band + lumaRows * l.lumaStride;
    auto cb = [&](std::uint32_t j) { return chroma + j * l.chromaStride; };
    auto cr = [&](std::uint32_t j) { return chroma + (8 + j) * l.chromaStride; };

    if (l.lumaV == 1) {
        for (std::uint32_t i = 0; i < lumaRows && k * lumaRows + i < l.height; ++i)
            Emit(k * lumaRows + i, luma(i), cb(i), cb(i), cr(i), cr(i), row);
        return;
    }
    // Chroma at half height: an output row lies in chroma row j and leans on the one above
    // (even rows) or below (odd rows); the picture's first and last chroma rows stand in
    // for the missing neighbours.
    if (deferred_) {
        Emit(k * lumaRows - 1, lastY_.data(), lastCb_.data(), cb(0), lastCr_.data(), cr(0), row);
        deferred_ = false;
    }
    for (std::uint32_t i = 0; i < lumaRows; ++i) {
        const std::uint32_t r = k * lumaRows + i;
        if (r >= l.height) break;
        const std::uint32_t j = i / 2, whole = 8 * k + j;
        if (i % 2 == 0) {
            const bool top = whole == 0;
            Emit(r, luma(i), cb(j), top ? cb(j) : (j ? cb(j - 1) : lastCb_.data()), cr(j),
                 top ? cr(j) : (j ? cr(j - 1) : lastCr_.data()), row);
        } else if (whole + 1 >= l.chromaHeight) {
            Emit(r, luma(i), cb(j), cb(j), cr(j), cr(j), row);
        } else if (j + 1 < 8) {
            Emit(r, luma(i), cb(j), cb(j + 1), cr(j), cr(j + 1), row);
        } else {
            // The row below is the next band's first: this row waits for it.
            std::memcpy(lastY_.data(), luma(i), l.width);
            deferred_ = true;
        }
    }
    if (k + 1 < l.bands) {
        std::memcpy(lastCb_.data(), cb(7), l.chromaWidth);
        std::memcpy(lastCr_.data(), cr(7), l.chromaWidth);
    }
}
