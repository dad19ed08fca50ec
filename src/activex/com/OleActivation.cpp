// The control's site, its verbs and in-place activation with a window of its own.
#include "activex/com/OleControl.h"

namespace Korvel::Com {

namespace {

bool SameObject(IUnknown* a, IUnknown* b)
{
    if (!a || !b) return a == b;
    ComPtr<IUnknown> x, y;
    a->QueryInterface(IID_IUnknown, x.put_void());
    b->QueryInterface(IID_IUnknown, y.put_void());
    return x.Get() == y.Get();
}

// The frame and document window the control is active in, with its place.
struct WindowContext {
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> uiWindow;
    RECT pos{}, clip{};

    HRESULT Ask(IOleInPlaceSite* site)
    {
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        return site->GetWindowContext(frame.put(), uiWindow.put(), &pos, &clip, &info);
    }
    void SetActiveObject(IOleInPlaceActiveObject* object)
    {
        if (uiWindow) uiWindow->SetActiveObject(object, nullptr);
        if (frame) frame->SetActiveObject(object, nullptr);
    }
};

}  // namespace

OleControl::~OleControl() = default;

void OleControl::ReleaseContainer()
{
    if (wnd_) ::DestroyWindow(wnd_);
    wnd_ = nullptr;
    inPlaceSite_.Reset();
    viewSink_.Reset();
    oleAdvise_.Reset();
    dataAdvise_.Reset();
    ambient_.Reset();
    site_.Reset();
}

STDMETHODIMP OleControl::SetClientSite(IOleClientSite* site)
{
    site_ = ComPtr<IOleClientSite>(site);
    // The site's dispatch answers the ambient properties.
    ambient_.Reset();
    if (site) site->QueryInterface(IID_IDispatch, ambient_.put_void());
    return S_OK;
}

STDMETHODIMP OleControl::GetClientSite(IOleClientSite** site)
{
    if (!site) return E_POINTER;
    *site = site_.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP OleControl::Close(DWORD saveOption)
{
    if (wnd_ && site_) site_->OnShowWindow(FALSE);
    if (inPlaceActive_) {
        const HRESULT hr = InPlaceDeactivate();
        if (FAILED(hr)) return hr;
    }
    if (wnd_) ::DestroyWindow(wnd_);
    wnd_ = nullptr;
    if ((saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE) && dirty_ && site_) {
        site_->SaveObject();
        if (oleAdvise_) oleAdvise_->SendOnSave();
    }
    inPlaceSite_.Reset();
    viewSink_.Reset();
    return S_OK;
}

STDMETHODIMP OleControl::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND, LPCRECT)
{
    if (activeSite && !SameObject(activeSite, site_.Get())) return E_UNEXPECTED;
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(verb);
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (wnd_) ::ShowWindow(wnd_, SW_HIDE);
        return S_OK;
    case OLEIVERB_OPEN:
    case OLEIVERB_DISCARDUNDOSTATE:
        return S_OK;
    case OLEIVERB_PROPERTIES: {
        ComPtr<IOleControlSite> control;
        if (site_ && SUCCEEDED(site_->QueryInterface(IID_IOleControlSite, control.put_void())))
            return control->ShowPropertyFrame();
        return E_NOTIMPL;
    }
    default:
        if (verb > 0) {
            const HRESULT hr = InPlaceActivate(OLEIVERB_PRIMARY);
            return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
        }
        return E_NOTIMPL;
    }
}

HRESULT OleControl::InPlaceActivate(LONG verb)
{
    if (!site_) return S_OK;
    if (!inPlaceActive_) {
        ComPtr<IOleInPlaceSiteEx> siteEx;
        if (SUCCEEDED(site_->QueryInterface(IID_IOleInPlaceSiteEx, siteEx.put_void()))) {
            BOOL noRedraw = FALSE;
            const HRESULT hr = siteEx->OnInPlaceActivateEx(&noRedraw, 0);
            if (FAILED(hr)) return hr;
            inPlaceSite_ = ComPtr<IOleInPlaceSite>(siteEx.Get());
        } else {
            ComPtr<IOleInPlaceSite> plain;
            if (FAILED(site_->QueryInterface(IID_IOleInPlaceSite, plain.put_void()))) return E_FAIL;
            if (plain->CanInPlaceActivate() != S_OK) return E_FAIL;
            const HRESULT hr = plain->OnInPlaceActivate();
            if (FAILED(hr)) return hr;
            inPlaceSite_ = plain;
        }
        inPlaceActive_ = true;
    }

    HWND parent = nullptr;
    if (SUCCEEDED(inPlaceSite_->GetWindow(&parent))) {
        WindowContext context;
        const HRESULT hr = context.Ask(inPlaceSite_.Get());
        if (FAILED(hr)) return hr;
        if (!wnd_) {
            wnd_ = CreateControlWindow(parent, context.pos);
            if (!wnd_) return E_FAIL;
        } else {
            ::ShowWindow(wnd_, SW_SHOW);
        }
        SetObjectRects(&context.pos, &context.clip);
    }

    // Becoming the active object needs the user's gesture, unless the container has no
    // ambient properties to say otherwise.
    if (verb == OLEIVERB_UIACTIVATE || verb == OLEIVERB_PRIMARY || !ambient_) {
        const HRESULT hr = UIActivate();
        if (FAILED(hr)) return hr;
    }
    site_->ShowObject();
    if (verb == OLEIVERB_INPLACEACTIVATE && wnd_) ::InvalidateRect(wnd_, nullptr, TRUE);
    return S_OK;
}

