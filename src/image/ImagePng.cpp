// PNG through libpng. As with libjpeg, errors leave by longjmp: the functions that call
// setjmp keep only trivially destructible locals.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <png.h>

#include "image/Codecs.h"

namespace ImageCodec {
namespace {

struct PngState {
    png_structp png;
    png_infop info;
    CxFile* file;
    CxImage* image;
    RowSink* sink;
    const CxImage* source;
    std::vector<std::uint8_t>* buffer;  // owned by the caller
    char message[128];
};

void OnError(png_structp png, png_const_charp text)
{
    auto* s = static_cast<PngState*>(png_get_error_ptr(png));
    std::snprintf(s->message, sizeof s->message, "%s", text ? text : "PNG error");
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep data, png_size_t length)
{
    auto* s = static_cast<PngState*>(png_get_io_ptr(png));
    if (s->file->Read(data, 1, length) != length) png_error(png, "Read Error");
}

void WriteData(png_structp png, png_bytep data, png_size_t length)
{
    auto* s = static_cast<PngState*>(png_get_io_ptr(png));
    if (s->file->Write(data, 1, length) != length) png_error(png, "Write Error");
}

void FlushData(png_structp) {}

int DecodeInner(PngState& s)
{
    if (setjmp(png_jmpbuf(s.png))) return 1;
    png_set_read_fn(s.png, &s, ReadData);
#if defined(FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
    // Mutated inputs seldom carry valid checksums; let them reach the decoding proper.
    png_set_crc_action(s.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#if defined(PNG_IGNORE_ADLER32)
    png_set_option(s.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
#endif
    // Our own limit applies on creation; libpng's only stops absurd rows before that.
    png_set_user_limits(s.png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_chunk_malloc_max(s.png, 64u * 1024 * 1024);
    png_read_info(s.png, s.info);

    png_uint_32 width, height;
    int depth, colour, interlace;
    png_get_IHDR(s.png, s.info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    // Our limits hold before libpng sizes its row buffers from the declared width: a few
    // hostile header bytes must not make it ask for gigabytes.
    const std::uint64_t pixels = std::uint64_t(width) * height;
    const std::uint64_t rawRow = (std::uint64_t(width) * png_get_channels(s.png, s.info) * depth + 7) / 8;
    const std::uint64_t outBpp = colour == PNG_COLOR_TYPE_PALETTE || colour == PNG_COLOR_TYPE_GRAY ? 8 : 24;
    if (pixels > 0xFFFFFFFFull || pixels * outBpp / 8 > CXIMAGE_MAX_MEMORY || rawRow > CXIMAGE_MAX_MEMORY / 4) {
        std::snprintf(s.message, sizeof s.message, "CXIMAGE_MAX_MEMORY exceeded");
        return 1;
    }
    const bool hasTrns = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
    CxImage& image = *s.image;
    bool alpha = false;
    std::uint32_t bpp = 24;

    if (depth == 16) png_set_strip_16(s.png);
    if (colour == PNG_COLOR_TYPE_PALETTE) {
        bpp = 8;
        png_set_packing(s.png);
    } else if (colour == PNG_COLOR_TYPE_GRAY && !hasTrns) {
        bpp = 8;
        if (depth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
    } else {
        // Grey with alpha and colour: 24 bits plus an alpha plane where there is one.
        png_set_expand(s.png);
        if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(s.png);
        png_set_bgr(s.png);
        alpha = (colour & PNG_COLOR_MASK_ALPHA) != 0 || hasTrns;
        if (!alpha) png_set_strip_alpha(s.png);
    }
    const int passes = png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);

    // Only the alpha of a 24-bit picture is known this early; a palette's comes below. The
    // rows of an interlaced file arrive in several passes, so those are decoded whole.
    const bool colourAlpha = bpp == 24 && alpha;
    const Start start =
        StartPicture(image, passes > 1 ? nullptr : s.sink, width, height, bpp, colourAlpha, CXIMAGE_FORMAT_PNG);
    if (start == Start::Failed) {
        std::snprintf(s.message, sizeof s.message, "%s", image.GetLastError());
        return 1;
    }
    const bool rows = start == Start::Rows;
    png_uint_32 xppu = 0, yppu = 0;
    int unit = 0;
    if (png_get_pHYs(s.png, s.info, &xppu, &yppu, &unit) && unit == PNG_RESOLUTION_METER) {
        if (xppu > 0 && xppu < 40000000) image.SetXDPI(static_cast<std::int32_t>((xppu * 254ULL + 5000) / 10000));
        if (yppu > 0 && yppu < 40000000) image.SetYDPI(static_cast<std::int32_t>((yppu * 254ULL + 5000) / 10000));
    }

    if (colour == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int count = 0;
        png_get_PLTE(s.png, s.info, &palette, &count);
        for (int i = 0; i < 256; ++i) image.SetPaletteColor(i, 0, 0, 0);
        for (int i = 0; i < count && i < 256; ++i)
            image.SetPaletteColor(i, palette[i].red, palette[i].green, palette[i].blue);
        png_bytep trans = nullptr;
        int transCount = 0;
        if (hasTrns && png_get_tRNS(s.png, s.info, &trans, &transCount, nullptr) && trans) {
            // One fully transparent entry is a transparent index; anything else needs alpha.
            int clear = -1, clearCount = 0, partial = 0;
            for (int i = 0; i < transCount && i < 256; ++i) {
                if (trans[i] == 0) {
                    clear = i;
                    ++clearCount;
                } else if (trans[i] != 255) {
                    ++partial;
                }
            }
            if (clearCount == 1 && partial == 0) {
                image.SetTransIndex(clear);
            } else if (clearCount + partial > 0) {
                alpha = true;
                for (int i = 0; i < transCount && i < 256; ++i) s.buffer->push_back(trans[i]);
            }
        }
    } else if (colour == PNG_COLOR_TYPE_GRAY && depth < 8 && bpp == 8) {
        image.SetGreyPalette();
    }

    const std::size_t rowBytes = png_get_rowbytes(s.png, s.info);
    const std::uint32_t w = width, h = height;
    const bool direct = !alpha || colour == PNG_COLOR_TYPE_PALETTE;
    if (alpha && !colourAlpha && !image.AlphaCreate()) {
        std::snprintf(s.message, sizeof s.message, "%s", image.GetLastError());
        return 1;
    }
    // Rows go straight into the picture (or the sink) when their layout matches; interlaced
    // images with an alpha channel need the whole picture at hand for the later passes.
    std::uint8_t* whole = nullptr;
    std::uint8_t* one = nullptr;
    if (!direct) {
        std::vector<std::uint8_t>& tmp = *(s.buffer + 1);
        tmp.resize(passes > 1 ? rowBytes * h : rowBytes);
        (passes > 1 ? whole : one) = tmp.data();
    }
    for (int pass = 0; pass < passes; ++pass) {
        for (std::uint32_t y = 0; y < h; ++y) {
            if (direct) {
                png_read_row(s.png, rows ? s.sink->NextRow() : image.GetBits(y), nullptr);
                if (rows) s.sink->RowDone();
                continue;
            }
            std::uint8_t* row = whole ? whole + rowBytes * y : one;
            png_read_row(s.png, row, nullptr);
            if (pass != passes - 1) continue;
            std::uint8_t* out = rows ? s.sink->NextRow() : image.GetBits(y);
            std::uint8_t* a = rows ? out + 3 * std::size_t(w) : image.AlphaGetPointer(0, y);
            for (std::uint32_t x = 0; x < w; ++x) {
                out[3 * x] = row[4 * x];
                out[3 * x + 1] = row[4 * x + 1];
                out[3 * x + 2] = row[4 * x + 2];
                a[x] = row[4 * x + 3];
            }
            if (rows) s.sink->RowDone();
        }
    }
    if (alpha && colour == PNG_COLOR_TYPE_PALETTE) {
        const std::vector<std::uint8_t>& trans = *s.buffer;
        for (std::uint32_t y = 0; y < h; ++y) {
            const std::uint8_t* row = image.GetBits(y);
            std::uint8_t* a = image.AlphaGetPointer(0, y);
            for (std::uint32_t x = 0; x < w; ++x) a[x] = row[x] < trans.size() ? trans[row[x]] : 255;
        }
    }
    png_read_end(s.png, nullptr);
    return 0;
}

int EncodeInner(PngState& s)
{
    if (setjmp(png_jmpbuf(s.png))) return 1;
    const CxImage& image = *s.source;
    const std::uint32_t w = image.Width(), h = image.Height();
    png_set_write_fn(s.png, &s, WriteData, FlushData);
    const bool paletted = image.GetBpp() <= 8;
    const bool alpha = image.AlphaIsValid();
    std::vector<std::uint8_t>& row = *s.buffer;
    if (paletted && !alpha) {
        png_set_IHDR(s.png, s.info, w, h, static_cast<int>(image.GetBpp()), PNG_COLOR_TYPE_PALETTE,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_color palette[256];
        const int count = static_cast<int>(image.GetNumColors());
        for (int i = 0; i < count; ++i) {
            const RGBQ c = image.GetPaletteColor(i);
            palette[i] = png_color{c.r, c.g, c.b};
        }
        png_set_PLTE(s.png, s.info, palette, count);
        const int trans = image.GetTransIndex();
        if (trans >= 0 && trans < count) {
            png_byte alphas[256];
            std::memset(alphas, 255, sizeof alphas);
            alphas[trans] = 0;
            png_set_tRNS(s.png, s.info, alphas, trans + 1, nullptr);
        }
    } else {
        png_set_IHDR(s.png, s.info, w, h, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        row.resize(std::size_t(w) * 4);
    }
    const png_uint_32 xppm = static_cast<png_uint_32>((image.GetXDPI() * 10000LL + 127) / 254);
    const png_uint_32 yppm = static_cast<png_uint_32>((image.GetYDPI() * 10000LL + 127) / 254);
    png_set_pHYs(s.png, s.info, xppm, yppm, PNG_RESOLUTION_METER);
    png_write_info(s.png, s.info);
    if (!paletted || alpha) png_set_bgr(s.png);
    for (std::uint32_t y = 0; y < h; ++y) {
        if (paletted && !alpha) {
            png_write_row(s.png, const_cast<std::uint8_t*>(image.GetBits(y)));
            continue;
        }
        const std::size_t step = alpha ? 4 : 3;
        for (std::uint32_t x = 0; x < w; ++x) {
            const RGBQ c = image.GetPixelColor(x, y);
            std::uint8_t* p = row.data() + step * x;
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
            if (alpha) p[3] = c.a;
        }
        png_write_row(s.png, row.data());
    }
    png_write_end(s.png, s.info);
    return 0;
}

}  // namespace

bool DecodePng(CxImage& image, CxFile& in, RowSink* sink)
{
    std::uint8_t signature[8];
    if (in.Read(signature, 1, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        image.Destroy();
        image.SetLastError("Not a PNG");
        return false;
    }
    std::vector<std::uint8_t> buffers[2];
    PngState s{};
    s.file = &in;
    s.image = &image;
    s.sink = sink;
    s.buffer = buffers;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning);
    if (!s.png) return false;
    s.info = png_create_info_struct(s.png);
    png_set_sig_bytes(s.png, 8);
    const int failed = s.info ? DecodeInner(s) : 1;
    png_destroy_read_struct(&s.png, s.info ? &s.info : nullptr, nullptr);
    if (failed) {
        image.Destroy();
        image.SetLastError(s.message[0] ? s.message : "PNG: out of memory");
        return false;
    }
    return true;
}

bool EncodePng(const CxImage& image, CxFile& out)
{
    if (!image.IsValid()) return false;
    std::vector<std::uint8_t> row;
    PngState s{};
    s.file = &out;
    s.source = &image;
    s.buffer = &row;
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning);
    if (!s.png) return false;
    s.info = png_create_info_struct(s.png);
    const int failed = s.info ? EncodeInner(s) : 1;
    png_destroy_write_struct(&s.png, s.info ? &s.info : nullptr);
    return failed == 0;
}

}  // namespace ImageCodec
