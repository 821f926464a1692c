// The host stand-in's automation objects: argument checking, state, injected
// failures and the call log. These are what the add-in's tests rely on to see
// a wrong call, so each check here is one that a faulty stand-in would fail.
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ClientCalls.h"
#include "framework/UniqueHandle.h"
#include "support/HostFixture.h"

namespace velmora::test {
namespace {

using host::AddNamedCommandCall;
using host::ObjectKind;
using Microsoft::WRL::ComPtr;

VARIANT Dispatch(IDispatch* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = value;
    return v;
}
VARIANT Long(long value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}
VARIANT Bool(VARIANT_BOOL value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value;
    return v;
}
VARIANT String(BSTR value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = value;
    return v;
}

// The arguments of one AddNamedCommand call, in published order, as the
// add-in should pass them. The strings and the array slot live as long as
// the object.
struct CommandArguments {
    explicit CommandArguments(IDispatch* addIn, const wchar_t* name = L"InsertGUID")
        : nameText(SysAllocString(name)), tooltipText(SysAllocString(L"GUIDを挿入する")) {
        args = {Dispatch(addIn), String(nameText.get()), String(nameText.get()), String(tooltipText.get()),
                Bool(VARIANT_TRUE), Long(59), {}, Long(3)};
        VariantInit(&args[6]);
        args[6].vt = VT_BYREF | VT_ARRAY | VT_VARIANT;
        args[6].pparray = &guids;
    }

