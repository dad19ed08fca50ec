#pragma once
// Pictures made by the tests themselves, and small helpers around them.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "image/CxImage.h"
#include "platform/Text.h"

namespace fixture {

using Bytes = std::vector<std::uint8_t>;

// 24 bits: every pixel differs from its neighbours, so turns and copies show.
CxImage Gradient(std::uint32_t width, std::uint32_t height);
// A paletted picture; grey when asked (equal red, green and blue in every entry).
CxImage Paletted(std::uint32_t width, std::uint32_t height, std::uint32_t bpp, bool grey);
// One colour everywhere.
CxImage Solid(std::uint32_t width, std::uint32_t height, std::uint8_t r, std::uint8_t g, std::uint8_t b);

Bytes Encode(const CxImage& image, std::uint32_t format);
CxImage Decode(const Bytes& bytes, std::uint32_t format = CXIMAGE_FORMAT_UNKNOWN);
bool SamePixels(const CxImage& a, const CxImage& b);
int MaxChannelDifference(const CxImage& a, const CxImage& b);

// A JPEG of ours with an Exif block holding only the DateTime tag (19 characters).
Bytes JpegWithDateTime(const char* text);

// The time value of a local calendar time (the C library's mktime, daylight saving its own).
std::int64_t LocalTimeValue(int year, int month, int day, int hour, int minute, int second);

// A folder of its own under the system temp folder, removed at scope exit.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TString File(const std::string& name) const;
    bool Write(const std::string& name, const Bytes& bytes) const;
    Bytes Read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// Little-endian writers for hand-made files.
void Put16(Bytes& out, std::uint32_t v);
void Put32(Bytes& out, std::uint32_t v);

}  // namespace fixture
