#include "npapi/Browser.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

NPNetscapeFuncs g_funcs{};

// The member at `offset` when the browser's table holds it, else null.
template <class Pointer>
Pointer Member(Pointer NPNetscapeFuncs::*member)
{
    const auto* base = reinterpret_cast<const char*>(&g_funcs);
    const auto offset = static_cast<std::size_t>(reinterpret_cast<const char*>(&(g_funcs.*member)) - base);
    return offset + sizeof(Pointer) <= g_funcs.size ? g_funcs.*member : nullptr;
}

}  // namespace

namespace Browser {

void Attach(const NPNetscapeFuncs& funcs)
{
    NPNetscapeFuncs copy{};
    std::memcpy(&copy, &funcs, std::min<std::size_t>(funcs.size, sizeof copy));
    copy.size = static_cast<std::uint16_t>(std::min<std::size_t>(funcs.size, sizeof copy));
    g_funcs = copy;
}

}  // namespace Browser

NPError NPN_GetValue(NPP instance, NPNVariable variable, void* value)
{
    auto f = Member(&NPNetscapeFuncs::getvalue);
    return f ? f(instance, variable, value) : NPError(NPERR_GENERIC_ERROR);
}

NPIdentifier NPN_GetStringIdentifier(const NPUTF8* name)
{
    auto f = Member(&NPNetscapeFuncs::getstringidentifier);
    return f ? f(name) : nullptr;
}

NPObject* NPN_CreateObject(NPP npp, NPClass* aClass)
{
    auto f = Member(&NPNetscapeFuncs::createobject);
    return f ? f(npp, aClass) : nullptr;
}

NPObject* NPN_RetainObject(NPObject* obj)
{
    auto f = Member(&NPNetscapeFuncs::retainobject);
    return f && obj ? f(obj) : obj;
}

void NPN_ReleaseObject(NPObject* obj)
{
    auto f = Member(&NPNetscapeFuncs::releaseobject);
    if (f && obj) f(obj);
}

bool NPN_Invoke(NPP npp, NPObject* obj, NPIdentifier methodName, const NPVariant* args, std::uint32_t argCount,
                NPVariant* result)
{
    auto f = Member(&NPNetscapeFuncs::invoke);
    return f && obj && f(npp, obj, methodName, args, argCount, result);
}

bool NPN_InvokeDefault(NPP npp, NPObject* obj, const NPVariant* args, std::uint32_t argCount, NPVariant* result)
{
    auto f = Member(&NPNetscapeFuncs::invokeDefault);
    return f && obj && f(npp, obj, args, argCount, result);
}

void* NPN_MemAlloc(std::uint32_t size)
{
    auto f = Member(&NPNetscapeFuncs::memalloc);
    return f ? f(size) : nullptr;
}

void NPN_MemFree(void* ptr)
{
    auto f = Member(&NPNetscapeFuncs::memfree);
    if (f && ptr) f(ptr);
}

void NPN_ReleaseVariantValue(NPVariant* variant)
{
    auto f = Member(&NPNetscapeFuncs::releasevariantvalue);
    if (f && variant) f(variant);
}

bool NPN_PluginThreadAsyncCall(NPP instance, void(__cdecl* func)(void*), void* userData)
{
    if ((g_funcs.version & 0xFF) < NPVERS_HAS_PLUGIN_THREAD_ASYNC_CALL) return false;
    auto f = Member(&NPNetscapeFuncs::pluginthreadasynccall);
    if (!f) return false;
    f(instance, func, userData);
    return true;
}
