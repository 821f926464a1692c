// Connecting the add-in to the host: the six command creations, failures of
// the host's command collection, reconnection, a host without a root, and two
// starts of every IDE version that loads the add-in.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "AddInKey.h"
#include "addin/Connect.h"
#include "host/ClientCalls.h"
#include "support/HostFixture.h"
#include "testbed/fixtures/ConfigFolderFiles.h"
#include "testbed/fixtures/PopUpDriver.h"
#include "testbed/host/ShellLaunchRecorder.h"

namespace velmora::test {
namespace {

struct ExpectedCommand {
    const wchar_t* name;
    const wchar_t* tooltip;
};
const ExpectedCommand kCommands[] = {
    {L"ProjectExplorer", L"プロジェクトフォルダをExplorerで表示"},
    {L"ProjectExplorerSp", L"特殊フォルダをExplorerで表示"},
    {L"SelectGUID", L"GUIDを選択・挿入する"},
    {L"InsertGUID", L"GUIDを挿入する"},
    {L"InsertOldGUID", L"以前のGUIDを挿入する"},
    {L"CodeTemplate", L"コードを挿入する"},
};

using ConnectionTest = HostTest;

TEST_F(ConnectionTest, CreatesSixCommandsWithExactArgumentsInEveryConnectMode) {
    for (ext_ConnectMode mode : {ext_cm_AfterStartup, ext_cm_Startup, ext_cm_CommandLine, ext_cm_UISetup}) {
        HostStandIn fresh;
        {
            ConnectedAddIn addIn(fresh, mode);
            ASSERT_EQ(addIn.ConnectResult(), S_OK);
            const auto& calls = fresh.AddNamedCommandCalls();
            ASSERT_EQ(calls.size(), 6u);
            for (size_t i = 0; i < calls.size(); ++i) {
                SCOPED_TRACE(i);
                EXPECT_TRUE(calls[i].addInInstanceIsHostAddIn);
                EXPECT_EQ(calls[i].name, kCommands[i].name);
                EXPECT_EQ(calls[i].buttonText, kCommands[i].name);
                EXPECT_EQ(calls[i].tooltip, kCommands[i].tooltip);
                EXPECT_EQ(calls[i].msoButton, VARIANT_TRUE);
                EXPECT_EQ(calls[i].bitmap, 59);
                EXPECT_TRUE(calls[i].contextGuidsNull);
                EXPECT_EQ(calls[i].disabledFlags, 3);
                EXPECT_EQ(calls[i].result, S_OK);
            }
            EXPECT_TRUE(fresh.HasCommand(L"Velmora.Connect.CodeTemplate"));
            EXPECT_TRUE(HostReferencesAre(fresh, 1, 1));  // host and addInInstance kept
        }
        EXPECT_TRUE(HostReferencesAre(fresh, 0, 0));
    }
}

TEST_F(ConnectionTest, FailingCommandCollectionStopsAtThatCommandWithItsCode) {
    struct Case {
        bool empty;
        HRESULT code;
    };
    for (const Case& c : {Case{false, E_ACCESSDENIED}, Case{true, S_FALSE}}) {
        HostStandIn fresh;
        if (c.empty) {
            fresh.EmptyMember(L"Commands", 3, c.code);
        } else {
            fresh.FailMember(L"Commands", c.code, 3);
        }
        ConnectedAddIn addIn(fresh);
        EXPECT_EQ(addIn.ConnectResult(), c.code);
        ASSERT_EQ(fresh.Commands().size(), 2u);
        EXPECT_TRUE(fresh.HasCommand(L"Velmora.Connect.ProjectExplorer"));
        EXPECT_TRUE(fresh.HasCommand(L"Velmora.Connect.ProjectExplorerSp"));
        EXPECT_TRUE(HostReferencesAre(fresh, 1, 1));
    }
}

TEST_F(ConnectionTest, RefusedCommandsArePassedOver) {
    host.SetRefuseDuplicateCommands(true);
    ConnectedAddIn addIn(host);
    ASSERT_EQ(addIn.ConnectResult(), S_OK);
    ASSERT_EQ(host.Commands().size(), 6u);

    // Unloaded and loaded again: all six calls are made, all refused, still S_OK.
    ASSERT_EQ(addIn.OnDisconnection(), S_OK);
    EXPECT_EQ(host.Commands().size(), 6u);  // disconnection leaves the commands defined
    host.ClearCommandRecords();
    EXPECT_EQ(addIn.OnConnection(), S_OK);
    ASSERT_EQ(host.AddNamedCommandCalls().size(), 6u);
    for (const auto& call : host.AddNamedCommandCalls()) EXPECT_TRUE(FAILED(call.result));
    EXPECT_EQ(host.Commands().size(), 6u);

    // A second OnConnection while still connected releases what the first one held.
    EXPECT_EQ(addIn.OnConnection(), S_OK);
    EXPECT_TRUE(HostReferencesAre(host, 1, 1));
}

TEST_F(ConnectionTest, DisconnectionReleasesTheHostButKeepsTheAddInObject) {
    ConnectedAddIn addIn(host);
    ASSERT_EQ(addIn.OnDisconnection(ext_dm_HostShutdown), S_OK);
    EXPECT_TRUE(HostReferencesAre(host, 0, 1));
    EXPECT_EQ(ConnectFields::Host(addIn.Object()), nullptr);
    SAFEARRAY* custom = nullptr;
    EXPECT_EQ(addIn.Extensibility()->OnAddInsUpdate(&custom), S_OK);
    EXPECT_EQ(addIn.Extensibility()->OnStartupComplete(&custom), S_OK);
    EXPECT_EQ(addIn.Extensibility()->OnBeginShutdown(&custom), S_OK);
}

// Without a host root (disconnected, or an Application that is no _DTE) no
// status is written, every command reports failure, and the host is not called.
TEST_F(ConnectionTest, WithoutHostRootNothingCallsTheHost) {
    for (bool answersDte : {true, false}) {
        HostStandIn fresh;
        fresh.SetApplicationAnswersDte(answersDte);
        ConnectedAddIn addIn(fresh);
        EXPECT_EQ(addIn.ConnectResult(), S_OK);
        if (answersDte) {
            ASSERT_EQ(addIn.OnDisconnection(), S_OK);
        } else {
            EXPECT_TRUE(fresh.Commands().empty());
        }
        fresh.ClearCalls();
        for (const ExpectedCommand& command : kCommands) {
            const std::wstring name = FullCommandName(command.name);
            EXPECT_EQ(addIn.QueryStatus(name, 7).status, 7);
            ExecResult exec = addIn.Exec(name);
            EXPECT_EQ(exec.result, S_OK);
        }
        EXPECT_TRUE(fresh.InvokedMembers().empty());
        EXPECT_TRUE(fresh.Pastes().empty());
    }
}

TEST_F(ConnectionTest, NewObjectHasNoGuidText) {
    ComPtr<IDTExtensibility2> created;
    ASSERT_EQ(CreateConnect(created), S_OK);
    auto& object = static_cast<Connect&>(*created.Get());
    EXPECT_FALSE(ConnectFields::HasGuidText(object));
    EXPECT_STREQ(ConnectFields::GuidText(object), L"");
    EXPECT_EQ(ConnectFields::GuidFormat(object), 0);
}

// The user's answer to each command's pop-up: the first template and OK in
// the template picker, a double-click on the first folder of the
// special-folder picker, Enter on the focused control of the GUID dialog.
void AnswerPopUp(HWND dialog) {
    if (HWND list = FindWindowExW(dialog, nullptr, WC_LISTBOXW, nullptr)) {
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return;
    }
    if (HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr)) {
        const LPARAM first = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, first);
        popup::SendTreeDoubleClick(dialog, tree);
        return;
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const bool focused = GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus;
    popup::PostKey(focused ? info.hwndFocus : dialog, VK_RETURN);
}

// Every command the host holds is offered as enabled and, run, does its
// work: a paste or a shell launch each, pop-ups answered as a user would.
void RunEveryCommand(HostStandIn& host, ConnectedAddIn& addIn, host::ShellLaunchRecorder& launches) {
    ASSERT_EQ(host.Commands().size(), 6u);
    for (const host::HostCommand& command : host.Commands()) {
        SCOPED_TRACE(Narrow(command.fullName));
        const StatusResult status = addIn.QueryStatus(command.fullName);
        EXPECT_EQ(status.result, S_OK);
        EXPECT_EQ(status.status, 3);  // supported and enabled
        const size_t pastes = host.Pastes().size(), opened = launches.Records().size();
        ExecResult exec{};
        popup::RunWithPopUp([&] { exec = addIn.Exec(command.fullName); }, AnswerPopUp);
        EXPECT_EQ(exec.result, S_OK);
        EXPECT_EQ(exec.handled, VARIANT_TRUE);
        EXPECT_EQ(host.Pastes().size() - pastes + launches.Records().size() - opened, 1u) << "nothing done";
    }
}

// Two starts of each IDE version: six creation calls on each connection. An
// IDE that keeps commands refuses them on the second start, with a failure
// code of its own, and still runs the commands it kept under their full
// names. The add-in asks for nothing but what its contract names.
TEST(IdeVersions, EveryVersionStartedTwiceCreatesAndRunsEveryCommand) {
    const HRESULT refusals[] = {E_FAIL, E_INVALIDARG, DISP_E_EXCEPTION, HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS),
                                static_cast<HRESULT>(0x80131500), E_UNEXPECTED, E_ACCESSDENIED};
    ASSERT_EQ(host::HostVersions().size(), std::size(IdeVersions));
    ConfigFolderFiles files;
    files.Write(L"CodeSet.ini", "Version.txt=cpp\r\n");
    files.Write(L"Version.txt", "[version | one start]\r\nstarted\r\n");
    files.Write(L"GuidSet.ini", "1");
    host::ShellLaunchRecorder launches(GetModuleHandleW(nullptr));
    ASSERT_TRUE(launches.Installed());

