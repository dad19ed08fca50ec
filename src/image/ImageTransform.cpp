// Quarter turns, grey copies, resampling and centring on a canvas.
#include <algorithm>
#include <cstring>
#include <vector>

#include "image/AreaShrinker.h"
#include "image/CxImage.h"

namespace {

// Copies one pixel's index or colour between images of the same depth.
inline void CopyPixel(const CxImage& from, std::uint32_t fx, std::uint32_t fy, CxImage& to, std::uint32_t tx,
                      std::uint32_t ty)
{
    if (from.GetBpp() == 24) {
        const std::uint8_t* s = from.GetBits(fy) + 3 * std::size_t(fx);
        std::uint8_t* d = to.GetBits(ty) + 3 * std::size_t(tx);
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
    } else if (from.GetBpp() == 8) {
        to.GetBits(ty)[tx] = from.GetBits(fy)[fx];
    } else {
        to.SetPixelIndex(tx, ty, from.GetPixelIndex(fx, fy));
    }
}

}  // namespace

bool CxImage::RotateLeft() { return Turn(true); }
bool CxImage::RotateRight() { return Turn(false); }

// left: the top edge becomes the left edge (counter-clockwise).
bool CxImage::Turn(bool left)
{
    if (!IsValid()) return false;
    const std::uint32_t w = width_, h = height_;
    CxImage turned;
    if (!turned.Create(h, w, bpp_, format_)) {
        lastError_ = turned.lastError_;
        return false;
    }
    if (alpha_ && !turned.AlphaCreate()) return false;
    std::memcpy(turned.palette_, palette_, sizeof palette_);
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint32_t tx = left ? y : h - 1 - y;
            const std::uint32_t ty = left ? w - 1 - x : x;
            CopyPixel(*this, x, y, turned, tx, ty);
            if (alpha_) turned.alpha_[std::size_t(ty) * h + tx] = alpha_[std::size_t(y) * w + x];
        }
    }
    turned.CopySettings(*this);
    *this = std::move(turned);
    return true;
}

bool CxImage::GreyCopy(CxImage& grey) const
{
    if (!IsValid()) return false;
    if (!grey.Create(width_, height_, 8, format_)) return false;
    grey.CopySettings(*this);
    grey.transIndex_ = -1;
    for (std::uint32_t y = 0; y < height_; ++y) {
        std::uint8_t* out = grey.GetBits(y);
        for (std::uint32_t x = 0; x < width_; ++x) {
            const RGBQ c = bpp_ == 24 ? RGBQ{GetBits(y)[3 * x], GetBits(y)[3 * x + 1], GetBits(y)[3 * x + 2], 0}
                                      : palette_[GetPixelIndex(x, y)];
            out[x] = static_cast<std::uint8_t>((c.r * 299 + c.g * 587 + c.b * 114 + 500) / 1000);
        }
    }
    if (alpha_) {
        if (!grey.AlphaCreate()) return false;
        std::memcpy(grey.alpha_, alpha_, std::size_t(width_) * height_);
    }
    return true;
}

namespace {

// Source coordinate of a destination pixel centre, with its two neighbours and weight.
struct Tap {
    std::uint32_t a, b;
    float t;
};

std::vector<Tap> BilinearTaps(std::uint32_t from, std::uint32_t to)
{
    std::vector<Tap> taps(to);
    const float scale = float(from) / to;
    for (std::uint32_t d = 0; d < to; ++d) {
        float s = (d + 0.5f) * scale - 0.5f;
        if (s < 0) s = 0;
        auto a = static_cast<std::uint32_t>(s);
        if (a > from - 1) a = from - 1;
        const std::uint32_t b = std::min(a + 1, from - 1);
        taps[d] = Tap{a, b, s - a};
    }
    return taps;
}

}  // namespace

bool CxImage::Resample(std::uint32_t newWidth, std::uint32_t newHeight)
{
    if (!IsValid() || newWidth == 0 || newHeight == 0) return false;
    if (newWidth == width_ && newHeight == height_) return true;
    CxImage out;
    if (!out.ResampleFrom(*this, newWidth, newHeight)) {
        lastError_ = out.lastError_;
        return false;
    }
    *this = std::move(out);
    return true;
}

