#include "image/YccRows.h"

#include <cstddef>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

void ConvertPixel(int l, int cb, int cr, std::uint8_t* bgr)
{
    const int xb = cb - 128, xr = cr - 128;
    bgr[0] = Clamp(l + 2 * xb + ((kCbB * xb + kHalf) >> 16));
    bgr[1] = Clamp(l - xr + ((kCrG * xr + kCbG * xb + kHalf) >> 16));
    bgr[2] = Clamp(l + xr + ((kCrR * xr + kHalf) >> 16));
}

#if defined(__SSE2__)
// The same arithmetic on 16 pixels at once.

// (x * f + 2^15) >> 16 in 8 lanes, for |x| <= 128: the high half of 2x * f, plus one,
// halved, rounds the same way.
inline __m128i RoundedProduct(__m128i x, short f)
{
    const __m128i high = _mm_mulhi_epi16(_mm_add_epi16(x, x), _mm_set1_epi16(f));
    return _mm_srai_epi16(_mm_add_epi16(high, _mm_set1_epi16(1)), 1);
}

// Blue, green and red of 8 pixels, from 16-bit luma and chroma; not yet clamped.
inline void Colour8(__m128i y, __m128i cb, __m128i cr, __m128i& b, __m128i& g, __m128i& r)
{
    const __m128i centre = _mm_set1_epi16(128);
    const __m128i xb = _mm_sub_epi16(cb, centre), xr = _mm_sub_epi16(cr, centre);
    b = _mm_add_epi16(_mm_add_epi16(y, _mm_add_epi16(xb, xb)), RoundedProduct(xb, kCbB));
    r = _mm_add_epi16(_mm_add_epi16(y, xr), RoundedProduct(xr, kCrR));
    // Green sums two products before its one rounding: pairs of (cr, cb) multiplied and
    // added in 32 bits.
    const __m128i factors = _mm_set_epi16(kCbG, kCrG, kCbG, kCrG, kCbG, kCrG, kCbG, kCrG);
    const __m128i half = _mm_set1_epi32(kHalf);
    const __m128i lo = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(xr, xb), factors), half), 16);
    const __m128i hi = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(xr, xb), factors), half), 16);
    g = _mm_add_epi16(_mm_sub_epi16(y, xr), _mm_packs_epi32(lo, hi));
}

void ConvertBlock(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* bgr)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i vy = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y));
    const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb));
    const __m128i vr = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr));
    __m128i b0, g0, r0, b1, g1, r1;
    Colour8(_mm_unpacklo_epi8(vy, zero), _mm_unpacklo_epi8(vb, zero), _mm_unpacklo_epi8(vr, zero), b0, g0, r0);
    Colour8(_mm_unpackhi_epi8(vy, zero), _mm_unpackhi_epi8(vb, zero), _mm_unpackhi_epi8(vr, zero), b1, g1, r1);
    // Saturating to bytes is the clamp.
    const __m128i b = _mm_packus_epi16(b0, b1), g = _mm_packus_epi16(g0, g1), r = _mm_packus_epi16(r0, r1);
    // Each pixel a blue-green-red-zero word; then two pixels' six bytes to a 64-bit lane,
    // stored so that each store's two spare bytes are overwritten by the next.
    const __m128i bgLo = _mm_unpacklo_epi8(b, g), bgHi = _mm_unpackhi_epi8(b, g);
    const __m128i rLo = _mm_unpacklo_epi8(r, zero), rHi = _mm_unpackhi_epi8(r, zero);
    const __m128i words[4] = {_mm_unpacklo_epi16(bgLo, rLo), _mm_unpackhi_epi16(bgLo, rLo),
                              _mm_unpacklo_epi16(bgHi, rHi), _mm_unpackhi_epi16(bgHi, rHi)};
    const __m128i first = _mm_set1_epi64x(0xFFFFFF), second = _mm_set1_epi64x(0xFFFFFF000000);
    for (int k = 0; k < 4; ++k) {
        const __m128i six = _mm_or_si128(_mm_and_si128(words[k], first),
                                         _mm_and_si128(_mm_srli_epi64(words[k], 8), second));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(bgr + 12 * k), six);
        const __m128i upper = _mm_unpackhi_epi64(six, six);
        if (k < 3) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(bgr + 12 * k + 6), upper);
        } else {
            std::uint8_t last[8];
            _mm_storel_epi64(reinterpret_cast<__m128i*>(last), upper);
            std::memcpy(bgr + 42, last, 6);
        }
    }
}
#endif

}  // namespace

void YccRows::Convert(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* bgr,
                      std::uint32_t width)
{
    std::uint32_t i = 0;
#if defined(__SSE2__)
    for (; i + kBlock <= width; i += kBlock) ConvertBlock(y + i, cb + i, cr + i, bgr + 3 * i);
#endif
    for (; i < width; ++i) ConvertPixel(y[i], cb[i], cr[i], bgr + 3 * i);
}

namespace {

// Vertical sums of a block of chroma samples: three parts of the nearer row to one of the
// farther.
void SumBlock(const std::uint8_t* near, const std::uint8_t* far, std::int16_t* s)
{
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i n = _mm_loadu_si128(reinterpret_cast<const __m128i*>(near));
    const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(far));
    auto sum = [](__m128i a, __m128i b) { return _mm_add_epi16(_mm_add_epi16(a, a), _mm_add_epi16(a, b)); };
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s), sum(_mm_unpacklo_epi8(n, zero), _mm_unpacklo_epi8(f, zero)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s + 8), sum(_mm_unpackhi_epi8(n, zero), _mm_unpackhi_epi8(f, zero)));
#else
    for (std::uint32_t i = 0; i < kBlock; ++i) s[i] = static_cast<std::int16_t>(3 * near[i] + far[i]);
#endif
}

// Twice as many samples from a block of sums (s[-1] and s[kBlock] readable): each output
// pair leans towards its left and right neighbour.
void WidenBlock(const std::int16_t* s, std::uint8_t* out, int even, int odd, int shift)
{
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), count = _mm_cvtsi32_si128(shift);
    const __m128i evenBias = _mm_set1_epi16(static_cast<short>(even)), oddBias = _mm_set1_epi16(static_cast<short>(odd));
    for (int h = 0; h < int(kBlock); h += 8) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + h));
        const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + h - 1));
        const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + h + 1));
        const __m128i c3 = _mm_add_epi16(_mm_add_epi16(c, c), c);
        const __m128i e = _mm_sra_epi16(_mm_add_epi16(_mm_add_epi16(c3, left), evenBias), count);
        const __m128i o = _mm_sra_epi16(_mm_add_epi16(_mm_add_epi16(c3, right), oddBias), count);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * h),
                         _mm_unpacklo_epi8(_mm_packus_epi16(e, zero), _mm_packus_epi16(o, zero)));
    }
#else
    for (std::ptrdiff_t i = 0; i < std::ptrdiff_t(kBlock); ++i) {
        const int centre = 3 * s[i];
        out[2 * i] = static_cast<std::uint8_t>((centre + s[i - 1] + even) >> shift);
        out[2 * i + 1] = static_cast<std::uint8_t>((centre + s[i + 1] + odd) >> shift);
    }
#endif
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
