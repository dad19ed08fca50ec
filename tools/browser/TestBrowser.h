#pragma once
// A browser of our own for NPAPI plug-ins: it loads a plug-in DLL by path, calls its entry
// points with a function table of its own, and embeds instances the way a browser embeds an
// <embed>: an NPP, a real child window of the page through NPP_SetWindow, data streams, and
// the scripting runtime. Calls a plug-in asks to have run on the browser's thread arrive
// there through a posted window message. One browser per process at a time.
#include <windows.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "npapi/NpApi.h"
#include "platform/Handle.h"
#include "platform/Module.h"

class TestBrowser {
public:
    static constexpr const char* kMimeType = "application/npSnapferry";

    TestBrowser();
    ~TestBrowser();
    TestBrowser(const TestBrowser&) = delete;
    TestBrowser& operator=(const TestBrowser&) = delete;

    // Loads the DLL and calls NP_GetEntryPoints and NP_Initialize; false with the reason.
    bool Load(const std::wstring& dllPath, std::wstring* error);
    // The same with entry points linked into this program (the plug-in's code under test).
    bool Attach(NP_GetEntryPointsFunc getEntryPoints, NP_InitializeFunc initialize, NP_ShutdownFunc shutdown,
                std::wstring* error);
    // NP_Shutdown and unloading. Safe to call twice.
    void Unload();

    // The plug-in's table as NP_GetEntryPoints filled it, the browser's as given to the plug-in.
    const NPPluginFuncs& PluginFuncs() const { return pluginFuncs_; }
    const NPNetscapeFuncs& BrowserFuncs() const { return browserFuncs_; }
    // The entry points themselves, for callers that try them with unusual arguments.
    NP_GetEntryPointsFunc GetEntryPoints() const { return getEntryPoints_; }
    NP_InitializeFunc Initialize() const { return initialize_; }
    NP_ShutdownFunc Shutdown() const { return shutdown_; }

    // Calls queued with NPN_PluginThreadAsyncCall: run when the thread's messages are
    // dispatched, or held back until Deliver/Drop while holding.
    void HoldQueuedCalls(bool hold);
    std::size_t DeliverHeldCalls();
    std::size_t QueuedCallCount() const;

    static TestBrowser* Current();

private:
    friend struct BrowserTable;
    struct QueuedCall {
        void(__cdecl* function)(void*);
        void* data;
    };
    void Queue(QueuedCall call);
    // An export of the loaded DLL by name, as the function type the caller knows it has.
    template <class F>
    F Export(const char* name) const
    {
        return Korvel::ProcAddress<F>(module_.Get(), name);
    }
    static LRESULT CALLBACK CallWindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

    Korvel::Module module_;
    NP_GetEntryPointsFunc getEntryPoints_ = nullptr;
    NP_InitializeFunc initialize_ = nullptr;
    NP_ShutdownFunc shutdown_ = nullptr;
    NPPluginFuncs pluginFuncs_{};
    NPNetscapeFuncs browserFuncs_{};
    bool initialised_ = false;

    HWND callWindow_ = nullptr;  // receives the queued calls on this thread
    mutable std::mutex lock_;
    bool holding_ = false;
    std::deque<QueuedCall> held_;
    std::size_t queued_ = 0;
};

// One embedded plug-in: its NPP, the child window the browser made for it and the page's
// window object it sees.
class PluginInstance {
public:
    // The child window goes into `page` at `where`; without a page the instance makes a
    // top-level page window of its own. `window` is the page's window object (retained); the
    // browser's own page objects when null.
    PluginInstance(TestBrowser& browser, HWND page, RECT where, NPObject* window = nullptr);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    NPError New();
    // Hands the child window over, at its current size or at a new one.
    NPError SetWindow();
    NPError Resize(int width, int height);
    // A data stream of these bytes, as the browser sends the element's src: NewStream,
    // WriteReady/Write until the plug-in took everything, DestroyStream. The bytes the
    // plug-in took are counted in *taken.
    NPError SendStream(const std::string& bytes, std::int32_t* taken);
    // The plug-in's scriptable object (one reference for the caller), or null.
    NPObject* ScriptableObject();
    NPError Destroy();

    NPP Npp() { return &npp_; }
    HWND Window() const { return child_; }
    HWND Page() const { return page_; }
    NPObject* WindowObject() const { return windowObject_; }
    // The child window's procedure as the browser made it.
    static WNDPROC ChildProcedure();

private:
    TestBrowser& browser_;
    NPP_t npp_{};
    HWND ownPage_ = nullptr;
    HWND page_ = nullptr;
    HWND child_ = nullptr;
    NPWindow window_{};
    NPObject* windowObject_ = nullptr;
    bool created_ = false;
};
