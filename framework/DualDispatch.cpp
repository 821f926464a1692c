#include "framework/DualDispatch.h"

namespace velmora {

HRESULT LoadRegisteredTypeInfo(REFGUID libid, WORD major, WORD minor, REFIID iid, ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    Microsoft::WRL::ComPtr<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(libid, major, minor, LOCALE_NEUTRAL, &library);
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(iid, typeInfo);
}

}  // namespace velmora
