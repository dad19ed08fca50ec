#include "browser/ScriptBridge.h"

#include <dispex.h>

#include <atomic>
#include <new>
#include <string>
#include <vector>

#include "browser/BrowserObjects.h"
#include "platform/Handle.h"
#include "platform/TextConv.h"

namespace Runtime = TestBrowserRuntime;
using Korvel::ComPtr;

namespace ScriptBridge {

namespace {

// Marks our own wrappers, so that an NPObject going back to the plug-in is unwrapped.
// {6C1D6B52-2F0B-4E0B-9C5E-53A7D2E4B8F1}
const IID IID_NpObjectWrapper = {0x6c1d6b52, 0x2f0b, 0x4e0b, {0x9c, 0x5e, 0x53, 0xa7, 0xd2, 0xe4, 0xb8, 0xf1}};

struct ClearedVariant {
    VARIANT v;
    ClearedVariant() { ::VariantInit(&v); }
    ~ClearedVariant() { ::VariantClear(&v); }
    ClearedVariant(const ClearedVariant&) = delete;
    ClearedVariant& operator=(const ClearedVariant&) = delete;
};

// NPVariants made from VARIANTs for one call, released after it.
struct NpArguments {
    std::vector<NPVariant> values;
    ~NpArguments()
    {
        for (NPVariant& v : values) Runtime::ReleaseVariantValue(&v);
    }
};

HRESULT Refused(EXCEPINFO* info, const wchar_t* what)
{
    if (info) {
        *info = EXCEPINFO{};
        info->scode = E_FAIL;
        info->bstrSource = ::SysAllocString(L"plug-in");
        info->bstrDescription = ::SysAllocString(what);
    }
    return DISP_E_EXCEPTION;
}

// An NPObject dressed as an IDispatchEx for the engine. Member numbers are handed out per
// name on first use.
class NpObjectDispatch final : public IDispatchEx {
public:
    explicit NpObjectDispatch(NPObject* object) : object_(Runtime::RetainObject(object)) {}
    NPObject* Object() const { return object_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IDispatchEx) || iid == IID_NpObjectWrapper) {
            *out = static_cast<IDispatchEx*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --count_;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i)
            if (FAILED(GetDispID(names[i], fdexNameCaseSensitive, &ids[i]))) result = DISP_E_UNKNOWNNAME;
        return result;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT*) override
    {
        return InvokeEx(id, lcid, flags, params, result, info, nullptr);
    }

