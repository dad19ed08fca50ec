#pragma once
// One embedded plug-in: the upload panel drawn into the window the browser gives it, the
// page's script surface through tables of handlers, and the page's callbacks, which the
// browser runs on its thread. Everything here belongs to the instance, so several plug-ins
// on a page, or in tabs of one browser process, never see each other's calls.
#include <windows.h>

#include <boost/function.hpp>

#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "platform/GdiplusSession.h"
#include "npapi/NpApi.h"
#include "panel/PanelCallbacks.h"
#include "panel/UploadPanel.h"

class ScriptablePluginObjectBase;

class CPlugin final : public PanelCallbacks {
public:
    // A handler gets the value written (count 1), nothing and the result of a read (count 0),
    // or a method's arguments and result. False refuses the call.
    using Handler = boost::function<bool(const NPVariant* in, std::uint32_t count, NPVariant* out)>;

    explicit CPlugin(NPP instance);
    ~CPlugin();
    CPlugin(const CPlugin&) = delete;
    CPlugin& operator=(const CPlugin&) = delete;

    // The first window handle builds the panel into that window; later calls change nothing.
    bool IsInitialised() const { return initialised_; }
    void Initialise(NPWindow* window);
    // Takes the panel out of the window and gives the window its own procedure back.
    void Shutdown();

    // The scriptable object with one new reference for the caller.
    NPObject* GetScriptableObject();

    bool HasProperty(NPIdentifier name) const { return PropertyTable.count(name) != 0; }
    bool HasMethod(NPIdentifier name) const { return MethodTable.count(name) != 0; }
    bool GetProperty(NPIdentifier name, NPVariant& result);
    bool SetProperty(NPIdentifier name, const NPVariant& value);
    bool Invoke(NPIdentifier name, const NPVariant* args, std::uint32_t count, NPVariant& result);

    UploadPanel& Panel() { return panel_; }
    HWND Window() const { return wnd_; }

    // PanelCallbacks: queued to the browser's thread.
    void OnImagesPosted() override;
    void FireOnError(int errorCode) override;
    bool PageListens() const override { return !leaving_; }

private:
    void FillTables();
    void AddProperty(const char* name, Handler handler);
    void AddMethod(const char* name, Handler handler);
    NPIdentifier Identifier(const char* name);

    // Property handlers.
    bool PutObjectProperty(void (PanelSettings::*put)(void*, const ScriptObjectOps*), const NPVariant* in);
    bool PutText(void (PanelSettings::*put)(const TChar*), const NPVariant* in);
    bool PutBoolean(void (PanelSettings::*put)(std::int16_t), const NPVariant* in);
    bool PutDefaultFolder(const NPVariant* in);
    bool PutFileSizeLimit(const NPVariant* in);
    bool PutShort(void (PanelSettings::*put)(std::uint16_t), const NPVariant* in);
    bool GetResponse(NPVariant* out);
    bool GetVersion(NPVariant* out);
    // Methods.
    bool ClearFields();
    bool AddField(const NPVariant* args, std::uint32_t count);
    bool GetPostedFiles(NPVariant* out);

    // The page's callbacks, on the browser's thread.
    enum CallKind : std::uintptr_t { kCompletion = 0, kError = 1 };
    void Queue(CallKind kind);
    static void __cdecl RunQueued(void* token);
    void CallCompletion();
    void CallOnError(int errorCode);

    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

    NPP instance_;
    std::uintptr_t id_;  // names this instance in queued calls
    Korvel::GdiplusSession gdiplus_;
    UploadPanel panel_;
    HWND wnd_ = nullptr;
    NPWindow* window_ = nullptr;
    WNDPROC previous_ = nullptr;
    bool initialised_ = false;
    bool windowGone_ = false;
    bool leaving_ = false;  // NPP_Destroy: the page is going
    NPObject* windowObject_ = nullptr;
    ScriptablePluginObjectBase* scriptable_ = nullptr;
    std::deque<int> errorCodes_;  // one per queued OnError call

    std::map<NPIdentifier, Handler> PropertyTable;
    std::map<NPIdentifier, Handler> MethodTable;
};
