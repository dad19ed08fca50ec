// JPEG through libjpeg(-turbo). Errors leave libjpeg by longjmp, so the functions that call
// setjmp keep only trivially destructible locals; buffers live in the callers' frames.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "image/Codecs.h"
#include "image/YccRows.h"

namespace ImageCodec {
namespace {

constexpr std::size_t kBufferSize = 65536;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr, int) {}  // warnings are not printed

struct Source {
    jpeg_source_mgr pub;
    CxFile* in;
    JOCTET* buffer;
    bool truncated;
    // Rows by which the row count runs ahead of where decoding to rows would stand: reading
    // the sample planes, a band is read as its first row is asked for, while the rows with
    // interpolated chroma read it one row group (two rows) earlier, for the group before it.
    JDIMENSION lead;
};

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    std::size_t n = src->in->Read(src->buffer, 1, kBufferSize);
    if (n == 0) {
        // Past the end: hand libjpeg an end marker, and remember whether pixels were missing.
        // The decoder reads ahead within the last row of blocks, so running out there only
        // means the end marker is absent; a progressive file is read whole before any row.
        const JDIMENSION blockRows = static_cast<JDIMENSION>(cinfo->max_v_samp_factor * DCTSIZE);
        const JDIMENSION row = cinfo->output_scanline > src->lead ? cinfo->output_scanline - src->lead : 0;
        if (cinfo->output_height && !cinfo->progressive_mode && row + blockRows < cinfo->output_height)
            src->truncated = true;
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count)
{
    auto* src = reinterpret_cast<Source*>(cinfo->src);
    if (count <= 0) return;
    while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        FillInput(cinfo);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void TermSource(j_decompress_ptr) {}

// Resolution from an Exif block: the X/YResolution rationals of the first directory,
// scaled from centimetres when ResolutionUnit says so. 0 when absent.
void ExifResolution(const JOCTET* data, unsigned length, std::int32_t& xdpi, std::int32_t& ydpi)
{
    if (length < 14 || std::memcmp(data, "Exif\0\0", 6) != 0) return;
    const JOCTET* tiff = data + 6;
    const std::uint32_t size = length - 6;
    const bool little = tiff[0] == 'I';
    if (!(little ? (tiff[0] == 'I' && tiff[1] == 'I') : (tiff[0] == 'M' && tiff[1] == 'M'))) return;
    auto u16 = [&](std::uint32_t at) -> std::uint32_t {
        return little ? (tiff[at] | (tiff[at + 1] << 8)) : ((tiff[at] << 8) | tiff[at + 1]);
    };
    auto u32 = [&](std::uint32_t at) -> std::uint32_t {
        return little ? (u16(at) | (u16(at + 2) << 16)) : ((u16(at) << 16) | u16(at + 2));
    };
    const std::uint32_t ifd = u32(4);
    if (ifd > size - 2 || ifd < 8) return;
    const std::uint32_t entries = u16(ifd);
    double x = 0, y = 0;
    std::uint32_t unit = 2;
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint32_t e = ifd + 2 + 12 * i;
        if (e + 12 > size) break;
        const std::uint32_t tag = u16(e), type = u16(e + 2);
        if (tag == 0x128 && type == 3) unit = u16(e + 8);
        if ((tag == 0x11A || tag == 0x11B) && type == 5) {
            const std::uint32_t at = u32(e + 8);
            if (at > size - 8) continue;
            const std::uint32_t num = u32(at), den = u32(at + 4);
            if (den == 0) continue;
            (tag == 0x11A ? x : y) = double(num) / den;
        }
    }
    const double scale = unit == 3 ? 2.54 : 1.0;
    if (x * scale >= 1 && x * scale < 1e6) xdpi = static_cast<std::int32_t>(x * scale + 0.5);
    if (y * scale >= 1 && y * scale < 1e6) ydpi = static_cast<std::int32_t>(y * scale + 0.5);
}

struct DecodeState {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    Source src;
    CxImage* image;
    RowSink* sink;
    // One row of CMYK samples, owned by the caller.
    std::vector<std::uint8_t>* cmyk;
};

// The layout of a colour picture's sample planes, when they can be finished outside libjpeg
// (YccLayout::Supported says which); an empty layout otherwise.
YccLayout PlaneLayout(const jpeg_decompress_struct& c)
{
    YccLayout l;
    if (c.jpeg_color_space != JCS_YCbCr || c.num_components != 3 || c.scale_num != c.scale_denom ||
        !c.do_fancy_upsampling || c.data_precision != 8)
        return l;
    const jpeg_component_info* p = c.comp_info;
    for (int i = 1; i < 3; ++i)
        if (p[i].h_samp_factor != 1 || p[i].v_samp_factor != 1 || p[i].downsampled_width != p[1].downsampled_width ||
            p[i].width_in_blocks != p[1].width_in_blocks)
            return l;
    if (p[0].h_samp_factor != c.max_h_samp_factor || p[0].v_samp_factor != c.max_v_samp_factor) return l;
    l.width = c.output_width;
    l.height = c.output_height;
    l.lumaH = static_cast<std::uint32_t>(p[0].h_samp_factor);
    l.lumaV = static_cast<std::uint32_t>(p[0].v_samp_factor);
    l.chromaWidth = p[1].downsampled_width;
    l.chromaHeight = p[1].downsampled_height;
    l.lumaStride = std::size_t(p[0].width_in_blocks) * DCTSIZE;
    l.chromaStride = std::size_t(p[1].width_in_blocks) * DCTSIZE;
    l.bands = c.total_iMCU_rows;
    return l;
}

// 0 on success; otherwise the error text is in state.err.message.
int DecodeInner(DecodeState& s)
{
    if (setjmp(s.err.jump)) {
        jpeg_destroy_decompress(&s.cinfo);
        return 1;
    }
    jpeg_create_decompress(&s.cinfo);
    // Progressive files buffer all their coefficients; a hostile header must not make that
    // larger than the biggest picture we accept would need.
    s.cinfo.mem->max_memory_to_use = 768L * 1024 * 1024;
    s.cinfo.src = &s.src.pub;
    jpeg_save_markers(&s.cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&s.cinfo, TRUE);

    const J_COLOR_SPACE in = s.cinfo.jpeg_color_space;
    const bool grey = in == JCS_GRAYSCALE;
    const bool cmyk = in == JCS_CMYK || in == JCS_YCCK;
    s.cinfo.out_color_space = grey ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_EXT_BGR);
    jpeg_calc_output_dimensions(&s.cinfo);
    const std::uint32_t width = s.cinfo.output_width;
    const YccLayout layout = s.sink ? PlaneLayout(s.cinfo) : YccLayout{};
    const Start start = StartPicture(*s.image, s.sink, width, s.cinfo.output_height, grey ? 8 : 24, false,
                                     CXIMAGE_FORMAT_JPG, YccRows::Make(layout));
    if (start == Start::Failed) {
        std::snprintf(s.err.message, sizeof s.err.message, "%s", s.image->GetLastError());
        jpeg_destroy_decompress(&s.cinfo);
        return 1;
    }
    const bool rows = start == Start::Rows;
    // The sink takes the sample planes a band at a time and finishes the pixels itself.
    const bool planes = start == Start::Units;
    s.cinfo.raw_data_out = planes ? TRUE : FALSE;
    if (planes && layout.lumaV == 2) s.src.lead = 2;
    std::int32_t xdpi = 0, ydpi = 0;
    for (jpeg_saved_marker_ptr m = s.cinfo.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1) ExifResolution(m->data, m->data_length, xdpi, ydpi);
    if (!xdpi && s.cinfo.saw_JFIF_marker && s.cinfo.X_density && s.cinfo.Y_density) {
        if (s.cinfo.density_unit == 1) {
            xdpi = s.cinfo.X_density;
            ydpi = s.cinfo.Y_density;
        } else if (s.cinfo.density_unit == 2) {
            xdpi = static_cast<std::int32_t>(s.cinfo.X_density * 2.54 + 0.5);
            ydpi = static_cast<std::int32_t>(s.cinfo.Y_density * 2.54 + 0.5);
        }
    }
    if (xdpi) s.image->SetXDPI(xdpi);
    if (ydpi) s.image->SetYDPI(ydpi);

