#pragma once
// The three functions a browser looks up by name in the plug-in's DLL.
#include "npapi/NpApi.h"

extern "C" {
NPError WINAPI NP_GetEntryPoints(NPPluginFuncs* funcs);
NPError WINAPI NP_Initialize(NPNetscapeFuncs* funcs);
NPError WINAPI NP_Shutdown();
}
