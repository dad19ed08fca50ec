#pragma once
// What registration writes under the classes root, and the steps of registering and
// unregistering the control (the proxy/stub is the exports' business).
#include <windows.h>

#include <string>
#include <vector>

#include "activex/com/Registrar.h"

namespace Registration {

extern const wchar_t kAppId[];

// The application id entries, and the program id and class entries for a DLL at `modulePath`.
std::vector<Korvel::Com::RegistryEntry> ModuleEntries();
std::vector<Korvel::Com::RegistryEntry> ClassEntries(const std::wstring& modulePath);

// Both key sets and the type library, under the machine's or (per user) the user's classes.
HRESULT Register(bool perUser);
HRESULT Unregister(bool perUser);

}  // namespace Registration
