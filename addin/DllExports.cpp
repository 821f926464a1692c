// The DLL's entry point and its four COM server exports.
#include <windows.h>

#include "addin/ComServer.h"
#include "framework/DualDispatch.h"
#include "framework/Module.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        velmora::SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded by FreeLibrary: the process goes on, so its type
        // information goes back. At process exit nothing needs freeing.
        velmora::ReleaseRegisteredTypeInfo();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
    return velmora::GetClassObject(clsid, riid, object);
}

STDAPI DllCanUnloadNow() { return velmora::CanUnloadNow(); }

STDAPI DllRegisterServer() { return velmora::RegisterServer(velmora::ModuleInstance()); }

STDAPI DllUnregisterServer() { return velmora::UnregisterServer(velmora::ModuleInstance()); }
