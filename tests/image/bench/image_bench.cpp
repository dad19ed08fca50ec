// Benchmark driver, one job per process so that whole processes can be compared with
// djpeg and ImageMagick:
//   image_bench generate OUT.jpg   a 4000 x 3000 synthetic photo, JPEG quality 92
//   image_bench decode FILE        decode only
//   image_bench prepare FILE OUT   prepare for upload into 800 x 600 as JPEG quality 80,
//                                  the way the product does (while decoding)
//   image_bench prepare-whole FILE OUT   the same from the whole decoded picture
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Biz/ConfigMgr.h"
#include "image/CxImage.h"
#include "image/UploadPreparation.h"

namespace {

// Sky gradient, a sun, rolling hills and sensor-like noise: enough detail that the encoder
// and the decoder do real work, none of it taken from anywhere.
bool Generate(const char* path)
{
    const std::uint32_t w = 4000, h = 3000;
    CxImage image;
    if (!image.Create(w, h, 24, CXIMAGE_FORMAT_JPG)) return false;
    std::uint32_t seed = 12345;
    auto noise = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 24) % 25) - 12;
    };
    for (std::uint32_t y = 0; y < h; ++y) {
        std::uint8_t* row = image.GetBits(y);
        const double fy = double(y) / h;
        for (std::uint32_t x = 0; x < w; ++x) {
            const double fx = double(x) / w;
            const double hill = 0.55 + 0.08 * std::sin(fx * 9.0) + 0.04 * std::sin(fx * 23.0 + 1.0);
            double r, g, b;
            if (fy < hill) {
                r = 90 + 120 * fy;
                g = 140 + 80 * fy;
                b = 230 - 40 * fy;
                const double dx = fx - 0.7, dy = fy - 0.2, d = std::sqrt(dx * dx + dy * dy);
                if (d < 0.06) {
                    r = 255;
                    g = 240;
                    b = 180;
                }
            } else {
                const double depth = (fy - hill) / (1 - hill);
                r = 40 + 60 * depth + 20 * std::sin(x * 0.05);
                g = 110 + 50 * depth + 15 * std::sin(y * 0.07);
                b = 30 + 20 * depth;
            }
            const int n = noise();
            auto clamp = [](double v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
            row[3 * x] = clamp(b + n);
            row[3 * x + 1] = clamp(g + n);
            row[3 * x + 2] = clamp(r + n);
        }
    }
    image.SetJpegQuality(92);
    return image.Save(path, CXIMAGE_FORMAT_JPG);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "generate") == 0) return Generate(argv[2]) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "decode") == 0) {
        CxImage image;
        return image.LoadFile(argv[2], CXIMAGE_FORMAT_JPG) ? 0 : 1;
    }
    const bool whole = argc == 4 && std::strcmp(argv[1], "prepare-whole") == 0;
    if (whole || (argc == 4 && std::strcmp(argv[1], "prepare") == 0)) {
        ConfigMgr* config = ConfigMgr::Instance();
        config->SetThumbnailWidth(800);
        config->SetThumbnailHeight(600);
        config->SetImageUploadType(SF_T("jpg"));
        config->SetJpegQuality(80);
        PreparedPhoto photo;
        if (whole) {
            CxImage image;
            if (!image.LoadFile(argv[2], CXIMAGE_FORMAT_JPG)) return 1;
            PrepareUpload(image, photo.bytes);
        } else if (!PrepareFileForPost(argv[2], photo)) {
            return 1;
        }
        std::FILE* f = std::fopen(argv[3], "wb");
        if (!f) return 1;
        const auto size = static_cast<std::size_t>(photo.bytes.Size());
        const bool ok = std::fwrite(photo.bytes.GetBuffer(), 1, size, f) == size;
        return std::fclose(f) == 0 && ok && size > 0 ? 0 : 1;
    }
    std::fprintf(stderr, "usage: image_bench generate OUT | decode FILE | prepare[-whole] FILE OUT\n");
    return 2;
}
