#pragma once
// A data object that carries one format, and the thumbnail payload built on it.
#include <windows.h>
#include <ole2.h>

#include "Handle.h"
#include "OleMedium.h"

class CustomDataObject final : public IDataObject {
public:
    CustomDataObject();
    CustomDataObject(const CustomDataObject&) = delete;
    CustomDataObject& operator=(const CustomDataObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // Every receiver gets a copy of its own; the medium set last stays ours.
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP DUnadvise(DWORD connection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** out) override;

private:
    ~CustomDataObject();  // through Release only
    bool Holds(const FORMATETC& requested) const;

    LONG refs_ = 1;
    FORMATETC format_{};
    Korvel::StgMedium medium_;
};

// The data object that carries a thumbnail's identifier while it is dragged within its
// list; empty when the "ListViewItem" format is not registered or memory runs out.
Korvel::ComPtr<IDataObject> MakeItemDataObject(int id);
// Reads that identifier back from a dropped data object.
bool ReadItemId(IDataObject* data, int* id);
