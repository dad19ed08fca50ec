// BMP: every usual bit depth and header version, RLE4 and RLE8, bit fields; written
// uncompressed. Declared sizes are checked against the limits before anything is allocated.
#include <cstring>
#include <vector>

#include "image/Codecs.h"

namespace ImageCodec {
namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

bool Fail(CxImage& image, const char* text)
{
    image.Destroy();
    image.SetLastError(text);
    return false;
}

// Shift and width of a channel mask, so that any mask scales to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        while (bits < 32 - shift && ((m >> (shift + bits)) & 1)) ++bits;
    }
    std::uint8_t Get(std::uint32_t v) const
    {
        if (!bits) return 0;
        const std::uint32_t raw = (v & mask) >> shift;
        if (bits >= 8) return static_cast<std::uint8_t>(raw >> (bits - 8));
        const std::uint32_t max = (1u << bits) - 1;
        return static_cast<std::uint8_t>(raw * 255 / max);
    }
};

// RLE runs are clipped to the picture: a run past the row end or a delta past the last
// row stops there instead of writing outside the pixels.
bool DecodeRle(CxImage& image, CxFile& in, bool four, bool bottomUp)
{
    const std::uint32_t w = image.Width(), h = image.Height();
    std::uint32_t x = 0, line = 0;  // line counts rows in file order
    auto put = [&](std::uint8_t index) {
        if (x < w && line < h) image.SetPixelIndex(x, bottomUp ? h - 1 - line : line, index);
        ++x;
    };
    std::uint8_t pair[2];
    std::uint8_t run[256];
    while (line < h) {
        if (in.Read(pair, 1, 2) != 2) return false;
        if (pair[0] > 0) {
            for (int i = 0; i < pair[0]; ++i)
                put(four ? ((i & 1) ? (pair[1] & 0x0F) : (pair[1] >> 4)) : pair[1]);
            continue;
        }
        switch (pair[1]) {
        case 0: x = 0; ++line; break;
        case 1: return true;
        case 2: {
            std::uint8_t delta[2];
            if (in.Read(delta, 1, 2) != 2) return false;
            x += delta[0];
            line += delta[1];
            break;
        }
        default: {
            const int count = pair[1];
            const int bytes = four ? (count + 1) / 2 : count;
            const int padded = (bytes + 1) & ~1;
            if (in.Read(run, 1, padded) != static_cast<std::size_t>(padded)) return false;
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? (run[i / 2] & 0x0F) : (run[i / 2] >> 4)) : run[i]);
            break;
        }
        }
    }
    return true;
}

}  // namespace

