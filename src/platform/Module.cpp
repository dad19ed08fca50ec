#include "platform/Module.h"

namespace Korvel {
namespace {
HINSTANCE g_module = nullptr;
}
HINSTANCE ThisModule() { return g_module ? g_module : ::GetModuleHandleW(nullptr); }
void SetThisModule(HINSTANCE module) { g_module = module; }
}  // namespace Korvel
