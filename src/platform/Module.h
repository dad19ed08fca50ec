#pragma once
// The module handle of the DLL this code is linked into (saved by DllMain).
#include <windows.h>

namespace Korvel {
HINSTANCE ThisModule();
void SetThisModule(HINSTANCE module);
}  // namespace Korvel