    // IDispatchEx
    HRESULT STDMETHODCALLTYPE GetDispID(BSTR name, DWORD, DISPID* id) override
    {
        if (!name || !id) return E_POINTER;
        const NPIdentifier identifier =
            Runtime::GetStringIdentifier(Korvel::Text::Utf8FromWide(name).c_str());
        if (!Runtime::HasProperty(nullptr, object_, identifier) && !Runtime::HasMethod(nullptr, object_, identifier)) {
            *id = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        for (std::size_t i = 0; i < names_.size(); ++i)
            if (names_[i] == identifier) {
                *id = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        names_.push_back(identifier);
        *id = static_cast<DISPID>(names_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                       EXCEPINFO* info, IServiceProvider*) override
    {
        DISPPARAMS none{};
        if (!params) params = &none;
        if (result) ::VariantInit(result);
        // Positional arguments come last first, after the named ones; of those only the value
        // of a property write is for the plug-in (`this` and the like are not).
        const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        const UINT first = put ? 0 : params->cNamedArgs;
        NpArguments args;
        for (UINT i = params->cArgs; i > first; --i) {
            NPVariant v;
            if (!ToNpVariant(params->rgvarg[i - 1], &v)) return DISP_E_TYPEMISMATCH;
            args.values.push_back(v);
        }
        NPVariant out;
        out.type = NPVariantType_Void;
        bool ok = false;
        if (id == DISPID_VALUE && (flags & DISPATCH_METHOD)) {
            ok = Runtime::InvokeDefault(nullptr, object_, args.values.data(), Count(args), &out);
        } else {
            if (id < 1 || static_cast<std::size_t>(id) > names_.size()) return DISP_E_MEMBERNOTFOUND;
            const NPIdentifier name = names_[static_cast<std::size_t>(id - 1)];
            if (put) {
                if (args.values.empty()) return DISP_E_BADPARAMCOUNT;
                ok = Runtime::SetProperty(nullptr, object_, name, &args.values.back());
            } else if ((flags & DISPATCH_METHOD) && Runtime::HasMethod(nullptr, object_, name)) {
                ok = Runtime::Invoke(nullptr, object_, name, args.values.data(), Count(args), &out);
            } else if (flags & DISPATCH_PROPERTYGET) {
                ok = Runtime::GetProperty(nullptr, object_, name, &out);
            }
        }
        if (!ok) return Refused(info, L"the plug-in refused the call");
        const bool converted = !result || ToVariant(out, result);
        Runtime::ReleaseVariantValue(&out);
        return converted ? S_OK : DISP_E_TYPEMISMATCH;
    }
    HRESULT STDMETHODCALLTYPE DeleteMemberByName(BSTR, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE DeleteMemberByDispID(DISPID) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetMemberProperties(DISPID, DWORD, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMemberName(DISPID id, BSTR* name) override
    {
        if (!name) return E_POINTER;
        if (id < 1 || static_cast<std::size_t>(id) > names_.size()) return DISP_E_MEMBERNOTFOUND;
        *name = ::SysAllocString(
            Korvel::Text::WideFromUtf8(Runtime::IdentifierName(names_[static_cast<std::size_t>(id - 1)])).c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNextDispID(DWORD, DISPID, DISPID*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetNameSpaceParent(IUnknown** parent) override
    {
        if (parent) *parent = nullptr;
        return E_NOTIMPL;
    }

private:
    ~NpObjectDispatch() { Runtime::ReleaseObject(object_); }
    static std::uint32_t Count(const NpArguments& args) { return static_cast<std::uint32_t>(args.values.size()); }

    std::atomic<ULONG> count_{1};
    NPObject* object_;
    std::vector<NPIdentifier> names_;
};

// An engine object dressed as an NPObject for the plug-in.
struct DispatchObject : NPObject {
    IDispatch* dispatch = nullptr;
};

DispatchObject* Self(NPObject* object) { return static_cast<DispatchObject*>(object); }

NPObject* __cdecl AllocateDispatch(NPP, NPClass*) { return new (std::nothrow) DispatchObject(); }

void __cdecl DeallocateDispatch(NPObject* object)
{
    if (Self(object)->dispatch) Self(object)->dispatch->Release();
    delete Self(object);
}

// The engine's number for a member name (numbers name array elements).
bool MemberId(NPObject* object, NPIdentifier name, DISPID* id)
{
    const std::string text = Runtime::IdentifierIsString(name) ? Runtime::IdentifierName(name)
                                                               : std::to_string(Runtime::IntFromIdentifier(name));
    std::wstring wide = Korvel::Text::WideFromUtf8(text);
    LPOLESTR names[] = {wide.data()};
    return SUCCEEDED(Self(object)->dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id));
}

// Calls the engine with the plug-in's arguments (in the engine's last-first order).
bool Call(NPObject* object, DISPID id, WORD flags, const NPVariant* args, std::uint32_t count, NPVariant* result)
{
    std::vector<VARIANT> values(count);
    bool ok = true;
    for (std::uint32_t i = 0; i < count; ++i) {
        ::VariantInit(&values[count - 1 - i]);
        ok = ok && ToVariant(args[i], &values[count - 1 - i]);
    }
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{values.data(), nullptr, count, 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    ClearedVariant out;
    if (ok) {
        ComPtr<IDispatchEx> ex;
        HRESULT hr;
        if (SUCCEEDED(Self(object)->dispatch->QueryInterface(__uuidof(IDispatchEx), ex.put_void())))
            hr = ex->InvokeEx(id, LOCALE_USER_DEFAULT, flags, &params, &out.v, nullptr, nullptr);
        else
            hr = Self(object)->dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &out.v, nullptr,
                                                nullptr);
        ok = SUCCEEDED(hr);
    }
    for (VARIANT& v : values) ::VariantClear(&v);
    if (ok && result) ok = ToNpVariant(out.v, result);
    return ok;
}

bool __cdecl HasMember(NPObject* object, NPIdentifier name)
{
    DISPID id;
    return MemberId(object, name, &id);
}

bool __cdecl InvokeMember(NPObject* object, NPIdentifier name, const NPVariant* args, std::uint32_t count,
                          NPVariant* result)
{
    DISPID id;
    return MemberId(object, name, &id) && Call(object, id, DISPATCH_METHOD, args, count, result);
}

bool __cdecl InvokeDefault(NPObject* object, const NPVariant* args, std::uint32_t count, NPVariant* result)
{
    return Call(object, DISPID_VALUE, DISPATCH_METHOD, args, count, result);
}

bool __cdecl GetMember(NPObject* object, NPIdentifier name, NPVariant* result)
{
    DISPID id;
    return MemberId(object, name, &id) && Call(object, id, DISPATCH_PROPERTYGET, nullptr, 0, result);
}

bool __cdecl SetMember(NPObject* object, NPIdentifier name, const NPVariant* value)
{
    DISPID id;
    return MemberId(object, name, &id) && Call(object, id, DISPATCH_PROPERTYPUT, value, 1, nullptr);
}

NPClass g_dispatchClass{NP_CLASS_STRUCT_VERSION, &AllocateDispatch, &DeallocateDispatch, nullptr, &HasMember,
                        &InvokeMember, &InvokeDefault, &HasMember, &GetMember, &SetMember, nullptr, nullptr,
                        nullptr};

}  // namespace

IDispatch* DispatchFor(NPObject* object)
{
    if (!object) return nullptr;
    if (object->_class == &g_dispatchClass) {
        Self(object)->dispatch->AddRef();
        return Self(object)->dispatch;
    }
    return new (std::nothrow) NpObjectDispatch(object);
}

NPObject* ObjectFor(IDispatch* dispatch)
{
    if (!dispatch) return nullptr;
    ComPtr<IUnknown> wrapper;
    if (SUCCEEDED(dispatch->QueryInterface(IID_NpObjectWrapper, wrapper.put_void())))
        return Runtime::RetainObject(static_cast<NpObjectDispatch*>(static_cast<IDispatchEx*>(wrapper.Get()))->Object());
    NPObject* object = Runtime::CreateObject(nullptr, &g_dispatchClass);
    if (!object) return nullptr;
    dispatch->AddRef();
    Self(object)->dispatch = dispatch;
    return object;
}

bool ToNpVariant(const VARIANT& in, NPVariant* out)
{
    const VARIANT& v = (V_VT(&in) == (VT_BYREF | VT_VARIANT)) ? *V_VARIANTREF(&in) : in;
    out->type = NPVariantType_Void;
    out->value.objectValue = nullptr;
    ClearedVariant number;
    switch (V_VT(&v)) {
    case VT_EMPTY:
        return true;
    case VT_NULL:
        out->type = NPVariantType_Null;
        return true;
    case VT_BOOL:
        out->type = NPVariantType_Bool;
        out->value.boolValue = V_BOOL(&v) != VARIANT_FALSE;
        return true;
    case VT_BSTR:
        *out = Runtime::StringVariant(Korvel::Text::Utf8FromWide(V_BSTR(&v) ? V_BSTR(&v) : L""));
        return true;
    case VT_DISPATCH:
        if (!V_DISPATCH(&v)) {
            out->type = NPVariantType_Null;
            return true;
        }
        out->value.objectValue = ObjectFor(V_DISPATCH(&v));
        out->type = out->value.objectValue ? NPVariantType_Object : NPVariantType_Void;
        return out->value.objectValue != nullptr;
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        if (FAILED(::VariantChangeType(&number.v, const_cast<VARIANT*>(&v), 0, VT_R8))) return false;
        out->type = NPVariantType_Double;
        out->value.doubleValue = V_R8(&number.v);
        return true;
    default:
        if (FAILED(::VariantChangeType(&number.v, const_cast<VARIANT*>(&v), 0, VT_I4))) return false;
        out->type = NPVariantType_Int32;
        out->value.intValue = V_I4(&number.v);
        return true;
    }
}

bool ToVariant(const NPVariant& in, VARIANT* out)
{
    ::VariantInit(out);
    switch (in.type) {
    case NPVariantType_Void:
        return true;
    case NPVariantType_Null:
        V_VT(out) = VT_NULL;
        return true;
    case NPVariantType_Bool:
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = in.value.boolValue ? VARIANT_TRUE : VARIANT_FALSE;
        return true;
    case NPVariantType_Int32:
        V_VT(out) = VT_I4;
        V_I4(out) = in.value.intValue;
        return true;
    case NPVariantType_Double:
        V_VT(out) = VT_R8;
        V_R8(out) = in.value.doubleValue;
        return true;
    case NPVariantType_String:
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = ::SysAllocString(Korvel::Text::WideFromUtf8(Runtime::VariantText(in)).c_str());
        return V_BSTR(out) != nullptr;
    case NPVariantType_Object:
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = DispatchFor(in.value.objectValue);
        return true;
    }
    return false;
}

}  // namespace ScriptBridge
