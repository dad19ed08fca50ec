// The image class itself: creation limits, copies, quarter turns, grey copies,
// resampling and the canvas.
#include <gtest/gtest.h>

#include <cstring>

#include "ImageFixtures.h"
#include "image/CxImage.h"

namespace {

using fixture::Gradient;

TEST(CxImageCreate, RefusesBadSizesBeforeAllocating)
{
    struct Case {
        std::uint32_t w, h, bpp;
        const char* error;  // null: accepted
    } cases[] = {
        {0, 10, 24, "CxImage::Create : width and height must be greater than zero"},
        {10, 0, 8, "CxImage::Create : width and height must be greater than zero"},
        {65536, 65536, 1, "CXIMAGE_MAX_MEMORY exceeded"},  // width x height overflows 32 bits
        {16384, 16384, 8, nullptr},                         // exactly 256 MiB
        {16384, 16385, 8, "CXIMAGE_MAX_MEMORY exceeded"},
        {9459, 9459, 24, nullptr},
        {9460, 9460, 24, "CXIMAGE_MAX_MEMORY exceeded"},
        {0xFFFFFFFF, 2, 24, "CXIMAGE_MAX_MEMORY exceeded"},
    };
    for (const Case& c : cases) {
        CxImage image;
        const bool ok = image.Create(c.w, c.h, c.bpp);
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        EXPECT_EQ(ok, c.error == nullptr);
        EXPECT_EQ(image.IsValid(), ok);
        if (c.error) {
            EXPECT_STREQ(image.GetLastError(), c.error);
        }
    }
}

TEST(CxImageCreate, RoundsDepthUpAndPadsRows)
{
    struct Case {
        std::uint32_t asked, bpp, width, rowBytes;
    } cases[] = {{0, 1, 33, 8}, {2, 4, 9, 8}, {5, 8, 5, 8}, {16, 24, 5, 16}, {32, 24, 1, 4}};
    for (const Case& c : cases) {
        CxImage image;
        ASSERT_TRUE(image.Create(c.width, 3, c.asked));
        EXPECT_EQ(image.GetBpp(), c.bpp);
        EXPECT_EQ(image.GetEffWidth(), c.rowBytes);
    }
    CxImage fresh;
    fresh.Create(4, 4, 24);
    EXPECT_EQ(fresh.GetJpegQuality(), 90);
    EXPECT_EQ(fresh.GetXDPI(), 96);
    EXPECT_EQ(fresh.GetTransIndex(), -1);
    EXPECT_EQ(fresh.GetTransColor(), (RGBQ{0, 0, 0, 0}));
}

TEST(CxImageCopy, CopiesPixelsPaletteAlphaAndSettings)
{
    CxImage source = fixture::Paletted(7, 5, 4, false);
    source.AlphaCreate();
    source.AlphaSet(3, 2, 17);
    source.SetJpegQuality(33);
    source.SetXDPI(300);
    source.SetTransIndex(5);
    source.SetType(CXIMAGE_FORMAT_GIF);
    CxImage copy;
    ASSERT_TRUE(copy.Copy(source));
    EXPECT_TRUE(fixture::SamePixels(copy, source));
    EXPECT_EQ(copy.GetBpp(), 4u);
    EXPECT_EQ(copy.AlphaGet(3, 2), 17);
    EXPECT_EQ(copy.GetJpegQuality(), 33);
    EXPECT_EQ(copy.GetXDPI(), 300);
    EXPECT_EQ(copy.GetTransIndex(), 5);
    EXPECT_EQ(copy.FormatCode(), CXIMAGE_FORMAT_GIF);

    CxImage empty;
    EXPECT_FALSE(copy.Copy(empty));
    EXPECT_FALSE(copy.IsValid());
}

TEST(CxImageRotate, QuarterTurnsMoveEdgesAndFourTurnsRestore)
{
    for (std::uint32_t bpp : {1u, 4u, 8u, 24u}) {
        SCOPED_TRACE(bpp);
        const CxImage original = bpp == 24 ? Gradient(5, 3) : fixture::Paletted(5, 3, bpp, false);
        CxImage left(original), right(original);
        left.AlphaCreate();
        left.AlphaSet(4, 0, 9);  // top right corner
        ASSERT_TRUE(left.RotateLeft());
        ASSERT_TRUE(right.RotateRight());
        ASSERT_EQ(left.Width(), 3u);
        ASSERT_EQ(left.Height(), 5u);
        // Counter-clockwise: the top right corner goes to the top left.
        EXPECT_EQ(left.GetPixelColor(0, 0), original.GetPixelColor(4, 0));
        EXPECT_EQ(left.AlphaGet(0, 0), 9);
        EXPECT_EQ(left.GetPixelColor(2, 4), original.GetPixelColor(0, 2));
        // Clockwise: the top left corner goes to the top right.
        EXPECT_EQ(right.GetPixelColor(2, 0), original.GetPixelColor(0, 0));
        EXPECT_EQ(right.GetPixelColor(0, 4), original.GetPixelColor(4, 2));

        CxImage turned(original);
        for (int i = 0; i < 4; ++i) turned.RotateRight();
        EXPECT_TRUE(fixture::SamePixels(turned, original));
        if (bpp <= 8) {
            EXPECT_EQ(std::memcmp(turned.GetPalette(), original.GetPalette(), 4 * original.GetNumColors()), 0);
        }
    }
    CxImage invalid;
    EXPECT_FALSE(invalid.RotateLeft());
    EXPECT_FALSE(invalid.IsValid());
}

TEST(CxImageGreyCopy, WeighsChannelsAndKeepsAlpha)
{
    CxImage colour = fixture::Solid(2, 1, 255, 0, 0);
    colour.SetPixelColor(1, 0, RGBQ{255, 255, 255, 0});
    colour.AlphaCreate();
    colour.AlphaSet(1, 0, 40);
    CxImage grey;
    ASSERT_TRUE(colour.GreyCopy(grey));
    EXPECT_TRUE(grey.IsGrayScale());
    EXPECT_EQ(grey.GetPixelColor(0, 0).r, 76);  // 0.299 of full red
    EXPECT_EQ(grey.GetPixelColor(1, 0).r, 255);
    EXPECT_EQ(grey.AlphaGet(1, 0), 40);
}

TEST(CxImageResample, AveragesCoveredAreaWhenShrinking)
{
    // 4 x 2 of two 2 x 2 blocks: halving gives exactly each block's mean.
    CxImage image;
    image.Create(4, 2, 24);
    const std::uint8_t values[2][4] = {{10, 20, 200, 100}, {30, 40, 0, 100}};
    for (std::uint32_t y = 0; y < 2; ++y)
        for (std::uint32_t x = 0; x < 4; ++x) image.SetPixelColor(x, y, RGBQ{values[y][x], 0, 0, 0});
    ASSERT_TRUE(image.Resample(2, 1));
    EXPECT_EQ(image.GetPixelColor(0, 0).b, 25);
    EXPECT_EQ(image.GetPixelColor(1, 0).b, 100);

    // Uneven ratios keep a flat colour flat (weights sum to one).
    CxImage flat = fixture::Solid(1001, 751, 12, 200, 99);
    ASSERT_TRUE(flat.Resample(599, 450));
    EXPECT_EQ(fixture::MaxChannelDifference(flat, fixture::Solid(599, 450, 12, 200, 99)), 0);
}

TEST(CxImageResample, InterpolatesOtherwiseAndTakesNearestAlpha)
{
    CxImage image;
    image.Create(2, 1, 24);
    image.SetPixelColor(0, 0, RGBQ{0, 0, 0, 0});
    image.SetPixelColor(1, 0, RGBQ{200, 200, 200, 0});
    image.AlphaCreate();
    image.AlphaSet(0, 0, 0);
    ASSERT_TRUE(image.Resample(4, 1));
    const std::uint8_t expected[4] = {0, 50, 150, 200};
    for (std::uint32_t x = 0; x < 4; ++x) EXPECT_EQ(image.GetPixelColor(x, 0).r, expected[x]) << x;
    EXPECT_EQ(image.AlphaGet(1, 0), 0);
    EXPECT_EQ(image.AlphaGet(2, 0), 255);

    // A grey palette stays grey; other palettes become colour.
    CxImage grey = fixture::Paletted(6, 6, 8, true), colour = fixture::Paletted(6, 6, 4, false);
    ASSERT_TRUE(grey.Resample(3, 3));
    ASSERT_TRUE(colour.Resample(3, 3));
    EXPECT_TRUE(grey.IsGrayScale());
    EXPECT_EQ(colour.GetBpp(), 24u);

    EXPECT_FALSE(image.Resample(0, 3));
}

TEST(CxImageCanvas, CentresAndFillsTheBandWithTheTransparentColour)
{
    CxImage image = fixture::Solid(3, 2, 9, 9, 9);
    image.SetTransColor(RGBQ{1, 2, 3, 0});
    ASSERT_TRUE(image.CenterOnCanvas(6, 5));
    // Margins (6 - 3) / 2 = 1 and (5 - 2) / 2 = 1, rounded down.
    EXPECT_EQ(image.GetPixelColor(0, 0), (RGBQ{1, 2, 3, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 1), (RGBQ{9, 9, 9, 0}));
    EXPECT_EQ(image.GetPixelColor(3, 2), (RGBQ{9, 9, 9, 0}));
    EXPECT_EQ(image.GetPixelColor(4, 1), (RGBQ{1, 2, 3, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 3), (RGBQ{1, 2, 3, 0}));

    CxImage paletted = fixture::Paletted(2, 2, 8, false);
    paletted.SetTransIndex(200);
    ASSERT_TRUE(paletted.CenterOnCanvas(2, 3));
    EXPECT_EQ(paletted.GetPixelIndex(0, 2), 200);
    EXPECT_FALSE(paletted.CenterOnCanvas(1, 1));
}

}  // namespace
