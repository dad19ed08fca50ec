#pragma once
// The drop target our panel and lists embed. It takes shell file lists and the registered
// private formats; what a drop means is up to the class that embeds it.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <vector>

class CIDropTargetImpl : public IDropTarget {
public:
    CIDropTargetImpl();
    CIDropTargetImpl(const CIDropTargetImpl&) = delete;
    CIDropTargetImpl& operator=(const CIDropTargetImpl&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    // The object is embedded in its owner, which decides its lifetime: the count only
    // tells OLE's holders apart and never frees anything.
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

    virtual ~CIDropTargetImpl();

    // The handles are lent for the call: the medium behind them is released afterwards.
    virtual void OnDropFiles(HDROP files);
    virtual void OnDropBitmap(HBITMAP bitmap);
    // On entry *effect holds what the source will be told; a handler may change it.
    virtual void OnDropPrivate(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect);

    void SetEnabled(bool enabled) { enabled_ = enabled ? 1 : 0; }
    bool IsEnabled() const { return enabled_ != 0; }

private:
    bool AcceptsFormatOf(IDataObject* data) const;

    int accepting_ = 0;
    BYTE enabled_ = 1;
    std::vector<FORMATETC> accepted_;
    LONG refs_ = 1;
};
