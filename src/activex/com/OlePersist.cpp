// What a container keeps of the control (its extent), quick activation, and what the control
// says about itself: class information, property pages, error information, safety.
#include "activex/com/OleControl.h"

#include "activex/com/TypeLibrary.h"

namespace Korvel::Com {

namespace {

// The stream's layout version: the one the stock persistence of current tools writes.
constexpr DWORD kStreamVersion = 0x0E00;

bool ReadLong(IStream* stream, LONG* value)
{
    ULONG read = 0;
    return SUCCEEDED(stream->Read(value, sizeof *value, &read)) && read == sizeof *value;
}

}  // namespace

STDMETHODIMP OleControl::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = ClassId();
    return S_OK;
}

STDMETHODIMP OleControl::Load(LPSTREAM stream)
{
    if (!stream) return E_POINTER;
    LONG version = 0, cx = 0, cy = 0;
    if (!ReadLong(stream, &version) || static_cast<DWORD>(version) > kStreamVersion) return E_FAIL;
    if (!ReadLong(stream, &cx) || !ReadLong(stream, &cy)) return E_FAIL;
    extent_ = SIZEL{cx, cy};
    dirty_ = false;
    return S_OK;
}

STDMETHODIMP OleControl::Save(LPSTREAM stream, BOOL clearDirty)
{
    if (!stream) return E_POINTER;
    const LONG data[3] = {static_cast<LONG>(kStreamVersion), extent_.cx, extent_.cy};
    ULONG written = 0;
    const HRESULT hr = stream->Write(data, sizeof data, &written);
    if (FAILED(hr)) return hr;
    if (written != sizeof data) return STG_E_WRITEFAULT;
    if (clearDirty) dirty_ = false;
    return S_OK;
}

STDMETHODIMP OleControl::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size) return E_POINTER;
    size->QuadPart = 3 * sizeof(LONG);
    return S_OK;
}

STDMETHODIMP OleControl::InitNew()
{
    dirty_ = true;
    return S_OK;
}

STDMETHODIMP OleControl::Load(IStorage* storage)
{
    if (!storage) return E_INVALIDARG;
    ComPtr<IStream> stream;
    const HRESULT hr = storage->OpenStream(L"Contents", nullptr, STGM_DIRECT | STGM_SHARE_EXCLUSIVE, 0, stream.put());
    return FAILED(hr) ? hr : Load(stream.Get());
}

STDMETHODIMP OleControl::Save(IStorage* storage, BOOL sameAsLoad)
{
    if (!storage) return E_INVALIDARG;
    ComPtr<IStream> stream;
    const HRESULT hr = storage->CreateStream(L"Contents", STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0,
                                             stream.put());
    return FAILED(hr) ? hr : Save(stream.Get(), sameAsLoad);
}

STDMETHODIMP OleControl::QuickActivate(QACONTAINER* container, QACONTROL* control)
{
    if (!container || !control) return E_POINTER;
    const ULONG size = control->cbSize;
    ::ZeroMemory(control, size);
    control->cbSize = size;
    ComPtr<IOleObject> self;
    ComPtr<IViewObjectEx> view;
    if (FAILED(ControllingUnknown()->QueryInterface(IID_IOleObject, self.put_void())) ||
        FAILED(ControllingUnknown()->QueryInterface(IID_IViewObjectEx, view.put_void())))
        return E_FAIL;
    SetClientSite(container->pClientSite);
    if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    GetMiscStatus(DVASPECT_CONTENT, &control->dwMiscStatus);
    control->dwViewStatus = kViewStatus;
    return S_OK;
}

STDMETHODIMP OleControl::GetClassInfo(ITypeInfo** info)
{
    if (!info) return E_POINTER;
    return LoadTypeInfo(ClassId(), info);
}

STDMETHODIMP OleControl::GetGUID(DWORD kind, GUID* guid)
{
    if (!guid) return E_POINTER;
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    return E_FAIL;  // the control raises no events
}

STDMETHODIMP OleControl::GetPages(CAUUID* pages)
{
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = static_cast<GUID*>(::CoTaskMemAlloc(0));
    return S_OK;
}

STDMETHODIMP OleControl::InterfaceSupportsErrorInfo(REFIID iid)
{
    return iid == ScriptInterface() ? S_OK : S_FALSE;
}

STDMETHODIMP OleControl::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled)
{
    if (!supported || !enabled) return E_POINTER;
    ComPtr<IUnknown> probe;
    const HRESULT hr = ControllingUnknown()->QueryInterface(iid, probe.put_void());
    if (FAILED(hr)) {
        *supported = *enabled = 0;
        return hr;
    }
    *supported = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
    *enabled = safety_;
    return S_OK;
}

STDMETHODIMP OleControl::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled)
{
    ComPtr<IUnknown> probe;
    if (FAILED(ControllingUnknown()->QueryInterface(iid, probe.put_void()))) return E_NOINTERFACE;
    if (mask & ~static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER)) return E_FAIL;
    safety_ = (safety_ & ~mask) | (mask & enabled);
    return S_OK;
}

}  // namespace Korvel::Com
