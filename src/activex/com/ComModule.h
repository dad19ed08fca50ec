#pragma once
// The server's lock count: every live object and every LockServer(TRUE) holds the module,
// and DllCanUnloadNow says yes only when nothing does.
#include <windows.h>

namespace Korvel::Com {

void LockModule();
void UnlockModule();
bool ModuleInUse();

// Holds the module for as long as it lives.
class ModuleLock {
public:
    ModuleLock() { LockModule(); }
    ~ModuleLock() { UnlockModule(); }
    ModuleLock(const ModuleLock&) : ModuleLock() {}
    ModuleLock& operator=(const ModuleLock&) = default;
};

}  // namespace Korvel::Com
