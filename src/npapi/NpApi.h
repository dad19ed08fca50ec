#pragma once
// The Netscape plug-in API as this plug-in and our test browser use it: the published names,
// field order, types and values, written for Windows (no ws_info in NPWindow, the three-field
// NPEvent, HRGN regions) with natural alignment. Table members and class callbacks are cdecl;
// only the three exported entry points are stdcall (NP_EXPORT_CALL). NpApiLayout.h checks
// every structure against the sizes and offsets browsers were built with.
#include <windows.h>

#include <cstdint>

// ---- basic types ----
using NPError = std::int16_t;
using NPReason = std::int16_t;
using NPBool = unsigned char;
using NPMIMEType = char*;
using NPUTF8 = char;
using NPIdentifier = void*;
using NPRegion = HRGN;
using NPMenu = void;

struct NPP_t {
    void* pdata;  // the plug-in's
    void* ndata;  // the browser's
};
using NPP = NPP_t*;

// ---- result codes and constants ----
enum : NPError {
    NPERR_NO_ERROR = 0,
    NPERR_GENERIC_ERROR = 1,
    NPERR_INVALID_INSTANCE_ERROR = 2,
    NPERR_INVALID_FUNCTABLE_ERROR = 3,
    NPERR_MODULE_LOAD_FAILED_ERROR = 4,
    NPERR_OUT_OF_MEMORY_ERROR = 5,
    NPERR_INVALID_PLUGIN_ERROR = 6,
    NPERR_INVALID_PLUGIN_DIR_ERROR = 7,
    NPERR_INCOMPATIBLE_VERSION_ERROR = 8,
    NPERR_INVALID_PARAM = 9,
    NPERR_INVALID_URL = 10,
    NPERR_FILE_NOT_FOUND = 11,
    NPERR_NO_DATA = 12,
    NPERR_STREAM_NOT_SEEKABLE = 13,
};

enum : NPReason { NPRES_DONE = 0, NPRES_NETWORK_ERR = 1, NPRES_USER_BREAK = 2 };

constexpr int NP_VERSION_MAJOR = 0;
constexpr int NP_VERSION_MINOR = 29;
constexpr int NPVERS_HAS_NPRUNTIME_SCRIPTING = 14;
constexpr int NPVERS_HAS_PLUGIN_THREAD_ASYNC_CALL = 19;
constexpr int NPVERS_HAS_CLEAR_SITE_DATA = 27;

constexpr std::uint16_t NP_EMBED = 1;
constexpr std::uint16_t NP_FULL = 2;
constexpr std::uint16_t NP_NORMAL = 1;
constexpr std::uint16_t NP_SEEK = 2;
constexpr std::uint16_t NP_ASFILE = 3;
constexpr std::uint16_t NP_ASFILEONLY = 4;
constexpr std::int32_t NP_MAXREADY = 0x7FFFFFFF;

enum NPPVariable {
    NPPVpluginNameString = 1,
    NPPVpluginDescriptionString = 2,
    NPPVpluginWindowBool = 3,
    NPPVpluginTransparentBool = 4,
    NPPVjavaClass = 5,
    NPPVpluginWindowSize = 6,
    NPPVpluginTimerInterval = 7,
    NPPVpluginScriptableInstance = 10,
    NPPVpluginScriptableIID = 11,
    NPPVjavascriptPushCallerBool = 12,
    NPPVpluginKeepLibraryInMemory = 13,
    NPPVpluginNeedsXEmbed = 14,
    NPPVpluginScriptableNPObject = 15,
    NPPVformValue = 16,
    NPPVpluginUrlRequestsDisplayedBool = 17,
    NPPVpluginWantsAllNetworkStreams = 18,
    NPPVpluginNativeAccessibleAtkPlugId = 19,
    NPPVpluginCancelSrcStream = 20,
    NPPVsupportsAdvancedKeyHandling = 21,
    NPPVpluginUsesDOMForCursorBool = 22,
    NPPVpluginDrawingModel = 1000,
    NPPVpluginIsPlayingAudio = 4000,
};