    UniqueBstr nameText;
    UniqueBstr tooltipText;
    SAFEARRAY* guids = nullptr;
    std::vector<VARIANT> args;
};

class HostObjectsTest : public HostTest {
protected:
    ComPtr<IDispatch> CommandsObject() { return GetObjectProperty(host.Application(), L"Commands"); }
};

TEST_F(HostObjectsTest, AddNamedCommandRecordsAWellFormedCallAndHandsOutTheCommand) {
    ComPtr<IDispatch> commands = CommandsObject();
    ASSERT_TRUE(commands);
    CommandArguments arguments(host.AddIn());
    {
        Var result;
        const CallResult call =
            CallByName(commands.Get(), L"AddNamedCommand", DISPATCH_METHOD, arguments.args, &result.value);
        ASSERT_EQ(S_OK, call.result);
        ASSERT_EQ(VT_DISPATCH, result.value.vt);
        EXPECT_NE(nullptr, result.value.pdispVal);
        // The new Command is the caller's to release: until then it shows as held.
        const std::vector<host::HeldObject> held = host.HeldObjects();
        ASSERT_EQ(2u, held.size()) << Narrow(host.DescribeReferences());
        EXPECT_EQ(ObjectKind::Commands, held[0].kind);
        EXPECT_EQ(ObjectKind::Command, held[1].kind);
        EXPECT_EQ(1u, held[1].references);
    }
    commands.Reset();
    EXPECT_TRUE(host.HeldObjects().empty()) << Narrow(host.DescribeReferences());

    ASSERT_EQ(1u, host.AddNamedCommandCalls().size());
    const AddNamedCommandCall& recorded = host.AddNamedCommandCalls()[0];
    EXPECT_EQ(host.AddIn(), recorded.addInInstance);
    EXPECT_TRUE(recorded.addInInstanceIsHostAddIn);
    EXPECT_EQ(L"InsertGUID", recorded.name);
    EXPECT_EQ(L"InsertGUID", recorded.buttonText);
    EXPECT_EQ(L"GUIDを挿入する", recorded.tooltip);
    EXPECT_EQ(VARIANT_TRUE, recorded.msoButton);
    EXPECT_EQ(59, recorded.bitmap);
    EXPECT_TRUE(recorded.contextGuidsNull);
    EXPECT_EQ(3, recorded.disabledFlags);
    EXPECT_TRUE(recorded.resultRequested);
    EXPECT_TRUE(recorded.commandCreated);
    EXPECT_EQ(S_OK, recorded.result);

    ASSERT_EQ(1u, host.Commands().size());
    EXPECT_EQ(L"Velmora.Connect.InsertGUID", host.Commands()[0].fullName);
    EXPECT_TRUE(host.HasCommand(L"velmora.connect.insertguid"));
}

TEST_F(HostObjectsTest, AddNamedCommandRejectsEveryMalformedCall) {
    struct Case {
        const char* what;
        std::function<void(std::vector<VARIANT>&, HostStandIn&)> change;
        WORD flags;
        UINT namedArgs;
        HRESULT expected;
        UINT argError;  // rgvarg index reported for a type mismatch
    };
    const UINT none = ~0u;
    const Case cases[] = {
        {"seven arguments", [](auto& a, auto&) { a.pop_back(); }, DISPATCH_METHOD, 0, DISP_E_BADPARAMCOUNT, none},
        {"nine arguments", [](auto& a, auto&) { a.push_back(Long(0)); }, DISPATCH_METHOD, 0, DISP_E_BADPARAMCOUNT,
         none},
        {"a named argument", [](auto&, auto&) {}, DISPATCH_METHOD, 1, DISP_E_NONAMEDARGS, none},
        {"called as a property", [](auto&, auto&) {}, DISPATCH_PROPERTYGET, 0, DISP_E_MEMBERNOTFOUND, none},
        {"arguments not reversed", [](auto& a, auto&) { std::reverse(a.begin(), a.end()); }, DISPATCH_METHOD, 0,
         DISP_E_TYPEMISMATCH, 7},
        {"AddInInstance as VT_UNKNOWN", [](auto& a, auto&) { a[0].vt = VT_UNKNOWN; }, DISPATCH_METHOD, 0,
         DISP_E_TYPEMISMATCH, 7},
        {"AddInInstance is the Application",
         [](auto& a, auto& h) { a[0].pdispVal = h.Application(); }, DISPATCH_METHOD, 0, E_INVALIDARG, none},
        {"AddInInstance null", [](auto& a, auto&) { a[0].pdispVal = nullptr; }, DISPATCH_METHOD, 0, E_INVALIDARG,
         none},
        {"Name as VT_I4", [](auto& a, auto&) { a[1] = Long(1); }, DISPATCH_METHOD, 0, DISP_E_TYPEMISMATCH, 6},
        {"ButtonText as VT_EMPTY", [](auto& a, auto&) { VariantInit(&a[2]); }, DISPATCH_METHOD, 0,
         DISP_E_TYPEMISMATCH, 5},
        {"Tooltip by reference", [](auto& a, auto&) { a[3].vt = VT_BYREF | VT_BSTR; a[3].pbstrVal = &a[1].bstrVal; },
         DISPATCH_METHOD, 0, DISP_E_TYPEMISMATCH, 4},
        {"MSOButton as VT_I4 1", [](auto& a, auto&) { a[4] = Long(1); }, DISPATCH_METHOD, 0, DISP_E_TYPEMISMATCH,
         3},
        {"Bitmap as VT_I2", [](auto& a, auto&) { a[5].vt = VT_I2; a[5].iVal = 59; }, DISPATCH_METHOD, 0,
         DISP_E_TYPEMISMATCH, 2},
        {"ContextUIGUIDs not by reference", [](auto& a, auto&) { a[6].vt = VT_ARRAY | VT_VARIANT; a[6].parray = nullptr; },
         DISPATCH_METHOD, 0, DISP_E_TYPEMISMATCH, 1},
        {"ContextUIGUIDs as VT_EMPTY", [](auto& a, auto&) { VariantInit(&a[6]); }, DISPATCH_METHOD, 0,
         DISP_E_TYPEMISMATCH, 1},
        {"ContextUIGUIDs reference null", [](auto& a, auto&) { a[6].pparray = nullptr; }, DISPATCH_METHOD, 0,
         E_POINTER, none},
        {"disabled flags as VT_BOOL", [](auto& a, auto&) { a[7] = Bool(VARIANT_TRUE); }, DISPATCH_METHOD, 0,
         DISP_E_TYPEMISMATCH, 0},
        {"empty name", [](auto& a, auto&) { a[1].bstrVal = nullptr; }, DISPATCH_METHOD, 0, E_INVALIDARG, none},
    };

    ComPtr<IDispatch> commands = CommandsObject();
    ASSERT_TRUE(commands);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.ClearCommandRecords();
        CommandArguments arguments(host.AddIn());
        c.change(arguments.args, host);
        Var result;
        const CallResult call =
            CallByName(commands.Get(), L"AddNamedCommand", c.flags, arguments.args, &result.value, c.namedArgs);
        EXPECT_EQ(c.expected, call.result);
        if (c.argError != none) {
            EXPECT_EQ(c.argError, call.argError);
        }
        EXPECT_EQ(VT_EMPTY, result.value.vt);
        EXPECT_TRUE(host.Commands().empty());
        ASSERT_EQ(1u, host.AddNamedCommandCalls().size());
        EXPECT_EQ(c.expected, host.AddNamedCommandCalls()[0].result);
        EXPECT_FALSE(host.AddNamedCommandCalls()[0].commandCreated);
    }
}

TEST_F(HostObjectsTest, RefusesADuplicateCommandOnlyInThatMode) {
    ComPtr<IDispatch> commands = CommandsObject();
    ASSERT_TRUE(commands);
    auto add = [&](const wchar_t* name) {
        CommandArguments arguments(host.AddIn(), name);
        Var result;
        const HRESULT hr = CallByName(commands.Get(), L"AddNamedCommand", DISPATCH_METHOD, arguments.args,
                                      &result.value).result;
        EXPECT_EQ(SUCCEEDED(hr) ? VT_DISPATCH : VT_EMPTY, result.value.vt) << Narrow(name);
        return hr;
    };
    EXPECT_EQ(S_OK, add(L"CodeTemplate"));
    EXPECT_EQ(S_OK, add(L"CodeTemplate"));
    EXPECT_EQ(2u, host.Commands().size());

    host.SetRefuseDuplicateCommands(true, E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, add(L"codetemplate"));
    EXPECT_EQ(S_OK, add(L"InsertGUID"));
    EXPECT_EQ(E_ACCESSDENIED, add(L"InsertGUID"));
    EXPECT_EQ(3u, host.Commands().size());
    ASSERT_EQ(5u, host.AddNamedCommandCalls().size());
    EXPECT_FALSE(host.AddNamedCommandCalls()[2].commandCreated);
    EXPECT_FALSE(host.AddNamedCommandCalls()[4].commandCreated);
}

TEST_F(HostObjectsTest, PropertiesFollowTheHostState) {
    struct Case {
        const char* what;
        std::function<void(HostStandIn&)> set;
        std::vector<const wchar_t*> path;  // objects to walk, then the value property
        VARTYPE type;
        long number;        // VT_I4 / VT_BOOL
        std::wstring text;  // VT_BSTR
    };
    const Case cases[] = {
        {"design mode", [](auto& h) { h.SetDebuggerMode(1); }, {L"Debugger", L"CurrentMode"}, VT_I4, 1, {}},
        {"break mode", [](auto& h) { h.SetDebuggerMode(2); }, {L"Debugger", L"CurrentMode"}, VT_I4, 2, {}},
        {"run mode", [](auto& h) { h.SetDebuggerMode(3); }, {L"Debugger", L"CurrentMode"}, VT_I4, 3, {}},
        {"solution open", [](auto& h) { h.SetSolutionOpen(true); }, {L"Solution", L"IsOpen"}, VT_BOOL, -1, {}},
        {"solution closed", [](auto& h) { h.SetSolutionOpen(false); }, {L"Solution", L"IsOpen"}, VT_BOOL, 0, {}},
        {"solution path", [](auto& h) { h.SetSolutionFullName(L"D:\\作業\\Tools.sln"); },
         {L"Solution", L"FullName"}, VT_BSTR, 0, L"D:\\作業\\Tools.sln"},
        {"writable", [](auto& h) { h.SetDocumentReadOnly(false); }, {L"ActiveWindow", L"Document", L"ReadOnly"},
         VT_BOOL, 0, {}},
        {"read-only", [](auto& h) { h.SetDocumentReadOnly(true); }, {L"ActiveWindow", L"Document", L"ReadOnly"},
         VT_BOOL, -1, {}},
        {"document name", [](auto& h) { h.SetDocumentName(L"Form1.vb"); }, {L"ActiveWindow", L"Document", L"Name"},
         VT_BSTR, 0, L"Form1.vb"},
        {"anchor column", [](auto& h) { h.SetAnchorColumn(9); },
         {L"ActiveWindow", L"Document", L"Selection", L"AnchorPoint", L"DisplayColumn"}, VT_I4, 9, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.set(host);
        ComPtr<IDispatch> owner = host.Application();
        for (size_t i = 0; owner && i + 1 < c.path.size(); ++i) owner = GetObjectProperty(owner.Get(), c.path[i]);
        ASSERT_TRUE(owner);
        Var value;
        EXPECT_EQ(S_OK, CallByName(owner.Get(), c.path.back(), DISPATCH_PROPERTYGET, {}, &value.value).result);
        ASSERT_EQ(c.type, value.value.vt);
        if (c.type == VT_I4) {
            EXPECT_EQ(c.number, value.value.lVal);
        } else if (c.type == VT_BOOL) {
            EXPECT_EQ(c.number, value.value.boolVal);
        } else {
            EXPECT_EQ(c.text, std::wstring(value.value.bstrVal, SysStringLen(value.value.bstrVal)));
        }
    }
}

TEST_F(HostObjectsTest, MissingWindowDocumentAndTextSelectionShowAsTheHostShowsThem) {
    host.SetActiveWindow(false);
    {
        Var window;
        EXPECT_EQ(S_OK, CallByName(host.Application(), L"ActiveWindow", DISPATCH_PROPERTYGET, {}, &window.value).result);
        EXPECT_EQ(VT_DISPATCH, window.value.vt);
        EXPECT_EQ(nullptr, window.value.pdispVal);
    }
    host.SetActiveWindow(true);
    host.SetWindowHasDocument(false);
    {
        ComPtr<IDispatch> window = Walk(host.Application(), {L"ActiveWindow"});
        ASSERT_TRUE(window);
        Var document;
        EXPECT_EQ(S_OK, CallByName(window.Get(), L"Document", DISPATCH_PROPERTYGET, {}, &document.value).result);
        EXPECT_EQ(VT_DISPATCH, document.value.vt);
        EXPECT_EQ(nullptr, document.value.pdispVal);
    }
    host.SetWindowHasDocument(true);
    host.SetTextSelection(false);
    {
        ComPtr<IDispatch> selection = Walk(host.Application(), {L"ActiveWindow", L"Document", L"Selection"});
        ASSERT_TRUE(selection);
        HRESULT hr = S_OK;
        EXPECT_EQ(DISPID_UNKNOWN, IdOf(selection.Get(), L"Paste", &hr));
        EXPECT_EQ(DISP_E_UNKNOWNNAME, hr);
        IdOf(selection.Get(), L"AnchorPoint", &hr);
        EXPECT_EQ(DISP_E_UNKNOWNNAME, hr);
    }
    host.SetTextSelection(true);
    {
        ComPtr<IDispatch> selection = Walk(host.Application(), {L"ActiveWindow", L"Document", L"Selection"});
        ASSERT_TRUE(selection);
        HRESULT hr = E_FAIL;
        IdOf(selection.Get(), L"Paste", &hr);
        EXPECT_EQ(S_OK, hr);
    }
}

TEST_F(HostObjectsTest, CallsAreCheckedAsIDispatchDefines) {
    IDispatch* application = host.Application();
    HRESULT hr = S_OK;
    // Names are case-insensitive, and belong to one kind of object each.
    EXPECT_NE(DISPID_UNKNOWN, IdOf(application, L"activewindow", &hr));
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(DISPID_UNKNOWN, IdOf(application, L"Selection", &hr));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, hr);
    EXPECT_EQ(DISPID_UNKNOWN, IdOf(host.AddIn(), L"Commands", &hr));
    EXPECT_EQ(DISP_E_UNKNOWNNAME, hr);

    Var value;
    VARIANT extra = Long(1);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, CallByName(application, L"Commands", DISPATCH_METHOD, {}, &value.value).result);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT,
              CallByName(application, L"Commands", DISPATCH_PROPERTYGET, {extra}, &value.value).result);
    EXPECT_EQ(DISP_E_NONAMEDARGS,
              CallByName(application, L"Commands", DISPATCH_PROPERTYGET, {extra}, &value.value, 1).result);
    EXPECT_EQ(E_POINTER, CallByName(application, L"Commands", DISPATCH_PROPERTYGET, {}, nullptr).result);
    EXPECT_EQ(VT_EMPTY, value.value.vt);

    // A DISPID of another kind of object is not a member here.
    ComPtr<IDispatch> selection = Walk(application, {L"ActiveWindow", L"Document", L"Selection"});
    ASSERT_TRUE(selection);
    const DISPID paste = IdOf(selection.Get(), L"Paste");
    DISPPARAMS noArgs = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              application->Invoke(paste, IID_NULL, 0, DISPATCH_METHOD, &noArgs, nullptr, nullptr, nullptr));
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
              selection->Invoke(paste, IID_IDispatch, 0, DISPATCH_METHOD, &noArgs, nullptr, nullptr, nullptr));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, CallByName(selection.Get(), L"Paste", DISPATCH_METHOD, {extra}, nullptr).result);
    EXPECT_TRUE(host.Pastes().empty());
}

