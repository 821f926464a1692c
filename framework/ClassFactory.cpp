#include "framework/ClassFactory.h"

#include "framework/Module.h"

namespace velmora {

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
    const long count = ++refCount_;
    if (count == 2) LockModule();  // the first reference beyond the module's own
    return static_cast<ULONG>(count);
}

ULONG ClassFactory::Release() {
    const long count = --refCount_;
    if (count == 1) UnlockModule();
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
