// How containers see the control: drawing into their context, hit tests, the extent, and a
// metafile picture of it.
#include "activex/com/OleControl.h"

namespace Korvel::Com {

namespace {

// HIMETRIC to pixels of the screen.
SIZE ExtentInPixels(const SIZEL& extent)
{
    WindowDC screen(nullptr);
    const int x = ::GetDeviceCaps(screen.Get(), LOGPIXELSX), y = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return SIZE{::MulDiv(extent.cx, x, 2540), ::MulDiv(extent.cy, y, 2540)};
}

}  // namespace

STDMETHODIMP OleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                              BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (!bounds) return E_INVALIDARG;
    if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_OPAQUE && aspect != DVASPECT_TRANSPARENT)
        return DV_E_DVASPECT;
    if (!dc) return E_INVALIDARG;
    RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
    if (::GetDeviceCaps(dc, TECHNOLOGY) == DT_METAFILE) {
        OnDraw(dc, r);
        return S_OK;
    }
    // Device units from here on, whatever mapping the container set.
    const int saved = ::SaveDC(dc);
    ::LPtoDP(dc, reinterpret_cast<POINT*>(&r), 2);
    ::SetMapMode(dc, MM_TEXT);
    ::SetWindowOrgEx(dc, 0, 0, nullptr);
    ::SetViewportOrgEx(dc, 0, 0, nullptr);
    OnDraw(dc, r);
    ::RestoreDC(dc, saved);
    return S_OK;
}

STDMETHODIMP OleControl::SetAdvise(DWORD, DWORD, IAdviseSink* sink)
{
    viewSink_ = ComPtr<IAdviseSink>(sink);
    return S_OK;
}

STDMETHODIMP OleControl::GetAdvise(DWORD*, DWORD*, IAdviseSink** sink)
{
    if (sink) {
        *sink = viewSink_.Get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP OleControl::GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    if (!size) return E_POINTER;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP OleControl::GetViewStatus(DWORD* status)
{
    if (!status) return E_POINTER;
    *status = kViewStatus;
    return S_OK;
}

STDMETHODIMP OleControl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT at, LONG, DWORD* result)
{
    if (!result) return E_POINTER;
    if (aspect == DVASPECT_CONTENT && bounds) {
        *result = ::PtInRect(bounds, at) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
        return S_OK;
    }
    *result = HITRESULT_OUTSIDE;
    return E_FAIL;
}

STDMETHODIMP OleControl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG, DWORD* result)
{
    if (!result) return E_POINTER;
    if (aspect == DVASPECT_CONTENT && bounds && rect) {
        RECT both{};
        *result = ::UnionRect(&both, bounds, rect) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
        return S_OK;
    }
    return E_FAIL;
}

STDMETHODIMP OleControl::GetNaturalExtent(DWORD aspect, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO* info, LPSIZEL size)
{
    if (!info || !size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT || info->dwExtentMode != DVEXTENT_CONTENT) return E_FAIL;
    *size = SIZEL{kNaturalExtent, kNaturalExtent};
    return S_OK;
}

STDMETHODIMP OleControl::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium) return E_POINTER;
    if (!(format->tymed & TYMED_MFPICT)) return DATA_E_FORMATETC;
    return RenderMetafile(medium);
}

HRESULT OleControl::RenderMetafile(STGMEDIUM* medium)
{
    const SIZE pixels = ExtentInPixels(extent_);
    HDC dc = ::CreateMetaFileW(nullptr);
    if (!dc) return E_OUTOFMEMORY;
    ::SetWindowOrgEx(dc, 0, 0, nullptr);
    ::SetWindowExtEx(dc, pixels.cx, pixels.cy, nullptr);
    OnDraw(dc, RECT{0, 0, pixels.cx, pixels.cy});
    HMETAFILE picture = ::CloseMetaFile(dc);
    if (!picture) return E_OUTOFMEMORY;
    GlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT)));
    auto* info = block ? static_cast<METAFILEPICT*>(::GlobalLock(block.Get())) : nullptr;
    if (!info) {
        ::DeleteMetaFile(picture);
        return E_OUTOFMEMORY;
    }
    *info = METAFILEPICT{MM_ANISOTROPIC, extent_.cx, extent_.cy, picture};
    ::GlobalUnlock(block.Get());
    medium->tymed = TYMED_MFPICT;
    medium->hMetaFilePict = block.Release();
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP OleControl::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection)
{
    if (!dataAdvise_) {
        const HRESULT hr = ::CreateDataAdviseHolder(dataAdvise_.put());
        if (FAILED(hr)) return hr;
    }
    return dataAdvise_->Advise(this, format, flags, sink, connection);
}

STDMETHODIMP OleControl::DUnadvise(DWORD connection)
{
    return dataAdvise_ ? dataAdvise_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP OleControl::EnumDAdvise(IEnumSTATDATA** advise)
{
    return dataAdvise_ ? dataAdvise_->EnumAdvise(advise) : E_FAIL;
}

}  // namespace Korvel::Com
