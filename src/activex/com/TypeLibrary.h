#pragma once
// The type library this module carries as resource TYPELIB 1: type information for dispatch
// and class information, and its registration.
#include <windows.h>
#include <oaidl.h>

#include <string>

#include "platform/Handle.h"

namespace Korvel::Com {

// The full path of this module.
std::wstring ModulePath();

HRESULT LoadModuleTypeLibrary(ITypeLib** out);
// The type information of one interface or class of the library.
HRESULT LoadTypeInfo(REFGUID guid, ITypeInfo** out);

// Writes (or removes) the standard type library and interface keys under the classes root.
HRESULT RegisterModuleTypeLibrary();
HRESULT UnregisterModuleTypeLibrary();

}  // namespace Korvel::Com
