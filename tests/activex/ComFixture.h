#pragma once
// The registered control, created through COM as a container creates it.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <vector>

#include "Snapferry.h"  // widl's header of the control's interface
#include "platform/Handle.h"
#include "platform/Module.h"

namespace test {

inline const CLSID& ControlClass() { return __uuidof(Snapferry); }
inline const IID& ScriptInterface() { return __uuidof(ISnapferry); }

class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    void TearDown() override { ::OleUninitialize(); }

    template <class I>
    Korvel::ComPtr<I> Create(REFIID iid)
    {
        Korvel::ComPtr<I> out;
        const HRESULT hr = ::CoCreateInstance(ControlClass(), nullptr, CLSCTX_INPROC_SERVER, iid, out.put_void());
        EXPECT_EQ(hr, S_OK) << "is Snapferry64.dll registered?";
        return out;
    }
};

// What the loaded control DLL's DllCanUnloadNow says (E_FAIL when it is not loaded).
inline HRESULT ControlDllCanUnloadNow()
{
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = Korvel::ProcAddress<CanUnload>(::GetModuleHandleW(L"Snapferry64.dll"), "DllCanUnloadNow");
    return canUnload ? canUnload() : E_FAIL;
}

// A dispatch call by name with the given arguments (in script order; texts from Text() are
// freed afterwards); the result in *result.
inline HRESULT CallByName(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args,
                          VARIANT* result = nullptr, EXCEPINFO* exception = nullptr)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    EXCEPINFO ignored{};
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, exception ? exception : &ignored,
                        nullptr);
    for (VARIANT& v : reversed)
        if (V_VT(&v) == VT_BSTR) ::SysFreeString(V_BSTR(&v));  // the texts Text() made
    if (!exception) {
        ::SysFreeString(ignored.bstrSource);
        ::SysFreeString(ignored.bstrDescription);
        ::SysFreeString(ignored.bstrHelpFile);
    }
    return hr;
}

inline VARIANT Text(const wchar_t* text)
{
    VARIANT v;
    ::VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = ::SysAllocString(text);
    return v;
}

inline VARIANT Dispatch(IDispatch* object)
{
    VARIANT v;
    ::VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    return v;
}

// A plain dispatch object as a page's callback: no IDispatchEx, so the control must use
// IDispatch::Invoke. Records each call: its thread and its argument.
class RecordingCallback final : public IDispatch {
public:
    struct Call {
        DWORD thread;
        DISPID member;
        WORD flags;
        UINT arguments;
        IDispatch* argument;
    };
    std::vector<Call> calls;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        IDispatch* argument = nullptr;
        if (params && params->cArgs == 1 && V_VT(&params->rgvarg[0]) == VT_DISPATCH)
            argument = V_DISPATCH(&params->rgvarg[0]);
        calls.push_back(Call{::GetCurrentThreadId(), id, flags, params ? params->cArgs : 0, argument});
        return S_OK;
    }
    LONG refs = 1;
};

}  // namespace test