bool DecodeBmp(CxImage& image, CxFile& in)
{
    const std::int32_t start = in.Tell();
    std::uint8_t file[14];
    if (in.Read(file, 1, 14) != 14 || file[0] != 'B' || file[1] != 'M') return Fail(image, "Not a BMP");
    const std::uint32_t bitsOffset = Le32(file + 10);
    std::uint8_t info[124] = {};
    if (in.Read(info, 1, 4) != 4) return Fail(image, "BMP: truncated header");
    const std::uint32_t headerSize = Le32(info);
    std::int64_t width, height;
    std::uint32_t bpp, compression = kRgb, colours = 0;
    std::int32_t xppm = 0, yppm = 0;
    std::uint32_t paletteEntrySize = 4;
    if (headerSize == 12) {
        if (in.Read(info + 4, 1, 8) != 8) return Fail(image, "BMP: truncated header");
        width = Le16(info + 4);
        height = static_cast<std::int16_t>(Le16(info + 6));
        bpp = Le16(info + 10);
        paletteEntrySize = 3;
    } else if (headerSize >= 40 && headerSize <= 124) {
        if (in.Read(info + 4, 1, headerSize - 4) != headerSize - 4) return Fail(image, "BMP: truncated header");
        width = static_cast<std::int32_t>(Le32(info + 4));
        height = static_cast<std::int32_t>(Le32(info + 8));
        bpp = Le16(info + 14);
        compression = Le32(info + 16);
        xppm = static_cast<std::int32_t>(Le32(info + 24));
        yppm = static_cast<std::int32_t>(Le32(info + 28));
        colours = Le32(info + 32);
    } else {
        return Fail(image, "BMP: unknown header");
    }
    if (bitsOffset < 14 + headerSize || bitsOffset > 0x7FFFFFFF) return Fail(image, "BMP: bad pixel offset");
    const bool bottomUp = height > 0;
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0) return Fail(image, "CxImage::Create : width and height must be greater than zero");
    if (Le16(info + 12) != 1 && headerSize != 12) return Fail(image, "BMP: bad plane count");

    std::uint32_t masks[3] = {0, 0, 0};
    switch (bpp) {
    case 1: case 4: case 8:
        if (compression != kRgb && !(compression == kRle8 && bpp == 8) && !(compression == kRle4 && bpp == 4))
            return Fail(image, "BMP: unsupported compression");
        break;
    case 16: case 32:
        if (compression == kBitFields) {
            // Version 4 and later headers carry the masks; version 3 has them after it.
            if (headerSize >= 52) {
                for (int i = 0; i < 3; ++i) masks[i] = Le32(info + 40 + 4 * i);
            } else {
                std::uint8_t m[12];
                if (in.Read(m, 1, 12) != 12) return Fail(image, "BMP: truncated masks");
                for (int i = 0; i < 3; ++i) masks[i] = Le32(m + 4 * i);
            }
        } else if (compression == kRgb) {
            if (bpp == 16) {
                masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F;
            } else {
                masks[0] = 0xFF0000; masks[1] = 0x00FF00; masks[2] = 0x0000FF;
            }
        } else {
            return Fail(image, "BMP: unsupported compression");
        }
        break;
    case 24:
        if (compression != kRgb) return Fail(image, "BMP: unsupported compression");
        break;
    default: return Fail(image, "BMP: unsupported bit depth");
    }

    // Uncompressed pixels must all be there: a short file is refused before allocating.
    if (compression != kRle8 && compression != kRle4) {
        const std::uint64_t need = ((std::uint64_t(width) * bpp + 31) / 32) * 4 * std::uint64_t(height);
        const std::int64_t available = std::int64_t(in.Size()) - start - std::int64_t(bitsOffset);
        if (available < 0 || std::uint64_t(available) < need) return Fail(image, "BMP: truncated pixel data");
    }

    const std::uint32_t outBpp = bpp <= 8 ? bpp : 24;
    if (!image.Create(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), outBpp,
                      CXIMAGE_FORMAT_BMP))
        return false;
    if (xppm > 0) image.SetXDPI(static_cast<std::int32_t>(xppm * 254LL / 10000));
    if (yppm > 0) image.SetYDPI(static_cast<std::int32_t>(yppm * 254LL / 10000));

    if (bpp <= 8) {
        const std::uint32_t max = 1u << bpp;
        const std::uint32_t n = (colours == 0 || colours > max) ? max : colours;
        std::uint8_t entries[256 * 4];
        if (in.Read(entries, paletteEntrySize, n) != n) return Fail(image, "BMP: truncated palette");
        for (std::uint32_t i = 0; i < max; ++i) image.SetPaletteColor(i, 0, 0, 0);
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint8_t* e = entries + i * paletteEntrySize;
            image.SetPaletteColor(i, e[2], e[1], e[0]);
        }
    }
    if (!in.Seek(start + static_cast<std::int32_t>(bitsOffset), SEEK_SET))
        return Fail(image, "BMP: bad pixel offset");

    const std::uint32_t w = image.Width(), h = image.Height();
    if (compression == kRle8 || compression == kRle4) {
        if (!DecodeRle(image, in, compression == kRle4, bottomUp)) return Fail(image, "BMP: truncated RLE data");
        return true;
    }

    const std::uint64_t fileRow = ((std::uint64_t(w) * bpp + 31) / 32) * 4;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(fileRow));
    const Channel r(masks[0]), g(masks[1]), b(masks[2]);
    for (std::uint32_t line = 0; line < h; ++line) {
        if (in.Read(row.data(), 1, row.size()) != row.size()) return Fail(image, "BMP: truncated pixel data");
        std::uint8_t* out = image.GetBits(bottomUp ? h - 1 - line : line);
        if (bpp <= 8 || bpp == 24) {
            std::memcpy(out, row.data(), bpp == 24 ? std::size_t(w) * 3 : std::size_t((std::uint64_t(w) * bpp + 7) / 8));
            continue;
        }
        for (std::uint32_t x = 0; x < w; ++x, out += 3) {
            const std::uint32_t v = bpp == 16 ? Le16(row.data() + 2 * std::size_t(x)) : Le32(row.data() + 4 * std::size_t(x));
            out[0] = b.Get(v);
            out[1] = g.Get(v);
            out[2] = r.Get(v);
        }
    }
    return true;
}

bool EncodeBmp(const CxImage& image, CxFile& out)
{
    if (!image.IsValid()) return false;
    const std::uint32_t w = image.Width(), h = image.Height(), bpp = image.GetBpp();
    const std::uint32_t colours = image.GetNumColors();
    const std::uint32_t rowBytes = image.GetEffWidth();
    const std::uint32_t offset = 14 + 40 + colours * 4;
    const std::uint64_t total = offset + std::uint64_t(rowBytes) * h;
    if (total > 0x7FFFFFFF) return false;

    std::uint8_t header[54] = {'B', 'M'};
    auto put16 = [&](int at, std::uint32_t v) {
        header[at] = static_cast<std::uint8_t>(v);
        header[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    auto put32 = [&](int at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    put32(2, static_cast<std::uint32_t>(total));
    put32(10, offset);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    put16(26, 1);
    put16(28, bpp);
    put32(34, rowBytes * h);
    // Resolution in pixels per metre, rounded.
    put32(38, static_cast<std::uint32_t>((image.GetXDPI() * 10000LL + 127) / 254));
    put32(42, static_cast<std::uint32_t>((image.GetYDPI() * 10000LL + 127) / 254));
    put32(46, colours);
    if (out.Write(header, 1, 54) != 54) return false;
    for (std::uint32_t i = 0; i < colours; ++i) {
        const RGBQ c = image.GetPaletteColor(i);
        const std::uint8_t e[4] = {c.b, c.g, c.r, 0};
        if (out.Write(e, 1, 4) != 4) return false;
    }
    for (std::uint32_t y = h; y-- > 0;)
        if (out.Write(image.GetBits(y), 1, rowBytes) != rowBytes) return false;
    return true;
}

}  // namespace ImageCodec
