#include "addin/ComServer.h"

#include <oleauto.h>

#include "addin/Connect.h"
#include "framework/ClassFactory.h"
#include "framework/Module.h"
#include "framework/Registrar.h"
#include "framework/TypeLibraryRegistration.h"
#include "resources/resource.h"

namespace velmora {

namespace {
// Each class's factory, made as the module loads: nothing is created or
// cached later, so threads asking at once all get the same one.
struct ClassEntry {
    const CLSID* clsid;
    ClassFactory factory;
};

ClassEntry classTable[] = {
    {&CLSID_Connect, ClassFactory(&Connect::CreateInstance)},
};
}  // namespace

HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (ClassEntry& entry : classTable) {
        if (IsEqualCLSID(clsid, *entry.clsid)) return entry.factory.QueryInterface(riid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

HRESULT RegisterServer(HMODULE module) {
    HRESULT hr = RegisterScript(module, IDR_CONNECT);
    if (FAILED(hr)) return hr;
    return RegisterTypeLibrary(module);
}

HRESULT UnregisterServer(HMODULE module) {
    HRESULT hr = UnregisterScript(module, IDR_CONNECT);
    if (FAILED(hr)) return hr;
    // By the library's identity: the file it was registered from may be gone.
    return UnregisterTypeLibrary(LIBID_VelmoraLib, VelmoraLibMajor, VelmoraLibMinor, LOCALE_NEUTRAL, kNativeSysKind);
}

}  // namespace velmora
