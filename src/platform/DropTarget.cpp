#include "DropTarget.h"

#include <shlobj.h>

#include <cstring>

#include "ComObject.h"
#include "DragFormats.h"
#include "OleMedium.h"

namespace {

FORMATETC FormatOf(CLIPFORMAT cf, DWORD tymed)
{
    return FORMATETC{cf, nullptr, DVASPECT_CONTENT, -1, tymed};
}

// Control asks for a copy, Shift for a move; what the source does not allow falls back to
// move, then copy.
DWORD ChooseEffect(DWORD keyState, DWORD allowed)
{
    DWORD preferred = DROPEFFECT_NONE;
    if (keyState & MK_CONTROL)
        preferred = DROPEFFECT_COPY;
    else if (keyState & MK_SHIFT)
        preferred = DROPEFFECT_MOVE;
    if (preferred != DROPEFFECT_NONE && (allowed & preferred)) return preferred;
    if (allowed & DROPEFFECT_MOVE) return DROPEFFECT_MOVE;
    if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
    return DROPEFFECT_NONE;
}

// The block comes from another program, and the shell's list readers trust it: check that
// the names start inside it and that the list ends before it does. A list without names is
// refused too; there is nothing in it to drop, and a reader may run past its end.
bool IsFileList(const BYTE* p, SIZE_T size)
{
    if (!p || size < sizeof(DROPFILES)) return false;
    DROPFILES head;
    std::memcpy(&head, p, sizeof head);
    const SIZE_T unit = head.fWide ? 2 : 1;
    SIZE_T pos = head.pFiles;
    if (pos > size) return false;
    auto at = [&](SIZE_T i) { return unit == 1 ? p[i] : (p[i] | p[i + 1]); };
    for (bool first = true;; first = false) {
        if (size - pos < unit) return false;
        if (at(pos) == 0) return !first;  // the empty name that closes the list
        while (at(pos) != 0) {
            pos += unit;
            if (size - pos < unit) return false;
        }
        pos += unit;
    }
}

// A failed GetData may leave anything in the medium; only a delivered one is ours to free.
bool Fetch(IDataObject* data, FORMATETC format, Korvel::StgMedium& medium)
{
    if (SUCCEEDED(data->GetData(&format, medium.put()))) return true;
    medium.Detach();
    return false;
}

}  // namespace

CIDropTargetImpl::CIDropTargetImpl() : accepted_{FormatOf(CF_HDROP, TYMED_HGLOBAL)} {}

CIDropTargetImpl::~CIDropTargetImpl() = default;

STDMETHODIMP CIDropTargetImpl::QueryInterface(REFIID iid, void** out)
{
    return Korvel::QueryOwnInterface(static_cast<IDropTarget*>(this), IID_IDropTarget, iid, out);
}

STDMETHODIMP_(ULONG) CIDropTargetImpl::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&refs_));
}

STDMETHODIMP_(ULONG) CIDropTargetImpl::Release()
{
    return static_cast<ULONG>(::InterlockedDecrement(&refs_));
}

bool CIDropTargetImpl::AcceptsFormatOf(IDataObject* data) const
{
    for (FORMATETC f : accepted_)
        if (data->QueryGetData(&f) == S_OK) return true;
    return DragFormats::Instance().Offers(data);
}

STDMETHODIMP CIDropTargetImpl::DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect)
{
    if (!effect) return E_INVALIDARG;
    accepting_ = 0;
    // A disabled target says so too: an effect left as the source offered it would read
    // as an accepted drop.
    if (!enabled_) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    accepting_ = data && AcceptsFormatOf(data) ? 1 : 0;
    *effect = accepting_ ? ChooseEffect(keyState, *effect) : DROPEFFECT_NONE;
    return S_OK;
}

STDMETHODIMP CIDropTargetImpl::DragOver(DWORD keyState, POINTL, DWORD* effect)
{
    if (!effect) return E_INVALIDARG;
    *effect = accepting_ ? ChooseEffect(keyState, *effect) : DROPEFFECT_NONE;
    return S_OK;
}

STDMETHODIMP CIDropTargetImpl::DragLeave()
{
    return S_OK;
}

STDMETHODIMP CIDropTargetImpl::Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect)
{
    if (!effect) return E_INVALIDARG;
    if (!accepting_ || !data) {
        *effect = DROPEFFECT_NONE;
        return S_FALSE;
    }
    // We only ever read what was dropped. A move reported back would tell the source to
    // delete its originals, the user's files among them.
    *effect = (*effect & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    try {
        Korvel::StgMedium medium;
        if (Fetch(data, FormatOf(CF_HDROP, TYMED_HGLOBAL), medium) && medium->tymed == TYMED_HGLOBAL) {
            Korvel::GlobalLocked block(medium->hGlobal);
            if (IsFileList(static_cast<const BYTE*>(block.Data()), block.Size())) {
                OnDropFiles(static_cast<HDROP>(medium->hGlobal));
                return S_OK;
            }
        }
        if (Fetch(data, FormatOf(CF_BITMAP, TYMED_GDI), medium) && medium->tymed == TYMED_GDI &&
            medium->hBitmap) {
            OnDropBitmap(medium->hBitmap);
            return S_OK;
        }
        medium.Reset();
        if (DragFormats::Instance().Offers(data)) OnDropPrivate(data, keyState, pt, effect);
    } catch (...) {
        return E_UNEXPECTED;
    }
    return S_OK;
}

void CIDropTargetImpl::OnDropFiles(HDROP) {}

void CIDropTargetImpl::OnDropBitmap(HBITMAP) {}

void CIDropTargetImpl::OnDropPrivate(IDataObject*, DWORD, POINTL, DWORD*) {}
