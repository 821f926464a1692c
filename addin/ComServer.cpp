#include "addin/ComServer.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <string>

#include "addin/Connect.h"
#include "framework/ClassFactory.h"
#include "framework/Module.h"
#include "framework/Registrar.h"
#include "resources/resource.h"

namespace velmora {

namespace {
using Microsoft::WRL::ComPtr;

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

std::wstring ModulePath(HMODULE module, HRESULT& hr) {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0) {
        hr = HRESULT_FROM_WIN32(GetLastError());
        return {};
    }
    if (length >= MAX_PATH) {
        hr = HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        return {};
    }
    hr = S_OK;
    return std::wstring(path, length);
}

// The type library embedded in the module's own file.
HRESULT LoadOwnTypeLibrary(HMODULE module, std::wstring& path, ComPtr<ITypeLib>& library) {
    HRESULT hr = S_OK;
    path = ModulePath(module, hr);
    if (FAILED(hr)) return hr;
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
}

HRESULT RegisterTypeLibrary(HMODULE module) {
    std::wstring path;
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadOwnTypeLibrary(module, path, library);
    if (FAILED(hr)) return hr;
    std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    return RegisterTypeLib(library.Get(), path.data(), folder.data());
}

HRESULT UnregisterTypeLibrary(HMODULE module) {
    std::wstring path;
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadOwnTypeLibrary(module, path, library);
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (FAILED(hr)) return hr;
    TLIBATTR copy = *attributes;
    library->ReleaseTLibAttr(attributes);
    return UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
}
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
    hr = UnregisterTypeLibrary(module);
    return FAILED(hr) ? hr : S_OK;
}

}  // namespace velmora
