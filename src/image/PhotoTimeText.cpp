#include "image/PhotoTime.h"

#include <cstring>
#include <ctime>

namespace {

bool Digits(const char* p, int count, int& value)
{
    value = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9') return false;
        value = value * 10 + (p[i] - '0');
    }
    return true;
}

}  // namespace

bool ParsePhotoTime(const char* text, std::size_t length, std::int64_t& time)
{
    // 19 characters; the tag's terminating zero may or may not be counted in length.
    if (!text || length < 19) return false;
    const char* t = text;
    const bool colons = t[4] == ':' && t[7] == ':', hyphens = t[4] == '-' && t[7] == '-';
    if (!(colons || hyphens) || t[10] != ' ' || t[13] != ':' || t[16] != ':') return false;
    int year, month, day, hour, minute, second;
    if (!Digits(t, 4, year) || !Digits(t + 5, 2, month) || !Digits(t + 8, 2, day) || !Digits(t + 11, 2, hour) ||
        !Digits(t + 14, 2, minute) || !Digits(t + 17, 2, second))
        return false;
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return false;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    const std::time_t value = std::mktime(&tm);
    if (value == static_cast<std::time_t>(-1)) return false;
    time = static_cast<std::int64_t>(value);
    return true;
}

bool JpegExifPhotoTime(const std::uint8_t* data, std::size_t size, std::int64_t& time)
{
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
    std::size_t at = 2;
    while (at + 4 <= size && data[at] == 0xFF) {
        const std::uint8_t marker = data[at + 1];
        const std::size_t length = (std::size_t(data[at + 2]) << 8) | data[at + 3];
        if (marker == 0xDA || marker == 0xD9 || length < 2) return false;  // pixels begin: no block
        const std::uint8_t* body = data + at + 4;
        const std::size_t bodySize = length - 2;
        if (at + 2 + length > size) return false;
        if (marker == 0xE1 && bodySize >= 14 && std::memcmp(body, "Exif\0\0", 6) == 0) {
            const std::uint8_t* tiff = body + 6;
            const std::size_t n = bodySize - 6;
            const bool little = tiff[0] == 'I' && tiff[1] == 'I';
            if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return false;
            auto u16 = [&](std::size_t p) -> std::uint32_t {
                return little ? (tiff[p] | (tiff[p + 1] << 8)) : ((tiff[p] << 8) | tiff[p + 1]);
            };
            auto u32 = [&](std::size_t p) -> std::uint32_t {
                return little ? (u16(p) | (u16(p + 2) << 16)) : ((u16(p) << 16) | u16(p + 2));
            };
            const std::uint32_t ifd = u32(4);
            if (ifd < 8 || ifd + 2 > n) return false;
            const std::uint32_t entries = u16(ifd);
            for (std::uint32_t i = 0; i < entries; ++i) {
                const std::size_t e = ifd + 2 + 12 * std::size_t(i);
                if (e + 12 > n) return false;
                if (u16(e) != 0x132 || u16(e + 2) != 2) continue;
                const std::uint32_t count = u32(e + 4);
                const std::uint32_t offset = count <= 4 ? static_cast<std::uint32_t>(e + 8) : u32(e + 8);
                if (count > n || offset > n - count) return false;
                return ParsePhotoTime(reinterpret_cast<const char*>(tiff + offset), count, time);
            }
            return false;
        }
        at += 2 + length;
    }
    return false;
}