TEST_F(HostObjectsTest, QueryInterfaceAnswersTheHostInterfacesUnlessSwitchedOff) {
    struct Case {
        const char* what;
        IDispatch* object;
        const IID& iid;
        std::function<void(bool)> answer;
        std::function<ULONG()> references;
    };
    const Case cases[] = {
        {"Application as _DTE", host.Application(), IID_DTE, [&](bool on) { host.SetApplicationAnswersDte(on); },
         [&] { return host.ApplicationReferences(); }},
        {"AddIn as AddIn", host.AddIn(), IID_AddIn, [&](bool on) { host.SetAddInAnswersAddIn(on); },
         [&] { return host.AddInReferences(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        void* answer = nullptr;
        ASSERT_EQ(S_OK, c.object->QueryInterface(c.iid, &answer));
        EXPECT_EQ(static_cast<void*>(c.object), answer);
        EXPECT_EQ(1u, c.references());
        static_cast<IUnknown*>(answer)->Release();
        EXPECT_EQ(0u, c.references());

        c.answer(false);
        answer = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, c.object->QueryInterface(c.iid, &answer));
        EXPECT_EQ(nullptr, answer);
        EXPECT_EQ(0u, c.references());
        // IDispatch is still answered.
        ComPtr<IDispatch> dispatch;
        EXPECT_EQ(S_OK, c.object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.GetAddressOf())));
        c.answer(true);
    }
    // Neither answers the other's interface.
    void* answer = nullptr;
    EXPECT_EQ(E_NOINTERFACE, host.Application()->QueryInterface(IID_AddIn, &answer));
    EXPECT_EQ(E_NOINTERFACE, host.AddIn()->QueryInterface(IID_DTE, &answer));
}