HRESULT OleControl::UIActivate()
{
    if (uiActive_ || !inPlaceSite_) return S_OK;
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    if (wnd_ && !::IsChild(wnd_, ::GetFocus())) ::SetFocus(wnd_);
    WindowContext context;
    if (SUCCEEDED(context.Ask(inPlaceSite_.Get()))) {
        context.SetActiveObject(this);
        if (context.frame) context.frame->SetBorderSpace(nullptr);
        if (context.uiWindow) context.uiWindow->SetBorderSpace(nullptr);
    }
    return S_OK;
}

STDMETHODIMP OleControl::InPlaceDeactivate()
{
    if (!inPlaceActive_) return S_OK;
    if (uiActive_) UIDeactivate();
    inPlaceActive_ = false;
    if (wnd_) ::DestroyWindow(wnd_);
    wnd_ = nullptr;
    if (inPlaceSite_) inPlaceSite_->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP OleControl::UIDeactivate()
{
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    HWND parent = nullptr;
    WindowContext context;
    if (inPlaceSite_ && SUCCEEDED(inPlaceSite_->GetWindow(&parent)) && SUCCEEDED(context.Ask(inPlaceSite_.Get())))
        context.SetActiveObject(nullptr);
    if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP OleControl::GetWindow(HWND* wnd)
{
    if (!wnd) return E_POINTER;
    *wnd = wnd_;
    return wnd_ ? S_OK : E_UNEXPECTED;
}

STDMETHODIMP OleControl::SetObjectRects(LPCRECT pos, LPCRECT clip)
{
    if (!pos || !clip) return E_POINTER;
    if (!wnd_) return S_OK;
    RECT visible{};
    ::IntersectRect(&visible, pos, clip);
    if (!::EqualRect(&visible, pos)) {
        ::OffsetRect(&visible, -pos->left, -pos->top);
        ::SetWindowRgn(wnd_, ::CreateRectRgnIndirect(&visible), TRUE);
    } else {
        ::SetWindowRgn(wnd_, nullptr, TRUE);
    }
    ::SetWindowPos(wnd_, nullptr, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP OleControl::TranslateAccelerator(LPMSG msg)
{
    ComPtr<IOleControlSite> control;
    if (!site_ || FAILED(site_->QueryInterface(IID_IOleControlSite, control.put_void()))) return S_FALSE;
    DWORD modifiers = 0;
    if (::GetKeyState(VK_SHIFT) < 0) modifiers |= 1;
    if (::GetKeyState(VK_CONTROL) < 0) modifiers |= 2;
    if (::GetKeyState(VK_MENU) < 0) modifiers |= 4;
    return control->TranslateAccelerator(msg, modifiers) == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP OleControl::OnDocWindowActivate(BOOL activate)
{
    if (!activate) UIDeactivate();
    return S_OK;
}

STDMETHODIMP OleControl::FreezeEvents(BOOL freeze)
{
    frozen_ += freeze ? 1 : -1;
    return S_OK;
}

STDMETHODIMP OleControl::EnumVerbs(IEnumOLEVERB** verbs) { return ::OleRegEnumVerbs(ClassId(), verbs); }

STDMETHODIMP OleControl::GetUserClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = ClassId();
    return S_OK;
}

STDMETHODIMP OleControl::GetUserType(DWORD form, LPOLESTR* type) { return ::OleRegGetUserType(ClassId(), form, type); }

STDMETHODIMP OleControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    extent_ = *size;
    dirty_ = true;
    return S_OK;
}

STDMETHODIMP OleControl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (aspect != DVASPECT_CONTENT) return E_FAIL;
    if (!size) return E_POINTER;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP OleControl::Advise(IAdviseSink* sink, DWORD* connection)
{
    if (!oleAdvise_) {
        const HRESULT hr = ::CreateOleAdviseHolder(oleAdvise_.put());
        if (FAILED(hr)) return hr;
    }
    return oleAdvise_->Advise(sink, connection);
}

STDMETHODIMP OleControl::Unadvise(DWORD connection)
{
    return oleAdvise_ ? oleAdvise_->Unadvise(connection) : E_FAIL;
}

STDMETHODIMP OleControl::EnumAdvise(IEnumSTATDATA** advise)
{
    return oleAdvise_ ? oleAdvise_->EnumAdvise(advise) : E_FAIL;
}

STDMETHODIMP OleControl::GetMiscStatus(DWORD aspect, DWORD* status)
{
    return ::OleRegGetMiscStatus(ClassId(), aspect, status);
}

bool OleControl::StockMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    switch (message) {
    case WM_PAINT: {
        PaintDC paint(wnd);
        RECT client{};
        ::GetClientRect(wnd, &client);
        OnDraw(paint.Get(), client);
        return true;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        if (message == WM_SETFOCUS && inPlaceActive_ && !uiActive_) UIActivate();
        ComPtr<IOleControlSite> control;
        if (site_ && SUCCEEDED(site_->QueryInterface(IID_IOleControlSite, control.put_void())))
            control->OnFocus(message == WM_SETFOCUS);
        *result = ::DefWindowProcW(wnd, message, wParam, lParam);
        return true;
    }
    case WM_MOUSEACTIVATE:
        if (inPlaceActive_ && !uiActive_) UIActivate();
        *result = ::DefWindowProcW(wnd, message, wParam, lParam);
        return true;
    default:
        return false;
    }
}

}  // namespace Korvel::Com
