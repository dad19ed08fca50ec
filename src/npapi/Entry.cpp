// The plug-in's entry points: the three exports a browser looks up by name and the NPP_
// functions it finds in the table NP_GetEntryPoints fills. No exception leaves here.
#include <new>
#include <type_traits>

#include "npapi/Browser.h"
#include "npapi/Entry.h"
#include "npapi/Identity.h"
#include "npapi/NpApi.h"
#include "npapi/Plugin.h"

namespace {

// The API level this plug-in fills its table for.
constexpr std::uint16_t kPluginVersion = (NP_VERSION_MAJOR << 8) | NPVERS_HAS_CLEAR_SITE_DATA;

CPlugin* PluginOf(NPP instance) { return static_cast<CPlugin*>(instance->pdata); }

NPError __cdecl NPP_New(NPMIMEType, NPP instance, std::uint16_t, std::int16_t, char*[], char*[], NPSavedData*)
{
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    try {
        CPlugin* plugin = new (std::nothrow) CPlugin(instance);
        if (!plugin) return NPERR_OUT_OF_MEMORY_ERROR;
        instance->pdata = plugin;
        return NPERR_NO_ERROR;
    } catch (const std::bad_alloc&) {
        return NPERR_OUT_OF_MEMORY_ERROR;
    } catch (...) {
        return NPERR_GENERIC_ERROR;
    }
}

NPError __cdecl NPP_Destroy(NPP instance, NPSavedData**)
{
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    CPlugin* plugin = PluginOf(instance);
    instance->pdata = nullptr;
    try {
        if (plugin) plugin->Shutdown();
    } catch (...) {
    }
    delete plugin;
    return NPERR_NO_ERROR;
}

NPError __cdecl NPP_SetWindow(NPP instance, NPWindow* window)
{
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    CPlugin* plugin = PluginOf(instance);
    if (!window || !plugin) return NPERR_GENERIC_ERROR;
    // Later calls (a new size or place, or no handle) change nothing: the panel follows its
    // window's own size messages.
    if (!plugin->IsInitialised() && window->window) {
        try {
            plugin->Initialise(window);
        } catch (...) {
            return NPERR_GENERIC_ERROR;
        }
    }
    return NPERR_NO_ERROR;
}

NPError __cdecl NPP_NewStream(NPP instance, NPMIMEType, NPStream*, NPBool, std::uint16_t*)
{
    return instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR;
}

NPError __cdecl NPP_DestroyStream(NPP instance, NPStream*, NPReason)
{
    return instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR;
}

void __cdecl NPP_StreamAsFile(NPP, NPStream*, const char*) {}

// Stream data is taken whole and dropped.
std::int32_t __cdecl NPP_WriteReady(NPP instance, NPStream*)
{
    return instance ? 0x0FFFFFFF : NPERR_INVALID_INSTANCE_ERROR;
}

std::int32_t __cdecl NPP_Write(NPP instance, NPStream*, std::int32_t, std::int32_t len, void*)
{
    return instance ? len : NPERR_INVALID_INSTANCE_ERROR;
}

void __cdecl NPP_Print(NPP, NPPrint*) {}

// Windowed: the plug-in's window gets its own messages.
std::int16_t __cdecl NPP_HandleEvent(NPP, void*) { return 0; }

void __cdecl NPP_URLNotify(NPP, const char*, NPReason, void*) {}

NPError __cdecl NPP_GetValue(NPP instance, NPPVariable variable, void* value)
{
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    CPlugin* plugin = PluginOf(instance);
    if (!plugin || !value) return NPERR_GENERIC_ERROR;
    switch (variable) {
    case NPPVpluginNameString:
        *static_cast<const char**>(value) = PluginIdentity::kName;
        return NPERR_NO_ERROR;
    case NPPVpluginDescriptionString:
        *static_cast<const char**>(value) = PluginIdentity::kDescription;
        return NPERR_NO_ERROR;
    case NPPVpluginScriptableNPObject: {
        NPObject* object = nullptr;
        try {
            object = plugin->GetScriptableObject();
        } catch (...) {
        }
        *static_cast<NPObject**>(value) = object;
        return object ? NPERR_NO_ERROR : NPERR_OUT_OF_MEMORY_ERROR;
    }
    default:
        return NPERR_GENERIC_ERROR;
    }
}

NPError __cdecl NPP_SetValue(NPP instance, NPNVariable, void*)
{
    return instance ? NPERR_NO_ERROR : NPERR_INVALID_INSTANCE_ERROR;
}

}  // namespace

extern "C" {

NPError WINAPI NP_GetEntryPoints(NPPluginFuncs* funcs)
{
    if (!funcs) return NPERR_INVALID_FUNCTABLE_ERROR;
    // The size stays as the browser set it.
    funcs->version = kPluginVersion;
    funcs->newp = &NPP_New;
    funcs->destroy = &NPP_Destroy;
    funcs->setwindow = &NPP_SetWindow;
    funcs->newstream = &NPP_NewStream;
    funcs->destroystream = &NPP_DestroyStream;
    funcs->asfile = &NPP_StreamAsFile;
    funcs->writeready = &NPP_WriteReady;
    funcs->write = &NPP_Write;
    funcs->print = &NPP_Print;
    funcs->event = &NPP_HandleEvent;
    funcs->urlnotify = &NPP_URLNotify;
    funcs->javaClass = nullptr;
    funcs->getvalue = &NPP_GetValue;
    funcs->setvalue = &NPP_SetValue;
    return NPERR_NO_ERROR;
}

NPError WINAPI NP_Initialize(NPNetscapeFuncs* funcs)
{
    if (!funcs) return NPERR_INVALID_FUNCTABLE_ERROR;
    if ((funcs->version >> 8) > NP_VERSION_MAJOR) return NPERR_INCOMPATIBLE_VERSION_ERROR;
    Browser::Attach(*funcs);
    return NPERR_NO_ERROR;
}

NPError WINAPI NP_Shutdown() { return NPERR_NO_ERROR; }

}  // extern "C"

// The exports keep the browser's expected types.
static_assert(std::is_same_v<decltype(&NP_GetEntryPoints), NP_GetEntryPointsFunc>);
static_assert(std::is_same_v<decltype(&NP_Initialize), NP_InitializeFunc>);
static_assert(std::is_same_v<decltype(&NP_Shutdown), NP_ShutdownFunc>);
