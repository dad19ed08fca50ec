#include "activex/CSnapferry.h"

#include <new>
#include <thread>

#include "panel/UploadPanel.h"
#include "platform/Module.h"
#include "ui/Reflection.h"
#include "ui/WindowClass.h"

namespace {

// The class name carries the module's address, so two copies of the DLL never share it.
const wchar_t* WindowClassName()
{
    static wchar_t name[48] = {};
    if (!name[0])
        ::swprintf(name, 48, L"Snapferry64:%p", static_cast<void*>(Korvel::ThisModule()));
    return name;
}

}  // namespace

HRESULT CSnapferry::Create(IUnknown* outer, REFIID iid, void** out)
{
    auto* control = new (std::nothrow) CSnapferry(outer);
    if (!control) return E_OUTOFMEMORY;
    control->inner_.AddRef();
    const HRESULT hr = control->inner_.QueryInterface(iid, out);
    control->inner_.Release();  // the object goes again when the interface was refused
    return hr;
}

CSnapferry::CSnapferry(IUnknown* outer)
    : inner_(*this), outer_(outer ? outer : &inner_), dropTarget_(*this), callbacks_(*this),
      panel_(std::make_unique<UploadPanel>(callbacks_))
{
}

CSnapferry::~CSnapferry()
{
    RevokeFromTable();
    ReleaseContainer();
    panel_.reset();
}

STDMETHODIMP CSnapferry::Inner::QueryInterface(REFIID iid, void** out) { return owner_.InnerQueryInterface(iid, out); }

STDMETHODIMP_(ULONG) CSnapferry::Inner::AddRef() { return ::InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) CSnapferry::Inner::Release()
{
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete &owner_;
    return left;
}

HRESULT CSnapferry::InnerQueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown) {
        *out = static_cast<IUnknown*>(&inner_);
    } else if (iid == IID_ISnapferry || iid == IID_IDispatch) {
        *out = static_cast<ISnapferry*>(this);
    } else if (iid == IID_IDropTarget) {
        *out = static_cast<IDropTarget*>(&dropTarget_);
    } else if (iid == IID_IViewObjectEx || iid == IID_IViewObject2 || iid == IID_IViewObject) {
        *out = static_cast<IViewObjectEx*>(this);
    } else if (iid == IID_IOleInPlaceObjectWindowless || iid == IID_IOleInPlaceObject || iid == IID_IOleWindow) {
        *out = static_cast<IOleInPlaceObjectWindowless*>(this);
    } else if (iid == IID_IOleInPlaceActiveObject) {
        *out = static_cast<IOleInPlaceActiveObject*>(this);
    } else if (iid == IID_IOleControl) {
        *out = static_cast<IOleControl*>(this);
    } else if (iid == IID_IOleObject) {
        *out = static_cast<IOleObject*>(this);
    } else if (iid == IID_IPersistStreamInit || iid == IID_IPersist) {
        *out = static_cast<IPersistStreamInit*>(this);
    } else if (iid == IID_ISupportErrorInfo) {
        *out = static_cast<ISupportErrorInfo*>(this);
    } else if (iid == IID_ISpecifyPropertyPages) {
        *out = static_cast<ISpecifyPropertyPages*>(this);
    } else if (iid == IID_IQuickActivate) {
        *out = static_cast<IQuickActivate*>(this);
    } else if (iid == IID_IPersistStorage) {
        *out = static_cast<IPersistStorage*>(this);
    } else if (iid == IID_IDataObject) {
        *out = static_cast<IDataObject*>(this);
    } else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) {
        *out = static_cast<IProvideClassInfo2*>(this);
    } else if (iid == IID_IObjectSafety) {
        *out = static_cast<IObjectSafety*>(this);
    } else {
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
}

const CLSID& CSnapferry::ClassId() const { return CLSID_Snapferry; }

const IID& CSnapferry::ScriptInterface() const { return IID_ISnapferry; }

STDMETHODIMP CSnapferry::SetClientSite(IOleClientSite* site)
{
    // Leaving the page: nothing may keep the control alive through the table any more.
    leaving_ = site == nullptr;
    if (!site) RevokeFromTable();
    return OleControl::SetClientSite(site);
}

STDMETHODIMP CSnapferry::Close(DWORD saveOption)
{
    leaving_ = true;
    RevokeFromTable();
    return OleControl::Close(saveOption);
}

