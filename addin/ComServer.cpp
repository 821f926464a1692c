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
// Guards the first creation of a class factory.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

struct ClassEntry {
    const CLSID* clsid;
    InstanceCreator createInstance;
    IClassFactory* cachedFactory;  // one reference of the module's own
};

CriticalSection factoryLock;
ClassEntry classTable[] = {
    {&CLSID_Connect, &Connect::CreateInstance, nullptr},
};
}  // namespace

HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (ClassEntry& entry : classTable) {
        if (!IsEqualCLSID(clsid, *entry.clsid)) continue;
        HRESULT hr = S_OK;
        if (!entry.cachedFactory) {
            factoryLock.Enter();
            if (!entry.cachedFactory) hr = ClassFactory::Create(entry.createInstance, &entry.cachedFactory);
            factoryLock.Leave();
        }
        if (FAILED(hr)) return hr;
        return entry.cachedFactory->QueryInterface(riid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

void ReleaseClassObjects() {
    for (ClassEntry& entry : classTable) {
        if (entry.cachedFactory) {
            entry.cachedFactory->Release();
            entry.cachedFactory = nullptr;
        }
    }
}

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
