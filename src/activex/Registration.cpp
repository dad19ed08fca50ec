#include "activex/Registration.h"

#include <optional>

#include "activex/com/TypeLibrary.h"

namespace Registration {

using Korvel::Com::Key;
using Korvel::Com::Removal;
using Korvel::Com::Value;

namespace {

const wchar_t kClsid[] = L"{03A703FC-AAE2-40E1-AFD5-F1A029BC555F}";
const wchar_t kLibId[] = L"{3CBF7B0D-7D1D-4C5C-9F80-C5F768A57BB7}";
const wchar_t kName[] = L"Snapferry Class";
const wchar_t kProgId[] = L"Korvel.Snapferry64.1";
const wchar_t kIndependentProgId[] = L"Korvel.Snapferry64";
// Recompose on resize, cannot link inside, inside-out, activate when visible, site first.
const wchar_t kMiscStatus[] = L"131473";

}  // namespace

const wchar_t kAppId[] = L"{84097591-1848-4731-BE85-94EC993AE903}";

std::vector<Korvel::Com::RegistryEntry> ModuleEntries()
{
    return {
        Key(L"AppID", Removal::Never),
        Value(std::wstring(L"AppID\\") + kAppId, L"Snapferry64", Removal::Remove),
        Value(L"AppID\\Snapferry64.DLL", kAppId, Removal::Remove, L"AppID"),
    };
}

std::vector<Korvel::Com::RegistryEntry> ClassEntries(const std::wstring& modulePath)
{
    const std::wstring cls = std::wstring(L"CLSID\\") + kClsid;
    const std::wstring versioned = kProgId, independent = kIndependentProgId;
    return {
        Value(versioned, kName, Removal::Remove),
        Value(versioned + L"\\CLSID", kClsid, Removal::Remove),
        Value(independent, kName, Removal::Remove),
        Value(independent + L"\\CLSID", kClsid, Removal::Remove),
        Value(independent + L"\\CurVer", kProgId, Removal::Remove),
        Key(L"CLSID", Removal::Never),
        Value(cls, kName, Removal::Recreate),
        Value(cls, kAppId, Removal::Recreate, L"AppID"),
        Value(cls + L"\\ProgID", kProgId, Removal::Recreate),
        Value(cls + L"\\VersionIndependentProgID", kIndependentProgId, Removal::Recreate),
        Key(cls + L"\\Programmable", Removal::Recreate),
        Value(cls + L"\\InprocServer32", modulePath, Removal::Recreate),
        Value(cls + L"\\InprocServer32", L"Apartment", Removal::Recreate, L"ThreadingModel"),
        Key(cls + L"\\Control", Removal::Recreate),
        Value(cls + L"\\ToolboxBitmap32", modulePath + L", 102", Removal::Recreate),
        Value(cls + L"\\MiscStatus", L"0", Removal::Recreate),
        Value(cls + L"\\MiscStatus\\1", kMiscStatus, Removal::Recreate),
        Value(cls + L"\\TypeLib", kLibId, Removal::Recreate),
        Value(cls + L"\\Version", L"1.0", Removal::Recreate),
    };
}

namespace {

// Runs `work` under the system locale, with the classes root of the machine or of the user.
template <class Work>
HRESULT InClassesRoot(bool perUser, Work work)
{
    Korvel::Com::SystemLocale locale;
    std::optional<Korvel::Com::PerUserClasses> user;
    if (perUser) {
        user.emplace();
        if (FAILED(user->Result())) return user->Result();
    }
    return work();
}

}  // namespace

HRESULT Register(bool perUser)
{
    return InClassesRoot(perUser, [] {
        HRESULT hr = RegisterEntries(HKEY_CLASSES_ROOT, ModuleEntries());
        if (SUCCEEDED(hr)) hr = RegisterEntries(HKEY_CLASSES_ROOT, ClassEntries(Korvel::Com::ModulePath()));
        if (SUCCEEDED(hr)) hr = Korvel::Com::RegisterModuleTypeLibrary();
        return hr;
    });
}

HRESULT Unregister(bool perUser)
{
    return InClassesRoot(perUser, [] {
        HRESULT hr = UnregisterEntries(HKEY_CLASSES_ROOT, ClassEntries(Korvel::Com::ModulePath()));
        if (SUCCEEDED(hr)) hr = Korvel::Com::UnregisterModuleTypeLibrary();
        if (SUCCEEDED(hr)) hr = UnregisterEntries(HKEY_CLASSES_ROOT, ModuleEntries());
        return hr;
    });
}

}  // namespace Registration
