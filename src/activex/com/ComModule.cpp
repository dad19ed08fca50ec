#include "activex/com/ComModule.h"

namespace Korvel::Com {

namespace {
LONG g_locks = 0;
}

void LockModule() { ::InterlockedIncrement(&g_locks); }
void UnlockModule() { ::InterlockedDecrement(&g_locks); }
bool ModuleInUse() { return ::InterlockedCompareExchange(&g_locks, 0, 0) != 0; }

}  // namespace Korvel::Com