    if (cmyk) s.cmyk->resize(std::size_t(width) * 4);
    jpeg_start_decompress(&s.cinfo);
    while (planes && s.cinfo.output_scanline < s.cinfo.output_height) {
        JSAMPROW luma[2 * DCTSIZE], cb[DCTSIZE], cr[DCTSIZE];
        JSAMPARRAY band[3] = {luma, cb, cr};
        std::uint8_t* at = s.sink->NextRow();
        for (std::uint32_t i = 0; i < layout.LumaRows(); ++i, at += layout.lumaStride) luma[i] = at;
        for (JSAMPROW* plane : {cb, cr})
            for (std::uint32_t i = 0; i < DCTSIZE; ++i, at += layout.chromaStride) plane[i] = at;
        jpeg_read_raw_data(&s.cinfo, band, layout.LumaRows());
        s.sink->RowDone();
    }
    while (!planes && s.cinfo.output_scanline < s.cinfo.output_height) {
        std::uint8_t* const row = rows ? s.sink->NextRow() : s.image->GetBits(s.cinfo.output_scanline);
        JSAMPROW samples[1] = {cmyk ? s.cmyk->data() : row};
        jpeg_read_scanlines(&s.cinfo, samples, 1);
        if (cmyk) {
            // Adobe writes CMYK inverted; libjpeg hands it over as stored.
            const std::uint8_t* p = s.cmyk->data();
            std::uint8_t* out = row;
            for (std::uint32_t x = 0; x < width; ++x, p += 4, out += 3) {
                const unsigned k = p[3];
                out[0] = static_cast<std::uint8_t>(p[2] * k / 255);
                out[1] = static_cast<std::uint8_t>(p[1] * k / 255);
                out[2] = static_cast<std::uint8_t>(p[0] * k / 255);
            }
        }
        if (rows) s.sink->RowDone();
    }
    if (s.src.truncated) {
        std::snprintf(s.err.message, sizeof s.err.message, "Premature end of JPEG file");
        jpeg_destroy_decompress(&s.cinfo);
        return 1;
    }
    jpeg_finish_decompress(&s.cinfo);
    jpeg_destroy_decompress(&s.cinfo);
    return 0;
}

