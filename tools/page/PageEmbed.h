#pragma once
// One deliverable embedded in the page window, the way a browser embeds an <object> (the
// ActiveX control) or an <embed> (the NPAPI plug-in). The page host names its script object
// for the page's script and lets the visitor act on its window.
#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>

struct EmbedPlace {
    HWND page = nullptr;          // the page window the deliverable's window goes into
    RECT where{};                 // its rectangle in the page window's client area
    IDispatch* window = nullptr;  // the page script's global object (where `Array` lives)
};

class PageEmbed {
public:
    virtual ~PageEmbed() = default;
    // The deliverable's own window, a child of the page window.
    virtual HWND Window() const = 0;
    // The object the page's script sees under the element's name; a new reference.
    virtual IDispatch* ScriptObject() = 0;
    // Takes the deliverable down as a browser does when the page goes (deactivation and
    // release, or NPP_Destroy and unloading). Safe to call twice.
    virtual void Close() = 0;
};

// Each returns nullptr and says why in *error.
std::unique_ptr<PageEmbed> EmbedActiveX(const EmbedPlace& place, std::wstring* error);
std::unique_ptr<PageEmbed> EmbedNpapi(const EmbedPlace& place, const std::wstring& dllPath, std::wstring* error);
