#include <windows.h>

#include "platform/Module.h"

// Both DLLs: nothing here but remembering which module we are; everything else starts on
// first use.
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) Korvel::SetThisModule(module);
    return TRUE;
}
