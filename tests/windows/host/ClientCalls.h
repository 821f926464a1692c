#pragma once
// A minimal automation client for testing the host stand-in itself: calls by
// member name with arguments in published order, the way an add-in does,
// written here independently of the add-in's own dispatch code.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace velmora::test {

// Owns a VARIANT.
class Var {
public:
    Var() { VariantInit(&value); }
    ~Var() { VariantClear(&value); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    VARIANT value;
};

struct CallResult {
    HRESULT result = E_FAIL;
    UINT argError = ~0u;
};

// Looks `name` up on `object` and invokes it. `args` are in published order;
// they are handed over reversed, as IDispatch defines. `namedArgs` > 0 marks
// that many of the last-passed arguments as named (with made-up DISPIDs).
inline CallResult CallByName(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args,
                             VARIANT* result, UINT namedArgs = 0) {
    CallResult outcome;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    outcome.result = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(outcome.result)) return outcome;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    std::vector<DISPID> named(namedArgs);
    for (UINT i = 0; i < namedArgs; ++i) named[i] = static_cast<DISPID>(100 + i);
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), named.empty() ? nullptr : named.data(),
                         static_cast<UINT>(reversed.size()), namedArgs};
    outcome.result =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, &outcome.argError);
    return outcome;
}

// A property get that must give an object; fails the test otherwise.
inline Microsoft::WRL::ComPtr<IDispatch> GetObjectProperty(IDispatch* object, const wchar_t* name) {
    Var value;
    const CallResult call = CallByName(object, name, DISPATCH_PROPERTYGET, {}, &value.value);
    EXPECT_EQ(S_OK, call.result) << "property " << name;
    EXPECT_EQ(VT_DISPATCH, value.value.vt) << "property " << name;
    Microsoft::WRL::ComPtr<IDispatch> found;
    if (SUCCEEDED(call.result) && value.value.vt == VT_DISPATCH) found = value.value.pdispVal;
    return found;
}

// Follows a path of object properties from `start`; the objects on the way are
// released. Gives the last object, or null (with a test failure) if one on the
// way is missing.
inline Microsoft::WRL::ComPtr<IDispatch> Walk(IDispatch* start, std::initializer_list<const wchar_t*> path) {
    Microsoft::WRL::ComPtr<IDispatch> current = start;
    for (const wchar_t* name : path) {
        if (!current) return nullptr;
        current = GetObjectProperty(current.Get(), name);
    }
    return current;
}

// The DISPID that GetIDsOfNames gives for `name`, DISPID_UNKNOWN on failure.
inline DISPID IdOf(IDispatch* object, const wchar_t* name, HRESULT* result = nullptr) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (result) *result = hr;
    return id;
}

}  // namespace velmora::test
