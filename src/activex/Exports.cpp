// The COM entry points of Snapferry64.dll.
#include <windows.h>

#include <cwchar>

#include "activex/CSnapferry.h"
#include "activex/ProxyRegistration.h"
#include "activex/Registration.h"
#include "activex/com/ClassFactory.h"
#include "platform/Module.h"

namespace {

// Switched on by DllInstall("user") for the rest of the process.
bool g_perUser = false;

}  // namespace

STDAPI DllCanUnloadNow()
{
    if (PrxDllCanUnloadNow() != S_OK) return S_FALSE;
    return Korvel::Com::ModuleInUse() ? S_FALSE : S_OK;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (SUCCEEDED(PrxDllGetClassObject(clsid, iid, out))) return S_OK;
    if (clsid == CLSID_Snapferry) return Korvel::Com::ClassFactory<CSnapferry>::Instance().QueryInterface(iid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer()
{
    const HRESULT hr = Registration::Register(g_perUser);
    return FAILED(hr) ? hr : RegisterMergedProxy(Korvel::ThisModule());
}

STDAPI DllUnregisterServer()
{
    HRESULT hr = Registration::Unregister(g_perUser);
    if (FAILED(hr)) return hr;
    // Registering first makes sure there is something of ours to take away.
    RegisterMergedProxy(Korvel::ThisModule());
    return UnregisterMergedProxy(Korvel::ThisModule());
}

STDAPI DllInstall(BOOL install, LPCWSTR commandLine)
{
    if (commandLine && ::_wcsicmp(commandLine, L"user") == 0) g_perUser = true;
    if (!install) return DllUnregisterServer();
    const HRESULT hr = DllRegisterServer();
    if (FAILED(hr)) DllUnregisterServer();  // undo what got written; its own result does not matter
    return hr;
}
