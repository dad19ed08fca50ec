// GIF: the first frame is read with our own LZW decoder; one frame is written, with the
// colours of a 24-bit picture reduced to a palette first.
#include <cstring>
#include <unordered_map>
#include <vector>

#include "image/Codecs.h"

namespace ImageCodec {
namespace {

bool Fail(CxImage& image, const char* text)
{
    image.Destroy();
    image.SetLastError(text);
    return false;
}

// Reads the data sub-blocks of one image as a stream of LZW codes.
class CodeReader {
public:
    explicit CodeReader(CxFile& in) : in_(in) {}
    // -1 when the data ends.
    int Next(int size)
    {
        while (bits_ < size) {
            const int byte = NextByte();
            if (byte < 0) return -1;
            acc_ |= std::uint32_t(byte) << bits_;
            bits_ += 8;
        }
        const int code = static_cast<int>(acc_ & ((1u << size) - 1));
        acc_ >>= size;
        bits_ -= size;
        return code;
    }

private:
    int NextByte()
    {
        if (pos_ == len_) {
            if (ended_) return -1;
            std::uint8_t n;
            if (in_.Read(&n, 1, 1) != 1 || n == 0 || in_.Read(block_, 1, n) != n) {
                ended_ = true;
                return -1;
            }
            len_ = n;
            pos_ = 0;
        }
        return block_[pos_++];
    }

