#pragma once
// Script crossing between a page's script engine (COM automation: IDispatch, IDispatchEx,
// VARIANT) and a plug-in (NPObject, NPVariant), both ways, as a browser bridges its own
// engine to plug-ins. An object that crosses back comes out as the object that went in.
#include <windows.h>
#include <oaidl.h>

#include "npapi/NpApi.h"

namespace ScriptBridge {

// The engine sees an NPObject as an IDispatchEx (a new reference).
IDispatch* DispatchFor(NPObject* object);
// The plug-in sees an engine object as an NPObject it can call (a new reference).
NPObject* ObjectFor(IDispatch* dispatch);

// Values each way. The NPVariant made here is owned by the caller (release it with the
// runtime's ReleaseVariantValue); the VARIANT is to be cleared by the caller.
bool ToNpVariant(const VARIANT& in, NPVariant* out);
bool ToVariant(const NPVariant& in, VARIANT* out);

}  // namespace ScriptBridge
