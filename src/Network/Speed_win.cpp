// The system tick counter, and the system's byte-size text for the ActiveX control's speeds.
#include "Network/Speed.h"

#include <windows.h>
#include <shlwapi.h>

std::uint32_t SystemTicks() { return ::GetTickCount(); }

#if defined(SF_WIDE)
TString FormatSpeed(std::uint64_t bytesPerSecond)
{
    wchar_t buffer[19] = {};
    if (!::StrFormatByteSizeW(static_cast<LONGLONG>(bytesPerSecond), buffer, 19)) return PortableByteSize(bytesPerSecond);
    return buffer;
}
#endif