    CxFile& in_;
    std::uint8_t block_[256];
    int len_ = 0, pos_ = 0;
    std::uint32_t acc_ = 0;
    int bits_ = 0;
    bool ended_ = false;
};

bool SkipSubBlocks(CxFile& in)
{
    std::uint8_t n;
    std::uint8_t skip[256];
    for (;;) {
        if (in.Read(&n, 1, 1) != 1) return false;
        if (n == 0) return true;
        if (in.Read(skip, 1, n) != n) return false;
    }
}

// Places decoded indices row by row, in the four passes of an interlaced frame.
class FrameWriter {
public:
    FrameWriter(CxImage& canvas, std::uint32_t left, std::uint32_t top, std::uint32_t w, std::uint32_t h, bool interlaced)
        : canvas_(canvas), left_(left), top_(top), w_(w), h_(h), interlaced_(interlaced) {}
    bool Done() const { return y_ >= h_; }
    void Put(std::uint8_t index)
    {
        if (Done()) return;
        const std::uint64_t cx = std::uint64_t(left_) + x_, cy = std::uint64_t(top_) + y_;
        if (cx < canvas_.Width() && cy < canvas_.Height())
            canvas_.GetBits(static_cast<std::uint32_t>(cy))[cx] = index;
        if (++x_ < w_) return;
        x_ = 0;
        if (!interlaced_) {
            ++y_;
            return;
        }
        static const std::uint32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        y_ += step[pass_];
        while (y_ >= h_ && pass_ < 3) {
            ++pass_;
            y_ = start[pass_];
        }
    }

private:
    CxImage& canvas_;
    std::uint32_t left_, top_, w_, h_;
    bool interlaced_;
    std::uint32_t x_ = 0, y_ = 0;
    int pass_ = 0;
};

bool DecodeLzw(CxFile& in, int minSize, FrameWriter& out, const char*& error)
{
    const int clear = 1 << minSize, end = clear + 1;
    std::vector<std::uint16_t> prefix(4096);
    std::vector<std::uint8_t> suffix(4096), stack(4097);
    int size = minSize + 1, next = clear + 2, prev = -1;
    std::uint8_t first = 0;
    CodeReader codes(in);
    while (!out.Done()) {
        const int code = codes.Next(size);
        if (code < 0) {
            error = "GIF: truncated image data";
            return false;
        }
        if (code == clear) {
            size = minSize + 1;
            next = clear + 2;
            prev = -1;
            continue;
        }
        if (code == end) break;
        if (prev < 0) {
            if (code > clear) {
                error = "GIF: LZW code overflow";
                return false;
            }
            first = static_cast<std::uint8_t>(code);
            out.Put(first);
            prev = code;
            continue;
        }
        if (code > next || (code == next && next >= 4096)) {
            error = "GIF: LZW code overflow";
            return false;
        }
        int sp = 0;
        int cur = code;
        if (code == next) {
            stack[sp++] = first;
            cur = prev;
        }
        while (cur >= clear) {
            stack[sp++] = suffix[cur];
            cur = prefix[cur];
        }
        first = static_cast<std::uint8_t>(cur);
        stack[sp++] = first;
        while (sp > 0) out.Put(stack[--sp]);
        if (next < 4096) {
            prefix[next] = static_cast<std::uint16_t>(prev);
            suffix[next] = first;
            ++next;
            if (next == (1 << size) && size < 12) ++size;
        }
        prev = code;
    }
    if (!out.Done()) {
        error = "GIF: truncated image data";
        return false;
    }
    return true;
}

}  // namespace

bool DecodeGif(CxImage& image, CxFile& in)
{
    std::uint8_t header[13];
    if (in.Read(header, 1, 13) != 13 || std::memcmp(header, "GIF", 3) != 0 ||
        (std::memcmp(header + 3, "87a", 3) != 0 && std::memcmp(header + 3, "89a", 3) != 0))
        return Fail(image, "Not a GIF");
    const std::uint32_t screenW = Le16(header + 6), screenH = Le16(header + 8);
    std::uint8_t global[768] = {}, local[768];
    const bool hasGlobal = (header[10] & 0x80) != 0;
    const std::uint32_t globalCount = 2u << (header[10] & 7);
    if (hasGlobal && in.Read(global, 3, globalCount) != globalCount) return Fail(image, "GIF: truncated palette");
    int transIndex = -1;

    for (;;) {
        std::uint8_t tag;
        if (in.Read(&tag, 1, 1) != 1) return Fail(image, "GIF: no image");
        if (tag == 0x3B) return Fail(image, "GIF: no image");
        if (tag == 0x21) {
            std::uint8_t label;
            if (in.Read(&label, 1, 1) != 1) return Fail(image, "GIF: truncated extension");
            if (label == 0xF9) {
                std::uint8_t gce[5];
                if (in.Read(gce, 1, 5) != 5) return Fail(image, "GIF: truncated extension");
                if (gce[0] == 4 && (gce[1] & 1)) transIndex = gce[4];
                if (gce[0] == 4) {
                    std::uint8_t terminator;
                    if (in.Read(&terminator, 1, 1) != 1) return Fail(image, "GIF: truncated extension");
                    if (terminator != 0 && !in.Seek(-1, SEEK_CUR)) return Fail(image, "GIF: bad extension");
                    if (terminator == 0) continue;
                } else if (!in.Seek(-5, SEEK_CUR)) {
                    return Fail(image, "GIF: bad extension");
                }
            }
            if (!SkipSubBlocks(in)) return Fail(image, "GIF: truncated extension");
            continue;
        }
        if (tag != 0x2C) return Fail(image, "GIF: unknown block");

        std::uint8_t desc[9];
        if (in.Read(desc, 1, 9) != 9) return Fail(image, "GIF: truncated image descriptor");
        const std::uint32_t left = Le16(desc), top = Le16(desc + 2), w = Le16(desc + 4), h = Le16(desc + 6);
        const bool hasLocal = (desc[8] & 0x80) != 0, interlaced = (desc[8] & 0x40) != 0;
        const std::uint32_t localCount = 2u << (desc[8] & 7);
        if (hasLocal && in.Read(local, 3, localCount) != localCount) return Fail(image, "GIF: truncated palette");
        if (w == 0 || h == 0) return Fail(image, "CxImage::Create : width and height must be greater than zero");
        std::uint8_t minSize;
        if (in.Read(&minSize, 1, 1) != 1) return Fail(image, "GIF: truncated image data");
        if (minSize < 1 || minSize > 8) return Fail(image, "GIF: bad LZW code size");

        // The logical screen is the canvas when the frame lies inside it.
        const bool onScreen = screenW && screenH && left + w <= screenW && top + h <= screenH;
        const std::uint32_t cw = onScreen ? screenW : w, ch = onScreen ? screenH : h;
        if (!image.Create(cw, ch, 8, CXIMAGE_FORMAT_GIF)) return false;
        const std::uint8_t* table = hasLocal ? local : global;
        const std::uint32_t count = hasLocal ? localCount : (hasGlobal ? globalCount : 0);
        for (std::uint32_t i = 0; i < 256; ++i) {
            if (count == 0) break;  // no colour table at all: keep the grey ramp
            if (i < count) image.SetPaletteColor(i, table[3 * i], table[3 * i + 1], table[3 * i + 2]);
            else image.SetPaletteColor(i, 0, 0, 0);
        }
        image.SetTransIndex(transIndex);
        if (cw != w || ch != h) {
            const std::uint8_t fill = static_cast<std::uint8_t>(transIndex >= 0 ? transIndex : header[11]);
            for (std::uint32_t y = 0; y < ch; ++y) std::memset(image.GetBits(y), fill, cw);
        }
        FrameWriter writer(image, onScreen ? left : 0, onScreen ? top : 0, w, h, interlaced);
        const char* error = nullptr;
        if (!DecodeLzw(in, minSize, writer, error)) return Fail(image, error);
        return true;
    }
}

namespace {

class CodeWriter {
public:
    explicit CodeWriter(CxFile& out) : out_(out) {}
    void Put(int code, int size)
    {
        acc_ |= std::uint32_t(code) << bits_;
        bits_ += size;
        while (bits_ >= 8) {
            Byte(static_cast<std::uint8_t>(acc_));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    bool Finish()
    {
        if (bits_ > 0) Byte(static_cast<std::uint8_t>(acc_));
        bits_ = 0;
        Flush();
        const std::uint8_t terminator = 0;
        ok_ = ok_ && out_.Write(&terminator, 1, 1) == 1;
        return ok_;
    }

private:
    void Byte(std::uint8_t b)
    {
        block_[len_++] = b;
        if (len_ == 255) Flush();
    }
    void Flush()
    {
        if (!len_) return;
        const std::uint8_t n = static_cast<std::uint8_t>(len_);
        ok_ = ok_ && out_.Write(&n, 1, 1) == 1 && out_.Write(block_, 1, len_) == static_cast<std::size_t>(len_);
        len_ = 0;
    }

    CxFile& out_;
    std::uint8_t block_[255];
    int len_ = 0;
    std::uint32_t acc_ = 0;
    int bits_ = 0;
    bool ok_ = true;
};

bool EncodeLzw(CxFile& out, const std::vector<std::uint8_t>& indices, int minSize)
{
    const int clear = 1 << minSize, end = clear + 1;
    CodeWriter writer(out);
    std::unordered_map<std::uint32_t, int> table;
    table.reserve(8192);
    int size = minSize + 1, next = clear + 2;
    writer.Put(clear, size);
    if (indices.empty()) {
        writer.Put(end, size);
        return writer.Finish();
    }
    int prefix = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const std::uint8_t c = indices[i];
        const std::uint32_t key = (std::uint32_t(prefix) << 8) | c;
        const auto found = table.find(key);
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        writer.Put(prefix, size);
        if (next < 4096) {
            table.emplace(key, next);
            // The decoder widens its codes when its table reaches the next power of two,
            // one entry behind us.
            if (next == (1 << size)) ++size;
            ++next;
        } else {
            writer.Put(clear, size);
            table.clear();
            size = minSize + 1;
            next = clear + 2;
        }
        prefix = c;
    }
    writer.Put(prefix, size);
    writer.Put(end, size);
    return writer.Finish();
}

// Reduces a 24-bit picture to at most 256 colours: exact when it has that few, otherwise a
// fixed 6 x 7 x 6 colour cube.
void ReducePalette(const CxImage& image, RGBQ* palette, int& count, std::vector<std::uint8_t>& indices)
{
    const std::uint32_t w = image.Width(), h = image.Height();
    std::unordered_map<std::uint32_t, std::uint8_t> exact;
    bool fits = true;
    for (std::uint32_t y = 0; y < h && fits; ++y) {
        const std::uint8_t* p = image.GetBits(y);
        for (std::uint32_t x = 0; x < w; ++x, p += 3) {
            const std::uint32_t key = p[0] | (p[1] << 8) | (std::uint32_t(p[2]) << 16);
            if (exact.count(key)) continue;
            if (exact.size() == 256) {
                fits = false;
                break;
            }
            const auto index = static_cast<std::uint8_t>(exact.size());
            exact.emplace(key, index);
            palette[index] = RGBQ{p[0], p[1], p[2], 0};
        }
    }
    std::size_t k = 0;
    if (fits) {
        count = static_cast<int>(exact.size());
        for (std::uint32_t y = 0; y < h; ++y) {
            const std::uint8_t* p = image.GetBits(y);
            for (std::uint32_t x = 0; x < w; ++x, p += 3)
                indices[k++] = exact[p[0] | (p[1] << 8) | (std::uint32_t(p[2]) << 16)];
        }
        return;
    }
    count = 252;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 6; ++b)
                palette[(r * 7 + g) * 6 + b] = RGBQ{static_cast<std::uint8_t>(b * 51), static_cast<std::uint8_t>(g * 255 / 6),
                                                    static_cast<std::uint8_t>(r * 51), 0};
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* p = image.GetBits(y);
        for (std::uint32_t x = 0; x < w; ++x, p += 3) {
            const int b = (p[0] + 25) / 51, g = (p[1] * 6 + 127) / 255, r = (p[2] + 25) / 51;
            indices[k++] = static_cast<std::uint8_t>((r * 7 + g) * 6 + b);
        }
    }
}

}  // namespace

