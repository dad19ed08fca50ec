/* The merged proxy/stub's registration. rpcproxy.h is C only, so it lives here; it needs
   objbase.h first (built with WIN32_LEAN_AND_MEAN). */
#include <objbase.h>
#include <rpcproxy.h>

#include "activex/ProxyRegistration.h"

extern const ProxyFileInfo* aProxyFileList[];

HRESULT RegisterMergedProxy(HINSTANCE module) { return NdrDllRegisterProxy(module, aProxyFileList, NULL); }

HRESULT UnregisterMergedProxy(HINSTANCE module) { return NdrDllUnregisterProxy(module, aProxyFileList, NULL); }
