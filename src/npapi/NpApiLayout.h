#pragma once
// The layouts browsers were built with, measured on both Windows targets: every structure's
// size and alignment, and every field's offset and size (i686 figures first, then x86_64).
// A declaration that drifts from them fails to compile instead of corrupting calls.
#include <cstddef>

#if defined(_WIN64)
#define SF_NP_PICK(i686, x64) (x64)
#else
#define SF_NP_PICK(i686, x64) (i686)
#endif

#define SF_NP_STRUCT(type, size32, align32, size64, align64)                     \
    static_assert(sizeof(type) == SF_NP_PICK(size32, size64), #type " size");   \
    static_assert(alignof(type) == SF_NP_PICK(align32, align64), #type " alignment")
#define SF_NP_FIELD(type, field, offset32, size32, offset64, size64)                              \
    static_assert(offsetof(type, field) == SF_NP_PICK(offset32, offset64), #type "." #field " offset"); \
    static_assert(sizeof(type::field) == SF_NP_PICK(size32, size64), #type "." #field " size")

SF_NP_STRUCT(NPPluginFuncs, 84, 4, 168, 8);
SF_NP_FIELD(NPPluginFuncs, size, 0, 2, 0, 2);
SF_NP_FIELD(NPPluginFuncs, version, 2, 2, 2, 2);
SF_NP_FIELD(NPPluginFuncs, newp, 4, 4, 8, 8);
SF_NP_FIELD(NPPluginFuncs, destroy, 8, 4, 16, 8);
SF_NP_FIELD(NPPluginFuncs, setwindow, 12, 4, 24, 8);
SF_NP_FIELD(NPPluginFuncs, newstream, 16, 4, 32, 8);
SF_NP_FIELD(NPPluginFuncs, destroystream, 20, 4, 40, 8);
SF_NP_FIELD(NPPluginFuncs, asfile, 24, 4, 48, 8);
SF_NP_FIELD(NPPluginFuncs, writeready, 28, 4, 56, 8);
SF_NP_FIELD(NPPluginFuncs, write, 32, 4, 64, 8);
SF_NP_FIELD(NPPluginFuncs, print, 36, 4, 72, 8);
SF_NP_FIELD(NPPluginFuncs, event, 40, 4, 80, 8);
SF_NP_FIELD(NPPluginFuncs, urlnotify, 44, 4, 88, 8);
SF_NP_FIELD(NPPluginFuncs, javaClass, 48, 4, 96, 8);
SF_NP_FIELD(NPPluginFuncs, getvalue, 52, 4, 104, 8);
SF_NP_FIELD(NPPluginFuncs, setvalue, 56, 4, 112, 8);
SF_NP_FIELD(NPPluginFuncs, gotfocus, 60, 4, 120, 8);
SF_NP_FIELD(NPPluginFuncs, lostfocus, 64, 4, 128, 8);
SF_NP_FIELD(NPPluginFuncs, urlredirectnotify, 68, 4, 136, 8);
SF_NP_FIELD(NPPluginFuncs, clearsitedata, 72, 4, 144, 8);
SF_NP_FIELD(NPPluginFuncs, getsiteswithdata, 76, 4, 152, 8);
SF_NP_FIELD(NPPluginFuncs, didComposite, 80, 4, 160, 8);
SF_NP_STRUCT(NPNetscapeFuncs, 236, 4, 472, 8);
SF_NP_FIELD(NPNetscapeFuncs, size, 0, 2, 0, 2);
SF_NP_FIELD(NPNetscapeFuncs, version, 2, 2, 2, 2);
SF_NP_FIELD(NPNetscapeFuncs, geturl, 4, 4, 8, 8);
SF_NP_FIELD(NPNetscapeFuncs, posturl, 8, 4, 16, 8);
SF_NP_FIELD(NPNetscapeFuncs, requestread, 12, 4, 24, 8);
SF_NP_FIELD(NPNetscapeFuncs, newstream, 16, 4, 32, 8);
SF_NP_FIELD(NPNetscapeFuncs, write, 20, 4, 40, 8);
SF_NP_FIELD(NPNetscapeFuncs, destroystream, 24, 4, 48, 8);
SF_NP_FIELD(NPNetscapeFuncs, status, 28, 4, 56, 8);
SF_NP_FIELD(NPNetscapeFuncs, uagent, 32, 4, 64, 8);
SF_NP_FIELD(NPNetscapeFuncs, memalloc, 36, 4, 72, 8);
SF_NP_FIELD(NPNetscapeFuncs, memfree, 40, 4, 80, 8);
SF_NP_FIELD(NPNetscapeFuncs, memflush, 44, 4, 88, 8);
SF_NP_FIELD(NPNetscapeFuncs, reloadplugins, 48, 4, 96, 8);
SF_NP_FIELD(NPNetscapeFuncs, getJavaEnv, 52, 4, 104, 8);
SF_NP_FIELD(NPNetscapeFuncs, getJavaPeer, 56, 4, 112, 8);
SF_NP_FIELD(NPNetscapeFuncs, geturlnotify, 60, 4, 120, 8);
SF_NP_FIELD(NPNetscapeFuncs, posturlnotify, 64, 4, 128, 8);
SF_NP_FIELD(NPNetscapeFuncs, getvalue, 68, 4, 136, 8);
SF_NP_FIELD(NPNetscapeFuncs, setvalue, 72, 4, 144, 8);
SF_NP_FIELD(NPNetscapeFuncs, invalidaterect, 76, 4, 152, 8);
SF_NP_FIELD(NPNetscapeFuncs, invalidateregion, 80, 4, 160, 8);
SF_NP_FIELD(NPNetscapeFuncs, forceredraw, 84, 4, 168, 8);
SF_NP_FIELD(NPNetscapeFuncs, getstringidentifier, 88, 4, 176, 8);
SF_NP_FIELD(NPNetscapeFuncs, getstringidentifiers, 92, 4, 184, 8);
SF_NP_FIELD(NPNetscapeFuncs, getintidentifier, 96, 4, 192, 8);
SF_NP_FIELD(NPNetscapeFuncs, identifierisstring, 100, 4, 200, 8);
SF_NP_FIELD(NPNetscapeFuncs, utf8fromidentifier, 104, 4, 208, 8);
SF_NP_FIELD(NPNetscapeFuncs, intfromidentifier, 108, 4, 216, 8);
SF_NP_FIELD(NPNetscapeFuncs, createobject, 112, 4, 224, 8);
SF_NP_FIELD(NPNetscapeFuncs, retainobject, 116, 4, 232, 8);
SF_NP_FIELD(NPNetscapeFuncs, releaseobject, 120, 4, 240, 8);
SF_NP_FIELD(NPNetscapeFuncs, invoke, 124, 4, 248, 8);
SF_NP_FIELD(NPNetscapeFuncs, invokeDefault, 128, 4, 256, 8);
SF_NP_FIELD(NPNetscapeFuncs, evaluate, 132, 4, 264, 8);
SF_NP_FIELD(NPNetscapeFuncs, getproperty, 136, 4, 272, 8);
SF_NP_FIELD(NPNetscapeFuncs, setproperty, 140, 4, 280, 8);
SF_NP_FIELD(NPNetscapeFuncs, removeproperty, 144, 4, 288, 8);
SF_NP_FIELD(NPNetscapeFuncs, hasproperty, 148, 4, 296, 8);
SF_NP_FIELD(NPNetscapeFuncs, hasmethod, 152, 4, 304, 8);
SF_NP_FIELD(NPNetscapeFuncs, releasevariantvalue, 156, 4, 312, 8);
SF_NP_FIELD(NPNetscapeFuncs, setexception, 160, 4, 320, 8);
SF_NP_FIELD(NPNetscapeFuncs, pushpopupsenabledstate, 164, 4, 328, 8);
SF_NP_FIELD(NPNetscapeFuncs, poppopupsenabledstate, 168, 4, 336, 8);
SF_NP_FIELD(NPNetscapeFuncs, enumerate, 172, 4, 344, 8);
SF_NP_FIELD(NPNetscapeFuncs, pluginthreadasynccall, 176, 4, 352, 8);
SF_NP_FIELD(NPNetscapeFuncs, construct, 180, 4, 360, 8);
SF_NP_FIELD(NPNetscapeFuncs, getvalueforurl, 184, 4, 368, 8);
SF_NP_FIELD(NPNetscapeFuncs, setvalueforurl, 188, 4, 376, 8);
SF_NP_FIELD(NPNetscapeFuncs, getauthenticationinfo, 192, 4, 384, 8);
SF_NP_FIELD(NPNetscapeFuncs, scheduletimer, 196, 4, 392, 8);
SF_NP_FIELD(NPNetscapeFuncs, unscheduletimer, 200, 4, 400, 8);
SF_NP_FIELD(NPNetscapeFuncs, popupcontextmenu, 204, 4, 408, 8);
SF_NP_FIELD(NPNetscapeFuncs, convertpoint, 208, 4, 416, 8);
SF_NP_FIELD(NPNetscapeFuncs, handleevent, 212, 4, 424, 8);
SF_NP_FIELD(NPNetscapeFuncs, unfocusinstance, 216, 4, 432, 8);
SF_NP_FIELD(NPNetscapeFuncs, urlredirectresponse, 220, 4, 440, 8);
SF_NP_FIELD(NPNetscapeFuncs, initasyncsurface, 224, 4, 448, 8);
SF_NP_FIELD(NPNetscapeFuncs, finalizeasyncsurface, 228, 4, 456, 8);
SF_NP_FIELD(NPNetscapeFuncs, setcurrentasyncsurface, 232, 4, 464, 8);
SF_NP_STRUCT(NPClass, 52, 4, 104, 8);
SF_NP_FIELD(NPClass, structVersion, 0, 4, 0, 4);
SF_NP_FIELD(NPClass, allocate, 4, 4, 8, 8);
SF_NP_FIELD(NPClass, deallocate, 8, 4, 16, 8);
SF_NP_FIELD(NPClass, invalidate, 12, 4, 24, 8);
SF_NP_FIELD(NPClass, hasMethod, 16, 4, 32, 8);
SF_NP_FIELD(NPClass, invoke, 20, 4, 40, 8);
SF_NP_FIELD(NPClass, invokeDefault, 24, 4, 48, 8);
SF_NP_FIELD(NPClass, hasProperty, 28, 4, 56, 8);
SF_NP_FIELD(NPClass, getProperty, 32, 4, 64, 8);
SF_NP_FIELD(NPClass, setProperty, 36, 4, 72, 8);
SF_NP_FIELD(NPClass, removeProperty, 40, 4, 80, 8);
SF_NP_FIELD(NPClass, enumerate, 44, 4, 88, 8);
SF_NP_FIELD(NPClass, construct, 48, 4, 96, 8);
SF_NP_STRUCT(NPObject, 8, 4, 16, 8);
SF_NP_FIELD(NPObject, _class, 0, 4, 0, 8);
SF_NP_FIELD(NPObject, referenceCount, 4, 4, 8, 4);
SF_NP_STRUCT(NPVariant, 16, 8, 24, 8);
SF_NP_FIELD(NPVariant, type, 0, 4, 0, 4);
SF_NP_FIELD(NPVariant, value, 8, 8, 8, 16);
SF_NP_STRUCT(NPString, 8, 4, 16, 8);
SF_NP_FIELD(NPString, UTF8Characters, 0, 4, 0, 8);
SF_NP_FIELD(NPString, UTF8Length, 4, 4, 8, 4);
SF_NP_STRUCT(NPWindow, 32, 4, 40, 8);
SF_NP_FIELD(NPWindow, window, 0, 4, 0, 8);
SF_NP_FIELD(NPWindow, x, 4, 4, 8, 4);
SF_NP_FIELD(NPWindow, y, 8, 4, 12, 4);
SF_NP_FIELD(NPWindow, width, 12, 4, 16, 4);
SF_NP_FIELD(NPWindow, height, 16, 4, 20, 4);
SF_NP_FIELD(NPWindow, clipRect, 20, 8, 24, 8);
SF_NP_FIELD(NPWindow, type, 28, 4, 32, 4);
SF_NP_STRUCT(NPRect, 8, 2, 8, 2);
SF_NP_FIELD(NPRect, top, 0, 2, 0, 2);
SF_NP_FIELD(NPRect, left, 2, 2, 2, 2);
SF_NP_FIELD(NPRect, bottom, 4, 2, 4, 2);
SF_NP_FIELD(NPRect, right, 6, 2, 6, 2);
SF_NP_STRUCT(NPStream, 28, 4, 48, 8);
SF_NP_FIELD(NPStream, pdata, 0, 4, 0, 8);
SF_NP_FIELD(NPStream, ndata, 4, 4, 8, 8);
SF_NP_FIELD(NPStream, url, 8, 4, 16, 8);
SF_NP_FIELD(NPStream, end, 12, 4, 24, 4);
SF_NP_FIELD(NPStream, lastmodified, 16, 4, 28, 4);
SF_NP_FIELD(NPStream, notifyData, 20, 4, 32, 8);
SF_NP_FIELD(NPStream, headers, 24, 4, 40, 8);
SF_NP_STRUCT(NPP_t, 8, 4, 16, 8);
SF_NP_FIELD(NPP_t, pdata, 0, 4, 0, 8);
SF_NP_FIELD(NPP_t, ndata, 4, 4, 8, 8);
SF_NP_STRUCT(NPSavedData, 8, 4, 16, 8);
SF_NP_FIELD(NPSavedData, len, 0, 4, 0, 4);
SF_NP_FIELD(NPSavedData, buf, 4, 4, 8, 8);
SF_NP_STRUCT(NPByteRange, 12, 4, 16, 8);
SF_NP_FIELD(NPByteRange, offset, 0, 4, 0, 4);
SF_NP_FIELD(NPByteRange, length, 4, 4, 4, 4);
SF_NP_FIELD(NPByteRange, next, 8, 4, 8, 8);
SF_NP_STRUCT(NPEvent, 12, 4, 24, 8);
SF_NP_FIELD(NPEvent, event, 0, 2, 0, 2);
SF_NP_FIELD(NPEvent, wParam, 4, 4, 8, 8);
SF_NP_FIELD(NPEvent, lParam, 8, 4, 16, 8);
SF_NP_STRUCT(NPPrint, 40, 4, 56, 8);
SF_NP_FIELD(NPPrint, mode, 0, 2, 0, 2);
SF_NP_FIELD(NPPrint, print, 4, 36, 8, 48);
SF_NP_STRUCT(NPFullPrint, 8, 4, 16, 8);
SF_NP_FIELD(NPFullPrint, pluginPrinted, 0, 1, 0, 1);
SF_NP_FIELD(NPFullPrint, printOne, 1, 1, 1, 1);
SF_NP_FIELD(NPFullPrint, platformPrint, 4, 4, 8, 8);
SF_NP_STRUCT(NPEmbedPrint, 36, 4, 48, 8);
SF_NP_FIELD(NPEmbedPrint, window, 0, 32, 0, 40);
SF_NP_FIELD(NPEmbedPrint, platformPrint, 32, 4, 40, 8);

// Scalars the structures are made of.
static_assert(sizeof(NPError) == 2 && sizeof(NPReason) == 2 && sizeof(NPBool) == 1 && sizeof(bool) == 1);
static_assert(sizeof(NPIdentifier) == SF_NP_PICK(4, 8) && sizeof(NPP) == SF_NP_PICK(4, 8));
static_assert(sizeof(NPVariantType) == 4 && sizeof(NPPVariable) == 4 && sizeof(NPNVariable) == 4 &&
              sizeof(NPWindowType) == 4);

#undef SF_NP_FIELD
#undef SF_NP_STRUCT
#undef SF_NP_PICK
