#include "framework/DualDispatch.h"

namespace velmora {

namespace {
// One entry per dual interface served; the add-in has two.
struct KeptTypeInfo {
    IID iid;
    ITypeInfo* typeInfo;
};
constexpr int kKeptCapacity = 4;

SRWLOCK keptLock = SRWLOCK_INIT;
KeptTypeInfo kept[kKeptCapacity] = {};
int keptCount = 0;

// Holds keptLock while it lives. (std::mutex would link the runtime's
// system_error machinery into the DLL.)
class KeptLock {
public:
    KeptLock() { AcquireSRWLockExclusive(&keptLock); }
    ~KeptLock() { ReleaseSRWLockExclusive(&keptLock); }
    KeptLock(const KeptLock&) = delete;
    KeptLock& operator=(const KeptLock&) = delete;
};

HRESULT LoadRegisteredTypeInfo(REFGUID libid, WORD major, WORD minor, REFIID iid, ITypeInfo** typeInfo) {
    Microsoft::WRL::ComPtr<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(libid, major, minor, LOCALE_NEUTRAL, &library);
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(iid, typeInfo);
}
}  // namespace

HRESULT RegisteredTypeInfo(REFGUID libid, WORD major, WORD minor, REFIID iid, ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    const KeptLock lock;
    for (int i = 0; i < keptCount; ++i) {
        if (IsEqualIID(kept[i].iid, iid)) {
            *typeInfo = kept[i].typeInfo;
            (*typeInfo)->AddRef();
            return S_OK;
        }
    }
    HRESULT hr = LoadRegisteredTypeInfo(libid, major, minor, iid, typeInfo);
    if (FAILED(hr) || !*typeInfo) return FAILED(hr) ? hr : E_UNEXPECTED;
    if (keptCount < kKeptCapacity) {
        (*typeInfo)->AddRef();
        kept[keptCount++] = {iid, *typeInfo};
    }
    return S_OK;
}

void ReleaseRegisteredTypeInfo() {
    const KeptLock lock;
    for (int i = 0; i < keptCount; ++i) kept[i].typeInfo->Release();
    keptCount = 0;
}

}  // namespace velmora
