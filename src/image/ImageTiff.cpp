// TIFF through libtiff, over our streams. Pictures are read through libtiff's RGBA
// interface a band of rows at a time, so no second full-size buffer is needed.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include <tiffio.h>

#include "image/Codecs.h"

namespace ImageCodec {
namespace {

struct Client {
    CxFile* file;
    std::int32_t start;  // where the TIFF begins in the stream
    char message[160];
};

tmsize_t ReadProc(thandle_t h, void* data, tmsize_t size)
{
    auto* c = static_cast<Client*>(h);
    return size <= 0 ? 0 : static_cast<tmsize_t>(c->file->Read(data, 1, static_cast<std::size_t>(size)));
}

tmsize_t WriteProc(thandle_t h, void* data, tmsize_t size)
{
    auto* c = static_cast<Client*>(h);
    return size <= 0 ? 0 : static_cast<tmsize_t>(c->file->Write(data, 1, static_cast<std::size_t>(size)));
}

toff_t SeekProc(thandle_t h, toff_t offset, int whence)
{
    auto* c = static_cast<Client*>(h);
    std::int64_t target = static_cast<std::int64_t>(offset);
    if (whence == SEEK_SET) target += c->start;
    else if (whence == SEEK_CUR) target += c->file->Tell();
    else if (whence == SEEK_END) target += c->file->Size();
    if (target < 0 || target > 0x7FFFFFFF || !c->file->Seek(static_cast<std::int32_t>(target), SEEK_SET))
        return static_cast<toff_t>(-1);
    return static_cast<toff_t>(target - c->start);
}

int CloseProc(thandle_t) { return 0; }

toff_t SizeProc(thandle_t h)
{
    auto* c = static_cast<Client*>(h);
    const std::int32_t size = c->file->Size() - c->start;
    return size > 0 ? static_cast<toff_t>(size) : 0;
}

int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char*, const char* fmt, va_list args)
{
    auto* c = static_cast<Client*>(user);
    std::vsnprintf(c->message, sizeof c->message, fmt, args);
    return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* Open(Client& client, const char* mode)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(CXIMAGE_MAX_MEMORY));
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &client);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &client);
    TIFF* tif = TIFFClientOpenExt("stream", mode, &client, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                  MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

bool Fail(CxImage& image, const Client& client, const char* fallback)
{
    image.Destroy();
    image.SetLastError(client.message[0] ? client.message : fallback);
    return false;
}

}  // namespace

