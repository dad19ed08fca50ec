#include "DataObject.h"

#include <cstring>
#include <new>

#include "ComObject.h"
#include "DragFormats.h"

namespace {

// A fixed block with the bytes of another one; null when either fails.
HGLOBAL CopyBlock(HGLOBAL source)
{
    Korvel::GlobalLocked from(source);
    if (!from.Data()) return nullptr;
    const SIZE_T size = from.Size();
    HGLOBAL copy = ::GlobalAlloc(GMEM_FIXED, size ? size : 1);
    if (copy && size) std::memcpy(copy, from.Data(), size);
    return copy;
}

// A medium the receiver may release without touching ours. Only global memory and the
// counted interfaces can be shared this way; a bitmap or file handed out would be deleted
// by the first receiver that releases it.
HRESULT CopyMedium(const STGMEDIUM& source, STGMEDIUM* out)
{
    STGMEDIUM m{};
    m.tymed = source.tymed;
    switch (source.tymed) {
    case TYMED_HGLOBAL:
        m.hGlobal = CopyBlock(source.hGlobal);
        if (!m.hGlobal) return E_OUTOFMEMORY;
        break;
    case TYMED_ISTREAM:
        m.pstm = source.pstm;
        m.pstm->AddRef();
        break;
    case TYMED_ISTORAGE:
        m.pstg = source.pstg;
        m.pstg->AddRef();
        break;
    default:
        return DV_E_FORMATETC;
    }
    *out = m;
    return S_OK;
}

bool CanShare(const STGMEDIUM& m)
{
    switch (m.tymed) {
    case TYMED_HGLOBAL: return m.hGlobal != nullptr;
    case TYMED_ISTREAM: return m.pstm != nullptr;
    case TYMED_ISTORAGE: return m.pstg != nullptr;
    default: return false;
    }
}

}  // namespace

CustomDataObject::CustomDataObject() = default;

CustomDataObject::~CustomDataObject() = default;

STDMETHODIMP CustomDataObject::QueryInterface(REFIID iid, void** out)
{
    return Korvel::QueryOwnInterface(static_cast<IDataObject*>(this), IID_IDataObject, iid, out);
}

STDMETHODIMP_(ULONG) CustomDataObject::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&refs_));
}

STDMETHODIMP_(ULONG) CustomDataObject::Release()
{
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

bool CustomDataObject::Holds(const FORMATETC& requested) const
{
    return CanShare(medium_.Get()) && (requested.tymed & medium_->tymed) &&
           requested.cfFormat == format_.cfFormat && requested.dwAspect == format_.dwAspect;
}

STDMETHODIMP CustomDataObject::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium) return E_INVALIDARG;
    if (!Holds(*format)) return DV_E_FORMATETC;
    return CopyMedium(medium_.Get(), medium);
}

STDMETHODIMP CustomDataObject::QueryGetData(FORMATETC* format)
{
    if (!format) return E_INVALIDARG;
    return Holds(*format) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP CustomDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release)
{
    if (!format || !medium) return E_INVALIDARG;
    STGMEDIUM owned = *medium;
    // Without the release flag the caller keeps its medium, so we keep a copy.
    if (!release) {
        const HRESULT hr = CopyMedium(*medium, &owned);
        if (FAILED(hr)) return hr;
    }
    format_ = *format;
    format_.ptd = nullptr;  // the caller's device description is not ours to keep
    medium_.Reset(owned);
    return S_OK;
}

STDMETHODIMP CustomDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }
STDMETHODIMP CustomDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) { return E_NOTIMPL; }
STDMETHODIMP CustomDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC**) { return E_NOTIMPL; }
STDMETHODIMP CustomDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return E_NOTIMPL; }
STDMETHODIMP CustomDataObject::DUnadvise(DWORD) { return E_NOTIMPL; }
STDMETHODIMP CustomDataObject::EnumDAdvise(IEnumSTATDATA**) { return E_NOTIMPL; }

Korvel::ComPtr<IDataObject> MakeItemDataObject(int id)
{
    FORMATETC format = DragFormats::Instance().LookupFormat(kListViewItemFormat);
    if (format.cfFormat == 0) return {};
    Korvel::GlobalMemory block(::GlobalAlloc(GMEM_FIXED, sizeof id));
    if (!block) return {};
    std::memcpy(block.Get(), &id, sizeof id);

    Korvel::ComPtr<IDataObject> data(new (std::nothrow) CustomDataObject, false);
    if (!data) return {};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = block.Get();
    if (FAILED(data->SetData(&format, &medium, TRUE))) return {};
    block.Release();  // the data object owns it now
    return data;
}

bool ReadItemId(IDataObject* data, int* id)
{
    if (!data || !id) return false;
    FORMATETC format = DragFormats::Instance().LookupFormat(kListViewItemFormat);
    if (format.cfFormat == 0) return false;
    Korvel::StgMedium medium;
    if (FAILED(data->GetData(&format, medium.put()))) {
        medium.Detach();
        return false;
    }
    if (medium->tymed != TYMED_HGLOBAL) return false;
    Korvel::GlobalLocked block(medium->hGlobal);
    if (!block.Data() || block.Size() < sizeof *id) return false;
    std::memcpy(id, block.Data(), sizeof *id);
    return true;
}
