#pragma once
// A class factory for one class. T::Create(outer, iid, out) makes an instance, aggregated when
// outer is given (the outer object must then ask for IUnknown, as COM's rules say).
#include <windows.h>
#include <unknwn.h>

#include "activex/com/ComModule.h"

namespace Korvel::Com {

template <class T>
class ClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // One factory per process that lives as long as the module; only the module lock counts.
    STDMETHODIMP_(ULONG) AddRef() override
    {
        LockModule();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        UnlockModule();
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer && iid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
        return T::Create(outer, iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        lock ? LockModule() : UnlockModule();
        return S_OK;
    }

    static ClassFactory& Instance()
    {
        static ClassFactory factory;
        return factory;
    }
};

}  // namespace Korvel::Com
