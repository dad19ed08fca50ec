#pragma once
// Registers one of our window classes in this module, the first time it is asked for.
#include <windows.h>

namespace Korvel::UI {

// True when the class exists afterwards. The arrow cursor; no brush unless given one.
bool RegisterWindowClassOnce(const wchar_t* name, WNDPROC proc, UINT style = 0, HBRUSH background = nullptr);

}  // namespace Korvel::UI
