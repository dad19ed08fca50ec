#include "browser/TestBrowser.h"

#include "browser/BrowserObjects.h"
#include "browser/PageObjects.h"
#include "ui/WindowClass.h"

namespace Runtime = TestBrowserRuntime;

namespace {

const wchar_t kCallClass[] = L"SnapferryTestBrowserCalls";
const wchar_t kPageClass[] = L"SnapferryTestBrowserPage";
const wchar_t kChildClass[] = L"SnapferryTestBrowserPlugin";
constexpr UINT kRunQueuedCall = WM_APP + 1;

TestBrowser* g_current = nullptr;

LRESULT CALLBACK PageProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}

// The plug-in's window as the browser makes it; the plug-in subclasses it.
LRESULT CALLBACK ChildProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}

PluginInstance* InstanceOf(NPP npp) { return npp ? static_cast<PluginInstance*>(npp->ndata) : nullptr; }

}  // namespace

// The browser's functions that need the browser or the instance; the rest are the runtime's.
struct BrowserTable {
    static NPError __cdecl GetValue(NPP npp, NPNVariable variable, void* value)
    {
        PluginInstance* instance = InstanceOf(npp);
        if (!instance || !value) return NPERR_INVALID_PARAM;
        switch (variable) {
        case NPNVWindowNPObject:
            *static_cast<NPObject**>(value) = Runtime::RetainObject(instance->WindowObject());
            return instance->WindowObject() ? NPERR_NO_ERROR : NPERR_GENERIC_ERROR;
        case NPNVnetscapeWindow:
            *static_cast<HWND*>(value) = instance->Page();
            return NPERR_NO_ERROR;
        case NPNVjavascriptEnabledBool:
            *static_cast<NPBool*>(value) = 1;
            return NPERR_NO_ERROR;
        default:
            return NPERR_GENERIC_ERROR;
        }
    }
    static const char* __cdecl UserAgent(NPP) { return "SnapferryTestBrowser/1.0"; }
    static void __cdecl Status(NPP, const char*) {}
    static void __cdecl AsyncCall(NPP, void(__cdecl* function)(void*), void* data)
    {
        if (TestBrowser* browser = TestBrowser::Current()) browser->Queue({function, data});
    }
};

TestBrowser::TestBrowser()
{
    g_current = this;
    Korvel::UI::RegisterWindowClassOnce(kCallClass, &TestBrowser::CallWindowProc);
    callWindow_ = ::CreateWindowExW(0, kCallClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);

    NPNetscapeFuncs& f = browserFuncs_;
    f.size = sizeof f;
    f.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
    f.status = &BrowserTable::Status;
    f.uagent = &BrowserTable::UserAgent;
    f.memalloc = &Runtime::MemAlloc;
    f.memfree = &Runtime::MemFree;
    f.getvalue = &BrowserTable::GetValue;
    f.getstringidentifier = &Runtime::GetStringIdentifier;
    f.getstringidentifiers = &Runtime::GetStringIdentifiers;
    f.getintidentifier = &Runtime::GetIntIdentifier;
    f.identifierisstring = &Runtime::IdentifierIsString;
    f.utf8fromidentifier = &Runtime::UTF8FromIdentifier;
    f.intfromidentifier = &Runtime::IntFromIdentifier;
    f.createobject = &Runtime::CreateObject;
    f.retainobject = &Runtime::RetainObject;
    f.releaseobject = &Runtime::ReleaseObject;
    f.invoke = &Runtime::Invoke;
    f.invokeDefault = &Runtime::InvokeDefault;
    f.getproperty = &Runtime::GetProperty;
    f.setproperty = &Runtime::SetProperty;
    f.removeproperty = &Runtime::RemoveProperty;
    f.hasproperty = &Runtime::HasProperty;
    f.hasmethod = &Runtime::HasMethod;
    f.releasevariantvalue = &Runtime::ReleaseVariantValue;
    f.setexception = &Runtime::SetException;
    f.enumerate = &Runtime::Enumerate;
    f.pluginthreadasynccall = &BrowserTable::AsyncCall;
    f.construct = &Runtime::Construct;
}

TestBrowser::~TestBrowser()
{
    Unload();
    if (callWindow_) ::DestroyWindow(callWindow_);
    if (g_current == this) g_current = nullptr;
}

TestBrowser* TestBrowser::Current() { return g_current; }

bool TestBrowser::Load(const std::wstring& dllPath, std::wstring* error)
{
    module_.Reset(::LoadLibraryW(dllPath.c_str()));
    if (!module_) {
        *error = L"cannot load " + dllPath + L" (error " + std::to_wstring(::GetLastError()) + L")";
        return false;
    }
    return Attach(Export<NP_GetEntryPointsFunc>("NP_GetEntryPoints"), Export<NP_InitializeFunc>("NP_Initialize"),
                  Export<NP_ShutdownFunc>("NP_Shutdown"), error);
}

bool TestBrowser::Attach(NP_GetEntryPointsFunc getEntryPoints, NP_InitializeFunc initialize,
                         NP_ShutdownFunc shutdown, std::wstring* error)
{
    getEntryPoints_ = getEntryPoints;
    initialize_ = initialize;
    shutdown_ = shutdown;
    if (!getEntryPoints_ || !initialize_ || !shutdown_) {
        *error = L"the plug-in lacks NP_GetEntryPoints, NP_Initialize or NP_Shutdown";
        return false;
    }
    pluginFuncs_ = NPPluginFuncs{};
    pluginFuncs_.size = sizeof pluginFuncs_;
    NPError result = getEntryPoints_(&pluginFuncs_);
    if (result == NPERR_NO_ERROR) result = initialize_(&browserFuncs_);
    if (result != NPERR_NO_ERROR) {
        *error = L"the plug-in refused to start (error " + std::to_wstring(result) + L")";
        return false;
    }
    initialised_ = true;
    return true;
}