TEST_F(HostObjectsTest, InjectedResultsStartAtTheNthCallAndCanBeCleared) {
    host.FailMember(L"Commands", E_ACCESSDENIED, 3);
    for (int call = 1; call <= 4; ++call) {
        Var value;
        const HRESULT hr = CallByName(host.Application(), L"Commands", DISPATCH_PROPERTYGET, {}, &value.value).result;
        if (call < 3) {
            EXPECT_EQ(S_OK, hr) << "call " << call;
            EXPECT_EQ(VT_DISPATCH, value.value.vt);
            EXPECT_NE(nullptr, value.value.pdispVal);
        } else {
            EXPECT_EQ(E_ACCESSDENIED, hr) << "call " << call;
        }
    }

    struct Case {
        const wchar_t* member;
        std::vector<const wchar_t*> path;  // objects leading to the member's owner
        HRESULT result;
        VARTYPE type;
    };
    const Case empties[] = {
        {L"ActiveWindow", {}, S_OK, VT_DISPATCH},
        {L"Commands", {}, S_FALSE, VT_DISPATCH},
        {L"Document", {L"ActiveWindow"}, S_OK, VT_DISPATCH},
        {L"Selection", {L"ActiveWindow", L"Document"}, S_OK, VT_DISPATCH},
        {L"CurrentMode", {L"Debugger"}, S_OK, VT_EMPTY},
        {L"Name", {L"ActiveWindow", L"Document"}, S_OK, VT_EMPTY},
    };
    for (const Case& c : empties) {
        SCOPED_TRACE(Narrow(c.member));
        host.ClearInjections();
        ComPtr<IDispatch> owner = host.Application();
        for (const wchar_t* step : c.path) owner = GetObjectProperty(owner.Get(), step);
        ASSERT_TRUE(owner);
        host.EmptyMember(c.member, 1, c.result);
        Var value;
        EXPECT_EQ(c.result, CallByName(owner.Get(), c.member, DISPATCH_PROPERTYGET, {}, &value.value).result);
        EXPECT_EQ(c.type, value.value.vt);
        if (c.type == VT_DISPATCH) {
            EXPECT_EQ(nullptr, value.value.pdispVal);
        }
        host.ClearInjections();
        Var normal;
        EXPECT_EQ(S_OK, CallByName(owner.Get(), c.member, DISPATCH_PROPERTYGET, {}, &normal.value).result);
        EXPECT_NE(VT_EMPTY, normal.value.vt);
    }

    // AddNamedCommand made empty creates nothing.
    ComPtr<IDispatch> commands = CommandsObject();
    ASSERT_TRUE(commands);
    host.EmptyMember(L"AddNamedCommand");
    CommandArguments arguments(host.AddIn());
    Var result;
    EXPECT_EQ(S_OK, CallByName(commands.Get(), L"AddNamedCommand", DISPATCH_METHOD, arguments.args, &result.value).result);
    EXPECT_EQ(VT_DISPATCH, result.value.vt);
    EXPECT_EQ(nullptr, result.value.pdispVal);
    EXPECT_TRUE(host.Commands().empty());

    EXPECT_THROW(host.FailMember(L"Paste", S_OK), std::invalid_argument);
    EXPECT_THROW(host.EmptyMember(L"Paste", 1, E_FAIL), std::invalid_argument);
    EXPECT_THROW(host.FailMember(L"NoSuchMember", E_FAIL), std::invalid_argument);
}