    for (size_t i = 0; i < std::size(IdeVersions); ++i) {
        const host::HostVersion& version = host::HostVersions()[i];
        SCOPED_TRACE(Narrow(version.registryVersion));
        EXPECT_EQ(std::wstring(version.registryVersion), IdeVersions[i]);
        std::vector<host::HostCommand> kept;
        for (int start = 1; start <= 2; ++start) {
            SCOPED_TRACE(start == 1 ? "first start" : "second start");
            HostStandIn ide(version.registryVersion, kept);
            ide.SetRefuseDuplicateCommands(version.keepsCommands, refusals[i]);
            ide.SetSolutionFullName(files.Path(L"Sample.sln"));  // a folder that is there
            Var dteVersion;
            EXPECT_EQ(CallByName(ide.Application(), L"Version", DISPATCH_PROPERTYGET, {}, &dteVersion.value).result, S_OK);
            ASSERT_EQ(dteVersion.value.vt, VT_BSTR);
            EXPECT_STREQ(dteVersion.value.bstrVal, version.dteVersion);
            ide.ClearCalls();
            {
                ConnectedAddIn addIn(ide, ext_cm_Startup);
                ASSERT_EQ(addIn.ConnectResult(), S_OK);
                std::vector<std::wstring> connection;
                for (int command = 0; command < 6; ++command) {
                    connection.push_back(L"Application.Commands");
                    connection.push_back(L"Commands.AddNamedCommand");
                }
                EXPECT_EQ(ide.InvokedMembers(), connection);
                const bool refused = start == 2 && version.keepsCommands;
                for (const host::AddNamedCommandCall& call : ide.AddNamedCommandCalls()) {
                    EXPECT_EQ(call.result, refused ? refusals[i] : S_OK) << Narrow(call.name);
                }
                ASSERT_NO_FATAL_FAILURE(RunEveryCommand(ide, addIn, launches));
                for (const host::HostCall& call : ide.Calls()) {
                    const std::string member = Narrow(host::KindName(call.object)) + "." + Narrow(call.member);
                    EXPECT_NE(call.member, L"Version") << member;
                    if (call.member != L"AddNamedCommand") {
                        EXPECT_EQ(call.result, S_OK) << member;
                    }
                }
            }
            EXPECT_TRUE(HostReferencesAre(ide, 0, 0));
            kept = ide.CommandsForNextStart();
            EXPECT_EQ(kept.size(), version.keepsCommands ? 6u : 0u);
        }
    }
}

}  // namespace
}  // namespace velmora::test
