#pragma once
// Module-wide state of the COM server: the module handle that resources are
// loaded from, and the lock count that decides whether the DLL may unload.
#include <windows.h>

namespace velmora {

HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE instance);

void LockModule();
void UnlockModule();
long ModuleLockCount();

}  // namespace velmora
