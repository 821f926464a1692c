#include "framework/Module.h"

#include <atomic>

namespace velmora {
namespace {
HINSTANCE moduleInstance = nullptr;
std::atomic<long> lockCount{0};
}  // namespace

HINSTANCE ModuleInstance() { return moduleInstance ? moduleInstance : GetModuleHandleW(nullptr); }
void SetModuleInstance(HINSTANCE instance) { moduleInstance = instance; }

void LockModule() { ++lockCount; }
void UnlockModule() { --lockCount; }
long ModuleLockCount() { return lockCount.load(); }

}  // namespace velmora
