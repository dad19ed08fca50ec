// The control's script members: each forwards to its panel, and the callbacks call the
// page's functions.
#include <dispex.h>

#include "Biz/PanelSettings.h"
#include "activex/CSnapferry.h"
#include "activex/com/TypeLibrary.h"
#include "panel/UploadPanel.h"

namespace {

// Script objects the panel holds are counted IDispatch references.
void RetainDispatch(void* object) { static_cast<IDispatch*>(object)->AddRef(); }
void ReleaseDispatch(void* object) { static_cast<IDispatch*>(object)->Release(); }
const ScriptObjectOps kDispatchOps{&RetainDispatch, &ReleaseDispatch};

const wchar_t* Text(BSTR text) { return text ? text : L""; }

// Not in MinGW's import libraries.
const IID kDispatchEx = {0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};

// An argument the caller left out (an optional parameter the dispatcher filled in).
bool Missing(const VARIANT* v)
{
    return !v || (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND);
}

}  // namespace

HRESULT CSnapferry::LoadTypeInfo()
{
    if (typeInfo_) return S_OK;
    return Korvel::Com::LoadTypeInfo(IID_ISnapferry, typeInfo_.put());
}

STDMETHODIMP CSnapferry::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CSnapferry::GetTypeInfo(UINT index, LCID, ITypeInfo** info)
{
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    *info = typeInfo_.Get();
    (*info)->AddRef();
    return S_OK;
}

STDMETHODIMP CSnapferry::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const HRESULT hr = LoadTypeInfo();
    return FAILED(hr) ? hr : typeInfo_->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP CSnapferry::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO* exception, UINT* badArgument)
{
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    return typeInfo_->Invoke(static_cast<ISnapferry*>(this), id, flags, params, result, exception, badArgument);
}

