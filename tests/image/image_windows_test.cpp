// The Windows-only pieces: drawing into real memory DCs, the stamp resource and its
// application, and the photo time read through GDI+.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include <tiffio.h>

#include "ImageFixtures.h"
#include "image/PhotoTime.h"
#include "image/Watermark.h"
#include "platform/Handle.h"
#include "platform/Module.h"

namespace {

using fixture::Bytes;

// A 32-bit DIB section selected into a memory DC, filled with one colour.
class Canvas {
public:
    Canvas(int w, int h, COLORREF fill) : w_(w), h_(h)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_.Reset(::CreateCompatibleDC(nullptr));
        bitmap_.Reset(::CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        old_ = ::SelectObject(dc_.Get(), bitmap_.Get());
        Korvel::Brush brush(::CreateSolidBrush(fill));
        RECT all{0, 0, w, h};
        ::FillRect(dc_.Get(), &all, brush.Get());
        ::GdiFlush();
    }
    ~Canvas() { ::SelectObject(dc_.Get(), old_); }
    HDC Dc() const { return dc_.Get(); }
    RGBQ At(int x, int y) const
    {
        ::GdiFlush();
        const std::uint8_t* p = bits_ + 4 * (y * w_ + x);
        return RGBQ{p[0], p[1], p[2], 0};
    }

private:
    int w_, h_;
    Korvel::MemoryDC dc_;
    Korvel::Bitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    std::uint8_t* bits_ = nullptr;
};

bool Near(RGBQ a, RGBQ b, int slack = 2)
{
    return std::abs(a.r - b.r) <= slack && std::abs(a.g - b.g) <= slack && std::abs(a.b - b.b) <= slack;
}

TEST(Drawing, StretchesTheWholePictureIntoTheRectangle)
{
    CxImage image;
    image.Create(2, 2, 24);
    image.SetPixelColor(0, 0, RGBQ{255, 0, 0, 0});
    image.SetPixelColor(1, 0, RGBQ{0, 255, 0, 0});
    image.SetPixelColor(0, 1, RGBQ{0, 0, 255, 0});
    image.SetPixelColor(1, 1, RGBQ{255, 255, 255, 0});
    Canvas canvas(10, 10, RGB(0, 0, 0));
    const RECT rect{2, 2, 6, 6};
    ASSERT_TRUE(image.DrawStretched(canvas.Dc(), rect));
    EXPECT_EQ(canvas.At(2, 2), (RGBQ{255, 0, 0, 0}));  // top-left stays at the top
    EXPECT_EQ(canvas.At(5, 2), (RGBQ{0, 255, 0, 0}));
    EXPECT_EQ(canvas.At(3, 5), (RGBQ{0, 0, 255, 0}));
    EXPECT_EQ(canvas.At(1, 1), (RGBQ{0, 0, 0, 0}));    // outside the rectangle untouched
    EXPECT_EQ(canvas.At(6, 6), (RGBQ{0, 0, 0, 0}));

    const CxImage paletted = fixture::Paletted(3, 1, 4, false);
    ASSERT_TRUE(paletted.DrawNatural(canvas.Dc(), 0, 9));
    for (std::uint32_t x = 0; x < 3; ++x) EXPECT_EQ(canvas.At(static_cast<int>(x), 9), paletted.GetPixelColor(x, 0));

    CxImage invalid;
    EXPECT_FALSE(invalid.DrawNatural(canvas.Dc(), 0, 0));
}

TEST(Drawing, BlendsAlphaAndTransparentIndexOverWhatIsThere)
{
    CxImage image = fixture::Solid(2, 1, 200, 100, 0);
    image.AlphaCreate();
    image.AlphaSet(0, 0, 128);
    image.AlphaSet(1, 0, 0);
    Canvas canvas(4, 2, RGB(0, 0, 200));
    ASSERT_TRUE(image.DrawNatural(canvas.Dc(), 1, 0));
    EXPECT_TRUE(Near(canvas.At(1, 0), RGBQ{100, 50, 100, 0})) << int(canvas.At(1, 0).r);
    EXPECT_EQ(canvas.At(2, 0), (RGBQ{200, 0, 0, 0}));  // fully transparent: background stays

    CxImage gif = fixture::Paletted(2, 1, 8, false);
    gif.SetTransIndex(gif.GetPixelIndex(1, 0));
    ASSERT_TRUE(gif.DrawNatural(canvas.Dc(), 0, 1));
    EXPECT_EQ(canvas.At(0, 1), gif.GetPixelColor(0, 0));
    EXPECT_EQ(canvas.At(1, 1), (RGBQ{200, 0, 0, 0}));
}

TEST(Watermark, IsOurOwnTransparentPictureStampedInTheMiddle)
{
    CxImage stamp;
    ASSERT_TRUE(stamp.LoadResource(Korvel::ThisModule(), kWatermarkResourceId)) << stamp.GetLastError();
    EXPECT_EQ(stamp.Width(), 196u);
    EXPECT_EQ(stamp.Height(), 65u);
    ASSERT_TRUE(stamp.AlphaIsValid());
    EXPECT_EQ(stamp.AlphaGet(0, 0), 0);

    CxImage photo = fixture::Solid(400, 200, 10, 200, 30);
    photo.AlphaCreate();
    photo.SetJpegQuality(55);
    ASSERT_TRUE(ApplyWatermark(photo));
    EXPECT_EQ(photo.GetBpp(), 24u);
    EXPECT_FALSE(photo.AlphaIsValid());
    EXPECT_EQ(photo.GetJpegQuality(), 55);
    EXPECT_EQ(photo.GetPixelColor(0, 0), (RGBQ{30, 200, 10, 0}));
    EXPECT_EQ(photo.GetPixelColor(101, 67), (RGBQ{30, 200, 10, 0}));  // just outside the stamp
    // The stamp's badge lightens the middle: its box starts at ((400-196)/2, (200-65)/2).
    int changed = 0;
    for (std::uint32_t y = 67; y < 67 + 65; ++y)
        for (std::uint32_t x = 102; x < 102 + 196; ++x) changed += !(photo.GetPixelColor(x, y) == RGBQ{30, 200, 10, 0});
    EXPECT_GT(changed, 196 * 65 / 2);

    // Smaller than the stamp: drawn from the top-left corner instead.
    CxImage small = fixture::Solid(50, 20, 0, 0, 0);
    ASSERT_TRUE(ApplyWatermark(small));
    EXPECT_EQ(small.Width(), 50u);
    EXPECT_EQ(small.GetPixelColor(0, 0), (RGBQ{0, 0, 0, 0}));  // the badge's corner is clear
    EXPECT_FALSE(small.GetPixelColor(10, 10) == (RGBQ{0, 0, 0, 0}));
}

TEST(PhotoTime, ReadsTheDateTimeTagAsLocalTimeOrFallsBackToNow)
{
    fixture::TempFolder folder;
    ASSERT_TRUE(folder.Write("taken.jpg", fixture::JpegWithDateTime("2015:06:01 13:45:10")));
    ASSERT_TRUE(folder.Write("bad.jpg", fixture::JpegWithDateTime("2015:13:01 13:45:10")));
    ASSERT_TRUE(folder.Write("plain.png", fixture::Encode(fixture::Gradient(8, 8), CXIMAGE_FORMAT_PNG)));
    ASSERT_TRUE(folder.Write("notes.txt", Bytes{'n', 'o'}));
    // A TIFF with the tag in its first directory, which GDI+ reads itself.
    {
        const std::filesystem::path tiffPath(folder.File("taken.tif"));
        TIFF* tif = TIFFOpen(tiffPath.string().c_str(), "w");
        ASSERT_NE(tif, nullptr);
        std::uint8_t row[3] = {1, 2, 3};
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 1);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_DATETIME, "2015:06:01 13:45:10");
        TIFFWriteScanline(tif, row, 0, 0);
        TIFFClose(tif);
    }
    const std::int64_t expected = fixture::LocalTimeValue(2015, 6, 1, 13, 45, 10);
    EXPECT_EQ(PhotoTime(folder.File("taken.jpg")), expected);
    EXPECT_EQ(PhotoTime(folder.File("taken.tif")), expected);

    for (const char* name : {"bad.jpg", "plain.png", "notes.txt", "missing.jpg"}) {
        const std::int64_t before = std::time(nullptr);
        const std::int64_t time = PhotoTime(folder.File(name));
        EXPECT_GE(time, before) << name;
        EXPECT_LE(time, static_cast<std::int64_t>(std::time(nullptr))) << name;
    }
}

}  // namespace
