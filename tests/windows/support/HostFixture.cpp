#include "support/HostFixture.h"

#include "addin/Connect.h"
#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"

namespace velmora {

IDispatch* ConnectFields::Host(const Connect& object) { return object.host.Get(); }
int ConnectFields::GuidFormat(const Connect& object) { return object.guidFormat; }
const wchar_t* ConnectFields::GuidText(const Connect& object) { return object.guidText; }
bool ConnectFields::HasGuidText(const Connect& object) { return object.hasGuidText; }

}  // namespace velmora

namespace velmora::test {

std::string Narrow(const std::wstring& text) { return ToCodePage(text, CP_UTF8); }

std::wstring FullCommandName(const std::wstring& shortName) { return L"Velmora.Connect." + shortName; }

::testing::AssertionResult HoldsNoHostObjects(const HostStandIn& host) {
    if (host.HeldObjects().empty() && host.OverReleases().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "host objects referenced by the add-in: "
                                         << Narrow(host.DescribeReferences());
}

::testing::AssertionResult HostReferencesAre(const HostStandIn& host, ULONG application, ULONG addIn) {
    if (host.HeldObjects().empty() && host.OverReleases().empty() && host.ApplicationReferences() == application &&
        host.AddInReferences() == addIn) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "expected Application x" << application << ", AddIn x" << addIn
                                         << " and nothing else; " << Narrow(host.DescribeReferences());
}

HRESULT CreateConnect(ComPtr<IDTExtensibility2>& addIn) {
    addIn.Reset();
    return velmora::Connect::CreateInstance(nullptr, IID_IDTExtensibility2,
                                            reinterpret_cast<void**>(addIn.ReleaseAndGetAddressOf()));
}

ConnectedAddIn::ConnectedAddIn(HostStandIn& host, ext_ConnectMode mode) : host_(host) {
    createResult_ = CreateConnect(addIn_);
    if (FAILED(createResult_) || !addIn_) {
        ADD_FAILURE() << "Connect::CreateInstance failed: 0x" << std::hex << createResult_;
        return;
    }
    Attach(mode);
}

ConnectedAddIn::ConnectedAddIn(HostStandIn& host, const wchar_t* progId, ext_ConnectMode mode) : host_(host) {
    CLSID clsid = {};
    createResult_ = CLSIDFromProgID(progId, &clsid);
    if (FAILED(createResult_)) {
        ADD_FAILURE() << "the ProgID " << Narrow(progId) << " is not registered: 0x" << std::hex << createResult_;
        return;
    }
    createResult_ = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2,
                                     reinterpret_cast<void**>(addIn_.ReleaseAndGetAddressOf()));
    if (FAILED(createResult_) || !addIn_) {
        ADD_FAILURE() << "CoCreateInstance of " << Narrow(progId) << " failed: 0x" << std::hex << createResult_;
        return;
    }
    Attach(mode);
}

void ConnectedAddIn::Attach(ext_ConnectMode mode) {
    const HRESULT asked =
        addIn_->QueryInterface(IID_IDTCommandTarget, reinterpret_cast<void**>(target_.ReleaseAndGetAddressOf()));
    EXPECT_EQ(S_OK, asked) << "Connect does not answer IDTCommandTarget";
    OnConnection(mode);
}

ConnectedAddIn::~ConnectedAddIn() {
    if (addIn_) Release();
}

HRESULT ConnectedAddIn::OnConnection(ext_ConnectMode mode) {
    if (!addIn_) {
        ADD_FAILURE() << "OnConnection on a released add-in";
        return E_UNEXPECTED;
    }
    SAFEARRAY* custom = nullptr;
    connectResult_ = addIn_->OnConnection(host_.Application(), mode, host_.AddIn(), &custom);
    connected_ = true;
    CheckReferences(L"OnConnection", L"");
    return connectResult_;
}

HRESULT ConnectedAddIn::OnDisconnection(ext_DisconnectMode mode) {
    if (!addIn_) {
        ADD_FAILURE() << "OnDisconnection on a released add-in";
        return E_UNEXPECTED;
    }
    SAFEARRAY* custom = nullptr;
    const HRESULT hr = addIn_->OnDisconnection(mode, &custom);
    connected_ = false;
    CheckReferences(L"OnDisconnection", L"");
    return hr;
}

StatusResult ConnectedAddIn::QueryStatus(const wchar_t* fullName, long preset, vsCommandStatusTextWanted wanted) {
    StatusResult outcome{E_UNEXPECTED, preset, VT_EMPTY};
    if (!target_) {
        ADD_FAILURE() << "QueryStatus on a released add-in";
        return outcome;
    }
    UniqueBstr name(fullName ? SysAllocString(fullName) : nullptr);
    auto status = static_cast<vsCommandStatus>(preset);
    VARIANT commandText;
    VariantInit(&commandText);
    outcome.result = target_->QueryStatus(name.get(), wanted, &status, &commandText);
    outcome.status = status;
    outcome.commandText = commandText.vt;
    VariantClear(&commandText);
    CheckReferences(L"QueryStatus", fullName ? fullName : L"(null)");
    return outcome;
}

StatusResult ConnectedAddIn::QueryStatus(const std::wstring& fullName, long preset,
                                         vsCommandStatusTextWanted wanted) {
    return QueryStatus(fullName.c_str(), preset, wanted);
}

ExecResult ConnectedAddIn::Exec(const wchar_t* fullName, vsCommandExecOption option) {
    ExecResult outcome{E_UNEXPECTED, VARIANT_FALSE};
    if (!target_) {
        ADD_FAILURE() << "Exec on a released add-in";
        return outcome;
    }
    UniqueBstr name(fullName ? SysAllocString(fullName) : nullptr);
    VARIANT in, out;
    VariantInit(&in);
    VariantInit(&out);
    // A value the add-in must overwrite, so that "left unset" shows.
    outcome.handled = 0x5555;
    outcome.result = target_->Exec(name.get(), option, &in, &out, &outcome.handled);
    VariantClear(&out);
    CheckReferences(L"Exec", fullName ? fullName : L"(null)");
    return outcome;
}

ExecResult ConnectedAddIn::Exec(const std::wstring& fullName, vsCommandExecOption option) {
    return Exec(fullName.c_str(), option);
}

velmora::Connect& ConnectedAddIn::Object() const {
    // Connect derives from IDTExtensibility2 once, so the cast is exact.
    return *static_cast<velmora::Connect*>(addIn_.Get());
}

void ConnectedAddIn::Release() {
    if (!addIn_) return;
    if (connected_) OnDisconnection(ext_dm_HostShutdown);
    target_.Reset();
    addIn_.Reset();
    EXPECT_TRUE(HostReferencesAre(host_, 0, 0)) << "after the add-in was released";
}

void ConnectedAddIn::CheckReferences(const wchar_t* after, const wchar_t* name) {
    EXPECT_TRUE(HoldsNoHostObjects(host_)) << "after " << Narrow(after) << " " << Narrow(name);
}

}  // namespace velmora::test
