// The instance's life: its panel in the browser's window, the window's procedure while the
// panel lives there, and the page's callbacks queued to the browser's thread.
#include "npapi/Plugin.h"

#include <map>

#include "npapi/Browser.h"
#include "npapi/ScriptablePluginObject.h"
#include "npapi/Variants.h"

namespace {

// The window property that leads the window procedure to its instance (the browser may use
// the window's user data itself).
const wchar_t kInstanceProperty[] = L"SnapferryPluginInstance";

// Every live instance by its number. A queued call names its instance by number, so a call
// that arrives after the instance went finds nothing and does nothing. All NPP_ calls and
// queued calls run on the browser's thread: no lock.
std::map<std::uintptr_t, CPlugin*>& LiveInstances()
{
    static std::map<std::uintptr_t, CPlugin*> live;
    return live;
}

std::uintptr_t NextInstanceNumber()
{
    static std::uintptr_t last = 0;
    return ++last;
}

}  // namespace

CPlugin::CPlugin(NPP instance) : instance_(instance), id_(NextInstanceNumber()), panel_(*this)
{
    LiveInstances()[id_] = this;
    if (NPN_GetValue(instance_, NPNVWindowNPObject, &windowObject_) != NPERR_NO_ERROR) windowObject_ = nullptr;
    FillTables();
}

CPlugin::~CPlugin()
{
    leaving_ = true;
    LiveInstances().erase(id_);
    Shutdown();
    if (scriptable_) {
        scriptable_->Detach();
        NPN_ReleaseObject(scriptable_);
    }
    NPN_ReleaseObject(windowObject_);
    // The page's objects go back while the browser still listens.
    panel_.PutObject(nullptr, nullptr);
    panel_.PutOnError(nullptr, nullptr);
    panel_.PutAfterImagesPosted(nullptr, nullptr);
    PropertyTable.clear();
    MethodTable.clear();
}

void CPlugin::Initialise(NPWindow* window)
{
    wnd_ = static_cast<HWND>(window->window);
    window_ = window;
    ::SetPropW(wnd_, kInstanceProperty, this);
    previous_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CPlugin::WindowProc)));
    initialised_ = true;
    panel_.Build(wnd_);
}

void CPlugin::Shutdown()
{
    if (!initialised_) return;
    if (!windowGone_ && ::IsWindow(wnd_)) {
        // The panel leaves the window as it does when its window is destroyed: threads
        // stopped, controls and drop target gone, skins released.
        LRESULT ignored = 0;
        panel_.HandleMessage(wnd_, WM_DESTROY, 0, 0, &ignored);
        if (::GetWindowLongPtrW(wnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CPlugin::WindowProc))
            ::SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        ::RemovePropW(wnd_, kInstanceProperty);
        ::InvalidateRect(wnd_, nullptr, TRUE);
    }
    wnd_ = nullptr;
    window_ = nullptr;
    initialised_ = false;
}

NPObject* CPlugin::GetScriptableObject()
{
    if (!scriptable_) {
        NPObject* created = NPN_CreateObject(instance_, ScriptablePluginObject::Class());
        if (!created) return nullptr;
        scriptable_ = static_cast<ScriptablePluginObjectBase*>(created);
    }
    return NPN_RetainObject(scriptable_);
}

LRESULT CALLBACK CPlugin::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<CPlugin*>(::GetPropW(wnd, kInstanceProperty));
    LRESULT result = 0;
    if (self && message == WM_NCDESTROY) {
        // The browser destroyed the window under the instance: nothing to give back later.
        ::RemovePropW(wnd, kInstanceProperty);
        self->windowGone_ = true;
    } else if (self && self->panel_.HandleMessage(wnd, message, wParam, lParam, &result)) {
        return result;
    }
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}

// ---- the page's callbacks ----

void CPlugin::OnImagesPosted() { Queue(kCompletion); }

void CPlugin::FireOnError(int errorCode)
{
    errorCodes_.push_back(errorCode);
    Queue(kError);
}

void CPlugin::Queue(CallKind kind)
{
    // The token carries the instance's number and the call's kind: nothing to allocate, so
    // nothing leaks when the browser drops a call.
    void* token = reinterpret_cast<void*>((id_ << 1) | kind);
    if (!NPN_PluginThreadAsyncCall(instance_, &CPlugin::RunQueued, token)) RunQueued(token);
}

void CPlugin::RunQueued(void* token)
{
    const auto value = reinterpret_cast<std::uintptr_t>(token);
    const auto found = LiveInstances().find(value >> 1);
    if (found == LiveInstances().end()) return;
    CPlugin* self = found->second;
    if ((value & 1) == kCompletion) {
        self->CallCompletion();
    } else if (!self->errorCodes_.empty()) {
        const int code = self->errorCodes_.front();
        self->errorCodes_.pop_front();
        self->CallOnError(code);
    }
}

namespace {

// The page's Object as a callback argument; null when the page set none.
NPVariant ObjectArgument(void* object)
{
    NPVariant v;
    if (object)
        Variants::SetObject(v, static_cast<NPObject*>(object));
    else
        Variants::SetNull(v);
    return v;
}

// Calls a page function, which is kept alive through the call even if the page replaces it
// from inside; its return value is dropped.
void CallPage(NPP instance, void* function, const NPVariant* args, std::uint32_t count)
{
    auto* object = static_cast<NPObject*>(function);
    if (!object) return;
    NPN_RetainObject(object);
    NPVariant result;
    Variants::SetVoid(result);
    if (NPN_InvokeDefault(instance, object, args, count, &result)) NPN_ReleaseVariantValue(&result);
    NPN_ReleaseObject(object);
}

}  // namespace

void CPlugin::CallCompletion()
{
    const NPVariant args[1] = {ObjectArgument(panel_.Object())};
    CallPage(instance_, panel_.AfterImagesPosted(), args, 1);
}

void CPlugin::CallOnError(int errorCode)
{
    NPVariant args[2] = {ObjectArgument(panel_.Object()), {}};
    args[1].type = NPVariantType_Int32;
    args[1].value.intValue = errorCode;
    CallPage(instance_, panel_.OnError(), args, 2);
}