struct Destination {
    jpeg_destination_mgr pub;
    CxFile* out;
    JOCTET* buffer;
    bool failed;
};

void InitDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kBufferSize;
}

boolean EmptyOutput(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    if (dest->out->Write(dest->buffer, 1, kBufferSize) != kBufferSize) dest->failed = true;
    InitDestination(cinfo);
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    const std::size_t n = kBufferSize - dest->pub.free_in_buffer;
    if (n && dest->out->Write(dest->buffer, 1, n) != n) dest->failed = true;
}

struct EncodeState {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    Destination dest;
    const CxImage* image;
    int quality;
    std::uint8_t* row;  // a converted row when the image is not stored as the encoder wants
};

int EncodeInner(EncodeState& s)
{
    if (setjmp(s.err.jump)) {
        jpeg_destroy_compress(&s.cinfo);
        return 1;
    }
    const CxImage& image = *s.image;
    const bool grey = image.IsGrayScale();
    jpeg_create_compress(&s.cinfo);
    s.cinfo.dest = &s.dest.pub;
    s.cinfo.image_width = image.Width();
    s.cinfo.image_height = image.Height();
    s.cinfo.input_components = grey ? 1 : 3;
    s.cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&s.cinfo);
    int quality = s.quality;
    if (quality < 1) quality = 1;
    if (quality > 100) quality = 100;
    jpeg_set_quality(&s.cinfo, quality, FALSE);
    if (!grey) {
        s.cinfo.comp_info[0].h_samp_factor = 2;
        s.cinfo.comp_info[0].v_samp_factor = 2;
    }
    s.cinfo.write_JFIF_header = TRUE;
    s.cinfo.density_unit = 1;
    s.cinfo.X_density = static_cast<UINT16>(image.GetXDPI() > 0 && image.GetXDPI() < 65536 ? image.GetXDPI() : 96);
    s.cinfo.Y_density = static_cast<UINT16>(image.GetYDPI() > 0 && image.GetYDPI() < 65536 ? image.GetYDPI() : 96);
    jpeg_start_compress(&s.cinfo, TRUE);
    const std::uint32_t w = image.Width();
    while (s.cinfo.next_scanline < s.cinfo.image_height) {
        const std::uint32_t y = s.cinfo.next_scanline;
        JSAMPROW rows[1];
        if (image.GetBpp() == 24) {
            rows[0] = const_cast<std::uint8_t*>(image.GetBits(y));
        } else {
            for (std::uint32_t x = 0; x < w; ++x) {
                const RGBQ c = image.GetPaletteColor(image.GetPixelIndex(x, y));
                if (grey) {
                    s.row[x] = c.r;
                } else {
                    s.row[3 * x] = c.b;
                    s.row[3 * x + 1] = c.g;
                    s.row[3 * x + 2] = c.r;
                }
            }
            rows[0] = s.row;
        }
        jpeg_write_scanlines(&s.cinfo, rows, 1);
    }
    jpeg_finish_compress(&s.cinfo);
    jpeg_destroy_compress(&s.cinfo);
    return s.dest.failed ? 1 : 0;
}

}  // namespace

bool DecodeJpeg(CxImage& image, CxFile& in, RowSink* sink)
{
    std::vector<JOCTET> buffer(kBufferSize);
    std::vector<std::uint8_t> cmyk;
    DecodeState s{};
    s.cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = OnError;
    s.err.pub.emit_message = OnMessage;
    s.src.pub.init_source = InitSource;
    s.src.pub.fill_input_buffer = FillInput;
    s.src.pub.skip_input_data = SkipInput;
    s.src.pub.resync_to_restart = jpeg_resync_to_restart;
    s.src.pub.term_source = TermSource;
    s.src.in = &in;
    s.src.buffer = buffer.data();
    s.image = &image;
    s.sink = sink;
    s.cmyk = &cmyk;
    if (DecodeInner(s) != 0) {
        image.Destroy();
        image.SetLastError(s.err.message);
        return false;
    }
    return true;
}

bool EncodeJpeg(const CxImage& image, CxFile& out, int quality)
{
    if (!image.IsValid()) return false;
    std::vector<JOCTET> buffer(kBufferSize);
    std::vector<std::uint8_t> row(image.GetBpp() == 24 ? 0 : std::size_t(image.Width()) * 3);
    EncodeState s{};
    s.cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = OnError;
    s.err.pub.emit_message = OnMessage;
    s.dest.pub.init_destination = InitDestination;
    s.dest.pub.empty_output_buffer = EmptyOutput;
    s.dest.pub.term_destination = TermDestination;
    s.dest.out = &out;
    s.dest.buffer = buffer.data();
    s.image = &image;
    s.quality = quality < 0 ? image.GetJpegQuality() : quality;
    s.row = row.data();
    return EncodeInner(s) == 0;
}

}  // namespace ImageCodec