enum NPNVariable {
    NPNVxDisplay = 1,
    NPNVxtAppContext = 2,
    NPNVnetscapeWindow = 3,
    NPNVjavascriptEnabledBool = 4,
    NPNVasdEnabledBool = 5,
    NPNVisOfflineBool = 6,
    NPNVserviceManager = 10,
    NPNVDOMElement = 11,
    NPNVDOMWindow = 12,
    NPNVToolkit = 13,
    NPNVSupportsXEmbedBool = 14,
    NPNVWindowNPObject = 15,
    NPNVPluginElementNPObject = 16,
    NPNVSupportsWindowless = 17,
    NPNVprivateModeBool = 18,
    NPNVsupportsAdvancedKeyHandling = 21,
    NPNVdocumentOrigin = 22,
    NPNVCSSZoomFactor = 23,
    NPNVpluginDrawingModel = 1000,
    NPNVsupportsAsyncBitmapSurfaceBool = 2007,
    NPNVsupportsAsyncWindowsDXGISurfaceBool = 2008,
    NPNVpreferredDXGIAdapter = 2009,
    NPNVmuteAudioBool = 4000,
};

enum NPWindowType { NPWindowTypeWindow = 1, NPWindowTypeDrawable = 2 };
enum NPFocusDirection { NPFocusNext = 0, NPFocusPrevious = 1 };
enum NPNURLVariable { NPNURLVCookie = 501, NPNURLVProxy = 502 };
enum NPCoordinateSpace {
    NPCoordinateSpacePlugin = 1,
    NPCoordinateSpaceWindow,
    NPCoordinateSpaceFlippedWindow,
    NPCoordinateSpaceScreen,
    NPCoordinateSpaceFlippedScreen
};
enum NPImageFormat { NPImageFormatBGRA32 = 1, NPImageFormatBGRX32 = 2 };

// ---- structures ----
struct NPRect {
    std::uint16_t top, left, bottom, right;
};

struct NPSize {
    std::int32_t width, height;
};

struct NPWindow {
    void* window;  // the plug-in's child HWND (windowed)
    std::int32_t x, y;
    std::uint32_t width, height;
    NPRect clipRect;
    NPWindowType type;
};

struct NPSavedData {
    std::int32_t len;
    void* buf;
};

struct NPStream {
    void* pdata;
    void* ndata;
    const char* url;
    std::uint32_t end;
    std::uint32_t lastmodified;
    void* notifyData;
    const char* headers;
};

struct NPByteRange {
    std::int32_t offset;
    std::uint32_t length;
    NPByteRange* next;
};

struct NPFullPrint {
    NPBool pluginPrinted;
    NPBool printOne;
    void* platformPrint;
};

struct NPEmbedPrint {
    NPWindow window;
    void* platformPrint;
};

struct NPPrint {
    std::uint16_t mode;
    union {
        NPFullPrint fullPrint;
        NPEmbedPrint embedPrint;
    } print;
};

struct NPEvent {
    std::uint16_t event;
    std::uintptr_t wParam;
    std::uintptr_t lParam;
};

struct NPAsyncSurface;  // only its address is passed

// ---- the scripting runtime ----
struct NPClass;

struct NPObject {
    NPClass* _class;
    std::uint32_t referenceCount;
};

struct NPString {
    const NPUTF8* UTF8Characters;  // not necessarily terminated
    std::uint32_t UTF8Length;      // bytes
};

enum NPVariantType {
    NPVariantType_Void,
    NPVariantType_Null,
    NPVariantType_Bool,
    NPVariantType_Int32,
    NPVariantType_Double,
    NPVariantType_String,
    NPVariantType_Object
};

struct NPVariant {
    NPVariantType type;
    union {
        bool boolValue;
        std::int32_t intValue;
        double doubleValue;
        NPString stringValue;
        NPObject* objectValue;
    } value;
};

using NPAllocateFunctionPtr = NPObject*(__cdecl*)(NPP npp, NPClass* aClass);
using NPDeallocateFunctionPtr = void(__cdecl*)(NPObject* npobj);
using NPInvalidateFunctionPtr = void(__cdecl*)(NPObject* npobj);
using NPHasMethodFunctionPtr = bool(__cdecl*)(NPObject* npobj, NPIdentifier name);
using NPInvokeFunctionPtr = bool(__cdecl*)(NPObject* npobj, NPIdentifier name, const NPVariant* args,
                                           std::uint32_t argCount, NPVariant* result);
using NPInvokeDefaultFunctionPtr = bool(__cdecl*)(NPObject* npobj, const NPVariant* args, std::uint32_t argCount,
                                                  NPVariant* result);
