#include "image/CxImage.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

std::uint32_t RoundBpp(std::uint32_t bpp)
{
    if (bpp <= 1) return 1;
    if (bpp <= 4) return 4;
    if (bpp <= 8) return 8;
    return 24;
}

}  // namespace

CxImage::CxImage() = default;

CxImage::CxImage(std::uint32_t format) : format_(format) {}

CxImage::CxImage(const CxImage& other) { Copy(other); }

CxImage& CxImage::operator=(const CxImage& other)
{
    if (this != &other) Copy(other);
    return *this;
}

CxImage::CxImage(CxImage&& other) noexcept { *this = std::move(other); }

CxImage& CxImage::operator=(CxImage&& other) noexcept
{
    if (this == &other) return *this;
    Destroy();
    CopySettings(other);
    bits_ = std::exchange(other.bits_, nullptr);
    alpha_ = std::exchange(other.alpha_, nullptr);
    std::memcpy(palette_, other.palette_, sizeof palette_);
    width_ = other.width_;
    height_ = other.height_;
    bpp_ = other.bpp_;
    rowBytes_ = other.rowBytes_;
    lastError_ = other.lastError_;
    other.width_ = other.height_ = other.bpp_ = other.rowBytes_ = 0;
    return *this;
}

CxImage::~CxImage() { Destroy(); }

void CxImage::Destroy()
{
    std::free(bits_);
    std::free(alpha_);
    bits_ = alpha_ = nullptr;
    width_ = height_ = bpp_ = rowBytes_ = 0;
}

// Every size is checked in 64 bits before anything is allocated.
bool CxImage::Admit(std::uint32_t width, std::uint32_t height, std::uint32_t bpp)
{
    Destroy();
    if (width == 0 || height == 0) {
        lastError_ = "CxImage::Create : width and height must be greater than zero";
        return false;
    }
    const std::uint64_t pixels = std::uint64_t(width) * height;
    const std::uint64_t rowBytes = ((std::uint64_t(width) * bpp + 31) / 32) * 4;
    if (pixels > 0xFFFFFFFFull || pixels * bpp / 8 > CXIMAGE_MAX_MEMORY ||
        rowBytes * height > CXIMAGE_MAX_MEMORY + 4ull * height) {
        lastError_ = "CXIMAGE_MAX_MEMORY exceeded";
        return false;
    }
    return true;
}

// A new picture starts with the defaults; copies and conversions put theirs back after.
void CxImage::NewSettings(std::uint32_t format)
{
    format_ = format;
    quality_ = 90;
    xdpi_ = ydpi_ = 96;
    transIndex_ = -1;
    std::memset(palette_, 0, sizeof palette_);
}

bool CxImage::Create(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, std::uint32_t format)
{
    bpp = RoundBpp(bpp);
    if (!Admit(width, height, bpp)) return false;
    const auto rowBytes = static_cast<std::uint32_t>(((std::uint64_t(width) * bpp + 31) / 32) * 4);
    // calloc: fresh pages arrive zeroed without being touched.
    bits_ = static_cast<std::uint8_t*>(std::calloc(std::size_t(rowBytes) * height, 1));
    if (!bits_) {
        lastError_ = "CxImage::Create can't allocate memory";
        return false;
    }
    width_ = width;
    height_ = height;
    bpp_ = bpp;
    rowBytes_ = rowBytes;
    NewSettings(format);
    if (bpp == 1) SetPaletteColor(1, 255, 255, 255);
    if (bpp == 8) SetGreyPalette();
    return true;
}

bool CxImage::CreateSettingsOnly(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, std::uint32_t format)
{
    if (!Admit(width, height, RoundBpp(bpp))) return false;
    NewSettings(format);
    return true;
}

void CxImage::CopySettings(const CxImage& source)
{
    format_ = source.format_;
    quality_ = source.quality_;
    xdpi_ = source.xdpi_;
    ydpi_ = source.ydpi_;
    transIndex_ = source.transIndex_;
    background_ = source.background_;
}

bool CxImage::Copy(const CxImage& source)
{
    if (this == &source) return true;
    if (!source.IsValid()) {
        Destroy();
        lastError_ = "null image!!!";
        return false;
    }
    if (!Create(source.width_, source.height_, source.bpp_, source.format_)) return false;
    std::memcpy(bits_, source.bits_, std::size_t(rowBytes_) * height_);
    std::memcpy(palette_, source.palette_, sizeof palette_);
    if (source.alpha_) {
        if (!AlphaCreate()) {
            Destroy();
            return false;
        }
        std::memcpy(alpha_, source.alpha_, std::size_t(width_) * height_);
    }
    CopySettings(source);
    return true;
}

void CxImage::TakeSettingsOf(const CxImage& source)
{
    CopySettings(source);
    // The transparent index means nothing without a palette; its colour stays the background.
    if (source.transIndex_ >= 0) background_ = source.GetTransColor();
    transIndex_ = -1;
}