STDMETHODIMP CSnapferry::get_Version(BSTR* version)
{
    if (!version) return E_POINTER;
    *version = ::SysAllocString(PanelSettings::Version());
    return *version ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CSnapferry::get_Response(BSTR* response)
{
    if (!response) return E_POINTER;
    const std::wstring text = panel_->Response();
    *response = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *response ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CSnapferry::put_OnError(IDispatch* callback)
{
    panel_->PutOnError(callback, &kDispatchOps);
    return S_OK;
}

STDMETHODIMP CSnapferry::put_Object(IDispatch* object)
{
    panel_->PutObject(object, &kDispatchOps);
    return S_OK;
}

STDMETHODIMP CSnapferry::put_AfterImagesPosted(IDispatch* callback)
{
    panel_->PutAfterImagesPosted(callback, &kDispatchOps);
    return S_OK;
}

STDMETHODIMP CSnapferry::put_FileSizeLimit(LONG limit)
{
    panel_->PutFileSizeLimit(limit);
    return S_OK;
}

STDMETHODIMP CSnapferry::put_Debug(VARIANT_BOOL on)
{
    panel_->PutDebug(on);
    return S_OK;
}

STDMETHODIMP CSnapferry::put_LogFile(BSTR path)
{
    panel_->PutLogFile(Text(path));
    return S_OK;
}

STDMETHODIMP CSnapferry::put_PostUrl(BSTR url)
{
    panel_->PutPostUrl(Text(url));
    return S_OK;
}

STDMETHODIMP CSnapferry::put_PostFileLimit(USHORT limit)
{
    panel_->PutPostFileLimit(limit);
    return S_OK;
}

STDMETHODIMP CSnapferry::put_ThumbnailWidth(USHORT width)
{
    panel_->PutThumbnailWidth(width);
    return S_OK;
}

STDMETHODIMP CSnapferry::put_ThumbnailHeight(USHORT height)
{
    panel_->PutThumbnailHeight(height);
    return S_OK;
}

STDMETHODIMP CSnapferry::put_Watermark(VARIANT_BOOL on)
{
    panel_->PutWatermark(on);
    return S_OK;
}

STDMETHODIMP CSnapferry::put_FileFieldName(BSTR name)
{
    panel_->PutFileFieldName(Text(name));
    return S_OK;
}

STDMETHODIMP CSnapferry::put_EncodeType(BSTR charset)
{
    panel_->PutEncodeType(Text(charset));
    return S_OK;
}

STDMETHODIMP CSnapferry::put_ImageUploadType(BSTR type)
{
    panel_->PutImageUploadType(Text(type));
    return S_OK;
}

STDMETHODIMP CSnapferry::put_JpegQuality(USHORT quality)
{
    panel_->PutJpegQuality(quality);
    return S_OK;
}

STDMETHODIMP CSnapferry::put_DefaultFolder(BSTR folder)
{
    panel_->PutDefaultFolder(Text(folder));
    return S_OK;
}

STDMETHODIMP CSnapferry::AddField(BSTR fieldName, BSTR fieldValue)
{
    panel_->AddField(Text(fieldName), Text(fieldValue));
    return S_OK;
}

STDMETHODIMP CSnapferry::ClearFields()
{
    panel_->ClearFields();
    return S_OK;
}

STDMETHODIMP CSnapferry::GetPostedFiles(VARIANT* files, VARIANT* result)
{
    const std::vector<std::wstring>& posted = panel_->PostedFiles();
    if (posted.empty()) return E_INVALIDARG;
    SAFEARRAYBOUND bound{static_cast<ULONG>(posted.size()), 0};
    SAFEARRAY* array = ::SafeArrayCreate(VT_VARIANT, 1, &bound);
    if (!array) return E_OUTOFMEMORY;
    for (LONG i = 0; i < static_cast<LONG>(posted.size()); ++i) {
        VARIANT entry;
        ::VariantInit(&entry);
        V_VT(&entry) = VT_BSTR;
        V_BSTR(&entry) = ::SysAllocStringLen(posted[i].data(), static_cast<UINT>(posted[i].size()));
        const HRESULT hr = ::SafeArrayPutElement(array, &i, &entry);  // copies the text
        ::VariantClear(&entry);
        if (FAILED(hr)) {
            ::SafeArrayDestroy(array);
            return hr;
        }
    }
    VARIANT value;
    ::VariantInit(&value);
    V_VT(&value) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&value) = array;
    HRESULT hr = S_OK;
    if (!Missing(files)) {
        ::VariantClear(files);
        hr = ::VariantCopy(files, &value);
    }
    if (SUCCEEDED(hr) && result) {
        ::VariantInit(result);
        hr = ::VariantCopy(result, &value);
    }
    ::VariantClear(&value);
    return hr;
}

STDMETHODIMP CSnapferry::OnImagesPosted()
{
    // On the control's own thread, whether the page calls it or the table brings it here.
    CallScript(panel_->AfterImagesPosted());
    return S_OK;
}

STDMETHODIMP CSnapferry::FireOnError()
{
    CallScript(panel_->OnError());
    return S_OK;
}

HRESULT CSnapferry::CallScript(void* function)
{
    if (!function) return S_FALSE;
    // Keep both alive while the page runs: its function may replace them.
    Korvel::ComPtr<IDispatch> callback(static_cast<IDispatch*>(function));
    Korvel::ComPtr<IDispatch> object(static_cast<IDispatch*>(panel_->Object()));
    VARIANT argument;
    ::VariantInit(&argument);
    V_VT(&argument) = VT_DISPATCH;
    V_DISPATCH(&argument) = object.Get();
    DISPPARAMS params{&argument, nullptr, 1, 0};
    VARIANT answer;
    ::VariantInit(&answer);
    HRESULT hr;
    Korvel::ComPtr<IDispatchEx> script;
    if (SUCCEEDED(callback->QueryInterface(kDispatchEx, script.put_void())))
        hr = script->InvokeEx(DISPID_VALUE, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &answer, nullptr, nullptr);
    else  // a plain dispatch object (a VBScript GetRef function, say)
        hr = callback->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &answer, nullptr,
                              nullptr);
    ::VariantClear(&answer);
    return hr;
}
