// The control as COM sees it, created through its registration: which interfaces it answers
// and with which identity, aggregation, the stock answers containers rely on, the persisted
// extent, dispatch through the type library, callbacks, and unloading.
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <dispex.h>
#include <servprov.h>

#include <cstring>

#include "ComFixture.h"

namespace {

using Korvel::ComPtr;
using test::ComTest;

ComPtr<IUnknown> Identity(IUnknown* object)
{
    ComPtr<IUnknown> unknown;
    object->QueryInterface(IID_IUnknown, unknown.put_void());
    return unknown;
}

// The interface pointer a QueryInterface gives (released again at once; the object lives on).
void* Answer(IUnknown* object, REFIID iid)
{
    void* out = nullptr;
    if (FAILED(object->QueryInterface(iid, &out)) || !out) return nullptr;
    static_cast<IUnknown*>(out)->Release();
    return out;
}

TEST_F(ComTest, AnswersItsInterfacesWithOneIdentity)
{
    ComPtr<IUnknown> control = Create<IUnknown>(IID_IUnknown);
    ASSERT_TRUE(control);
    const IID answered[] = {test::ScriptInterface(), IID_IDispatch, IID_IDropTarget, IID_IViewObjectEx,
                            IID_IViewObject2, IID_IViewObject, IID_IOleInPlaceObjectWindowless,
                            IID_IOleInPlaceObject, IID_IOleWindow, IID_IOleInPlaceActiveObject, IID_IOleControl,
                            IID_IOleObject, IID_IPersistStreamInit, IID_IPersist, IID_ISupportErrorInfo,
                            IID_ISpecifyPropertyPages, IID_IQuickActivate, IID_IPersistStorage, IID_IDataObject,
                            IID_IProvideClassInfo, IID_IProvideClassInfo2, IID_IObjectSafety};
    for (const IID& iid : answered) {
        IUnknown* answer = static_cast<IUnknown*>(Answer(control.Get(), iid));
        ASSERT_NE(answer, nullptr);
        EXPECT_EQ(Identity(answer).Get(), control.Get());
    }
    // Where two interfaces share a base, the first of the table answers for it.
    EXPECT_EQ(Answer(control.Get(), IID_IDispatch), Answer(control.Get(), test::ScriptInterface()));
    EXPECT_EQ(Answer(control.Get(), IID_IPersist), Answer(control.Get(), IID_IPersistStreamInit));
    EXPECT_EQ(Answer(control.Get(), IID_IOleWindow), Answer(control.Get(), IID_IOleInPlaceObjectWindowless));
    EXPECT_EQ(Answer(control.Get(), IID_IViewObject), Answer(control.Get(), IID_IViewObjectEx));
    // No property bag (a page's <param>s are not read), no events.
    for (const IID& iid : {IID_IPersistPropertyBag, IID_IPersistPropertyBag2, IID_IConnectionPointContainer,
                           IID_IOleInPlaceSiteWindowless})
        EXPECT_EQ(Answer(control.Get(), iid), nullptr);
}

TEST_F(ComTest, IsSafeForScriptingOnly)
{
    ComPtr<IObjectSafety> safety = Create<IObjectSafety>(IID_IObjectSafety);
    DWORD supported = 9, enabled = 9;
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER));
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                                INTERFACESAFE_FOR_UNTRUSTED_CALLER),
              S_OK);
    safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
    EXPECT_EQ(enabled, static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER));
    // Never safe for untrusted data.
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_DATA,
                                                INTERFACESAFE_FOR_UNTRUSTED_DATA),
              E_FAIL);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistPropertyBag, &supported, &enabled), E_NOINTERFACE);
    EXPECT_EQ(supported, 0u);
    EXPECT_EQ(enabled, 0u);
}