using NPHasPropertyFunctionPtr = bool(__cdecl*)(NPObject* npobj, NPIdentifier name);
using NPGetPropertyFunctionPtr = bool(__cdecl*)(NPObject* npobj, NPIdentifier name, NPVariant* result);
using NPSetPropertyFunctionPtr = bool(__cdecl*)(NPObject* npobj, NPIdentifier name, const NPVariant* value);
using NPRemovePropertyFunctionPtr = bool(__cdecl*)(NPObject* npobj, NPIdentifier name);
using NPEnumerationFunctionPtr = bool(__cdecl*)(NPObject* npobj, NPIdentifier** value, std::uint32_t* count);
using NPConstructFunctionPtr = bool(__cdecl*)(NPObject* npobj, const NPVariant* args, std::uint32_t argCount,
                                              NPVariant* result);

constexpr std::uint32_t NP_CLASS_STRUCT_VERSION = 3;
constexpr std::uint32_t NP_CLASS_STRUCT_VERSION_ENUM = 2;
constexpr std::uint32_t NP_CLASS_STRUCT_VERSION_CTOR = 3;

struct NPClass {
    std::uint32_t structVersion;
    NPAllocateFunctionPtr allocate;
    NPDeallocateFunctionPtr deallocate;
    NPInvalidateFunctionPtr invalidate;
    NPHasMethodFunctionPtr hasMethod;
    NPInvokeFunctionPtr invoke;
    NPInvokeDefaultFunctionPtr invokeDefault;
    NPHasPropertyFunctionPtr hasProperty;
    NPGetPropertyFunctionPtr getProperty;
    NPSetPropertyFunctionPtr setProperty;
    NPRemovePropertyFunctionPtr removeProperty;
    NPEnumerationFunctionPtr enumerate;
    NPConstructFunctionPtr construct;
};

// ---- the plug-in's function table (filled by NP_GetEntryPoints) ----
using NPP_NewProcPtr = NPError(__cdecl*)(NPMIMEType pluginType, NPP instance, std::uint16_t mode, std::int16_t argc,
                                         char* argn[], char* argv[], NPSavedData* saved);
using NPP_DestroyProcPtr = NPError(__cdecl*)(NPP instance, NPSavedData** save);
using NPP_SetWindowProcPtr = NPError(__cdecl*)(NPP instance, NPWindow* window);
using NPP_NewStreamProcPtr = NPError(__cdecl*)(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                                               std::uint16_t* stype);
using NPP_DestroyStreamProcPtr = NPError(__cdecl*)(NPP instance, NPStream* stream, NPReason reason);
using NPP_StreamAsFileProcPtr = void(__cdecl*)(NPP instance, NPStream* stream, const char* fname);
using NPP_WriteReadyProcPtr = std::int32_t(__cdecl*)(NPP instance, NPStream* stream);
using NPP_WriteProcPtr = std::int32_t(__cdecl*)(NPP instance, NPStream* stream, std::int32_t offset,
                                                std::int32_t len, void* buffer);
using NPP_PrintProcPtr = void(__cdecl*)(NPP instance, NPPrint* platformPrint);
using NPP_HandleEventProcPtr = std::int16_t(__cdecl*)(NPP instance, void* event);
using NPP_URLNotifyProcPtr = void(__cdecl*)(NPP instance, const char* url, NPReason reason, void* notifyData);
using NPP_GetValueProcPtr = NPError(__cdecl*)(NPP instance, NPPVariable variable, void* ret_value);
using NPP_SetValueProcPtr = NPError(__cdecl*)(NPP instance, NPNVariable variable, void* value);
using NPP_GotFocusPtr = NPBool(__cdecl*)(NPP instance, NPFocusDirection direction);
using NPP_LostFocusPtr = void(__cdecl*)(NPP instance);
using NPP_URLRedirectNotifyPtr = void(__cdecl*)(NPP instance, const char* url, std::int32_t status, void* notifyData);
using NPP_ClearSiteDataPtr = NPError(__cdecl*)(const char* site, std::uint64_t flags, std::uint64_t maxAge);
using NPP_GetSitesWithDataPtr = char**(__cdecl*)();
using NPP_DidCompositePtr = void(__cdecl*)(NPP instance);

