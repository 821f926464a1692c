// QueryStatus and Exec: the status test of each command over the host's
// states, and the lookup of command names.
#include <gtest/gtest.h>

#include <functional>

#include "addin/Connect.h"
#include "support/HostFixture.h"

namespace velmora::test {
namespace {

constexpr long kUntouched = 0x5A5A;  // a preset that proves "not written"
constexpr long kAvailable = 3;

const wchar_t* const kShortNames[] = {L"ProjectExplorer", L"ProjectExplorerSp", L"SelectGUID",
                                      L"InsertGUID",      L"InsertOldGUID",     L"CodeTemplate"};

struct StateCase {
    const char* name;
    std::function<void(HostStandIn&)> setUp;
    bool withGuidText;
    // Expected status per command, in table order: true = 3 written.
    bool available[6];
};

using StatusTest = HostTest;

TEST_F(StatusTest, StatusFollowsTheHostStateForEveryCommand) {
    const auto none = [](HostStandIn&) {};
    const StateCase cases[] = {
        {"design mode, writable text document", none, false, {true, true, true, true, false, true}},
        {"design mode, with GUID text", none, true, {true, true, true, true, true, true}},
        {"run mode", [](HostStandIn& h) { h.SetDebuggerMode(3); }, true, {true, true, true, true, true, true}},
        {"break mode", [](HostStandIn& h) { h.SetDebuggerMode(2); }, true, {false, false, true, true, true, false}},
        {"no solution", [](HostStandIn& h) { h.SetSolutionOpen(false); }, true, {false, true, true, true, true, true}},
        {"no active window", [](HostStandIn& h) { h.SetActiveWindow(false); }, true,
         {true, true, false, false, false, false}},
        {"window without document", [](HostStandIn& h) { h.SetWindowHasDocument(false); }, true,
         {true, true, false, false, false, false}},
        {"read-only document", [](HostStandIn& h) { h.SetDocumentReadOnly(true); }, true,
         {true, true, false, false, false, false}},
        {"selection is no text selection", [](HostStandIn& h) { h.SetTextSelection(false); }, true,
         {true, true, false, false, false, false}},
        {"Debugger fails", [](HostStandIn& h) { h.FailMember(L"Debugger", E_FAIL); }, true,
         {false, false, true, true, true, false}},
        {"CurrentMode fails", [](HostStandIn& h) { h.FailMember(L"CurrentMode", E_FAIL); }, true,
         {false, false, true, true, true, false}},
        {"Solution empty", [](HostStandIn& h) { h.EmptyMember(L"Solution"); }, true,
         {false, true, true, true, true, true}},
        {"IsOpen fails", [](HostStandIn& h) { h.FailMember(L"IsOpen", E_FAIL); }, true,
         {false, true, true, true, true, true}},
        {"ReadOnly fails", [](HostStandIn& h) { h.FailMember(L"ReadOnly", E_FAIL); }, true,
         {true, true, false, false, false, false}},
        {"Selection empty", [](HostStandIn& h) { h.EmptyMember(L"Selection"); }, true,
         {true, true, false, false, false, false}},
        {"ActiveWindow fails", [](HostStandIn& h) { h.FailMember(L"ActiveWindow", E_UNEXPECTED); }, true,
         {true, true, false, false, false, false}},
    };

    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        HostStandIn fresh;
        ConnectedAddIn addIn(fresh);
        ASSERT_EQ(addIn.ConnectResult(), S_OK);
        if (c.withGuidText) {
            // A rendered GUID text makes InsertOldGUID eligible.
            ASSERT_EQ(addIn.Object().MakeGuidText(GUID{0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}}), 0);
        }
        c.setUp(fresh);
        for (int i = 0; i < 6; ++i) {
            SCOPED_TRACE(Narrow(kShortNames[i]));
            StatusResult status = addIn.QueryStatus(FullCommandName(kShortNames[i]), kUntouched);
            EXPECT_EQ(status.result, S_OK);
            EXPECT_EQ(status.status, c.available[i] ? kAvailable : kUntouched);
            EXPECT_EQ(status.commandText, VT_EMPTY);
        }
    }
}

