#pragma once
/* The proxy/stub widl made for ISnapferry, merged into this DLL (routines named Prx...). */
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

HRESULT RegisterMergedProxy(HINSTANCE module);
HRESULT UnregisterMergedProxy(HINSTANCE module);
HRESULT STDAPICALLTYPE PrxDllGetClassObject(REFCLSID clsid, REFIID iid, void** out);
HRESULT STDAPICALLTYPE PrxDllCanUnloadNow(void);

#ifdef __cplusplus
}
#endif