struct NPPluginFuncs {
    std::uint16_t size;
    std::uint16_t version;
    NPP_NewProcPtr newp;
    NPP_DestroyProcPtr destroy;
    NPP_SetWindowProcPtr setwindow;
    NPP_NewStreamProcPtr newstream;
    NPP_DestroyStreamProcPtr destroystream;
    NPP_StreamAsFileProcPtr asfile;
    NPP_WriteReadyProcPtr writeready;
    NPP_WriteProcPtr write;
    NPP_PrintProcPtr print;
    NPP_HandleEventProcPtr event;
    NPP_URLNotifyProcPtr urlnotify;
    void* javaClass;
    NPP_GetValueProcPtr getvalue;
    NPP_SetValueProcPtr setvalue;
    NPP_GotFocusPtr gotfocus;
    NPP_LostFocusPtr lostfocus;
    NPP_URLRedirectNotifyPtr urlredirectnotify;
    NPP_ClearSiteDataPtr clearsitedata;
    NPP_GetSitesWithDataPtr getsiteswithdata;
    NPP_DidCompositePtr didComposite;
};

// ---- the browser's function table (given to NP_Initialize) ----
using NPN_GetURLProcPtr = NPError(__cdecl*)(NPP instance, const char* url, const char* window);
using NPN_PostURLProcPtr = NPError(__cdecl*)(NPP instance, const char* url, const char* window, std::uint32_t len,
                                             const char* buf, NPBool file);
using NPN_RequestReadProcPtr = NPError(__cdecl*)(NPStream* stream, NPByteRange* rangeList);
using NPN_NewStreamProcPtr = NPError(__cdecl*)(NPP instance, NPMIMEType type, const char* window, NPStream** stream);
using NPN_WriteProcPtr = std::int32_t(__cdecl*)(NPP instance, NPStream* stream, std::int32_t len, void* buffer);
using NPN_DestroyStreamProcPtr = NPError(__cdecl*)(NPP instance, NPStream* stream, NPReason reason);
using NPN_StatusProcPtr = void(__cdecl*)(NPP instance, const char* message);
using NPN_UserAgentProcPtr = const char*(__cdecl*)(NPP instance);
using NPN_MemAllocProcPtr = void*(__cdecl*)(std::uint32_t size);
using NPN_MemFreeProcPtr = void(__cdecl*)(void* ptr);
using NPN_MemFlushProcPtr = std::uint32_t(__cdecl*)(std::uint32_t size);
using NPN_ReloadPluginsProcPtr = void(__cdecl*)(NPBool reloadPages);
using NPN_GetJavaEnvProcPtr = void*(__cdecl*)();
using NPN_GetJavaPeerProcPtr = void*(__cdecl*)(NPP instance);
using NPN_GetURLNotifyProcPtr = NPError(__cdecl*)(NPP instance, const char* url, const char* window, void* notifyData);
using NPN_PostURLNotifyProcPtr = NPError(__cdecl*)(NPP instance, const char* url, const char* window,
                                                   std::uint32_t len, const char* buf, NPBool file, void* notifyData);
using NPN_GetValueProcPtr = NPError(__cdecl*)(NPP instance, NPNVariable variable, void* ret_value);
using NPN_SetValueProcPtr = NPError(__cdecl*)(NPP instance, NPPVariable variable, void* value);
using NPN_InvalidateRectProcPtr = void(__cdecl*)(NPP instance, NPRect* rect);
using NPN_InvalidateRegionProcPtr = void(__cdecl*)(NPP instance, NPRegion region);
using NPN_ForceRedrawProcPtr = void(__cdecl*)(NPP instance);
using NPN_GetStringIdentifierProcPtr = NPIdentifier(__cdecl*)(const NPUTF8* name);
using NPN_GetStringIdentifiersProcPtr = void(__cdecl*)(const NPUTF8** names, std::int32_t nameCount,
                                                       NPIdentifier* identifiers);
using NPN_GetIntIdentifierProcPtr = NPIdentifier(__cdecl*)(std::int32_t intid);
using NPN_IdentifierIsStringProcPtr = bool(__cdecl*)(NPIdentifier identifier);
using NPN_UTF8FromIdentifierProcPtr = NPUTF8*(__cdecl*)(NPIdentifier identifier);
using NPN_IntFromIdentifierProcPtr = std::int32_t(__cdecl*)(NPIdentifier identifier);
using NPN_CreateObjectProcPtr = NPObject*(__cdecl*)(NPP npp, NPClass* aClass);
using NPN_RetainObjectProcPtr = NPObject*(__cdecl*)(NPObject* obj);
using NPN_ReleaseObjectProcPtr = void(__cdecl*)(NPObject* obj);
using NPN_InvokeProcPtr = bool(__cdecl*)(NPP npp, NPObject* obj, NPIdentifier methodName, const NPVariant* args,
                                         std::uint32_t argCount, NPVariant* result);
