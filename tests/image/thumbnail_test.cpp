// Thumbnails for the screen: small whatever the photo, the full picture's size reported, a
// JPEG decoded at a reduced scale that still looks like the full picture shrunk.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ImageFixtures.h"
#include "image/Thumbnail.h"

namespace {

using fixture::Bytes;

TEST(Thumbnail, FitsTheBoxAndReportsTheFullSize)
{
    struct Case {
        std::uint32_t w, h, format, tw, th;
    } cases[] = {
        {4000, 3000, CXIMAGE_FORMAT_JPG, 296, 222},  // reduced to 1/8 while decoding, then averaged
        {3000, 4000, CXIMAGE_FORMAT_JPG, 180, 240},
        {1200, 300, CXIMAGE_FORMAT_PNG, 296, 74},
        {100, 80, CXIMAGE_FORMAT_PNG, 100, 80},      // small enough: kept as it is
        {5000, 1, CXIMAGE_FORMAT_BMP, 296, 1},       // a banner keeps a row
    };
    for (const Case& c : cases) {
        const Bytes bytes = fixture::Encode(fixture::Gradient(c.w, c.h), c.format);
        Thumbnail thumb;
        ASSERT_TRUE(MakeThumbnail(bytes.data(), bytes.size(), CXIMAGE_FORMAT_UNKNOWN, 296, 240, thumb)) << c.w;
        EXPECT_EQ(thumb.width, c.w);
        EXPECT_EQ(thumb.height, c.h);
        EXPECT_EQ(thumb.image->Width(), c.tw) << c.w << "x" << c.h;
        EXPECT_EQ(thumb.image->Height(), c.th) << c.w << "x" << c.h;
    }
}

TEST(Thumbnail, AReducedJpegLooksLikeTheFullPictureShrunk)
{
    // A photo-like picture: smooth colour changes, as a scaled-down decode is meant for.
    CxImage smooth;
    smooth.Create(1600, 1200, 24, CXIMAGE_FORMAT_BMP);
    for (std::uint32_t y = 0; y < 1200; ++y)
        for (std::uint32_t x = 0; x < 1600; ++x)
            smooth.SetPixelColor(x, y, RGBQ{std::uint8_t((x + y) * 255 / 2800), std::uint8_t(y * 255 / 1200),
                                            std::uint8_t(x * 255 / 1600), 0});
    const Bytes bytes = fixture::Encode(smooth, CXIMAGE_FORMAT_JPG);
    Thumbnail scaled;
    ASSERT_TRUE(MakeThumbnail(bytes.data(), bytes.size(), CXIMAGE_FORMAT_JPG, 296, 240, scaled));
    CxImage full = fixture::Decode(bytes);
    Thumbnail plain;
    ASSERT_TRUE(MakeThumbnail(full, 296, 240, plain));
    ASSERT_EQ(scaled.image->Width(), plain.image->Width());
    ASSERT_EQ(scaled.image->Height(), plain.image->Height());
    // The two ways round differently; on average they must agree closely.
    double sum = 0;
    for (std::uint32_t y = 0; y < plain.image->Height(); ++y)
        for (std::uint32_t x = 0; x < plain.image->Width(); ++x) {
            const RGBQ a = scaled.image->GetPixelColor(x, y), b = plain.image->GetPixelColor(x, y);
            sum += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
        }
    EXPECT_LT(sum / (3.0 * plain.image->Width() * plain.image->Height()), 2.0);
}

TEST(Thumbnail, WhatIsNoPictureGivesNone)
{
    const Bytes junk{0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3};
    Thumbnail thumb;
    EXPECT_FALSE(MakeThumbnail(junk.data(), junk.size(), CXIMAGE_FORMAT_UNKNOWN, 296, 240, thumb));
    EXPECT_FALSE(thumb.image);
    EXPECT_FALSE(MakeThumbnail(nullptr, 0, CXIMAGE_FORMAT_UNKNOWN, 296, 240, thumb));
    const Bytes grey = fixture::Encode(fixture::Paletted(640, 480, 8, true), CXIMAGE_FORMAT_JPG);
    ASSERT_TRUE(MakeThumbnail(grey.data(), grey.size(), CXIMAGE_FORMAT_UNKNOWN, 296, 240, thumb));
    EXPECT_EQ(thumb.image->Width(), 296u);
}

}  // namespace
