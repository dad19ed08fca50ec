#pragma once
// What a drag source hands a drop target, built the way the shell and other programs build
// it: file-list blocks, one-format data objects, and a multi-format source whose media
// report when the receiver releases them.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/DataObject.h"
#include "platform/Handle.h"

namespace test {

// A DROPFILES block followed by the names, each closed by a zero, and a closing zero.
inline std::vector<BYTE> FileListBytes(const std::vector<std::wstring>& names, bool wide = true)
{
    std::vector<BYTE> out(sizeof(DROPFILES));
    DROPFILES head{};
    head.pFiles = sizeof(DROPFILES);
    head.fWide = wide;
    std::memcpy(out.data(), &head, sizeof head);
    auto put = [&](const void* p, std::size_t n) {
        const BYTE* b = static_cast<const BYTE*>(p);
        out.insert(out.end(), b, b + n);
    };
    for (const std::wstring& name : names) {
        if (wide) {
            put(name.c_str(), (name.size() + 1) * sizeof(wchar_t));
        } else {
            const std::string narrow(name.begin(), name.end());  // ASCII names only
            put(narrow.c_str(), narrow.size() + 1);
        }
    }
    const wchar_t end = 0;
    put(&end, wide ? sizeof end : 1);
    return out;
}

inline HGLOBAL GlobalCopy(const std::vector<BYTE>& bytes, UINT flags = GMEM_MOVEABLE)
{
    HGLOBAL h = ::GlobalAlloc(flags, bytes.empty() ? 1 : bytes.size());
    if (void* p = h ? ::GlobalLock(h) : nullptr) {
        if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
        ::GlobalUnlock(h);
    }
    return h;
}

inline std::vector<BYTE> GlobalBytes(HGLOBAL h)
{
    std::vector<BYTE> out;
    if (const void* p = ::GlobalLock(h)) {
        const BYTE* b = static_cast<const BYTE*>(p);
        out.assign(b, b + ::GlobalSize(h));
        ::GlobalUnlock(h);
    }
    return out;
}

inline FORMATETC Format(CLIPFORMAT cf, DWORD tymed = TYMED_HGLOBAL)
{
    return FORMATETC{cf, nullptr, DVASPECT_CONTENT, -1, tymed};
}

// The medium's release object: frees the handle and counts once the receiver lets go.
class MediumOwner final : public IUnknown {
public:
    MediumOwner(const STGMEDIUM& m, int* released) : m_(m), released_(released) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (iid != IID_IUnknown) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) {
            ++*released_;
            ::ReleaseStgMedium(&m_);
            delete this;
        }
        return left;
    }
    // m with this owner attached, which owns m's handle from now on.
    static STGMEDIUM Attach(STGMEDIUM m, int* released)
    {
        m.pUnkForRelease = new MediumOwner(m, released);
        return m;
    }

private:
    ~MediumOwner() = default;
    STGMEDIUM m_;
    int* released_;
    ULONG refs_ = 1;
};

// A one-format CustomDataObject holding a copy of the bytes.
inline Korvel::ComPtr<IDataObject> OneFormat(CLIPFORMAT cf, const std::vector<BYTE>& bytes)
{
    Korvel::ComPtr<IDataObject> data(new CustomDataObject, false);
    FORMATETC f = Format(cf);
    STGMEDIUM m{};
    m.tymed = TYMED_HGLOBAL;
    m.hGlobal = GlobalCopy(bytes);
    data->SetData(&f, &m, TRUE);
    return data;
}

// Files dropped on a target as the shell's drag loop brings them: enter, one move, drop.
inline void DropFileList(IDropTarget* target, const std::vector<std::wstring>& paths, POINTL at)
{
    Korvel::ComPtr<IDataObject> data = OneFormat(CF_HDROP, FileListBytes(paths));
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(data.Get(), MK_LBUTTON, at, &effect);
    effect = DROPEFFECT_COPY;
    target->DragOver(MK_LBUTTON, at, &effect);
    effect = DROPEFFECT_COPY;
    target->Drop(data.Get(), 0, at, &effect);
}

// A source offering several formats, each as a fresh medium per request, as another
// program's data object would. Lives on the stack: the count never frees it.
class MultiFormatSource : public IDataObject {
public:
    void AddGlobal(CLIPFORMAT cf, std::vector<BYTE> bytes) { entries_.push_back({cf, TYMED_HGLOBAL, std::move(bytes)}); }
    void AddBitmap(int w, int h) { entries_.push_back({CF_BITMAP, TYMED_GDI, {BYTE(w), BYTE(h)}}); }

    int released = 0;       // media released by receivers
    std::vector<CLIPFORMAT> asked;  // formats requested through GetData, in order

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDataObject) {
            *out = static_cast<IDataObject*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP GetData(FORMATETC* f, STGMEDIUM* out) override
    {
        asked.push_back(f->cfFormat);
        const Entry* e = Find(*f);
        if (!e) return DV_E_FORMATETC;
        STGMEDIUM m{};
        m.tymed = e->tymed;
        if (e->tymed == TYMED_GDI)
            m.hBitmap = ::CreateBitmap(e->bytes[0], e->bytes[1], 1, 32, nullptr);
        else
            m.hGlobal = GlobalCopy(e->bytes);
        *out = MediumOwner::Attach(m, &released);
        return S_OK;
    }
    STDMETHODIMP QueryGetData(FORMATETC* f) override { return Find(*f) ? S_OK : DV_E_FORMATETC; }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

    virtual ~MultiFormatSource() = default;

private:
    struct Entry {
        CLIPFORMAT cf;
        DWORD tymed;
        std::vector<BYTE> bytes;  // for a bitmap: its width and height
    };
    const Entry* Find(const FORMATETC& f) const
    {
        for (const Entry& e : entries_)
            if (e.cf == f.cfFormat && (f.tymed & e.tymed) && f.dwAspect == DVASPECT_CONTENT) return &e;
        return nullptr;
    }
    std::vector<Entry> entries_;
};

}  // namespace test
