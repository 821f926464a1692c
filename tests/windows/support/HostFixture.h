#pragma once
// Helpers that the Windows tests share for driving the add-in against the host
// stand-in: an in-process Connect connected to a HostStandIn, QueryStatus and
// Exec by full command name, the clipboard, and the reference checks that
// every test driving the stand-in makes.
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>

#include "testbed/host/ClipboardText.h"
#include "testbed/host/HostStandIn.h"
#include "platform/DteInterfaces.h"

namespace velmora {
class Connect;

// The Connect fields that the tests check (a friend of Connect).
struct ConnectFields {
    static IDispatch* Host(const Connect& object);
    static int GuidFormat(const Connect& object);
    static const wchar_t* GuidText(const Connect& object);
    static bool HasGuidText(const Connect& object);
};
}  // namespace velmora

namespace velmora::test {

using host::HostStandIn;
using Microsoft::WRL::ComPtr;

// The clipboard, waiting up to a second whenever it is busy.
using host::ClearClipboard;
using host::ClipboardContents;
using host::ReadClipboard;
using host::WriteClipboardText;

// "Velmora.Connect." + shortName.
std::wstring FullCommandName(const std::wstring& shortName);

// Passes when the add-in holds no host object other than the Application and
// AddIn objects and released nothing it did not hold.
::testing::AssertionResult HoldsNoHostObjects(const HostStandIn& host);

// HoldsNoHostObjects, and the Application and AddIn objects are referenced
// exactly that often from outside the stand-in.
::testing::AssertionResult HostReferencesAre(const HostStandIn& host, ULONG application, ULONG addIn);

// A Connect object made in-process through its instance creator (not through
// the registry), asked for IDTExtensibility2.
HRESULT CreateConnect(ComPtr<IDTExtensibility2>& addIn);

struct StatusResult {
    HRESULT result;
    long status;          // as the add-in left it; starts as the preset
    VARTYPE commandText;  // the CommandText variant's type afterwards (VT_EMPTY before)
};

struct ExecResult {
    HRESULT result;
    VARIANT_BOOL handled;
};

// A Connect object connected to a host stand-in for the length of a test.
// Every call through it is followed by a check that the add-in holds no host
// object (a failure is reported where the call was made); the destructor
// disconnects it if it is still connected, releases it and checks that no
// reference to any host object remains.
class ConnectedAddIn {
public:
    explicit ConnectedAddIn(HostStandIn& host, ext_ConnectMode mode = ext_cm_AfterStartup);
    // Created as the IDE creates it from its add-in key: through the registry
    // by ProgID, from the registered DLL. Object() is not for such an add-in.
    ConnectedAddIn(HostStandIn& host, const wchar_t* progId, ext_ConnectMode mode);
    ~ConnectedAddIn();
    ConnectedAddIn(const ConnectedAddIn&) = delete;
    ConnectedAddIn& operator=(const ConnectedAddIn&) = delete;

    HRESULT CreateResult() const { return createResult_; }
    HRESULT ConnectResult() const { return connectResult_; }

    // OnConnection again on the same object.
    HRESULT OnConnection(ext_ConnectMode mode = ext_cm_AfterStartup);
    HRESULT OnDisconnection(ext_DisconnectMode mode = ext_dm_UserClosed);

    // By full name; a null name passes a null BSTR.
    StatusResult QueryStatus(const wchar_t* fullName, long preset = 0,
                             vsCommandStatusTextWanted wanted = vsCommandStatusTextWantedNone);
    StatusResult QueryStatus(const std::wstring& fullName, long preset = 0,
                             vsCommandStatusTextWanted wanted = vsCommandStatusTextWantedNone);
    ExecResult Exec(const wchar_t* fullName, vsCommandExecOption option = vsCommandExecOptionDoDefault);
    ExecResult Exec(const std::wstring& fullName, vsCommandExecOption option = vsCommandExecOptionDoDefault);

    IDTExtensibility2* Extensibility() const { return addIn_.Get(); }
    IDTCommandTarget* Target() const { return target_.Get(); }
    // The object behind the interfaces, for its state (GUID text and format).
    velmora::Connect& Object() const;

    // Drops the test's references now; later calls through this object fail
    // the test. The destructor's checks then run here.
    void Release();

private:
    void Attach(ext_ConnectMode mode);
    void CheckReferences(const wchar_t* after, const wchar_t* name);

    HostStandIn& host_;
    ComPtr<IDTExtensibility2> addIn_;
    ComPtr<IDTCommandTarget> target_;
    HRESULT createResult_ = E_FAIL;
    HRESULT connectResult_ = E_FAIL;
    bool connected_ = false;
};

// A test that owns a host stand-in and checks at its end that nothing of the
// host is still referenced.
class HostTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(HoldsNoHostObjects(host)); }

    HostStandIn host;
};

// Narrow text for failure messages (UTF-8).
std::string Narrow(const std::wstring& text);

}  // namespace velmora::test
