#include "image/PhotoTime.h"

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
