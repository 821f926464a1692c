#include "platform/HostOperations.h"

#include "platform/DteInterfaces.h"

namespace velmora::hostops {

namespace {
// An object property that must give an object.
HRESULT GetRequiredObject(IDispatch* object, const wchar_t* name, ComPtr<IDispatch>& value) {
    if (!object) return E_POINTER;
    HRESULT hr = dispatch::GetObject(object, name, value);
    if (SUCCEEDED(hr) && !value) return E_POINTER;
    return hr;
}
}  // namespace

HRESULT GetCommands(IDispatch* dte, ComPtr<IDispatch>& commands) {
    if (!dte) return E_POINTER;
    return dispatch::GetObject(dte, L"Commands", commands);
}

HRESULT AddNamedCommand(IDispatch* commands, IDispatch* addInInstance, BSTR name, BSTR buttonText,
                        BSTR tooltip, bool msoButton, long bitmap, long disabledFlags, ComPtr<IDispatch>& command) {
    command.Reset();
    if (!commands) return E_POINTER;
    SAFEARRAY* noContextGuids = nullptr;
    VARIANT args[8];
    for (VARIANT& arg : args) VariantInit(&arg);
    args[0].vt = VT_DISPATCH;
    args[0].pdispVal = addInInstance;
    args[1].vt = VT_BSTR;
    args[1].bstrVal = name;
    args[2].vt = VT_BSTR;
    args[2].bstrVal = buttonText;
    args[3].vt = VT_BSTR;
    args[3].bstrVal = tooltip;
    args[4].vt = VT_BOOL;
    args[4].boolVal = msoButton ? VARIANT_TRUE : VARIANT_FALSE;
    args[5].vt = VT_I4;
    args[5].lVal = bitmap;
    args[6].vt = VT_BYREF | VT_ARRAY | VT_VARIANT;
    args[6].pparray = &noContextGuids;
    args[7].vt = VT_I4;
    args[7].lVal = disabledFlags;

    dispatch::Variant result;
    HRESULT hr = dispatch::Call(commands, L"AddNamedCommand", DISPATCH_METHOD, args, 8, &result);
    if (SUCCEEDED(hr) && result.get().vt == VT_DISPATCH) command = result.get().pdispVal;
    return hr;
}

HRESULT IsInBreakMode(IDispatch* dte, bool& inBreakMode) {
    inBreakMode = false;
    ComPtr<IDispatch> debugger;
    HRESULT hr = GetRequiredObject(dte, L"Debugger", debugger);
    long mode = 0;
    if (SUCCEEDED(hr)) hr = dispatch::GetLong(debugger.Get(), L"CurrentMode", mode);
    inBreakMode = SUCCEEDED(hr) && mode == dbgBreakMode;
    return hr;
}

bool IsNotInBreakMode(IDispatch* dte, debuglog::Reason* whyNot) {
    using debuglog::Tell;
    if (!dte) {
        Tell(whyNot, L"not connected to the host");
        return false;
    }
    bool inBreakMode = false;
    if (FAILED(IsInBreakMode(dte, inBreakMode))) {
        Tell(whyNot, L"the debugger's mode cannot be read");
        return false;
    }
    if (inBreakMode) {
        Tell(whyNot, L"the debugger is in break mode");
        return false;
    }
    return true;
}

HRESULT GetSolution(IDispatch* dte, ComPtr<IDispatch>& solution) {
    return GetRequiredObject(dte, L"Solution", solution);
}

HRESULT GetSolutionIsOpen(IDispatch* solution, bool& open) {
    VARIANT_BOOL value = VARIANT_FALSE;
    HRESULT hr = dispatch::GetBool(solution, L"IsOpen", value);
    open = SUCCEEDED(hr) && value != VARIANT_FALSE;
    return hr;
}

HRESULT GetSolutionFullName(IDispatch* solution, UniqueBstr& fullName) {
    return dispatch::GetString(solution, L"FullName", fullName);
}

bool IsSolutionOpen(IDispatch* dte) {
    ComPtr<IDispatch> solution;
    bool open = false;
    return SUCCEEDED(GetSolution(dte, solution)) && SUCCEEDED(GetSolutionIsOpen(solution.Get(), open)) && open;
}

HRESULT GetDocumentName(IDispatch* document, UniqueBstr& name) { return dispatch::GetString(document, L"Name", name); }

bool FindEditableSelection(IDispatch* dte, EditableSelection& found, debuglog::Reason* whyNot) {
    using debuglog::Tell;
    found = EditableSelection{};
    ComPtr<IDispatch> window;
    if (FAILED(GetRequiredObject(dte, L"ActiveWindow", window))) {
        Tell(whyNot, L"the host gives no active window");
        return false;
    }
    ComPtr<IDispatch> document;
    if (FAILED(GetRequiredObject(window.Get(), L"Document", document))) {
        Tell(whyNot, L"the active window shows no document");
        return false;
    }
    VARIANT_BOOL readOnly = VARIANT_TRUE;
    if (FAILED(dispatch::GetBool(document.Get(), L"ReadOnly", readOnly))) {
        Tell(whyNot, L"the document's read-only state cannot be read");
        return false;
    }
    if (readOnly != VARIANT_FALSE) {
        Tell(whyNot, L"the document is read-only");
        return false;
    }
    ComPtr<IDispatch> selection;
    if (FAILED(GetRequiredObject(document.Get(), L"Selection", selection))) {
        Tell(whyNot, L"the document gives no selection");
        return false;
    }
    // Only a text selection can paste; any other selection object is no target.
    DISPID paste = DISPID_UNKNOWN;
    if (FAILED(dispatch::FindMember(selection.Get(), L"Paste", &paste))) {
        Tell(whyNot, L"the document's selection is not a text selection");
        return false;
    }
    found.document = std::move(document);
    found.selection = std::move(selection);
    return true;
}

HRESULT GetAnchorDisplayColumn(IDispatch* selection, long& column) {
    ComPtr<IDispatch> anchor;
    HRESULT hr = GetRequiredObject(selection, L"AnchorPoint", anchor);
    if (FAILED(hr)) return hr;
    return dispatch::GetLong(anchor.Get(), L"DisplayColumn", column);
}

HRESULT Paste(IDispatch* selection) {
    if (!selection) return E_POINTER;
    return dispatch::Call(selection, L"Paste", DISPATCH_METHOD, nullptr, 0, nullptr);
}

}  // namespace velmora::hostops