TEST_F(ComTest, PersistsOnlyItsExtent)
{
    ComPtr<IPersistStreamInit> persist = Create<IPersistStreamInit>(IID_IPersistStreamInit);
    auto saved = [&] {
        ComPtr<IStream> stream;
        ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
        EXPECT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
        HGLOBAL memory = nullptr;
        ::GetHGlobalFromStream(stream.Get(), &memory);
        STATSTG stat{};
        stream->Stat(&stat, STATFLAG_NONAME);
        const BYTE* p = static_cast<const BYTE*>(::GlobalLock(memory));
        std::vector<BYTE> bytes(p, p + stat.cbSize.QuadPart);
        ::GlobalUnlock(memory);
        return bytes;
    };
    // The stock layout: version 0x0E00, then _cx and _cy, 2 inches each in HIMETRIC.
    EXPECT_EQ(saved(), (std::vector<BYTE>{0x00, 0x0E, 0, 0, 0xD8, 0x13, 0, 0, 0xD8, 0x13, 0, 0}));
    ULARGE_INTEGER size{};
    persist->GetSizeMax(&size);
    EXPECT_EQ(size.QuadPart, 12u);

    ComPtr<IOleObject> object;
    persist->QueryInterface(IID_IOleObject, object.put_void());
    SIZEL extent{10000, 2540};
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(object->SetExtent(DVASPECT_THUMBNAIL, &extent), DV_E_DVASPECT);
    EXPECT_EQ(saved(), (std::vector<BYTE>{0x00, 0x0E, 0, 0, 0x10, 0x27, 0, 0, 0xEC, 0x09, 0, 0}));

    // Loading: what was saved comes back; a newer layout or a short stream is refused.
    auto load = [&](std::vector<BYTE> bytes) {
        ComPtr<IStream> stream;
        ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        return persist->Load(stream.Get());
    };
    EXPECT_EQ(load({0x00, 0x0C, 0, 0, 0x64, 0, 0, 0, 0xC8, 0, 0, 0}), S_OK);
    object->GetExtent(DVASPECT_CONTENT, &extent);
    EXPECT_EQ(extent.cx, 100);
    EXPECT_EQ(extent.cy, 200);
    EXPECT_EQ(load({0x00, 0x0F, 0, 0, 0x64, 0, 0, 0, 0xC8, 0, 0, 0}), E_FAIL);
    EXPECT_EQ(load({0x00, 0x0E, 0, 0, 0x64, 0}), E_FAIL);
}

TEST_F(ComTest, GivesTheStockAnswersContainersAskFor)
{
    ComPtr<IOleObject> object = Create<IOleObject>(IID_IOleObject);
    DWORD misc = 0;
    EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
    EXPECT_EQ(misc, 0x20191u);  // from the registry
    SIZEL extent{};
    EXPECT_EQ(object->GetExtent(DVASPECT_ICON, &extent), E_FAIL);

    ComPtr<ISupportErrorInfo> errors;
    object->QueryInterface(IID_ISupportErrorInfo, errors.put_void());
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(test::ScriptInterface()), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IOleObject), S_FALSE);

    ComPtr<IProvideClassInfo2> info;
    object->QueryInterface(IID_IProvideClassInfo2, info.put_void());
    GUID source = IID_IDispatch;
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), E_FAIL);  // no events
    EXPECT_EQ(source, GUID_NULL);
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(info->GetClassInfo(coclass.put()), S_OK);
    TYPEATTR* attr = nullptr;
    coclass->GetTypeAttr(&attr);
    EXPECT_EQ(attr->guid, test::ControlClass());
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    coclass->ReleaseTypeAttr(attr);

    ComPtr<ISpecifyPropertyPages> pages;
    object->QueryInterface(IID_ISpecifyPropertyPages, pages.put_void());
    CAUUID none{};
    EXPECT_EQ(pages->GetPages(&none), S_OK);
    EXPECT_EQ(none.cElems, 0u);
    ::CoTaskMemFree(none.pElems);

    ComPtr<IViewObjectEx> view;
    object->QueryInterface(IID_IViewObjectEx, view.put_void());
    DWORD status = 0;
    view->GetViewStatus(&status);
    EXPECT_EQ(status, static_cast<DWORD>(VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND));
    // Not in place yet: no window.
    ComPtr<IOleWindow> window;
    object->QueryInterface(IID_IOleWindow, window.put_void());
    HWND wnd = reinterpret_cast<HWND>(1);
    EXPECT_EQ(window->GetWindow(&wnd), E_UNEXPECTED);
    EXPECT_EQ(wnd, nullptr);
}