using NPN_InvokeDefaultProcPtr = bool(__cdecl*)(NPP npp, NPObject* obj, const NPVariant* args, std::uint32_t argCount,
                                                NPVariant* result);
using NPN_EvaluateProcPtr = bool(__cdecl*)(NPP npp, NPObject* obj, NPString* script, NPVariant* result);
using NPN_GetPropertyProcPtr = bool(__cdecl*)(NPP npp, NPObject* obj, NPIdentifier propertyName, NPVariant* result);
using NPN_SetPropertyProcPtr = bool(__cdecl*)(NPP npp, NPObject* obj, NPIdentifier propertyName,
                                              const NPVariant* value);
using NPN_RemovePropertyProcPtr = bool(__cdecl*)(NPP npp, NPObject* obj, NPIdentifier propertyName);
using NPN_HasPropertyProcPtr = bool(__cdecl*)(NPP npp, NPObject* obj, NPIdentifier propertyName);
using NPN_HasMethodProcPtr = bool(__cdecl*)(NPP npp, NPObject* obj, NPIdentifier propertyName);
using NPN_ReleaseVariantValueProcPtr = void(__cdecl*)(NPVariant* variant);
using NPN_SetExceptionProcPtr = void(__cdecl*)(NPObject* obj, const NPUTF8* message);
using NPN_PushPopupsEnabledStateProcPtr = void(__cdecl*)(NPP npp, NPBool enabled);
using NPN_PopPopupsEnabledStateProcPtr = void(__cdecl*)(NPP npp);
using NPN_EnumerateProcPtr = bool(__cdecl*)(NPP npp, NPObject* obj, NPIdentifier** identifier, std::uint32_t* count);
using NPN_PluginThreadAsyncCallProcPtr = void(__cdecl*)(NPP instance, void(__cdecl* func)(void*), void* userData);
using NPN_ConstructProcPtr = bool(__cdecl*)(NPP npp, NPObject* obj, const NPVariant* args, std::uint32_t argCount,
                                            NPVariant* result);
using NPN_GetValueForURLPtr = NPError(__cdecl*)(NPP npp, NPNURLVariable variable, const char* url, char** value,
                                                std::uint32_t* len);
using NPN_SetValueForURLPtr = NPError(__cdecl*)(NPP npp, NPNURLVariable variable, const char* url, const char* value,
                                                std::uint32_t len);
using NPN_GetAuthenticationInfoPtr = NPError(__cdecl*)(NPP npp, const char* protocol, const char* host,
                                                       std::int32_t port, const char* scheme, const char* realm,
                                                       char** username, std::uint32_t* ulen, char** password,
                                                       std::uint32_t* plen);
using NPN_ScheduleTimerPtr = std::uint32_t(__cdecl*)(NPP instance, std::uint32_t interval, NPBool repeat,
                                                     void(__cdecl* timerFunc)(NPP npp, std::uint32_t timerID));
using NPN_UnscheduleTimerPtr = void(__cdecl*)(NPP instance, std::uint32_t timerID);
using NPN_PopUpContextMenuPtr = NPError(__cdecl*)(NPP instance, NPMenu* menu);
using NPN_ConvertPointPtr = NPBool(__cdecl*)(NPP instance, double sourceX, double sourceY,
                                             NPCoordinateSpace sourceSpace, double* destX, double* destY,
                                             NPCoordinateSpace destSpace);
using NPN_HandleEventPtr = NPBool(__cdecl*)(NPP instance, void* event, NPBool handled);
using NPN_UnfocusInstancePtr = NPBool(__cdecl*)(NPP instance, NPFocusDirection direction);
using NPN_URLRedirectResponsePtr = void(__cdecl*)(NPP instance, void* notifyData, NPBool allow);
using NPN_InitAsyncSurfacePtr = NPError(__cdecl*)(NPP instance, NPSize* size, NPImageFormat format, void* initData,
                                                  NPAsyncSurface* surface);