RGBQ CxImage::GetTransColor() const
{
    if (bpp_ <= 8 && transIndex_ >= 0 && transIndex_ < static_cast<std::int32_t>(GetNumColors()))
        return palette_[transIndex_];
    return background_;
}

RGBQ CxImage::GetPaletteColor(std::uint32_t index) const
{
    return index < 256 ? palette_[index] : RGBQ{0, 0, 0, 0};
}

void CxImage::SetPaletteColor(std::uint32_t index, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    if (index < 256) palette_[index] = RGBQ{b, g, r, 0};
}

void CxImage::SetGreyPalette()
{
    const std::uint32_t n = GetNumColors();
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto v = static_cast<std::uint8_t>(n > 1 ? i * 255 / (n - 1) : 0);
        palette_[i] = RGBQ{v, v, v, 0};
    }
}

bool CxImage::IsGrayScale() const
{
    if (!IsValid() || bpp_ > 8) return false;
    const std::uint32_t n = GetNumColors();
    for (std::uint32_t i = 0; i < n; ++i)
        if (palette_[i].r != palette_[i].g || palette_[i].g != palette_[i].b) return false;
    return true;
}

std::uint8_t CxImage::GetPixelIndex(std::uint32_t x, std::uint32_t y) const
{
    if (!bits_ || bpp_ > 8 || x >= width_ || y >= height_) return 0;
    const std::uint8_t* row = GetBits(y);
    switch (bpp_) {
    case 8: return row[x];
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    default: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
}

void CxImage::SetPixelIndex(std::uint32_t x, std::uint32_t y, std::uint8_t index)
{
    if (!bits_ || bpp_ > 8 || x >= width_ || y >= height_) return;
    std::uint8_t* row = GetBits(y);
    switch (bpp_) {
    case 8: row[x] = index; break;
    case 4: {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        break;
    }
    default: {
        const int shift = 7 - static_cast<int>(x & 7);
        row[x >> 3] = static_cast<std::uint8_t>((row[x >> 3] & ~(1 << shift)) | ((index & 1) << shift));
        break;
    }
    }
}

RGBQ CxImage::GetPixelColor(std::uint32_t x, std::uint32_t y) const
{
    if (!bits_ || x >= width_ || y >= height_) return background_;
    RGBQ c;
    if (bpp_ <= 8) {
        c = palette_[GetPixelIndex(x, y)];
    } else {
        const std::uint8_t* p = GetBits(y) + 3 * std::size_t(x);
        c = RGBQ{p[0], p[1], p[2], 0};
    }
    c.a = AlphaGet(x, y);
    return c;
}

void CxImage::SetPixelColor(std::uint32_t x, std::uint32_t y, RGBQ colour)
{
    if (!bits_ || x >= width_ || y >= height_) return;
    if (bpp_ <= 8) {
        // Nearest palette entry: only used on small images and by tests.
        std::uint32_t best = 0;
        long bestDistance = -1;
        for (std::uint32_t i = 0; i < GetNumColors(); ++i) {
            const long db = long(palette_[i].b) - colour.b, dg = long(palette_[i].g) - colour.g,
                       dr = long(palette_[i].r) - colour.r;
            const long d = db * db + dg * dg + dr * dr;
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        SetPixelIndex(x, y, static_cast<std::uint8_t>(best));
    } else {
        std::uint8_t* p = GetBits(y) + 3 * std::size_t(x);
        p[0] = colour.b;
        p[1] = colour.g;
        p[2] = colour.r;
    }
}

bool CxImage::AlphaCreate()
{
    if (!bits_) return false;
    if (alpha_) return true;
    alpha_ = static_cast<std::uint8_t*>(std::malloc(std::size_t(width_) * height_));
    if (!alpha_) {
        lastError_ = "CxImage::Create can't allocate memory";
        return false;
    }
    std::memset(alpha_, 255, std::size_t(width_) * height_);
    return true;
}

void CxImage::AlphaDelete()
{
    std::free(alpha_);
    alpha_ = nullptr;
}

bool CxImage::IncreaseBpp24()
{
    if (!IsValid()) return false;
    if (bpp_ == 24) return true;
    CxImage wide;
    if (!wide.Create(width_, height_, 24, format_)) {
        lastError_ = wide.lastError_;
        return false;
    }
    for (std::uint32_t y = 0; y < height_; ++y) {
        std::uint8_t* out = wide.GetBits(y);
        for (std::uint32_t x = 0; x < width_; ++x, out += 3) {
            const RGBQ c = palette_[GetPixelIndex(x, y)];
            out[0] = c.b;
            out[1] = c.g;
            out[2] = c.r;
        }
    }
    wide.alpha_ = std::exchange(alpha_, nullptr);
    wide.TakeSettingsOf(*this);
    *this = std::move(wide);
    return true;
}
