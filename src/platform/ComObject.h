#pragma once
// The part of IUnknown our one-interface COM objects share.
#include <windows.h>
#include <unknwn.h>

namespace Korvel {

// Answers IUnknown and the object's own interface with the object itself (counted), and
// anything else with E_NOINTERFACE and a null pointer.
template <class Interface>
HRESULT QueryOwnInterface(Interface* self, REFIID own, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == own) {
        *out = self;
        self->AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

}  // namespace Korvel