TEST_F(StatusTest, InsertOldGuidWithoutTextAsksTheHostNothing) {
    ConnectedAddIn addIn(host);
    host.ClearCalls();
    EXPECT_EQ(addIn.QueryStatus(FullCommandName(L"InsertOldGUID"), kUntouched).status, kUntouched);
    EXPECT_TRUE(host.InvokedMembers().empty());
}

TEST_F(StatusTest, StatusTestAsksTheHostInOrder) {
    ConnectedAddIn addIn(host);
    host.ClearCalls();
    addIn.QueryStatus(FullCommandName(L"CodeTemplate"));
    const std::vector<std::wstring> expected = {L"Application.Debugger", L"Debugger.CurrentMode",
                                                L"Application.ActiveWindow", L"Window.Document",
                                                L"Document.ReadOnly", L"Document.Selection"};
    EXPECT_EQ(host.InvokedMembers(), expected);
}

TEST_F(StatusTest, NamesAreMatchedWholeIgnoringCaseOnly) {
    ConnectedAddIn addIn(host);
    struct NameCase {
        const wchar_t* name;
        bool found;
    };
    const NameCase cases[] = {
        {L"velmora.connect.codetemplate", true},
        {L"VELMORA.CONNECT.INSERTOLDGUID", true},
        {L"Velmora.Connect.projectexplorer", true},
        {L" Velmora.Connect.CodeTemplate", false},
        {L"Velmora.Connect.CodeTemplate ", false},
        {L"CodeTemplate", false},
        {L"Velmora.Connect.", false},
        {L"", false},
        {nullptr, false},
    };
    ASSERT_EQ(addIn.Object().MakeGuidText(GUID{0x1, 0x2, 0x3, {4, 5, 6, 7, 8, 9, 10, 11}}), 0);
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name ? Narrow(c.name) : std::string("null BSTR"));
        StatusResult status = addIn.QueryStatus(c.name, kUntouched);
        EXPECT_EQ(status.result, S_OK);
        EXPECT_EQ(status.status, c.found ? kAvailable : kUntouched);
    }
    // Executed in states where each found command stops before showing anything:
    // break mode stops CodeTemplate, the closed solution ProjectExplorer, the
    // read-only document InsertOldGUID.
    host.SetDebuggerMode(2);
    host.SetSolutionOpen(false);
    host.SetDocumentReadOnly(true);
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name ? Narrow(c.name) : std::string("null BSTR"));
        ExecResult exec = addIn.Exec(c.name);
        EXPECT_EQ(exec.result, S_OK);
        EXPECT_EQ(exec.handled, c.found ? VARIANT_TRUE : VARIANT_FALSE);
    }
    EXPECT_TRUE(host.Pastes().empty());
}

TEST_F(StatusTest, TextWantedOrNonDefaultExecOptionDoNothing) {
    ConnectedAddIn addIn(host);
    const std::wstring name = FullCommandName(L"ProjectExplorerSp");
    for (auto wanted : {vsCommandStatusTextWantedName, vsCommandStatusTextWantedStatus}) {
        host.ClearCalls();
        StatusResult status = addIn.QueryStatus(name, kUntouched, wanted);
        EXPECT_EQ(status.result, S_OK);
        EXPECT_EQ(status.status, kUntouched);
        EXPECT_TRUE(host.InvokedMembers().empty());
    }
    for (auto option : {vsCommandExecOptionPromptUser, vsCommandExecOptionDoNotPromptUser,
                        vsCommandExecOptionShowHelp}) {
        host.ClearCalls();
        ExecResult exec = addIn.Exec(name, option);
        EXPECT_EQ(exec.result, S_OK);
        EXPECT_EQ(exec.handled, VARIANT_FALSE);
        EXPECT_TRUE(host.InvokedMembers().empty());
    }
}

}  // namespace
}  // namespace velmora::test
