#pragma once
// A page's script engine: Wine's (or Windows') JScript through IActiveScript, with the page's
// objects as named items, the way a browser runs the scripts of a page.
#include <windows.h>
#include <oaidl.h>

#include <map>
#include <string>

#include "platform/Handle.h"

struct IActiveScript;
class ScriptSite;

class ScriptEngine {
public:
    ScriptEngine();
    ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    // Creates the engine and connects it; false with the reason in *error.
    bool Start(std::wstring* error);
    // The script reaches `object` under `name` (a global of that name). Before or after Start.
    bool AddObject(const std::wstring& name, IDispatch* object);
    // The script's global object (where `Array` and the page's own functions live).
    Korvel::ComPtr<IDispatch> Global() const;
    // Runs a piece of script; false with the engine's message (and line) in *error.
    // `source` names the text in messages.
    bool Run(const std::wstring& text, const std::wstring& source, std::wstring* error);
    // Closes the engine; every named object is released.
    void Close();

private:
    Korvel::ComPtr<IActiveScript> script_;
    ScriptSite* site_ = nullptr;
};
