#include "activex/com/Registrar.h"

namespace Korvel::Com {

namespace {

HRESULT FromStatus(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

bool Gone(LSTATUS status) { return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND; }

}  // namespace

RegistryEntry Key(std::wstring key, Removal removal) { return RegistryEntry{std::move(key), nullptr, {}, false, removal}; }

RegistryEntry Value(std::wstring key, std::wstring data, Removal removal, const wchar_t* name)
{
    return RegistryEntry{std::move(key), name, std::move(data), true, removal};
}

HRESULT RegisterEntries(HKEY root, const std::vector<RegistryEntry>& entries)
{
    // A key that is recreated loses what an earlier registration left in it.
    std::vector<std::wstring> cleared;
    for (const RegistryEntry& e : entries) {
        if (e.removal != Removal::Recreate) continue;
        bool done = false;
        for (const std::wstring& k : cleared) done = done || k == e.key;
        if (done) continue;
        if (!Gone(::RegDeleteTreeW(root, e.key.c_str()))) return E_ACCESSDENIED;
        cleared.push_back(e.key);
    }
    for (const RegistryEntry& e : entries) {
        HKEY raw = nullptr;
        LSTATUS status = ::RegCreateKeyExW(root, e.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                           nullptr, &raw, nullptr);
        if (status != ERROR_SUCCESS) return FromStatus(status);
        RegKey key(raw);
        if (e.hasValue) {
            status = ::RegSetValueExW(key.Get(), e.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(e.data.c_str()),
                                      static_cast<DWORD>((e.data.size() + 1) * sizeof(wchar_t)));
            if (status != ERROR_SUCCESS) return FromStatus(status);
        }
    }
    return S_OK;
}

HRESULT UnregisterEntries(HKEY root, const std::vector<RegistryEntry>& entries)
{
    HRESULT result = S_OK;
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
        LSTATUS status = ERROR_SUCCESS;
        if (e->removal == Removal::Recreate) {
            status = ::RegDeleteTreeW(root, e->key.c_str());
        } else if (e->removal == Removal::Remove) {
            status = ::RegDeleteKeyW(root, e->key.c_str());
            // A key someone else still uses below stays.
            if (status == ERROR_ACCESS_DENIED) status = ERROR_SUCCESS;
        }
        if (!Gone(status) && SUCCEEDED(result)) result = FromStatus(status);
    }
    return result;
}

PerUserClasses::PerUserClasses()
{
    HKEY raw = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_ALL_ACCESS, nullptr, &raw, nullptr);
    classes_.Reset(raw);
    if (status == ERROR_SUCCESS) status = ::RegOverridePredefKey(HKEY_CLASSES_ROOT, classes_.Get());
    result_ = FromStatus(status);
}

PerUserClasses::~PerUserClasses() { ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr); }

}  // namespace Korvel::Com
