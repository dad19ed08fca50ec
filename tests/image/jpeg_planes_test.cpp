// A colour JPEG being prepared while it decodes hands its sample planes over, and the
// pixels are finished outside libjpeg: they must be the very bytes libjpeg's own output
// gives, for every chroma layout libjpeg widens with its filter, every picture size the
// bands cut unevenly, progressive files, and files that break off anywhere.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <jpeglib.h>

#include "ImageFixtures.h"
#include "image/Codecs.h"
#include "image/YccRows.h"

namespace {

using fixture::Bytes;

// libjpeg's encoder with the chroma layout under test (the image class always writes 2 x 2).
Bytes EncodeSampled(const CxImage& image, int h, int v, bool progressive)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* data = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &data, &size);
    c.image_width = image.Width();
    c.image_height = image.Height();
    c.input_components = 3;
    c.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    c.comp_info[0].h_samp_factor = h;
    c.comp_info[0].v_samp_factor = v;
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<std::uint8_t*>(image.GetBits(c.next_scanline));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes out(data, data + size);
    std::free(data);
    return out;
}

// Assembles whatever the decoder hands over into a whole picture, the way preparation
// takes it (units turned into rows where the decoder offers them).
class Collect final : public ImageCodec::RowSink {
public:
    bool Accept(std::uint32_t width, std::uint32_t height, bool) noexcept override
    {
        buffer_.resize(std::size_t(width) * 3);
        return picture.Create(width, height, 24);
    }
    bool AcceptUnits(std::uint32_t width, std::uint32_t height,
                     std::unique_ptr<ImageCodec::RowUnpacker> unpacker) noexcept override
    {
        units = std::move(unpacker);
        buffer_.resize(units->UnitBytes());
        return picture.Create(width, height, 24);
    }
    std::uint8_t* NextRow() noexcept override { return buffer_.data(); }
    void RowDone() noexcept override
    {
        if (units) units->Unpack(buffer_.data(), [this](const std::uint8_t* row) { Take(row); });
        else Take(buffer_.data());
    }

    CxImage picture;
    std::unique_ptr<ImageCodec::RowUnpacker> units;
    std::uint32_t rows = 0;

private:
    void Take(const std::uint8_t* row)
    {
        if (rows < picture.Height()) std::memcpy(picture.GetBits(rows), row, std::size_t(picture.Width()) * 3);
        ++rows;
    }
    std::vector<std::uint8_t> buffer_;
};

// Decodes with the sink; true when the decoder succeeded.
bool DecodeInto(const Bytes& encoded, Collect& sink)
{
    CxMemFile in(encoded.data(), encoded.size());
    CxImage header;
    return ImageCodec::DecodeJpeg(header, in, &sink);
}

// libjpeg's colour conversion as it is defined: tables of rounded products in 16 fraction
// bits, green summing two unrounded ones. The conversion must agree for every luma and
// chroma value, in whole blocks and in the pixels left over at a row's end.
TEST(JpegPlanes, ColourIsLibjpegsForEveryValue)
{
    auto fix = [](double x) { return static_cast<std::int64_t>(x * 65536 + 0.5); };
    std::int64_t red[256], blue[256], greenCr[256], greenCb[256];
    for (int i = 0; i < 256; ++i) {
        const std::int64_t x = i - 128;
        red[i] = (fix(1.402) * x + 32768) >> 16;
        blue[i] = (fix(1.772) * x + 32768) >> 16;
        greenCr[i] = -fix(0.71414) * x;
        greenCb[i] = -fix(0.34414) * x + 32768;
    }
    auto clamp = [](std::int64_t v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
    constexpr std::uint32_t kWidth = 256 + 7;  // whole blocks, then a few pixels
    std::uint8_t y[kWidth], cb[kWidth], cr[kWidth], bgr[3 * kWidth];
    int wrong = 0;
    for (int b = 0; b < 256; ++b) {
        for (int r = 0; r < 256; ++r) {
            for (std::uint32_t i = 0; i < kWidth; ++i) {
                y[i] = static_cast<std::uint8_t>(i + static_cast<std::uint32_t>(b + r));  // every luma in every position over the rows
                cb[i] = static_cast<std::uint8_t>(b);
                cr[i] = static_cast<std::uint8_t>(r);
            }
            YccRows::Convert(y, cb, cr, bgr, kWidth);
            for (std::uint32_t i = 0; i < kWidth && wrong < 5; ++i) {
                const std::uint8_t want[3] = {clamp(y[i] + blue[b]), clamp(y[i] + ((greenCb[b] + greenCr[r]) >> 16)),
                                              clamp(y[i] + red[r])};
                if (std::memcmp(bgr + 3 * i, want, 3) != 0) {
                    ++wrong;
                    ADD_FAILURE() << "y " << int(y[i]) << " cb " << b << " cr " << r << " at " << i;
                }
            }
        }
    }
}

TEST(JpegPlanes, FinishToTheBytesLibjpegGives)
{
    struct Layout {
        const char* what;
        int h, v;
    } layouts[] = {{"4:2:0", 2, 2}, {"4:2:2", 2, 1}, {"4:4:0", 1, 2}, {"4:4:4", 1, 1}};
    struct Size {
        std::uint32_t width, height;
    } sizes[] = {
        {1001, 751},  // neither side a whole number of blocks
        {64, 48},     // whole bands
        {37, 31},     // a band and a row short of two
        {6, 33},      // the narrowest chroma the filter widens: three samples
        {130, 1},     // one row
    };
    for (const Layout& l : layouts) {
        for (const Size& s : sizes) {
            for (bool progressive : {false, true}) {
                SCOPED_TRACE(std::string(l.what) + " " + std::to_string(s.width) + "x" + std::to_string(s.height) +
                             (progressive ? " progressive" : ""));
                const Bytes encoded = EncodeSampled(fixture::Gradient(s.width, s.height), l.h, l.v, progressive);
                const CxImage whole = fixture::Decode(encoded);
                Collect sink;
                ASSERT_TRUE(DecodeInto(encoded, sink));
                EXPECT_TRUE(sink.units) << "the planes were not handed over";
                EXPECT_EQ(sink.rows, s.height);
                EXPECT_TRUE(fixture::SamePixels(sink.picture, whole));
            }
        }
    }
}

// Running out of data counts as a broken picture at the same places whichever way the
// pixels are finished, however far the bands reach past the picture's last row.
TEST(JpegPlanes, AFileThatBreaksOffFailsWhereTheWholeDecodeFails)
{
    for (std::uint32_t height : {64u, 63u, 62u, 49u, 47u}) {
        for (int v : {1, 2}) {
            const Bytes encoded = EncodeSampled(fixture::Gradient(300, height), 2, v, false);
            for (std::size_t cut = 400; cut < encoded.size(); cut += 97) {
                SCOPED_TRACE(std::to_string(height) + " rows, v" + std::to_string(v) + ", cut at " + std::to_string(cut));
                const Bytes part(encoded.begin(), encoded.begin() + static_cast<std::ptrdiff_t>(cut));
                const CxImage whole = fixture::Decode(part, CXIMAGE_FORMAT_JPG);
                Collect sink;
                const bool decoded = DecodeInto(part, sink);
                EXPECT_EQ(decoded, whole.IsValid());
                if (decoded && whole.IsValid()) {
                    EXPECT_TRUE(fixture::SamePixels(sink.picture, whole));
                }
            }
        }
    }
}

}  // namespace
