#include "page/ScriptEngine.h"

#include <activscp.h>

namespace {

// Neither GUID is in MinGW's import libraries.
const CLSID kJScript = {0xf414c260, 0x6ac0, 0x11cf, {0xb6, 0xd1, 0x00, 0xaa, 0x00, 0xbb, 0xbb, 0x58}};
#ifdef _WIN64
using ScriptParse = IActiveScriptParse64;
const IID kScriptParse = {0xc7ef7658, 0xe1ee, 0x480e, {0x97, 0xea, 0xd5, 0x2c, 0xb4, 0xd7, 0x6d, 0x17}};
#else
using ScriptParse = IActiveScriptParse32;
const IID kScriptParse = {0xbb1a2ae2, 0xa4f9, 0x11cf, {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};
#endif

std::wstring FromBstr(BSTR text) { return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring(); }

}  // namespace

// The engine's view of the page: the named objects and where errors are told.
class ScriptSite final : public IActiveScriptSite {
public:
    std::map<std::wstring, Korvel::ComPtr<IDispatch>> objects;
    std::wstring lastError;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IActiveScriptSite) {
            *out = static_cast<IActiveScriptSite*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }

    STDMETHODIMP GetLCID(LCID* lcid) override
    {
        if (lcid) *lcid = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** info) override
    {
        if (item) *item = nullptr;
        if (info) *info = nullptr;
        const auto found = objects.find(name ? name : L"");
        if (found == objects.end()) return TYPE_E_ELEMENTNOTFOUND;
        if ((mask & SCRIPTINFO_IUNKNOWN) && item) {
            *item = found->second.Get();
            (*item)->AddRef();
        }
        if ((mask & SCRIPTINFO_ITYPEINFO) && info) found->second->GetTypeInfo(0, LOCALE_USER_DEFAULT, info);
        return S_OK;
    }
    STDMETHODIMP GetDocVersionString(BSTR* version) override
    {
        if (version) *version = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
    STDMETHODIMP OnScriptError(IActiveScriptError* error) override
    {
        EXCEPINFO info{};
        error->GetExceptionInfo(&info);
        DWORD context = 0;
        ULONG line = 0;
        LONG column = 0;
        error->GetSourcePosition(&context, &line, &column);
        std::wstring text = FromBstr(info.bstrDescription);
        if (text.empty()) {
            wchar_t code[16];
            ::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(info.scode ? info.scode : info.wCode));
            text = std::wstring(L"error ") + code;
        }
        lastError = text + L" (line " + std::to_wstring(line + 1) + L")";
        ::SysFreeString(info.bstrSource);
        ::SysFreeString(info.bstrDescription);
        ::SysFreeString(info.bstrHelpFile);
        return S_OK;
    }
    STDMETHODIMP OnEnterScript() override { return S_OK; }
    STDMETHODIMP OnLeaveScript() override { return S_OK; }

private:
    LONG refs_ = 1;
};

ScriptEngine::ScriptEngine() : site_(new ScriptSite) {}

ScriptEngine::~ScriptEngine()
{
    Close();
    site_->Release();
}

bool ScriptEngine::Start(std::wstring* error)
{
    HRESULT hr = ::CoCreateInstance(kJScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, script_.put_void());
    Korvel::ComPtr<ScriptParse> parse;
    if (SUCCEEDED(hr)) hr = script_->QueryInterface(kScriptParse, parse.put_void());
    if (SUCCEEDED(hr)) hr = parse->InitNew();
    if (SUCCEEDED(hr)) hr = script_->SetScriptSite(site_);
    for (const auto& [name, object] : site_->objects)
        if (SUCCEEDED(hr)) hr = script_->AddNamedItem(name.c_str(), SCRIPTITEM_ISVISIBLE);
    if (SUCCEEDED(hr)) hr = script_->SetScriptState(SCRIPTSTATE_CONNECTED);
    if (FAILED(hr)) {
        wchar_t code[16];
        ::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
        if (error) *error = std::wstring(L"the JScript engine did not start (") + code + L")";
        script_.Reset();
        return false;
    }
    return true;
}

bool ScriptEngine::AddObject(const std::wstring& name, IDispatch* object)
{
    site_->objects[name] = Korvel::ComPtr<IDispatch>(object);
    return !script_ || SUCCEEDED(script_->AddNamedItem(name.c_str(), SCRIPTITEM_ISVISIBLE));
}

Korvel::ComPtr<IDispatch> ScriptEngine::Global() const
{
    Korvel::ComPtr<IDispatch> global;
    if (script_) script_->GetScriptDispatch(nullptr, global.put());
    return global;
}

bool ScriptEngine::Run(const std::wstring& text, const std::wstring& source, std::wstring* error)
{
    Korvel::ComPtr<ScriptParse> parse;
    if (!script_ || FAILED(script_->QueryInterface(kScriptParse, parse.put_void()))) {
        if (error) *error = L"the script engine is not running";
        return false;
    }
    site_->lastError.clear();
    EXCEPINFO info{};
    const HRESULT hr = parse->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISVISIBLE,
                                              nullptr, &info);
    ::SysFreeString(info.bstrSource);
    ::SysFreeString(info.bstrDescription);
    ::SysFreeString(info.bstrHelpFile);
    if (SUCCEEDED(hr) && site_->lastError.empty()) return true;
    if (error) {
        std::wstring why = site_->lastError;
        if (why.empty()) {
            wchar_t code[16];
            ::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
            why = std::wstring(L"error ") + code;
        }
        *error = source + L": " + why;
    }
    return false;
}

void ScriptEngine::Close()
{
    if (script_) {
        script_->Close();
        script_.Reset();
    }
    site_->objects.clear();
}
