#pragma once
// IDispatch for one dual interface of an object, served from the interface's
// type information in its registered type library. The information is loaded
// on the first call that finds the library registered and kept for the
// process, so later calls do not go to the registry. An object with several
// dual interfaces derives from one DualDispatch per interface, so that each
// vtable answers with its own type information.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

namespace velmora {

// The type information of `iid` from the registered library, with a reference
// for the caller: loaded once, then kept. A failed load is not kept; the next
// call tries the registry again.
HRESULT RegisteredTypeInfo(REFGUID libid, WORD major, WORD minor, REFIID iid, ITypeInfo** typeInfo);

// Releases the kept type information (as the module unloads).
void ReleaseRegisteredTypeInfo();

template <typename Interface, const IID& Iid, const GUID& Libid, WORD Major, WORD Minor>
class DualDispatch : public Interface {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) override {
        if (!typeInfo) return E_POINTER;
        *typeInfo = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return RegisteredTypeInfo(Libid, Major, Minor, Iid, typeInfo);
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        Microsoft::WRL::ComPtr<ITypeInfo> typeInfo;
        HRESULT hr = RegisteredTypeInfo(Libid, Major, Minor, Iid, &typeInfo);
        if (FAILED(hr)) return hr;
        return typeInfo->GetIDsOfNames(names, count, ids);
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
        Microsoft::WRL::ComPtr<ITypeInfo> typeInfo;
        HRESULT hr = RegisteredTypeInfo(Libid, Major, Minor, Iid, &typeInfo);
        if (FAILED(hr)) return hr;
        return typeInfo->Invoke(static_cast<Interface*>(this), id, flags, params, result, exception, argError);
    }
};

}  // namespace velmora