TEST_F(ComTest, DispatchesThroughItsTypeLibrary)
{
    ComPtr<IDispatch> control = Create<IDispatch>(IID_IDispatch);
    struct {
        const wchar_t* name;
        DISPID id;
    } members[] = {{L"Version", 1}, {L"PostUrl", 8}, {L"jpegquality", 19}, {L"GetPostedFiles", 26}};
    for (const auto& m : members) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
        DISPID id = 0;
        EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << m.name;
        EXPECT_EQ(id, m.id) << m.name;
    }
    // The library also describes what the page's callback objects are.
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()), S_OK);
    ComPtr<ITypeLib> library;
    UINT index = 0;
    ASSERT_EQ(info->GetContainingTypeLib(library.put(), &index), S_OK);
    for (const IID& iid : {__uuidof(IDispatchEx), IID_IServiceProvider}) {
        ComPtr<ITypeInfo> described;
        EXPECT_EQ(library->GetTypeInfoOfGuid(iid, described.put()), S_OK);
    }

    VARIANT version;
    ::VariantInit(&version);
    ASSERT_EQ(test::CallByName(control.Get(), L"Version", DISPATCH_PROPERTYGET, {}, &version), S_OK);
    EXPECT_STREQ(V_BSTR(&version), L"2,7,90,31475");
    ::VariantClear(&version);

    // Out of the 16-bit range: the dispatcher refuses it before the control sees it.
    VARIANT big;
    ::VariantInit(&big);
    V_VT(&big) = VT_I4;
    V_I4(&big) = 70000;
    EXPECT_EQ(test::CallByName(control.Get(), L"JpegQuality", DISPATCH_PROPERTYPUT, {big}), DISP_E_OVERFLOW);

    // Nothing posted: E_INVALIDARG reaches the caller through the exception information.
    EXCEPINFO exception{};
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(test::CallByName(control.Get(), L"GetPostedFiles", DISPATCH_METHOD, {}, &result, &exception),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_INVALIDARG);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
}

TEST_F(ComTest, CallsAPlainDispatchCallbackWithObject)
{
    ComPtr<IDispatch> control = Create<IDispatch>(IID_IDispatch);
    test::RecordingCallback callback, page;
    ASSERT_EQ(test::CallByName(control.Get(), L"Object", DISPATCH_PROPERTYPUT, {test::Dispatch(&page)}), S_OK);
    ASSERT_EQ(test::CallByName(control.Get(), L"OnError", DISPATCH_PROPERTYPUT, {test::Dispatch(&callback)}), S_OK);
    EXPECT_GT(callback.refs, 1);  // held by the control
    ASSERT_EQ(test::CallByName(control.Get(), L"FireOnError", DISPATCH_METHOD, {}), S_OK);
    ASSERT_EQ(callback.calls.size(), 1u);
    EXPECT_EQ(callback.calls[0].member, DISPID_VALUE);
    EXPECT_EQ(callback.calls[0].flags, DISPATCH_METHOD);
    EXPECT_EQ(callback.calls[0].arguments, 1u);
    EXPECT_EQ(callback.calls[0].argument, &page);
    // Without AfterImagesPosted nothing is called and nothing fails.
    EXPECT_EQ(test::CallByName(control.Get(), L"OnImagesPosted", DISPATCH_METHOD, {}), S_OK);
    EXPECT_EQ(callback.calls.size(), 1u);
    control.Reset();
    EXPECT_EQ(callback.refs, 1);  // released with the control
    EXPECT_EQ(page.refs, 1);
}

// An outer object that aggregates the control and counts its own references.
class Outer final : public IUnknown {
public:
    ComPtr<IUnknown> inner;
    LONG refs = 1;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown) {
            *out = this;
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(iid, out) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
};

TEST_F(ComTest, CanBeAggregated)
{
    Outer outer;
    ComPtr<IDispatch> refused;
    EXPECT_EQ(::CoCreateInstance(test::ControlClass(), &outer, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                 refused.put_void()),
              CLASS_E_NOAGGREGATION);
    ASSERT_EQ(::CoCreateInstance(test::ControlClass(), &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                 outer.inner.put_void()),
              S_OK);
    {
        ComPtr<IOleObject> object;
        ASSERT_EQ(outer.QueryInterface(IID_IOleObject, object.put_void()), S_OK);
        // The control's interfaces count for the outer object and answer for it.
        EXPECT_EQ(outer.refs, 2);
        ComPtr<IUnknown> identity;
        object->QueryInterface(IID_IUnknown, identity.put_void());
        EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    }
    EXPECT_EQ(outer.refs, 1);
    outer.inner.Reset();
}

TEST_F(ComTest, CanUnloadOnceTheLastControlIsGone)
{
    ComPtr<IDispatch> control = Create<IDispatch>(IID_IDispatch);
    EXPECT_EQ(test::ControlDllCanUnloadNow(), S_FALSE);
    control.Reset();
    EXPECT_EQ(test::ControlDllCanUnloadNow(), S_OK);
}

}  // namespace
