#include "activex/com/TypeLibrary.h"

#include "platform/Module.h"

namespace Korvel::Com {

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(ThisModule(), path, MAX_PATH);
    return std::wstring(path, n < MAX_PATH ? n : 0);
}

HRESULT LoadModuleTypeLibrary(ITypeLib** out)
{
    // From the module itself, so scripting works whatever the registry holds.
    return ::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, out);
}

HRESULT LoadTypeInfo(REFGUID guid, ITypeInfo** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    ComPtr<ITypeLib> library;
    const HRESULT hr = LoadModuleTypeLibrary(library.put());
    return FAILED(hr) ? hr : library->GetTypeInfoOfGuid(guid, out);
}

HRESULT RegisterModuleTypeLibrary()
{
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadModuleTypeLibrary(library.put());
    if (FAILED(hr)) return hr;
    std::wstring path = ModulePath();
    return ::RegisterTypeLib(library.Get(), path.data(), nullptr);
}

HRESULT UnregisterModuleTypeLibrary()
{
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadModuleTypeLibrary(library.put());
    if (FAILED(hr)) return hr;
    TLIBATTR* attr = nullptr;
    hr = library->GetLibAttr(&attr);
    if (FAILED(hr)) return hr;
    hr = ::UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    library->ReleaseTLibAttr(attr);
    // Already gone is what was asked for.
    return hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_CANTLOADLIBRARY ? S_OK : hr;
}

}  // namespace Korvel::Com