HWND CSnapferry::CreateControlWindow(HWND parent, const RECT& pos)
{
    if (!Korvel::UI::RegisterWindowClassOnce(WindowClassName(), &CSnapferry::WindowProc,
                                             CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                             reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
        return nullptr;
    return ::CreateWindowExW(0, WindowClassName(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                             pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top, parent, nullptr,
                             Korvel::ThisModule(), this);
}

LRESULT CALLBACK CSnapferry::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = Korvel::UI::WindowObject<CSnapferry>(wnd, message, lParam);
    if (!self) return ::DefWindowProcW(wnd, message, wParam, lParam);
    return self->HandleMessage(wnd, message, wParam, lParam);
}

LRESULT CSnapferry::HandleMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (StockMessage(wnd, message, wParam, lParam, &result)) return result;
    // The panel builds itself on WM_CREATE (registering its drop target), tears down on
    // WM_DESTROY, and reflects its children's notifications back to them.
    if (panel_->HandleMessage(wnd, message, wParam, lParam, &result)) {
        if (message == WM_DESTROY) {
            Korvel::UI::ForgetWindowObject(wnd);
            WindowDestroyed();
        }
        return result;
    }
    if (Korvel::UI::DefaultReflectionHandler(wnd, message, wParam, lParam, &result)) return result;
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}

void CSnapferry::OnDraw(HDC dc, const RECT& bounds)
{
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) return;
    Korvel::MemoryDC memory(::CreateCompatibleDC(dc));
    Korvel::MemoryDC spare(::CreateCompatibleDC(dc));
    Korvel::Bitmap bitmap(::CreateCompatibleBitmap(dc, width, height));
    if (!memory || !spare || !bitmap) return;
    Korvel::SelectedObject selected(memory.Get(), bitmap.Get());
    ::SetViewportOrgEx(memory.Get(), -bounds.left, -bounds.top, nullptr);
    Korvel::UI::CPaintEventArgs e(memory.Get(), spare.Get());
    panel_->OnPaint(e);
    ::SetViewportOrgEx(memory.Get(), 0, 0, nullptr);
    ::BitBlt(dc, bounds.left, bounds.top, width, height, memory.Get(), 0, 0, SRCCOPY);
}

STDMETHODIMP CSnapferry::DropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect)
{
    return owner_.panel_->DragEnter(data, keys, at, effect);
}

STDMETHODIMP CSnapferry::DropTarget::DragOver(DWORD keys, POINTL at, DWORD* effect)
{
    return owner_.panel_->DragOver(keys, at, effect);
}

STDMETHODIMP CSnapferry::DropTarget::DragLeave() { return owner_.panel_->DragLeave(); }

STDMETHODIMP CSnapferry::DropTarget::Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect)
{
    return owner_.panel_->Drop(data, keys, at, effect);
}

void CSnapferry::RegisterInTable()
{
    // Each run registers afresh; the previous run's registration is revoked, so it cannot
    // keep the control alive.
    RevokeFromTable();
    if (FAILED(::CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IGlobalInterfaceTable, table_.put_void())))
        return;
    if (FAILED(table_->RegisterInterfaceInGlobal(static_cast<ISnapferry*>(this), IID_ISnapferry, &cookie_)))
        cookie_ = 0;
}

void CSnapferry::RevokeFromTable()
{
    if (table_ && cookie_) table_->RevokeInterfaceFromGlobal(cookie_);
    cookie_ = 0;
    table_.Reset();
}

void CSnapferry::CallThroughTable(DISPID member)
{
    if (!table_ || !cookie_) {
        member == 22 ? OnImagesPosted() : FireOnError();
        return;
    }
    // A thread of its own in its own apartment gets the control back from the table (a proxy
    // to this apartment) and calls it; the call comes back to the page's thread, which goes
    // on pumping its messages, and that thread waits for it.
    Korvel::ComPtr<IGlobalInterfaceTable> table = table_;
    const DWORD cookie = cookie_;
    std::thread([table, cookie, member, lock = Korvel::Com::ModuleLock()]() mutable {
        const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            Korvel::ComPtr<ISnapferry> control;
            if (SUCCEEDED(table->GetInterfaceFromGlobal(cookie, IID_ISnapferry, control.put_void())))
                member == 22 ? control->OnImagesPosted() : control->FireOnError();
            table.Reset();
        }
        if (SUCCEEDED(init)) ::CoUninitialize();
    }).detach();
}
