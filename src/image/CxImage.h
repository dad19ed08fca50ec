#pragma once
// A decoded raster image: 1, 4, 8 or 24 bits per pixel, rows top-down in the byte order of
// a Windows DIB (blue, green, red) and padded to 4 bytes, an optional palette and an
// optional 8-bit alpha plane. Portable; only the drawing and resource members need Windows.
#include <cstdint>
#include <string>

#include "image/CxFile.h"

#if defined(_WIN32)
struct HDC__;
struct HINSTANCE__;
struct tagRECT;
#endif

enum ImageFormat : std::uint32_t {
    CXIMAGE_FORMAT_UNKNOWN = 0,
    CXIMAGE_FORMAT_BMP = 1,
    CXIMAGE_FORMAT_GIF = 2,
    CXIMAGE_FORMAT_JPG = 3,
    CXIMAGE_FORMAT_PNG = 4,
    CXIMAGE_FORMAT_TIF = 6,
};

// The largest decoded picture we accept; a larger declared size is refused before any
// allocation, so a few hostile bytes cannot ask for gigabytes.
constexpr std::uint64_t CXIMAGE_MAX_MEMORY = 268435456;

struct RGBQ {
    std::uint8_t b, g, r, a;
};
inline bool operator==(RGBQ x, RGBQ y) { return x.b == y.b && x.g == y.g && x.r == y.r; }

class CxImage {
public:
    CxImage();
    explicit CxImage(std::uint32_t format);
    CxImage(const CxImage& other);
    CxImage& operator=(const CxImage& other);
    CxImage(CxImage&& other) noexcept;
    CxImage& operator=(CxImage&& other) noexcept;
    virtual ~CxImage();

    // Pixels, palette (zeroed; grey ramp for 8 bits) and no alpha. bpp is rounded up to
    // 1, 4, 8 or 24. On failure the image is invalid and the last error says why.
    bool Create(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, std::uint32_t format = 0);
    // The same checks and the settings of a new picture, but no pixels: what a decoder that
    // hands its rows elsewhere leaves behind. The image stays invalid.
    bool CreateSettingsOnly(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, std::uint32_t format = 0);
    void Destroy();
    // An exact copy of another image: pixels, palette, alpha and settings.
    bool Copy(const CxImage& source);

    bool IsValid() const { return bits_ != nullptr; }
    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    std::uint32_t GetWidth() const { return width_; }
    std::uint32_t GetHeight() const { return height_; }
    std::uint32_t GetBpp() const { return bpp_; }
    std::uint32_t GetEffWidth() const { return rowBytes_; }
    std::uint32_t FormatCode() const { return format_; }
    std::uint32_t GetType() const { return format_; }
    void SetType(std::uint32_t format) { format_ = format; }

    std::uint8_t GetJpegQuality() const { return quality_; }
    void SetJpegQuality(std::uint8_t quality) { quality_ = quality; }
    std::int32_t GetXDPI() const { return xdpi_; }
    std::int32_t GetYDPI() const { return ydpi_; }
    void SetXDPI(std::int32_t dpi) { xdpi_ = dpi > 0 ? dpi : 96; }
    void SetYDPI(std::int32_t dpi) { ydpi_ = dpi > 0 ? dpi : 96; }

    // -1 when no palette entry is transparent.
    std::int32_t GetTransIndex() const { return transIndex_; }
    void SetTransIndex(std::int32_t index) { transIndex_ = index; }
    RGBQ GetTransColor() const;
    void SetTransColor(RGBQ colour) { background_ = colour; }

    const char* GetLastError() const { return lastError_.c_str(); }
    void SetLastError(const char* text) { lastError_ = text ? text : ""; }

    // Row y counted from the top.
    std::uint8_t* GetBits(std::uint32_t y = 0) { return bits_ ? bits_ + std::size_t(y) * rowBytes_ : nullptr; }
    const std::uint8_t* GetBits(std::uint32_t y = 0) const
    {
        return bits_ ? bits_ + std::size_t(y) * rowBytes_ : nullptr;
    }

    std::uint32_t GetNumColors() const { return bpp_ <= 8 ? (1u << bpp_) : 0; }
    const RGBQ* GetPalette() const { return bpp_ <= 8 ? palette_ : nullptr; }
    RGBQ GetPaletteColor(std::uint32_t index) const;
    void SetPaletteColor(std::uint32_t index, std::uint8_t r, std::uint8_t g, std::uint8_t b);
    void SetGreyPalette();
    // True for a palette whose every entry has equal red, green and blue.
    bool IsGrayScale() const;

