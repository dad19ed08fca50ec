#pragma once
// Registration from a table of keys under the classes root. Each entry is a key, optionally
// with one value, and what unregistration does with it.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Handle.h"

namespace Korvel::Com {

enum class Removal {
    Never,     // a shared parent such as CLSID or AppID
    Remove,    // removed on unregistration when nothing else lives below it
    Recreate,  // deleted with all its subkeys on unregistration, and before it is written again
};

struct RegistryEntry {
    std::wstring key;           // relative to the classes root
    const wchar_t* name;        // the value's name; nullptr for the default value
    std::wstring data;          // the value's text
    bool hasValue;              // false: the key alone
    Removal removal;
};

// An entry for a key alone, or with its default value, or with a named value.
RegistryEntry Key(std::wstring key, Removal removal);
RegistryEntry Value(std::wstring key, std::wstring data, Removal removal, const wchar_t* name = nullptr);

// Writes every entry under `root`; the first failure is returned.
HRESULT RegisterEntries(HKEY root, const std::vector<RegistryEntry>& entries);
// Removes what the entries say, deepest first. Keys already gone are no failure.
HRESULT UnregisterEntries(HKEY root, const std::vector<RegistryEntry>& entries);

// For the duration, HKEY_CLASSES_ROOT of this process means HKCU\Software\Classes, so every
// write meant for the machine's classes (ours and the type library's) lands there instead.
class PerUserClasses {
public:
    PerUserClasses();
    ~PerUserClasses();
    PerUserClasses(const PerUserClasses&) = delete;
    PerUserClasses& operator=(const PerUserClasses&) = delete;
    HRESULT Result() const { return result_; }

private:
    RegKey classes_;
    HRESULT result_ = S_OK;
};

// Runs with the thread's locale set to the system default, and restores it.
class SystemLocale {
public:
    SystemLocale() : saved_(::GetThreadLocale()) { ::SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocale() { ::SetThreadLocale(saved_); }
    SystemLocale(const SystemLocale&) = delete;
    SystemLocale& operator=(const SystemLocale&) = delete;

private:
    LCID saved_;
};

}  // namespace Korvel::Com
