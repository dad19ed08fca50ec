#include "ImageFixtures.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <random>

namespace fixture {

std::int64_t LocalTimeValue(int year, int month, int day, int hour, int minute, int second)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

CxImage Gradient(std::uint32_t width, std::uint32_t height)
{
    CxImage image;
    image.Create(width, height, 24, CXIMAGE_FORMAT_BMP);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image.SetPixelColor(x, y, RGBQ{static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(y * 13),
                                           static_cast<std::uint8_t>(x * 31 + y * 3), 0});
    return image;
}

CxImage Paletted(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, bool grey)
{
    CxImage image;
    image.Create(width, height, bpp, CXIMAGE_FORMAT_BMP);
    const std::uint32_t n = image.GetNumColors();
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / (n - 1));
        if (grey) image.SetPaletteColor(i, v, v, v);
        else image.SetPaletteColor(i, v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(i * 40));
    }
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) image.SetPixelIndex(x, y, static_cast<std::uint8_t>((x + 3 * y) % n));
    return image;
}

CxImage Solid(std::uint32_t width, std::uint32_t height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    CxImage image;
    image.Create(width, height, 24);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) image.SetPixelColor(x, y, RGBQ{b, g, r, 0});
    return image;
}

Bytes Encode(const CxImage& image, std::uint32_t format)
{
    CxMemFile out;
    if (!image.Encode(&out, format)) return {};
    return Bytes(out.GetBuffer(), out.GetBuffer() + out.Size());
}

CxImage Decode(const Bytes& bytes, std::uint32_t format)
{
    CxImage image;
    image.Decode(bytes.data(), static_cast<std::uint32_t>(bytes.size()), format);
    return image;
}

int MaxChannelDifference(const CxImage& a, const CxImage& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return 256;
    int worst = 0;
    for (std::uint32_t y = 0; y < a.Height(); ++y)
        for (std::uint32_t x = 0; x < a.Width(); ++x) {
            const RGBQ p = a.GetPixelColor(x, y), q = b.GetPixelColor(x, y);
            for (int d : {p.r - q.r, p.g - q.g, p.b - q.b, p.a - q.a}) worst = std::max(worst, std::abs(d));
        }
    return worst;
}

bool SamePixels(const CxImage& a, const CxImage& b) { return a.IsValid() && b.IsValid() && MaxChannelDifference(a, b) == 0; }

TempFolder::TempFolder()
{
    static std::mt19937 random{std::random_device{}()};
    path_ = std::filesystem::temp_directory_path() / ("sf-image-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

TString TempFolder::File(const std::string& name) const
{
#if defined(SF_WIDE)
    return (path_ / name).wstring();
#else
    return (path_ / name).string();
#endif
}

bool TempFolder::Write(const std::string& name, const Bytes& bytes) const
{
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

Bytes TempFolder::Read(const std::string& name) const
{
    std::ifstream in(path_ / name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A JPEG of ours with an Exif block holding only the DateTime tag.
Bytes JpegWithDateTime(const char* text)
{
    const Bytes plain = Encode(Gradient(16, 16), CXIMAGE_FORMAT_JPG);
    Bytes tiff = {'I', 'I', 42, 0};
    Put32(tiff, 8);
    Put16(tiff, 1);
    Put16(tiff, 0x132);
    Put16(tiff, 2);
    Put32(tiff, 20);
    Put32(tiff, 8 + 2 + 12 + 4);
    Put32(tiff, 0);
    tiff.insert(tiff.end(), text, text + 20);  // 19 characters and the zero
    const std::size_t length = 2 + 6 + tiff.size();
    Bytes out;
    out.reserve(12 + tiff.size() + plain.size());
    for (int b : {0xFF, 0xD8, 0xFF, 0xE1, int(length >> 8), int(length & 0xFF), int('E'), int('x'), int('i'), int('f'), 0, 0})
        out.push_back(static_cast<std::uint8_t>(b));
    out.insert(out.end(), tiff.begin(), tiff.end());
    out.insert(out.end(), plain.begin() + 2, plain.end());
    return out;
}

}  // namespace fixture