bool DecodeTiff(CxImage& image, CxFile& in, RowSink* sink)
{
    std::uint8_t magic[4];
    const std::int32_t start = in.Tell();
    if (in.Read(magic, 1, 4) != 4 ||
        !((magic[0] == 'I' && magic[1] == 'I' && (magic[2] == 42 || magic[2] == 43) && magic[3] == 0) ||
          (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && (magic[3] == 42 || magic[3] == 43)))) {
        image.Destroy();
        image.SetLastError("Not a TIFF");
        return false;
    }
    in.Seek(start, SEEK_SET);
    Client client{&in, start, {}};
    TIFF* tif = Open(client, "rm");
    if (!tif) return Fail(image, client, "TIFF: cannot open");

    bool ok = false;
    char text[1024] = {};
    TIFFRGBAImage rgba{};
    if (TIFFRGBAImageOK(tif, text) && TIFFRGBAImageBegin(&rgba, tif, 0, text)) {
        const std::uint32_t w = rgba.width, h = rgba.height;
        const Start start = StartPicture(image, sink, w, h, 24, rgba.alpha != 0, CXIMAGE_FORMAT_TIF);
        if (start != Start::Failed) {
            const bool rows = start == Start::Rows;
            float xres = 0, yres = 0;
            std::uint16_t unit = RESUNIT_INCH;
            TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
            const float scale = unit == RESUNIT_CENTIMETER ? 2.54f : 1.0f;
            if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) && xres * scale >= 1 && xres * scale < 1e6f)
                image.SetXDPI(static_cast<std::int32_t>(xres * scale + 0.5f));
            if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) && yres * scale >= 1 && yres * scale < 1e6f)
                image.SetYDPI(static_cast<std::int32_t>(yres * scale + 0.5f));
            rgba.req_orientation = ORIENTATION_TOPLEFT;
            const bool unassociated = rgba.alpha == EXTRASAMPLE_UNASSALPHA;
            // Bands of 4 Mpixel, whoever takes the rows: where a damaged file fails depends on
            // the bands it is read in.
            const std::uint32_t band = std::max<std::uint32_t>(1, std::min<std::uint32_t>(h, (1u << 22) / w));
            std::vector<std::uint32_t> raster(std::size_t(w) * band);
            ok = true;
            for (std::uint32_t y = 0; y < h && ok; y += band) {
                const std::uint32_t count = std::min(band, h - y);
                rgba.row_offset = static_cast<int>(y);
                rgba.col_offset = 0;
                ok = TIFFRGBAImageGet(&rgba, raster.data(), w, count) != 0;
                for (std::uint32_t r = 0; r < count && ok; ++r) {
                    std::uint8_t* out = rows ? sink->NextRow() : image.GetBits(y + r);
                    std::uint8_t* const a = !rgba.alpha ? nullptr
                                            : rows      ? out + 3 * std::size_t(w)
                                                        : image.AlphaGetPointer(0, y + r);
                    const std::uint32_t* p = raster.data() + std::size_t(r) * w;
                    for (std::uint32_t x = 0; x < w; ++x, out += 3) {
                        std::uint32_t b = TIFFGetB(p[x]), g = TIFFGetG(p[x]), red = TIFFGetR(p[x]);
                        const std::uint32_t alpha = TIFFGetA(p[x]);
                        // libtiff premultiplies unassociated alpha; we keep colours straight.
                        if (unassociated && alpha && alpha < 255) {
                            b = std::min<std::uint32_t>(255, (b * 255 + alpha / 2) / alpha);
                            g = std::min<std::uint32_t>(255, (g * 255 + alpha / 2) / alpha);
                            red = std::min<std::uint32_t>(255, (red * 255 + alpha / 2) / alpha);
                        }
                        out[0] = static_cast<std::uint8_t>(b);
                        out[1] = static_cast<std::uint8_t>(g);
                        out[2] = static_cast<std::uint8_t>(red);
                        if (a) a[x] = static_cast<std::uint8_t>(alpha);
                    }
                    if (rows) sink->RowDone();
                }
            }
        } else if (!client.message[0]) {
            std::snprintf(client.message, sizeof client.message, "%s", image.GetLastError());
        }
        TIFFRGBAImageEnd(&rgba);
    } else if (!client.message[0]) {
        std::snprintf(client.message, sizeof client.message, "%s", text[0] ? text : "TIFF: unsupported");
    }
    TIFFClose(tif);
    if (!ok) return Fail(image, client, "TIFF: cannot decode");
    return true;
}

bool EncodeTiff(const CxImage& image, CxFile& out)
{
    if (!image.IsValid()) return false;
    Client client{&out, out.Tell(), {}};
    TIFF* tif = Open(client, "w");
    if (!tif) return false;
    const std::uint32_t w = image.Width(), h = image.Height();
    const bool grey = image.IsGrayScale();
    const bool paletted = image.GetBpp() <= 8;
    const bool alpha = image.AlphaIsValid() && !paletted;
    const std::uint16_t samples = paletted ? 1 : (alpha ? 4 : 3);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, TIFFIsCODECConfigured(COMPRESSION_LZW) ? COMPRESSION_LZW : COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                 paletted ? (grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE) : PHOTOMETRIC_RGB);
    if (alpha) {
        const std::uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    std::vector<std::uint16_t> map(3 * 256);
    if (paletted && !grey) {
        for (std::uint32_t i = 0; i < 256; ++i) {
            const RGBQ c = image.GetPaletteColor(i < image.GetNumColors() ? i : 0);
            map[i] = static_cast<std::uint16_t>(c.r * 257);
            map[256 + i] = static_cast<std::uint16_t>(c.g * 257);
            map[512 + i] = static_cast<std::uint16_t>(c.b * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + 256, map.data() + 512);
    }
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(image.GetXDPI()));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(image.GetYDPI()));
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));

    std::vector<std::uint8_t> row(std::size_t(w) * samples);
    bool ok = true;
    for (std::uint32_t y = 0; y < h && ok; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            if (paletted) {
                const std::uint8_t index = image.GetPixelIndex(x, y);
                row[x] = grey ? image.GetPaletteColor(index).r : index;
                continue;
            }
            const std::uint8_t* p = image.GetBits(y) + 3 * std::size_t(x);
            std::uint8_t* o = row.data() + std::size_t(x) * samples;
            o[0] = p[2];
            o[1] = p[1];
            o[2] = p[0];
            if (alpha) o[3] = image.AlphaGet(x, y);
        }
        ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
    }
    ok = ok && TIFFFlush(tif);
    TIFFClose(tif);
    return ok;
}

}  // namespace ImageCodec
