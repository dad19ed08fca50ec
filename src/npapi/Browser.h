#pragma once
// The browser's side of the API as the plug-in calls it. NP_Initialize keeps a copy of the
// browser's table; each call checks that the browser's table reaches that far and has the
// function, and does nothing (or fails) when it does not.
#include "npapi/NpApi.h"

namespace Browser {

// Keeps a copy of as much of the browser's table as it says it has.
void Attach(const NPNetscapeFuncs& funcs);

}  // namespace Browser

NPError NPN_GetValue(NPP instance, NPNVariable variable, void* value);
NPIdentifier NPN_GetStringIdentifier(const NPUTF8* name);
NPObject* NPN_CreateObject(NPP npp, NPClass* aClass);
NPObject* NPN_RetainObject(NPObject* obj);
void NPN_ReleaseObject(NPObject* obj);
bool NPN_Invoke(NPP npp, NPObject* obj, NPIdentifier methodName, const NPVariant* args, std::uint32_t argCount,
                NPVariant* result);
bool NPN_InvokeDefault(NPP npp, NPObject* obj, const NPVariant* args, std::uint32_t argCount, NPVariant* result);
void* NPN_MemAlloc(std::uint32_t size);
void NPN_MemFree(void* ptr);
void NPN_ReleaseVariantValue(NPVariant* variant);
// False when the browser has no such service (the call is then not made).
bool NPN_PluginThreadAsyncCall(NPP instance, void(__cdecl* func)(void*), void* userData);