bool CxImage::ResampleFrom(const CxImage& source, std::uint32_t newWidth, std::uint32_t newHeight)
{
    if (this == &source) return Resample(newWidth, newHeight);
    Destroy();
    if (!source.IsValid() || newWidth == 0 || newHeight == 0) {
        lastError_ = "null image!!!";
        return false;
    }
    if (newWidth == source.width_ && newHeight == source.height_) return Copy(source);
    const std::uint32_t sw = source.width_, sh = source.height_;
    CxImage& out = *this;
    if (source.bpp_ == 24 && newWidth < sw && newHeight < sh) {
        AreaShrinker shrink;
        if (!shrink.Begin(sw, sh, source.alpha_ != nullptr, newWidth, newHeight, out)) return false;
        for (std::uint32_t y = 0; y < sh; ++y) shrink.AddRow(source.GetBits(y), source.AlphaGetPointer(0, y));
        shrink.Finish(source);
        return true;
    }
    // Bilinear on colours; a grey palette stays grey, other palettes become 24-bit.
    const bool grey = source.IsGrayScale();
    if (!out.Create(newWidth, newHeight, grey ? 8 : 24, source.format_)) return false;
    const std::vector<Tap> xs = BilinearTaps(sw, newWidth), ys = BilinearTaps(sh, newHeight);
    for (std::uint32_t y = 0; y < newHeight; ++y) {
        const Tap ty = ys[y];
        std::uint8_t* o = out.GetBits(y);
        for (std::uint32_t x = 0; x < newWidth; ++x) {
            const Tap tx = xs[x];
            const RGBQ c00 = source.GetPixelColor(tx.a, ty.a), c10 = source.GetPixelColor(tx.b, ty.a),
                       c01 = source.GetPixelColor(tx.a, ty.b), c11 = source.GetPixelColor(tx.b, ty.b);
            auto mix = [&](std::uint8_t RGBQ::*ch) {
                const float top = c00.*ch + (c10.*ch - c00.*ch) * tx.t;
                const float bottom = c01.*ch + (c11.*ch - c01.*ch) * tx.t;
                const float v = top + (bottom - top) * ty.t + 0.5f;
                return static_cast<std::uint8_t>(v >= 255.0f ? 255 : (v <= 0.0f ? 0 : v));
            };
            if (grey) {
                o[x] = mix(&RGBQ::r);
            } else {
                o[3 * x] = mix(&RGBQ::b);
                o[3 * x + 1] = mix(&RGBQ::g);
                o[3 * x + 2] = mix(&RGBQ::r);
            }
        }
    }
    if (source.alpha_) {
        if (!out.AlphaCreate()) return false;
        for (std::uint32_t y = 0; y < newHeight; ++y)
            AreaShrinker::NearestRow(source.AlphaGetPointer(0, AreaShrinker::NearestSource(y, sh, newHeight)), sw,
                                     out.AlphaGetPointer(0, y), newWidth);
    }
    out.TakeSettingsOf(source);
    return true;
}

bool CxImage::CenterOnCanvas(std::uint32_t width, std::uint32_t height)
{
    if (!IsValid() || width < width_ || height < height_) return false;
    if (width == width_ && height == height_) return true;
    CxImage canvas;
    if (!canvas.Create(width, height, bpp_, format_)) {
        lastError_ = canvas.lastError_;
        return false;
    }
    std::memcpy(canvas.palette_, palette_, sizeof palette_);
    canvas.CopySettings(*this);
    const std::uint32_t left = (width - width_) / 2, top = (height - height_) / 2;
    // The band around the picture takes the transparent colour.
    const RGBQ fill = GetTransColor();
    if (bpp_ == 24) {
        for (std::uint32_t y = 0; y < height; ++y) {
            std::uint8_t* p = canvas.GetBits(y);
            for (std::uint32_t x = 0; x < width; ++x, p += 3) {
                p[0] = fill.b;
                p[1] = fill.g;
                p[2] = fill.r;
            }
        }
    } else {
        // Without a transparent index the nearest entry to the background colour stands in.
        canvas.SetPixelColor(0, 0, fill);
        const std::uint8_t index = transIndex_ >= 0 ? static_cast<std::uint8_t>(transIndex_) : canvas.GetPixelIndex(0, 0);
        for (std::uint32_t y = 0; y < height; ++y)
            for (std::uint32_t x = 0; x < width; ++x) canvas.SetPixelIndex(x, y, index);
    }
    // Whole bytes per pixel: a row at a time.
    const std::uint32_t pixelBytes = bpp_ / 8;
    for (std::uint32_t y = 0; y < height_; ++y) {
        if (pixelBytes) {
            std::memcpy(canvas.GetBits(top + y) + std::size_t(left) * pixelBytes, GetBits(y), std::size_t(width_) * pixelBytes);
            continue;
        }
        for (std::uint32_t x = 0; x < width_; ++x) CopyPixel(*this, x, y, canvas, left + x, top + y);
    }
    if (alpha_) {
        if (!canvas.AlphaCreate()) return false;
        std::memset(canvas.alpha_, 0, std::size_t(width) * height);
        for (std::uint32_t y = 0; y < height_; ++y)
            std::memcpy(canvas.alpha_ + std::size_t(top + y) * width + left, alpha_ + std::size_t(y) * width_, width_);
    }
    *this = std::move(canvas);
    return true;
}