using NPN_FinalizeAsyncSurfacePtr = NPError(__cdecl*)(NPP instance, NPAsyncSurface* surface);
using NPN_SetCurrentAsyncSurfacePtr = void(__cdecl*)(NPP instance, NPAsyncSurface* surface, NPRect* changed);

struct NPNetscapeFuncs {
    std::uint16_t size;
    std::uint16_t version;
    NPN_GetURLProcPtr geturl;
    NPN_PostURLProcPtr posturl;
    NPN_RequestReadProcPtr requestread;
    NPN_NewStreamProcPtr newstream;
    NPN_WriteProcPtr write;
    NPN_DestroyStreamProcPtr destroystream;
    NPN_StatusProcPtr status;
    NPN_UserAgentProcPtr uagent;
    NPN_MemAllocProcPtr memalloc;
    NPN_MemFreeProcPtr memfree;
    NPN_MemFlushProcPtr memflush;
    NPN_ReloadPluginsProcPtr reloadplugins;
    NPN_GetJavaEnvProcPtr getJavaEnv;
    NPN_GetJavaPeerProcPtr getJavaPeer;
    NPN_GetURLNotifyProcPtr geturlnotify;
    NPN_PostURLNotifyProcPtr posturlnotify;
    NPN_GetValueProcPtr getvalue;
    NPN_SetValueProcPtr setvalue;
    NPN_InvalidateRectProcPtr invalidaterect;
    NPN_InvalidateRegionProcPtr invalidateregion;
    NPN_ForceRedrawProcPtr forceredraw;
    NPN_GetStringIdentifierProcPtr getstringidentifier;
    NPN_GetStringIdentifiersProcPtr getstringidentifiers;
    NPN_GetIntIdentifierProcPtr getintidentifier;
    NPN_IdentifierIsStringProcPtr identifierisstring;
    NPN_UTF8FromIdentifierProcPtr utf8fromidentifier;
    NPN_IntFromIdentifierProcPtr intfromidentifier;
    NPN_CreateObjectProcPtr createobject;
    NPN_RetainObjectProcPtr retainobject;
    NPN_ReleaseObjectProcPtr releaseobject;
    NPN_InvokeProcPtr invoke;
    NPN_InvokeDefaultProcPtr invokeDefault;
    NPN_EvaluateProcPtr evaluate;
    NPN_GetPropertyProcPtr getproperty;
    NPN_SetPropertyProcPtr setproperty;
    NPN_RemovePropertyProcPtr removeproperty;
    NPN_HasPropertyProcPtr hasproperty;
    NPN_HasMethodProcPtr hasmethod;
    NPN_ReleaseVariantValueProcPtr releasevariantvalue;
    NPN_SetExceptionProcPtr setexception;
    NPN_PushPopupsEnabledStateProcPtr pushpopupsenabledstate;
    NPN_PopPopupsEnabledStateProcPtr poppopupsenabledstate;
    NPN_EnumerateProcPtr enumerate;
    NPN_PluginThreadAsyncCallProcPtr pluginthreadasynccall;
    NPN_ConstructProcPtr construct;
    NPN_GetValueForURLPtr getvalueforurl;
    NPN_SetValueForURLPtr setvalueforurl;
    NPN_GetAuthenticationInfoPtr getauthenticationinfo;
    NPN_ScheduleTimerPtr scheduletimer;
    NPN_UnscheduleTimerPtr unscheduletimer;
    NPN_PopUpContextMenuPtr popupcontextmenu;
    NPN_ConvertPointPtr convertpoint;
    NPN_HandleEventPtr handleevent;
    NPN_UnfocusInstancePtr unfocusinstance;
    NPN_URLRedirectResponsePtr urlredirectresponse;
    NPN_InitAsyncSurfacePtr initasyncsurface;
    NPN_FinalizeAsyncSurfacePtr finalizeasyncsurface;
    NPN_SetCurrentAsyncSurfacePtr setcurrentasyncsurface;
};

// ---- the three entry points a browser looks up by name ----
using NP_GetEntryPointsFunc = NPError(WINAPI*)(NPPluginFuncs* pluginFuncs);
using NP_InitializeFunc = NPError(WINAPI*)(NPNetscapeFuncs* browserFuncs);
using NP_ShutdownFunc = NPError(WINAPI*)();

#include "npapi/NpApiLayout.h"
