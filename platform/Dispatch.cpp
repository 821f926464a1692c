#include "platform/Dispatch.h"

#include <vector>

namespace velmora::dispatch {

HRESULT FindMember(IDispatch* object, const wchar_t* name, DISPID* id) {
    if (!object) return E_POINTER;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

HRESULT Call(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT argCount, VARIANT* result) {
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = FindMember(object, name, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANTARG> reversed(args, args + argCount);
    for (UINT i = 0; i < argCount; ++i) reversed[i] = args[argCount - 1 - i];
    DISPPARAMS params = {argCount ? reversed.data() : nullptr, nullptr, argCount, 0};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

namespace {
HRESULT GetTyped(IDispatch* object, const wchar_t* name, VARTYPE type, Variant& value) {
    HRESULT hr = Call(object, name, DISPATCH_PROPERTYGET, nullptr, 0, &value);
    if (FAILED(hr)) return hr;
    if (value.get().vt == type) return hr;
    HRESULT changed = VariantChangeType(&value, &value, 0, type);
    return FAILED(changed) ? changed : hr;
}
}  // namespace

HRESULT GetObject(IDispatch* object, const wchar_t* name, ComPtr<IDispatch>& value) {
    value.Reset();
    Variant result;
    HRESULT hr = Call(object, name, DISPATCH_PROPERTYGET, nullptr, 0, &result);
    if (FAILED(hr)) return hr;
    VARIANT& v = result.get();
    if (v.vt == VT_DISPATCH) {
        value = v.pdispVal;
    } else if (v.vt == VT_UNKNOWN && v.punkVal) {
        HRESULT asked = v.punkVal->QueryInterface(IID_PPV_ARGS(&value));
        if (FAILED(asked)) return asked;
    } else if (v.vt != VT_EMPTY && v.vt != VT_NULL && v.vt != VT_UNKNOWN) {
        return DISP_E_TYPEMISMATCH;
    }
    return hr;
}

HRESULT GetLong(IDispatch* object, const wchar_t* name, long& value) {
    Variant result;
    HRESULT hr = GetTyped(object, name, VT_I4, result);
    if (SUCCEEDED(hr)) value = result.get().lVal;
    return hr;
}

HRESULT GetBool(IDispatch* object, const wchar_t* name, VARIANT_BOOL& value) {
    Variant result;
    HRESULT hr = GetTyped(object, name, VT_BOOL, result);
    if (SUCCEEDED(hr)) value = result.get().boolVal;
    return hr;
}

HRESULT GetString(IDispatch* object, const wchar_t* name, UniqueBstr& value) {
    value.reset();
    Variant result;
    HRESULT hr = GetTyped(object, name, VT_BSTR, result);
    if (SUCCEEDED(hr)) {
        value.reset(result.get().bstrVal);
        result.get().vt = VT_EMPTY;  // ownership moved to `value`
    }
    return hr;
}

}  // namespace velmora::dispatch
