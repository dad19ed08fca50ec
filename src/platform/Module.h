#pragma once
// The module handle of the DLL this code is linked into (saved by DllMain).
#include <windows.h>

namespace Korvel {
HINSTANCE ThisModule();
void SetThisModule(HINSTANCE module);

// An export of a loaded module as the function type it has; null when it is missing.
template <class Function>
Function ProcAddress(HMODULE module, const char* name)
{
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
}  // namespace Korvel
