// The ActiveX control on the page, hosted by the system's own ActiveX container (the one in
// atl100.dll), as a page's <object> element is: the container creates the control from its
// registration and activates it in place in a window of its own.
#include <windows.h>

#include "page/PageEmbed.h"
#include "platform/Handle.h"
#include "platform/Module.h"

namespace {

const wchar_t kProgId[] = L"Korvel.Snapferry64";

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

class ActiveXEmbed final : public PageEmbed {
public:
    ActiveXEmbed(Korvel::Module atl, HWND host, Korvel::ComPtr<IDispatch> control)
        : atl_(std::move(atl)), host_(host), control_(std::move(control))
    {
    }
    ~ActiveXEmbed() override { Close(); }

    HWND Window() const override
    {
        HWND wnd = nullptr;
        Korvel::ComPtr<IOleWindow> window;
        if (control_ && SUCCEEDED(control_->QueryInterface(IID_IOleWindow, window.put_void()))) window->GetWindow(&wnd);
        return wnd;
    }
    IDispatch* ScriptObject() override
    {
        if (control_) control_->AddRef();
        return control_.Get();
    }
    void Close() override
    {
        control_.Reset();
        // The container deactivates and releases the control when its window goes.
        if (host_) ::DestroyWindow(host_);
        host_ = nullptr;
    }

private:
    Korvel::Module atl_;  // declared first: unloaded last
    HWND host_;
    Korvel::ComPtr<IDispatch> control_;
};

}  // namespace

std::unique_ptr<PageEmbed> EmbedActiveX(const EmbedPlace& place, std::wstring* error)
{
    Korvel::Module atl(::LoadLibraryW(L"atl100.dll"));
    auto init = Korvel::ProcAddress<AtlAxWinInitFn>(atl.Get(), "AtlAxWinInit");
    auto getControl = Korvel::ProcAddress<AtlAxGetControlFn>(atl.Get(), "AtlAxGetControl");
    // A second initialisation reports failure once the window classes exist.
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!init || !getControl || (!init() && !::GetClassInfoExW(atl.Get(), L"AtlAxWin100", &existing))) {
        *error = L"the ActiveX container (atl100.dll) is not available";
        return nullptr;
    }
    const RECT& r = place.where;
    HWND host = ::CreateWindowExW(0, L"AtlAxWin100", kProgId, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, r.left, r.top,
                                  r.right - r.left, r.bottom - r.top, place.page, nullptr, nullptr, nullptr);
    Korvel::ComPtr<IUnknown> unknown;
    Korvel::ComPtr<IDispatch> control;
    if (host && SUCCEEDED(getControl(host, unknown.put())) && unknown)
        unknown->QueryInterface(IID_IDispatch, control.put_void());
    if (!control) {
        if (host) ::DestroyWindow(host);
        *error = std::wstring(L"the container could not create ") + kProgId + L" (is Snapferry64.dll registered?)";
        return nullptr;
    }
    return std::make_unique<ActiveXEmbed>(std::move(atl), host, std::move(control));
}