    std::uint8_t GetPixelIndex(std::uint32_t x, std::uint32_t y) const;
    void SetPixelIndex(std::uint32_t x, std::uint32_t y, std::uint8_t index);
    RGBQ GetPixelColor(std::uint32_t x, std::uint32_t y) const;
    void SetPixelColor(std::uint32_t x, std::uint32_t y, RGBQ colour);

    bool AlphaCreate();
    void AlphaDelete();
    bool AlphaIsValid() const { return alpha_ != nullptr; }
    std::uint8_t* AlphaGetPointer(std::uint32_t x = 0, std::uint32_t y = 0)
    {
        return alpha_ ? alpha_ + std::size_t(y) * width_ + x : nullptr;
    }
    const std::uint8_t* AlphaGetPointer(std::uint32_t x = 0, std::uint32_t y = 0) const
    {
        return alpha_ ? alpha_ + std::size_t(y) * width_ + x : nullptr;
    }
    std::uint8_t AlphaGet(std::uint32_t x, std::uint32_t y) const { return alpha_ ? alpha_[std::size_t(y) * width_ + x] : 255; }
    void AlphaSet(std::uint32_t x, std::uint32_t y, std::uint8_t value)
    {
        if (alpha_) alpha_[std::size_t(y) * width_ + x] = value;
    }

    // Decoding. Format 0 detects the format from the content (BMP, JPEG, GIF, PNG, TIFF).
    bool LoadFile(const char* path, std::uint32_t format = CXIMAGE_FORMAT_UNKNOWN);
    bool LoadFile(const wchar_t* path, std::uint32_t format = CXIMAGE_FORMAT_UNKNOWN);
    bool LoadStream(CxFile* stream, std::uint32_t format = CXIMAGE_FORMAT_UNKNOWN);
    bool Decode(const std::uint8_t* data, std::uint32_t size, std::uint32_t format = CXIMAGE_FORMAT_UNKNOWN);
    // Encoding into a stream or a file; the image itself is not changed.
    bool Encode(CxFile* stream, std::uint32_t format) const;
    bool Save(const char* path, std::uint32_t format) const;
    bool Save(const wchar_t* path, std::uint32_t format) const;

    // Exact quarter turns; four turns give back the same pixels.
    bool RotateLeft();
    bool RotateRight();
    // Grey copy: an 8-bit grey image of the same size, alpha kept.
    bool GreyCopy(CxImage& grey) const;
    // Palette images become 24 bits per pixel, keeping alpha and settings.
    bool IncreaseBpp24();
    // New size; area average when a 24-bit image shrinks on both sides, else bilinear.
    bool Resample(std::uint32_t newWidth, std::uint32_t newHeight);
    // The same, into this image from another, without a full-size copy of the source.
    bool ResampleFrom(const CxImage& source, std::uint32_t newWidth, std::uint32_t newHeight);
    // Centres this image on a canvas of exactly width x height filled with the
    // transparent colour; the image must not be larger than the canvas.
    bool CenterOnCanvas(std::uint32_t width, std::uint32_t height);

#if defined(_WIN32)
    bool LoadResource(HINSTANCE__* module, unsigned id, std::uint32_t format = CXIMAGE_FORMAT_PNG);
    // Whole picture scaled into the rectangle; alpha is blended over what is there.
    bool DrawStretched(HDC__* dc, const tagRECT& rect) const;
    bool DrawNatural(HDC__* dc, int x, int y) const;
#endif

private:
    friend class AreaShrinker;

    void CopySettings(const CxImage& source);
    // What a picture made from `source` at another size keeps of its settings.
    void TakeSettingsOf(const CxImage& source);
    bool Admit(std::uint32_t width, std::uint32_t height, std::uint32_t bpp);
    void NewSettings(std::uint32_t format);
    bool Turn(bool left);

    std::uint8_t* bits_ = nullptr;
    std::uint8_t* alpha_ = nullptr;
    RGBQ palette_[256]{};
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t bpp_ = 0;
    std::uint32_t rowBytes_ = 0;
    std::uint32_t format_ = 0;
    std::uint8_t quality_ = 90;
    std::int32_t xdpi_ = 96;
    std::int32_t ydpi_ = 96;
    std::int32_t transIndex_ = -1;
    RGBQ background_{0, 0, 0, 0};
    std::string lastError_;
};
