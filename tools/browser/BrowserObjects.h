#pragma once
// The browser's object runtime: interned identifiers, object creation and reference
// counts, and calls on objects through their classes, as a browser provides them to
// plug-ins. Shared by the test browser's function table and by the script bridge.
#include <string>

#include "npapi/NpApi.h"

namespace TestBrowserRuntime {

NPIdentifier __cdecl GetStringIdentifier(const NPUTF8* name);
void __cdecl GetStringIdentifiers(const NPUTF8** names, std::int32_t count, NPIdentifier* identifiers);
NPIdentifier __cdecl GetIntIdentifier(std::int32_t value);
bool __cdecl IdentifierIsString(NPIdentifier identifier);
NPUTF8* __cdecl UTF8FromIdentifier(NPIdentifier identifier);
std::int32_t __cdecl IntFromIdentifier(NPIdentifier identifier);
// The name of a string identifier ("" for others), without allocating for the caller.
std::string IdentifierName(NPIdentifier identifier);

void* __cdecl MemAlloc(std::uint32_t size);
void __cdecl MemFree(void* pointer);

NPObject* __cdecl CreateObject(NPP npp, NPClass* aClass);
NPObject* __cdecl RetainObject(NPObject* object);
void __cdecl ReleaseObject(NPObject* object);
void __cdecl ReleaseVariantValue(NPVariant* variant);

bool __cdecl Invoke(NPP npp, NPObject* object, NPIdentifier name, const NPVariant* args, std::uint32_t count,
                    NPVariant* result);
bool __cdecl InvokeDefault(NPP npp, NPObject* object, const NPVariant* args, std::uint32_t count, NPVariant* result);
bool __cdecl GetProperty(NPP npp, NPObject* object, NPIdentifier name, NPVariant* result);
bool __cdecl SetProperty(NPP npp, NPObject* object, NPIdentifier name, const NPVariant* value);
bool __cdecl RemoveProperty(NPP npp, NPObject* object, NPIdentifier name);
bool __cdecl HasProperty(NPP npp, NPObject* object, NPIdentifier name);
bool __cdecl HasMethod(NPP npp, NPObject* object, NPIdentifier name);
bool __cdecl Enumerate(NPP npp, NPObject* object, NPIdentifier** identifiers, std::uint32_t* count);
bool __cdecl Construct(NPP npp, NPObject* object, const NPVariant* args, std::uint32_t count, NPVariant* result);
void __cdecl SetException(NPObject* object, const NPUTF8* message);

// The last message a plug-in gave with SetException (emptied by reading).
std::string TakeException();

// Values made by the browser side: a string in MemAlloc memory, and the text of a string value.
NPVariant StringVariant(const std::string& text);
std::string VariantText(const NPVariant& value);

}  // namespace TestBrowserRuntime
