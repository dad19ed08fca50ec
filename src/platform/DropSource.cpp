#include "DropSource.h"

#include <new>

#include "ComObject.h"

STDMETHODIMP IDropSourceImpl::QueryInterface(REFIID iid, void** out)
{
    return Korvel::QueryOwnInterface(static_cast<IDropSource*>(this), IID_IDropSource, iid, out);
}

STDMETHODIMP_(ULONG) IDropSourceImpl::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&refs_));
}

STDMETHODIMP_(ULONG) IDropSourceImpl::Release()
{
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP IDropSourceImpl::QueryContinueDrag(BOOL escapePressed, DWORD keyState)
{
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (!(keyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
    return S_OK;
}

STDMETHODIMP IDropSourceImpl::GiveFeedback(DWORD)
{
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

OleDrager::OleDrager() : source_(new (std::nothrow) IDropSourceImpl, false) {}

OleDrager::~OleDrager() = default;

void OleDrager::Arm(IDataObject* data)
{
    if (!data) return;
    data_ = Korvel::ComPtr<IDataObject>(data);
    armed_ = 1;
}

void OleDrager::Disarm()
{
    armed_ = 0;
    data_.Reset();
}

HRESULT OleDrager::StartDrag(HWND window, DWORD* effect)
{
    DWORD done = DROPEFFECT_NONE;
    if (effect) *effect = done;
    if (!armed_ || !data_) return S_FALSE;
    if (!source_) return E_OUTOFMEMORY;
    window_ = window;
    // Disarmed before the loop starts: the loop dispatches messages, and a mouse move that
    // reaches the list meanwhile must not start a second drag.
    Korvel::ComPtr<IDataObject> data = std::move(data_);
    armed_ = 0;
    const HRESULT hr = ::DoDragDrop(data.Get(), source_.Get(), DROPEFFECT_COPY, &done);
    if (effect) *effect = done;
    return hr;
}