void TestBrowser::Unload()
{
    if (initialised_ && shutdown_) shutdown_();
    initialised_ = false;
    getEntryPoints_ = nullptr;
    initialize_ = nullptr;
    shutdown_ = nullptr;
    module_.Reset();
}

void TestBrowser::Queue(QueuedCall call)
{
    std::lock_guard<std::mutex> hold(lock_);
    ++queued_;
    if (holding_) {
        held_.push_back(call);
        return;
    }
    ::PostMessageW(callWindow_, kRunQueuedCall, reinterpret_cast<WPARAM>(call.function),
                   reinterpret_cast<LPARAM>(call.data));
}

void TestBrowser::HoldQueuedCalls(bool hold)
{
    std::lock_guard<std::mutex> guard(lock_);
    holding_ = hold;
}

std::size_t TestBrowser::DeliverHeldCalls()
{
    std::deque<QueuedCall> calls;
    {
        std::lock_guard<std::mutex> hold(lock_);
        calls.swap(held_);
    }
    for (const QueuedCall& call : calls) call.function(call.data);
    return calls.size();
}

std::size_t TestBrowser::QueuedCallCount() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return queued_;
}

LRESULT CALLBACK TestBrowser::CallWindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRunQueuedCall) {
        reinterpret_cast<void(__cdecl*)(void*)>(wParam)(reinterpret_cast<void*>(lParam));
        return 0;
    }
    return ::DefWindowProcW(wnd, message, wParam, lParam);
}

// ---- instances ----

PluginInstance::PluginInstance(TestBrowser& browser, HWND page, RECT where, NPObject* window) : browser_(browser)
{
    npp_.ndata = this;
    Korvel::UI::RegisterWindowClassOnce(kPageClass, &PageProc);
    Korvel::UI::RegisterWindowClassOnce(kChildClass, &ChildProc);
    if (!page) {
        ownPage_ = ::CreateWindowExW(0, kPageClass, L"page", WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                                     where.right + where.left, where.bottom + where.top, nullptr, nullptr, nullptr,
                                     nullptr);
        page = ownPage_;
    }
    page_ = page;
    child_ = ::CreateWindowExW(0, kChildClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, where.left, where.top,
                               where.right - where.left, where.bottom - where.top, page, nullptr, nullptr, nullptr);
    windowObject_ = window ? Runtime::RetainObject(window) : PageObjects::NewWindow(&npp_);
    window_.window = child_;
    window_.x = where.left;
    window_.y = where.top;
    window_.width = static_cast<std::uint32_t>(where.right - where.left);
    window_.height = static_cast<std::uint32_t>(where.bottom - where.top);
    window_.clipRect = NPRect{0, 0, static_cast<std::uint16_t>(window_.height),
                              static_cast<std::uint16_t>(window_.width)};
    window_.type = NPWindowTypeWindow;
}

PluginInstance::~PluginInstance()
{
    Destroy();
    if (child_) ::DestroyWindow(child_);
    if (ownPage_) ::DestroyWindow(ownPage_);
    Runtime::ReleaseObject(windowObject_);
}

WNDPROC PluginInstance::ChildProcedure() { return &ChildProc; }

NPError PluginInstance::New()
{
    char name[] = "name", value[] = "snapferry";
    char* names[] = {name};
    char* values[] = {value};
    char mime[] = "application/npSnapferry";
    const NPError result = browser_.PluginFuncs().newp(mime, &npp_, NP_EMBED, 1, names, values, nullptr);
    created_ = result == NPERR_NO_ERROR;
    return result;
}

NPError PluginInstance::SetWindow() { return browser_.PluginFuncs().setwindow(&npp_, &window_); }

NPError PluginInstance::Resize(int width, int height)
{
    ::SetWindowPos(child_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    window_.width = static_cast<std::uint32_t>(width);
    window_.height = static_cast<std::uint32_t>(height);
    window_.clipRect = NPRect{0, 0, static_cast<std::uint16_t>(height), static_cast<std::uint16_t>(width)};
    return SetWindow();
}

NPError PluginInstance::SendStream(const std::string& bytes, std::int32_t* taken)
{
    *taken = 0;
    const NPPluginFuncs& f = browser_.PluginFuncs();
    NPStream stream{};
    stream.url = "http://127.0.0.1/snapferry.dat";
    stream.end = static_cast<std::uint32_t>(bytes.size());
    std::uint16_t type = NP_NORMAL;
    char mime[] = "application/npSnapferry";
    NPError result = f.newstream(&npp_, mime, &stream, 0, &type);
    if (result != NPERR_NO_ERROR) return result;
    std::string buffer = bytes;
    while (*taken < static_cast<std::int32_t>(buffer.size())) {
        const std::int32_t ready = f.writeready(&npp_, &stream);
        if (ready <= 0) break;
        const std::int32_t left = static_cast<std::int32_t>(buffer.size()) - *taken;
        const std::int32_t offered = ready < left ? ready : left;
        const std::int32_t took = f.write(&npp_, &stream, *taken, offered, buffer.data() + *taken);
        if (took <= 0) break;
        *taken += took;
    }
    return f.destroystream(&npp_, &stream, NPRES_DONE);
}

NPObject* PluginInstance::ScriptableObject()
{
    NPObject* object = nullptr;
    if (browser_.PluginFuncs().getvalue(&npp_, NPPVpluginScriptableNPObject, &object) != NPERR_NO_ERROR) return nullptr;
    return object;
}

NPError PluginInstance::Destroy()
{
    if (!created_) return NPERR_NO_ERROR;
    created_ = false;
    return browser_.PluginFuncs().destroy(&npp_, nullptr);
}
