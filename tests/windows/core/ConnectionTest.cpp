// Connecting the add-in to the host: the six command creations, failures of
// the host's command collection, reconnection, and a host without a root.
#include <gtest/gtest.h>

#include "addin/Connect.h"
#include "support/HostFixture.h"

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

}  // namespace
}  // namespace velmora::test
