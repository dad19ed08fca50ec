#pragma once
// Transfer speed as a moving average of the last three one-second samples, and the texts
// shown for a speed and for a remaining time.
#include <cstdint>

#include "platform/Text.h"

class SpeedCalculater {
public:
    // Milliseconds of a counter that wraps at 2^32, like the system tick count.
    using TickSource = std::uint32_t (*)();

    explicit SpeedCalculater(TickSource ticks = nullptr);
    virtual ~SpeedCalculater() = default;

    void Start(std::uint64_t baseline);
    // Takes the running total of the transfer; the estimate changes at most once a second.
    std::uint64_t Sample(std::uint64_t total);
    std::uint64_t Speed() const { return speed_; }

private:
    TickSource ticks_;
    std::uint32_t samples_ = 0;
    std::uint64_t lastTotal_ = 0;
    std::uint64_t speed_ = 0;
    std::uint64_t slots_[3] = {0, 0, 0};
    std::uint32_t lastSample_ = 0;
    std::uint32_t lastCall_ = 0;
};

// The tick counter used when none is given.
std::uint32_t SystemTicks();

TString FormatSpeed(std::uint64_t bytesPerSecond);
TString FormatRemainingTime(double seconds);

// The byte-size text of the ActiveX control where the system's formatter is unavailable
// (the native build): a few significant digits and bytes, KB, MB, GB, TB or PB.
std::wstring PortableByteSize(std::uint64_t bytes);
