#pragma once
// Starting a drag: the drop source OLE consults during its modal loop, and the object a
// list keeps between the press on a thumbnail and the first move that starts the drag.
#include <windows.h>
#include <ole2.h>

#include "Handle.h"

class IDropSourceImpl final : public IDropSource {
public:
    IDropSourceImpl() = default;
    IDropSourceImpl(const IDropSourceImpl&) = delete;
    IDropSourceImpl& operator=(const IDropSourceImpl&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    STDMETHODIMP GiveFeedback(DWORD effect) override;

private:
    ~IDropSourceImpl() = default;  // through Release only

    LONG refs_ = 1;
};

class OleDrager {
public:
    OleDrager();
    ~OleDrager();
    OleDrager(const OleDrager&) = delete;
    OleDrager& operator=(const OleDrager&) = delete;

    // Keeps a reference to the data until the drag has run or is called off.
    void Arm(IDataObject* data);
    bool IsArmed() const { return armed_ != 0; }
    void Disarm();
    // Runs the system's drag loop (copy only) with the armed data; returns its result,
    // or S_FALSE when nothing was armed.
    HRESULT StartDrag(HWND window, DWORD* effect = nullptr);

private:
    int armed_ = 0;
    HWND window_ = nullptr;
    Korvel::ComPtr<IDataObject> data_;
    Korvel::ComPtr<IDropSource> source_;
};
