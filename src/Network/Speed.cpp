#include "Network/Speed.h"

#include <cstdio>
#include <sstream>

SpeedCalculater::SpeedCalculater(TickSource ticks) : ticks_(ticks ? ticks : &SystemTicks)
{
    lastSample_ = lastCall_ = ticks_();
}

void SpeedCalculater::Start(std::uint64_t baseline)
{
    lastTotal_ = baseline;
    speed_ = 0;
    samples_ = 0;
    slots_[0] = slots_[1] = slots_[2] = 0;
    lastSample_ = lastCall_ = ticks_();
}

std::uint64_t SpeedCalculater::Sample(std::uint64_t total)
{
    const std::uint32_t now = ticks_();
    lastCall_ = now;
    // Unsigned difference: a wrap of the counter still gives the elapsed time.
    if (static_cast<std::uint32_t>(now - lastSample_) < 1000) return speed_;
    lastSample_ = now;
    slots_[samples_ % 3] = total - lastTotal_;
    ++samples_;
    lastTotal_ = total;
    const double sum = static_cast<double>(slots_[0]) + static_cast<double>(slots_[1]) + static_cast<double>(slots_[2]);
    speed_ = sum > 0 ? static_cast<std::uint64_t>(sum / 3) : 0;
    return speed_;
}

std::wstring PortableByteSize(std::uint64_t bytes)
{
    if (bytes < 1024) return std::to_wstring(bytes) + L" bytes";
    static const wchar_t* const units[] = {L"KB", L"MB", L"GB", L"TB", L"PB"};
    double v = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (v >= 1024 && unit < 4) {
        v /= 1024;
        ++unit;
    }
    // Three significant digits, truncated, as the system's formatter shows them.
    wchar_t buffer[32];
    if (v < 10)
        std::swprintf(buffer, 32, L"%.2f %ls", static_cast<double>(static_cast<std::uint64_t>(v * 100)) / 100,
                      units[unit]);
    else if (v < 100)
        std::swprintf(buffer, 32, L"%.1f %ls", static_cast<double>(static_cast<std::uint64_t>(v * 10)) / 10,
                      units[unit]);
    else
        std::swprintf(buffer, 32, L"%llu %ls", static_cast<unsigned long long>(v), units[unit]);
    return buffer;
}

#if !defined(SF_WIDE)
TString FormatSpeed(std::uint64_t v)
{
    if (v < 1024) return std::to_string(v) + "Bytes";
    static const struct {
        std::uint64_t size;
        const char* unit;
    } steps[] = {{1ull << 40, "TB"}, {1ull << 30, "GB"}, {1ull << 20, "MB"}, {1ull << 10, "KB"}};
    for (const auto& step : steps) {
        if (v >= step.size) {
            std::ostringstream out;
            out << static_cast<float>(static_cast<double>(v) / static_cast<double>(step.size)) << step.unit;
            return out.str();
        }
    }
    return std::string();
}
#endif

TString FormatRemainingTime(double x)
{
    if (!(x > 0)) return SF_T("00:00:00");
    // Beyond any real transfer, but converting it must stay defined.
    const auto s = x < 1e18 ? static_cast<std::uint64_t>(x) : std::uint64_t(1e18);
    const std::uint64_t hours = s / 3600 - 24 * (s / 86400);
    const std::uint64_t minutes = s / 60 - 60 * (s / 3600);
    const std::uint64_t seconds = s % 60;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02llu:%02llu:%02llu", static_cast<unsigned long long>(hours),
                  static_cast<unsigned long long>(minutes), static_cast<unsigned long long>(seconds));
    return TString(buffer, buffer + std::char_traits<char>::length(buffer));
}
