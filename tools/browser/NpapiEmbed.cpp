// The NPAPI plug-in in a page of the page host: our test browser loads it, embeds one
// instance in the page window, hands it the engine's global object as the page's window
// object, and gives the engine the plug-in's scriptable object.
#include <memory>

#include "browser/BrowserObjects.h"
#include "browser/ScriptBridge.h"
#include "browser/TestBrowser.h"
#include "page/PageEmbed.h"

namespace {

class NpapiEmbed final : public PageEmbed {
public:
    bool Open(const EmbedPlace& place, const std::wstring& dllPath, std::wstring* error)
    {
        if (!browser_.Load(dllPath, error)) return false;
        NPObject* window = ScriptBridge::ObjectFor(place.window);
        instance_ = std::make_unique<PluginInstance>(browser_, place.page, place.where, window);
        TestBrowserRuntime::ReleaseObject(window);
        NPError result = instance_->New();
        if (result == NPERR_NO_ERROR) result = instance_->SetWindow();
        if (result != NPERR_NO_ERROR) {
            *error = L"the plug-in refused its instance or window (error " + std::to_wstring(result) + L")";
            return false;
        }
        script_ = instance_->ScriptableObject();
        if (!script_) {
            *error = L"the plug-in has no scriptable object";
            return false;
        }
        return true;
    }
    ~NpapiEmbed() override { Close(); }

    HWND Window() const override { return instance_ ? instance_->Window() : nullptr; }
    IDispatch* ScriptObject() override { return ScriptBridge::DispatchFor(script_); }
    void Close() override
    {
        TestBrowserRuntime::ReleaseObject(script_);
        script_ = nullptr;
        instance_.reset();
        browser_.Unload();
    }

private:
    TestBrowser browser_;
    std::unique_ptr<PluginInstance> instance_;
    NPObject* script_ = nullptr;
};

}  // namespace

std::unique_ptr<PageEmbed> EmbedNpapi(const EmbedPlace& place, const std::wstring& dllPath, std::wstring* error)
{
    auto embed = std::make_unique<NpapiEmbed>();
    if (!embed->Open(place, dllPath, error)) return nullptr;
    return embed;
}
