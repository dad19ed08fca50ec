#pragma once
// The ActiveX control: the upload panel in a container's page, with the script interface
// ISnapferry. The stock control behaviour comes from OleControl; this class adds its COM
// identity (with aggregation), the window, drawing, the script members and the callbacks.
#include <windows.h>

#include <memory>

#include "Snapferry.h"  // made by widl
#include "activex/com/ComModule.h"
#include "activex/com/OleControl.h"
#include "panel/PanelCallbacks.h"
#include "platform/GdiplusSession.h"
#include "platform/Handle.h"

class UploadPanel;

class CSnapferry final : public ISnapferry, public Korvel::Com::OleControl {
public:
    // The class factory's work: a new control, aggregated when `outer` is given.
    static HRESULT Create(IUnknown* outer, REFIID iid, void** out);

    // IUnknown: every interface answers for the controlling object.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return outer_->QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return outer_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return outer_->Release(); }

    // IDispatch, through the type library's description of ISnapferry.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* badArgument) override;

    // ISnapferry
    STDMETHODIMP get_Version(BSTR* version) override;
    STDMETHODIMP put_OnError(IDispatch* callback) override;
    STDMETHODIMP get_Response(BSTR* response) override;
    STDMETHODIMP put_FileSizeLimit(LONG limit) override;
    STDMETHODIMP put_Object(IDispatch* object) override;
    STDMETHODIMP put_Debug(VARIANT_BOOL on) override;
    STDMETHODIMP put_LogFile(BSTR path) override;
    STDMETHODIMP put_PostUrl(BSTR url) override;
    STDMETHODIMP put_PostFileLimit(USHORT limit) override;
    STDMETHODIMP put_ThumbnailWidth(USHORT width) override;
    STDMETHODIMP put_ThumbnailHeight(USHORT height) override;
    STDMETHODIMP put_Watermark(VARIANT_BOOL on) override;
    STDMETHODIMP put_FileFieldName(BSTR name) override;
    STDMETHODIMP put_EncodeType(BSTR charset) override;
    STDMETHODIMP put_ImageUploadType(BSTR type) override;
    STDMETHODIMP put_JpegQuality(USHORT quality) override;
    STDMETHODIMP put_DefaultFolder(BSTR folder) override;
    STDMETHODIMP put_AfterImagesPosted(IDispatch* callback) override;
    STDMETHODIMP OnImagesPosted() override;
    STDMETHODIMP FireOnError() override;
    STDMETHODIMP AddField(BSTR fieldName, BSTR fieldValue) override;
    STDMETHODIMP ClearFields() override;
    STDMETHODIMP GetPostedFiles(VARIANT* files, VARIANT* result) override;

    // OleControl
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP Close(DWORD saveOption) override;

private:
    // The object's own IUnknown, which the outer object of an aggregate holds.
    class Inner final : public IUnknown {
    public:
        explicit Inner(CSnapferry& owner) : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        CSnapferry& owner_;
        LONG refs_ = 0;
    };

    // The drop target COM sees: the panel's, with this object's identity.
    class DropTarget final : public IDropTarget {
    public:
        explicit DropTarget(CSnapferry& owner) : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return owner_.QueryInterface(iid, out); }
        STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }
        STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
        STDMETHODIMP DragOver(DWORD keys, POINTL at, DWORD* effect) override;
        STDMETHODIMP DragLeave() override;
        STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

    private:
        CSnapferry& owner_;
    };

    // How the panel reaches the page: through the global interface table, like a worker.
    class Callbacks final : public PanelCallbacks {
    public:
        explicit Callbacks(CSnapferry& owner) : owner_(owner) {}
        void OnRunStarting() override { owner_.RegisterInTable(); }
        void OnImagesPosted() override { owner_.CallThroughTable(22); }
        void FireOnError(int) override { owner_.CallThroughTable(23); }
        bool PageListens() const override { return !owner_.leaving_; }

    private:
        CSnapferry& owner_;
    };

    explicit CSnapferry(IUnknown* outer);
    ~CSnapferry() override;

    HRESULT InnerQueryInterface(REFIID iid, void** out);
    void RegisterInTable();
    void RevokeFromTable();
    void CallThroughTable(DISPID member);
    HRESULT CallScript(void* function);
    HRESULT LoadTypeInfo();
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

    // OleControl
    IUnknown* ControllingUnknown() override { return outer_; }
    const CLSID& ClassId() const override;
    const IID& ScriptInterface() const override;
    HWND CreateControlWindow(HWND parent, const RECT& pos) override;
    void OnDraw(HDC dc, const RECT& bounds) override;

    Korvel::Com::ModuleLock moduleLock_;
    Inner inner_;
    IUnknown* outer_;
    DropTarget dropTarget_;
    Callbacks callbacks_;
    Korvel::GdiplusSession gdiplus_;
    std::unique_ptr<UploadPanel> panel_;
    Korvel::ComPtr<ITypeInfo> typeInfo_;
    Korvel::ComPtr<IGlobalInterfaceTable> table_;
    DWORD cookie_ = 0;
    bool leaving_ = false;  // closed, or taken off its site: the page is going
};
