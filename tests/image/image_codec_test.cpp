// Decoders and encoders: round trips, detection, and hostile or damaged files, which must
// give an invalid image with an error text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include <zlib.h>

#include "ImageFixtures.h"
#include "image/CxImage.h"

namespace {

using fixture::Bytes;
using fixture::Decode;
using fixture::Encode;
using fixture::Put16;
using fixture::Put32;

struct FormatCase {
    std::uint32_t format;
    const char* name;
};
const FormatCase kFormats[] = {{CXIMAGE_FORMAT_BMP, "bmp"},
                               {CXIMAGE_FORMAT_GIF, "gif"},
                               {CXIMAGE_FORMAT_JPG, "jpg"},
                               {CXIMAGE_FORMAT_PNG, "png"},
                               {CXIMAGE_FORMAT_TIF, "tif"}};

TEST(Codecs, LosslessFormatsRoundTripEveryDepth)
{
    for (const FormatCase& f : kFormats) {
        if (f.format == CXIMAGE_FORMAT_JPG) continue;
        for (std::uint32_t bpp : {1u, 4u, 8u, 24u}) {
            SCOPED_TRACE(std::string(f.name) + " " + std::to_string(bpp));
            // GIF keeps 24-bit pictures exactly when they have few enough colours.
            const CxImage image = bpp == 24 ? fixture::Gradient(13, 7) : fixture::Paletted(13, 7, bpp, false);
            const CxImage back = Decode(Encode(image, f.format), CXIMAGE_FORMAT_UNKNOWN);
            ASSERT_TRUE(back.IsValid()) << back.GetLastError();
            EXPECT_EQ(back.FormatCode(), f.format);
            EXPECT_EQ(fixture::MaxChannelDifference(back, image), 0);
        }
    }
}

TEST(Codecs, AlphaAndTransparencySurviveWhereTheFormatHasThem)
{
    CxImage image = fixture::Gradient(9, 4);
    image.AlphaCreate();
    for (std::uint32_t x = 0; x < 9; ++x) image.AlphaSet(x, 1, static_cast<std::uint8_t>(x * 20));
    for (std::uint32_t format : {CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_TIF}) {
        const CxImage back = Decode(Encode(image, format));
        ASSERT_TRUE(back.AlphaIsValid()) << format;
        for (std::uint32_t y = 0; y < 4; ++y)
            for (std::uint32_t x = 0; x < 9; ++x) {
                const RGBQ want = image.GetPixelColor(x, y), got = back.GetPixelColor(x, y);
                EXPECT_EQ(got.a, want.a) << format;
                // libtiff hands colours over premultiplied; undoing that cannot restore what
                // a nearly transparent pixel had.
                const int slack = format == CXIMAGE_FORMAT_PNG ? 0 : 255 / std::max<int>(want.a, 1);
                EXPECT_LE(std::abs(got.r - want.r) + std::abs(got.g - want.g) + std::abs(got.b - want.b), 3 * slack)
                    << format << " at " << x << "," << y;
            }
    }
    CxImage paletted = fixture::Paletted(5, 5, 8, false);
    paletted.SetTransIndex(3);
    for (std::uint32_t format : {CXIMAGE_FORMAT_PNG, CXIMAGE_FORMAT_GIF})
        EXPECT_EQ(Decode(Encode(paletted, format)).GetTransIndex(), 3) << format;
}

TEST(Codecs, GifReducesManyColoursToAPalette)
{
    const CxImage image = fixture::Gradient(64, 64);  // far more than 256 colours
    const CxImage back = Decode(Encode(image, CXIMAGE_FORMAT_GIF));
    ASSERT_TRUE(back.IsValid());
    EXPECT_EQ(back.GetBpp(), 8u);
    EXPECT_LE(fixture::MaxChannelDifference(back, image), 26);
    // A long run of one colour fills the LZW table and forces clear codes.
    const CxImage flat = fixture::Solid(1200, 900, 1, 2, 3);
    EXPECT_TRUE(fixture::SamePixels(Decode(Encode(flat, CXIMAGE_FORMAT_GIF)), flat));
    const CxImage noisy = fixture::Paletted(300, 300, 8, false);
    EXPECT_TRUE(fixture::SamePixels(Decode(Encode(noisy, CXIMAGE_FORMAT_GIF)), noisy));
}

std::size_t FindMarker(const Bytes& jpeg, std::uint8_t marker)
{
    for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
    return std::string::npos;
}

TEST(Jpeg, WritesGreyAsOneComponentColourAsFourTwoZeroAndNoExif)
{
    const Bytes grey = Encode(fixture::Paletted(16, 16, 8, true), CXIMAGE_FORMAT_JPG);
    const std::size_t greySof = FindMarker(grey, 0xC0);
    ASSERT_NE(greySof, std::string::npos);
    EXPECT_EQ(grey[greySof + 9], 1);  // components
    EXPECT_TRUE(Decode(grey).IsGrayScale());

    CxImage colour = fixture::Solid(16, 16, 200, 120, 40);
    colour.SetXDPI(300);
    colour.SetYDPI(150);
    const Bytes jpeg = Encode(colour, CXIMAGE_FORMAT_JPG);
    const std::size_t sof = FindMarker(jpeg, 0xC0);  // baseline, sequential
    ASSERT_NE(sof, std::string::npos);
    EXPECT_EQ(jpeg[sof + 9], 3);
    EXPECT_EQ(jpeg[sof + 11], 0x22);  // luma sampled 2 x 2
    EXPECT_EQ(FindMarker(jpeg, 0xE1), std::string::npos);
    // JFIF density in dots per inch.
    ASSERT_EQ(std::memcmp(&jpeg[6], "JFIF", 5), 0);
    EXPECT_EQ(jpeg[13], 1);
    EXPECT_EQ((jpeg[14] << 8) | jpeg[15], 300);
    EXPECT_EQ((jpeg[16] << 8) | jpeg[17], 150);
    const CxImage back = Decode(jpeg);
    EXPECT_EQ(back.GetXDPI(), 300);
    EXPECT_EQ(back.GetYDPI(), 150);
    EXPECT_LE(fixture::MaxChannelDifference(back, colour), 3);
}

TEST(Jpeg, LimitsQualityToOneToHundred)
{
    CxImage image = fixture::Gradient(24, 24);
    auto at = [&](int quality) {
        image.SetJpegQuality(static_cast<std::uint8_t>(quality));
        return Encode(image, CXIMAGE_FORMAT_JPG);
    };
    EXPECT_EQ(at(0), at(1));
    EXPECT_EQ(at(150), at(100));
    EXPECT_NE(at(44), at(90));
}

// An Exif block with the given resolution and an orientation asking for a quarter turn.
Bytes ExifSegment(std::uint32_t dpi, std::uint16_t unit)
{
    Bytes tiff = {'I', 'I', 42, 0};
    Put32(tiff, 8);
    Put16(tiff, 4);
    auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
        Put16(tiff, tag);
        Put16(tiff, type);
        Put32(tiff, count);
        Put32(tiff, value);
    };
    const std::uint32_t rationals = 8 + 2 + 4 * 12 + 4;
    entry(0x112, 3, 1, 6);  // orientation: rotate 90
    entry(0x11A, 5, 1, rationals);
    entry(0x11B, 5, 1, rationals + 8);
    entry(0x128, 3, 1, unit);
    Put32(tiff, 0);
    for (int i = 0; i < 2; ++i) {
        Put32(tiff, dpi);
        Put32(tiff, 1);
    }
    Bytes segment = {0xFF, 0xE1};
    const std::size_t length = 2 + 6 + tiff.size();
    segment.push_back(static_cast<std::uint8_t>(length >> 8));
    segment.push_back(static_cast<std::uint8_t>(length));
    const char exif[6] = {'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), exif, exif + 6);
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    return segment;
}

TEST(Jpeg, TakesResolutionFromExifAndIgnoresOrientation)
{
    const CxImage image = fixture::Gradient(20, 10);
    const Bytes plain = Encode(image, CXIMAGE_FORMAT_JPG);
    struct Case {
        std::uint32_t value;
        std::uint16_t unit;
        std::int32_t dpi;
    } cases[] = {{300, 2, 300}, {118, 3, 300}};
    for (const Case& c : cases) {
        Bytes withExif(plain.begin(), plain.begin() + 2);
        const Bytes segment = ExifSegment(c.value, c.unit);
        withExif.insert(withExif.end(), segment.begin(), segment.end());
        withExif.insert(withExif.end(), plain.begin() + 2, plain.end());
        const CxImage decoded = Decode(withExif);
        ASSERT_TRUE(decoded.IsValid()) << decoded.GetLastError();
        EXPECT_EQ(decoded.GetXDPI(), c.dpi);
        EXPECT_EQ(decoded.GetYDPI(), c.dpi);
        // Shown and sent as stored: same size and pixels as without the block.
        EXPECT_TRUE(fixture::SamePixels(decoded, Decode(plain)));
    }
}

TEST(Detection, FindsEachFormatFromWhereTheStreamStands)
{
    const CxImage image = fixture::Paletted(6, 4, 8, false);
    for (const FormatCase& f : kFormats) {
        Bytes bytes = {'j', 'u', 'n', 'k'};
        const Bytes encoded = Encode(image, f.format);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
        CxMemFile stream(bytes.data(), bytes.size());
        stream.Seek(4, SEEK_SET);
        CxImage decoded;
        EXPECT_TRUE(decoded.LoadStream(&stream, CXIMAGE_FORMAT_UNKNOWN)) << f.name << ": " << decoded.GetLastError();
        EXPECT_EQ(decoded.FormatCode(), f.format) << f.name;
    }
}

TEST(Detection, KnownCodeFallsBackToContentAndKeepsTheFirstError)
{
    fixture::TempFolder folder;
    ASSERT_TRUE(folder.Write("picture.png", Encode(fixture::Gradient(5, 5), CXIMAGE_FORMAT_PNG)));
    ASSERT_TRUE(folder.Write("notes.txt", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'}));
    CxImage image;
    EXPECT_TRUE(image.LoadFile(folder.File("picture.png").c_str(), CXIMAGE_FORMAT_JPG));
    EXPECT_EQ(image.FormatCode(), CXIMAGE_FORMAT_PNG);

    EXPECT_FALSE(image.LoadFile(folder.File("notes.txt").c_str(), CXIMAGE_FORMAT_PNG));
    EXPECT_STREQ(image.GetLastError(), "Not a PNG");
    EXPECT_FALSE(image.LoadFile(folder.File("notes.txt").c_str()));
    EXPECT_STREQ(image.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(image.IsValid());
    EXPECT_FALSE(image.LoadFile(folder.File("missing.png").c_str()));
    EXPECT_STREQ(image.GetLastError(), "null file handler");
    EXPECT_FALSE(image.LoadStream(nullptr));
    EXPECT_STREQ(image.GetLastError(), "null file handler");
}

// ---- Hand-made and damaged files ------------------------------------------------------

Bytes Bmp(std::int32_t width, std::int32_t height, std::uint16_t bpp, std::uint32_t compression,
          std::uint32_t colours, const Bytes& palette, const Bytes& pixels)
{
    Bytes out = {'B', 'M'};
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size());
    Put32(out, offset + static_cast<std::uint32_t>(pixels.size()));
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, bpp);
    Put32(out, compression);
    Put32(out, static_cast<std::uint32_t>(pixels.size()));
    Put32(out, 3780);
    Put32(out, 3780);
    Put32(out, colours);
    Put32(out, 0);
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

Bytes GreyPalette(int n)
{
    Bytes p;
    for (int i = 0; i < n; ++i) p.insert(p.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
    return p;
}

TEST(Bmp, DecodesRunLengthDataAndClipsRunsAtTheRowEnd)
{
    // 4 x 3, bottom-up. Row 2 (the bottom): a run of three 1s, then an absolute run of
    // four that passes the row end; row 1: a delta to x = 1 and a run of two 7s.
    const Bytes rle8 = {3, 1, 0, 4, 2, 3, 4, 5, 0, 0, 0, 2, 1, 0, 2, 7, 0, 1};
    const CxImage image = Decode(Bmp(4, 3, 8, 1, 16, GreyPalette(16), rle8));
    ASSERT_TRUE(image.IsValid()) << image.GetLastError();
    const std::uint8_t expected[3][4] = {{0, 0, 0, 0}, {0, 7, 7, 0}, {1, 1, 1, 2}};
    for (std::uint32_t y = 0; y < 3; ++y)
        for (std::uint32_t x = 0; x < 4; ++x) EXPECT_EQ(image.GetPixelIndex(x, y), expected[y][x]) << x << "," << y;

    // A delta past the last row ends the picture; what came before stays.
    const CxImage delta = Decode(Bmp(2, 2, 8, 1, 0, GreyPalette(256), {1, 4, 0, 2, 0, 200, 9, 9}));
    ASSERT_TRUE(delta.IsValid()) << delta.GetLastError();
    EXPECT_EQ(delta.GetPixelIndex(0, 1), 4);
    EXPECT_EQ(delta.GetPixelIndex(1, 1), 0);

    // RLE4: a run alternating 5 and 6 over five pixels, clipped to the width of 3.
    const Bytes rle4 = {5, 0x56, 0, 0, 0, 1};
    const CxImage four = Decode(Bmp(3, 1, 4, 2, 16, GreyPalette(16), rle4));
    ASSERT_TRUE(four.IsValid()) << four.GetLastError();
    EXPECT_EQ(four.GetPixelIndex(0, 0), 5);
    EXPECT_EQ(four.GetPixelIndex(1, 0), 6);
    EXPECT_EQ(four.GetPixelIndex(2, 0), 5);
}

TEST(Bmp, ReadsBitFieldsAndTopDownRows)
{
    Bytes pixels;
    Put16(pixels, 0xF800);  // 5-6-5 red
    Put16(pixels, 0x001F);  // blue
    Put16(pixels, 0x07E0);  // green, second row
    Put16(pixels, 0);
    Bytes masks;
    Put32(masks, 0xF800);
    Put32(masks, 0x07E0);
    Put32(masks, 0x001F);
    const CxImage image = Decode(Bmp(2, -2, 16, 3, 0, masks, pixels));
    ASSERT_TRUE(image.IsValid()) << image.GetLastError();
    EXPECT_EQ(image.GetPixelColor(0, 0), (RGBQ{0, 0, 255, 0}));
    EXPECT_EQ(image.GetPixelColor(1, 0), (RGBQ{255, 0, 0, 0}));
    EXPECT_EQ(image.GetPixelColor(0, 1), (RGBQ{0, 255, 0, 0}));
}

Bytes PngChunk(const char* type, const Bytes& data)
{
    Bytes out;
    out.push_back(static_cast<std::uint8_t>(data.size() >> 24));
    out.push_back(static_cast<std::uint8_t>(data.size() >> 16));
    out.push_back(static_cast<std::uint8_t>(data.size() >> 8));
    out.push_back(static_cast<std::uint8_t>(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    const uLong crc = crc32(0, body.data(), static_cast<uInt>(body.size()));
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(crc >> shift));
    return out;
}

Bytes PngWithHeader(std::uint32_t width, std::uint32_t height, std::uint8_t depth = 8, std::uint8_t colour = 2)
{
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    for (std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) ihdr.push_back(static_cast<std::uint8_t>(v >> shift));
    for (std::uint8_t b : {depth, colour, std::uint8_t(0), std::uint8_t(0), std::uint8_t(0)}) ihdr.push_back(b);
    const Bytes chunk = PngChunk("IHDR", ihdr);
    png.insert(png.end(), chunk.begin(), chunk.end());
    const Bytes idat = PngChunk("IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    png.insert(png.end(), idat.begin(), idat.end());
    return png;
}

Bytes GifWith(std::uint16_t width, std::uint16_t height, std::uint8_t minCodeSize, const Bytes& data)
{
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(gif, width);
    Put16(gif, height);
    gif.insert(gif.end(), {0x80, 0, 0});  // two-entry global table
    gif.insert(gif.end(), {0, 0, 0, 255, 255, 255});
    gif.push_back(0x2C);
    Put16(gif, 0);
    Put16(gif, 0);
    Put16(gif, width);
    Put16(gif, height);
    gif.push_back(0);
    gif.push_back(minCodeSize);
    gif.push_back(static_cast<std::uint8_t>(data.size()));
    gif.insert(gif.end(), data.begin(), data.end());
    gif.insert(gif.end(), {0, 0x3B});
    return gif;
}

Bytes WithSofSize(Bytes jpeg, std::uint16_t width, std::uint16_t height)
{
    const std::size_t sof = FindMarker(jpeg, 0xC0);
    jpeg[sof + 5] = static_cast<std::uint8_t>(height >> 8);
    jpeg[sof + 6] = static_cast<std::uint8_t>(height);
    jpeg[sof + 7] = static_cast<std::uint8_t>(width >> 8);
    jpeg[sof + 8] = static_cast<std::uint8_t>(width);
    return jpeg;
}

Bytes TiffWithSize(Bytes tiff, std::uint32_t width, std::uint32_t height)
{
    const std::uint32_t ifd = tiff[4] | (tiff[5] << 8) | (tiff[6] << 16) | (std::uint32_t(tiff[7]) << 24);
    const std::uint32_t n = tiff[ifd] | (tiff[ifd + 1] << 8);
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint8_t* e = &tiff[ifd + 2 + 12 * i];
        const std::uint32_t tag = e[0] | (e[1] << 8);
        if (tag != 256 && tag != 257) continue;
        const std::uint32_t v = tag == 256 ? width : height;
        e[2] = 4;
        e[3] = 0;
        for (int k = 0; k < 4; ++k) e[8 + k] = static_cast<std::uint8_t>(v >> (8 * k));
    }
    return tiff;
}

Bytes Half(const Bytes& bytes) { return Bytes(bytes.begin(), bytes.begin() + bytes.size() / 2); }

TEST(HostileInput, GivesAnInvalidImageWithAnErrorText)
{
    const CxImage photo = fixture::Gradient(64, 64);
    const Bytes jpeg = Encode(photo, CXIMAGE_FORMAT_JPG);
    const std::uint32_t any = CXIMAGE_FORMAT_UNKNOWN;
    struct Case {
        const char* what;
        std::uint32_t format;  // 0: detection, whose failure text is fixed
        Bytes bytes;
        const char* error;     // null: any error text
    } cases[] = {
        {"not an image", any, Bytes{'<', 'h', 't', 'm', 'l', '>'}, "Decode: Unknown or wrong format"},
        {"empty", any, Bytes{}, "Decode: Unknown or wrong format"},
        {"bmp huge declared size", CXIMAGE_FORMAT_BMP, Bmp(60000, 60000, 24, 0, 0, {}, Bytes(16)), nullptr},
        {"bmp zero width", CXIMAGE_FORMAT_BMP, Bmp(0, 5, 24, 0, 0, {}, Bytes(16)),
         "CxImage::Create : width and height must be greater than zero"},
        {"bmp bad palette count", CXIMAGE_FORMAT_BMP, Bmp(2, 2, 8, 0, 100000, GreyPalette(4), Bytes(8)), nullptr},
        {"bmp truncated", any, Half(Encode(photo, CXIMAGE_FORMAT_BMP)), nullptr},
        {"gif lzw code overflow", CXIMAGE_FORMAT_GIF, GifWith(4, 4, 2, {0x3C}), "GIF: LZW code overflow"},
        {"gif zero size", CXIMAGE_FORMAT_GIF, GifWith(0, 0, 2, {0x44, 0x01}),
         "CxImage::Create : width and height must be greater than zero"},
        {"gif huge declared size", CXIMAGE_FORMAT_GIF, GifWith(65535, 65535, 2, {0x44, 0x01}),
         "CXIMAGE_MAX_MEMORY exceeded"},
        {"gif bad code size", CXIMAGE_FORMAT_GIF, GifWith(4, 4, 12, {0x44, 0x01}), nullptr},
        {"gif truncated", any, Half(Encode(photo, CXIMAGE_FORMAT_GIF)), nullptr},
        {"png huge declared size", CXIMAGE_FORMAT_PNG, PngWithHeader(100000, 100000), "CXIMAGE_MAX_MEMORY exceeded"},
        {"png zero size", CXIMAGE_FORMAT_PNG, PngWithHeader(0, 10), nullptr},
        // One row of 16-bit RGBA this wide would need a 4 GiB row buffer inside libpng; a
        // 32-bit libpng cannot even size such a row and refuses the header itself.
        {"png huge row", CXIMAGE_FORMAT_PNG, PngWithHeader(0x20000000, 1, 16, 6),
         sizeof(void*) == 4 ? "Invalid IHDR data" : "CXIMAGE_MAX_MEMORY exceeded"},
        {"png truncated", any, Half(Encode(photo, CXIMAGE_FORMAT_PNG)), nullptr},
        {"jpeg huge declared size", CXIMAGE_FORMAT_JPG, WithSofSize(jpeg, 60000, 60000), "CXIMAGE_MAX_MEMORY exceeded"},
        {"jpeg zero size", CXIMAGE_FORMAT_JPG, WithSofSize(jpeg, 0, 16), nullptr},
        {"jpeg truncated", CXIMAGE_FORMAT_JPG, Half(jpeg), "Premature end of JPEG file"},
        {"tiff huge declared size", CXIMAGE_FORMAT_TIF, TiffWithSize(Encode(photo, CXIMAGE_FORMAT_TIF), 200000, 200000),
         nullptr},
        {"tiff truncated", any, Half(Encode(photo, CXIMAGE_FORMAT_TIF)), nullptr},
    };
    for (const Case& c : cases) {
        CxImage image;
        EXPECT_FALSE(image.Decode(c.bytes.data(), static_cast<std::uint32_t>(c.bytes.size()), c.format)) << c.what;
        EXPECT_FALSE(image.IsValid()) << c.what;
        EXPECT_NE(image.GetLastError()[0], '\0') << c.what;
        if (c.error) {
            EXPECT_STREQ(image.GetLastError(), c.error) << c.what;
        }
    }
}

}  // namespace
