#include "framework/ClassFactory.h"

#include <new>

#include "framework/Module.h"

namespace velmora {

HRESULT ClassFactory::Create(InstanceCreator creator, IClassFactory** factory) {
    if (!factory) return E_POINTER;
    *factory = new (std::nothrow) ClassFactory(creator);
    return *factory ? S_OK : E_OUTOFMEMORY;
}

HRESULT ClassFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ClassFactory::AddRef() {
    LONG count = InterlockedIncrement(&refCount_);
    if (count == 2) LockModule();  // the first reference beyond the module's own
    return static_cast<ULONG>(count);
}

ULONG ClassFactory::Release() {
    LONG count = InterlockedDecrement(&refCount_);
    if (count == 1) UnlockModule();
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return creator_(outer, riid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    if (lock) {
        LockModule();
    } else {
        UnlockModule();
    }
    return S_OK;
}

}  // namespace velmora