bool EncodeGif(const CxImage& image, CxFile& out)
{
    if (!image.IsValid() || image.Width() > 65535 || image.Height() > 65535) return false;
    const std::uint32_t w = image.Width(), h = image.Height();
    std::vector<std::uint8_t> indices(std::size_t(w) * h);
    RGBQ palette[256] = {};
    int count = 0;
    if (image.GetBpp() <= 8) {
        count = static_cast<int>(image.GetNumColors());
        for (int i = 0; i < count; ++i) palette[i] = image.GetPaletteColor(i);
        std::size_t k = 0;
        for (std::uint32_t y = 0; y < h; ++y)
            for (std::uint32_t x = 0; x < w; ++x) indices[k++] = image.GetPixelIndex(x, y);
    } else {
        ReducePalette(image, palette, count, indices);
    }
    int depth = 1;
    while ((1 << depth) < count) ++depth;
    const int minSize = depth < 2 ? 2 : depth;
    const int transIndex = image.GetBpp() <= 8 ? image.GetTransIndex() : -1;

    std::vector<std::uint8_t> head;
    head.reserve(32 + 3 * 256);
    auto put16 = [&](std::uint32_t v) {
        head.push_back(static_cast<std::uint8_t>(v));
        head.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    for (const char* sig = "GIF89a"; *sig; ++sig) head.push_back(static_cast<std::uint8_t>(*sig));
    put16(w);
    put16(h);
    head.push_back(static_cast<std::uint8_t>(0x80 | ((depth - 1) << 4) | (depth - 1)));
    head.push_back(0);
    head.push_back(0);
    for (int i = 0; i < (1 << depth); ++i) {
        head.push_back(palette[i].r);
        head.push_back(palette[i].g);
        head.push_back(palette[i].b);
    }
    if (transIndex >= 0 && transIndex < (1 << depth)) {
        const std::uint8_t gce[8] = {0x21, 0xF9, 4, 1, 0, 0, static_cast<std::uint8_t>(transIndex), 0};
        for (std::uint8_t b : gce) head.push_back(b);
    }
    head.push_back(0x2C);
    put16(0);
    put16(0);
    put16(w);
    put16(h);
    head.push_back(0);
    head.push_back(static_cast<std::uint8_t>(minSize));
    if (out.Write(head.data(), 1, head.size()) != head.size()) return false;
    if (!EncodeLzw(out, indices, minSize)) return false;
    const std::uint8_t trailer = 0x3B;
    return out.Write(&trailer, 1, 1) == 1;
}

}  // namespace ImageCodec
