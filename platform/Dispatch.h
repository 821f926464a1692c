#pragma once
// Calls on host automation objects by member name (GetIDsOfNames + Invoke).
// The add-in never calls a vtable slot of a host interface, so any host that
// answers these names serves.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "framework/UniqueHandle.h"

namespace velmora::dispatch {

using Microsoft::WRL::ComPtr;

// Owns a VARIANT for the length of a call.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* operator&() { return &value_; }
    VARIANT& get() { return value_; }

private:
    VARIANT value_;
};

// Looks up a member's DISPID; DISP_E_UNKNOWNNAME when the object lacks it.
HRESULT FindMember(IDispatch* object, const wchar_t* name, DISPID* id);

// Invokes a member with arguments given in the published order (reversed here
// into DISPPARAMS order). `result` may be null.
HRESULT Call(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT argCount, VARIANT* result);

// Typed property gets. An object property may succeed with a null object;
// callers decide whether that is a failure.
HRESULT GetObject(IDispatch* object, const wchar_t* name, ComPtr<IDispatch>& value);
HRESULT GetLong(IDispatch* object, const wchar_t* name, long& value);
HRESULT GetBool(IDispatch* object, const wchar_t* name, VARIANT_BOOL& value);
HRESULT GetString(IDispatch* object, const wchar_t* name, UniqueBstr& value);

}  // namespace velmora::dispatch
