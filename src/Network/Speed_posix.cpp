// The native build's stand-ins for the system tick counter and byte-size formatter.
#include <time.h>

#include "Network/Speed.h"

std::uint32_t SystemTicks()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u);
}

#if defined(SF_WIDE)
TString FormatSpeed(std::uint64_t bytesPerSecond) { return PortableByteSize(bytesPerSecond); }
#endif
