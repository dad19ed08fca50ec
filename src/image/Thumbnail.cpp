#include "image/Thumbnail.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// The largest picture inside the box with the picture's proportions, never empty.
void FitInside(std::uint32_t w, std::uint32_t h, std::uint32_t boxW, std::uint32_t boxH, std::uint32_t& tw,
               std::uint32_t& th)
{
    if (std::uint64_t(w) * boxH <= std::uint64_t(h) * boxW) {
        th = boxH;
        tw = static_cast<std::uint32_t>(std::uint64_t(w) * boxH / h);
    } else {
        tw = boxW;
        th = static_cast<std::uint32_t>(std::uint64_t(h) * boxW / w);
    }
    if (tw == 0) tw = 1;
    if (th == 0) th = 1;
}

struct JpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void JpegFail(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }
void JpegQuiet(j_common_ptr, int) {}

// Decodes a JPEG at 1/2, 1/4 or 1/8 of its size, the smallest that still covers the box,
// straight into blue-green-red rows. False (and nothing decoded) for what libjpeg cannot
// turn into colour by itself (CMYK): the caller then takes the ordinary path.
// Only trivially destructible locals live here, since errors leave by longjmp.
bool ScaledJpeg(const std::uint8_t* data, std::size_t size, std::uint32_t boxW, std::uint32_t boxH, CxImage& out,
                std::uint32_t& fullW, std::uint32_t& fullH)
{
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegFail;
    err.pub.emit_message = JpegQuiet;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        out.Destroy();
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    fullW = cinfo.image_width;
    fullH = cinfo.image_height;
    unsigned denom = 8;
    while (denom > 1 && ((fullW + denom - 1) / denom < boxW || (fullH + denom - 1) / denom < boxH)) denom /= 2;
    cinfo.scale_num = 1;
    cinfo.scale_denom = denom;
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    if (!out.Create(cinfo.output_width, cinfo.output_height, 24, CXIMAGE_FORMAT_JPG)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.GetBits(cinfo.output_scanline);
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool IsJpeg(const std::uint8_t* data, std::size_t size, std::uint32_t format)
{
    if (format == CXIMAGE_FORMAT_JPG) return true;
    return format == CXIMAGE_FORMAT_UNKNOWN && size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

}  // namespace

bool MakeThumbnail(const CxImage& full, std::uint32_t boxW, std::uint32_t boxH, Thumbnail& out)
{
    out.image.reset();
    out.width = out.height = 0;
    if (!full.IsValid() || boxW == 0 || boxH == 0) return false;
    auto image = std::make_unique<CxImage>();
    const bool made = full.Width() <= boxW && full.Height() <= boxH ? image->Copy(full) : [&] {
        std::uint32_t tw, th;
        FitInside(full.Width(), full.Height(), boxW, boxH, tw, th);
        return image->ResampleFrom(full, tw, th);
    }();
    if (!made) return false;
    out.image = std::move(image);
    out.width = full.Width();
    out.height = full.Height();
    return true;
}

bool MakeThumbnail(const std::uint8_t* data, std::size_t size, std::uint32_t format, std::uint32_t boxW,
                   std::uint32_t boxH, Thumbnail& out)
{
    out.image.reset();
    out.width = out.height = 0;
    if (!data || size == 0 || size > 0xFFFFFFFFu || boxW == 0 || boxH == 0) return false;
    CxImage decoded;
    std::uint32_t fullW = 0, fullH = 0;
    if (IsJpeg(data, size, format) && ScaledJpeg(data, size, boxW, boxH, decoded, fullW, fullH)) {
        if (!MakeThumbnail(decoded, boxW, boxH, out)) return false;
        out.width = fullW;
        out.height = fullH;
        return true;
    }
    if (!decoded.Decode(data, static_cast<std::uint32_t>(size), format)) return false;
    return MakeThumbnail(decoded, boxW, boxH, out);
}