TEST_F(HostObjectsTest, CallLogRecordsLookupsAndInvocationsInOrder) {
    host.SetActiveWindow(false);
    {
        Var window;
        CallByName(host.Application(), L"ActiveWindow", DISPATCH_PROPERTYGET, {}, &window.value);
        ComPtr<IDispatch> debugger = GetObjectProperty(host.Application(), L"Debugger");
        ASSERT_TRUE(debugger);
        Var mode;
        CallByName(debugger.Get(), L"CurrentMode", DISPATCH_PROPERTYGET, {}, &mode.value);
        IdOf(debugger.Get(), L"NoSuchThing");
    }
    const std::vector<std::wstring> expected = {L"Application.ActiveWindow", L"Application.Debugger",
                                                L"Debugger.CurrentMode"};
    EXPECT_EQ(expected, host.InvokedMembers());
    const auto& calls = host.Calls();
    ASSERT_EQ(7u, calls.size());
    EXPECT_EQ(host::CallType::Lookup, calls[0].type);
    EXPECT_EQ(L"ActiveWindow", calls[0].member);
    EXPECT_EQ(host::CallType::Invoke, calls[1].type);
    EXPECT_EQ(ObjectKind::Debugger, calls[6].object);
    EXPECT_EQ(L"NoSuchThing", calls[6].member);
    EXPECT_EQ(DISP_E_UNKNOWNNAME, calls[6].result);

    host.ClearCalls();
    EXPECT_TRUE(host.Calls().empty());
    EXPECT_TRUE(host.InvokedMembers().empty());
}

}  // namespace
}  // namespace velmora::test
