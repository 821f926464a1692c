// Reference accounting of the host stand-in: a reference the client keeps is
// reported, an extra Release is caught, and objects outlive the stand-in only
// while someone still holds them.
#include <memory>
#include <vector>

#include "ClientCalls.h"
#include "support/HostFixture.h"

namespace velmora::test {
namespace {

using host::HeldObject;
using host::ObjectKind;
using Microsoft::WRL::ComPtr;

TEST(HostReferences, AReferenceKeptByTheClientIsReportedUntilReleased) {
    HostStandIn host;
    EXPECT_TRUE(HostReferencesAre(host, 0, 0));

    ComPtr<IDispatch> window = Walk(host.Application(), {L"ActiveWindow"});
    ComPtr<IDispatch> document = GetObjectProperty(window.Get(), L"Document");
    ComPtr<IDispatch> again = GetObjectProperty(window.Get(), L"Document");
    window.Reset();
    std::vector<HeldObject> held = host.HeldObjects();
    ASSERT_EQ(1u, held.size());
    EXPECT_EQ(ObjectKind::Document, held[0].kind);
    EXPECT_EQ(2u, held[0].references);
    EXPECT_FALSE(HoldsNoHostObjects(host));

    // A result variant that is dropped instead of cleared leaks its object.
    IDispatch* leaked = nullptr;
    {
        Var result;
        ASSERT_EQ(S_OK, CallByName(host.Application(), L"Solution", DISPATCH_PROPERTYGET, {}, &result.value).result);
        leaked = result.value.pdispVal;
        result.value.vt = VT_EMPTY;  // the mistake
    }
    document.Reset();
    again.Reset();
    held = host.HeldObjects();
    ASSERT_EQ(1u, held.size());
    EXPECT_EQ(ObjectKind::Solution, held[0].kind);
    leaked->Release();
    EXPECT_TRUE(HoldsNoHostObjects(host));

    // The Application and AddIn references are counted apart from the rest.
    ComPtr<IDispatch> dte;
    ASSERT_EQ(S_OK, host.Application()->QueryInterface(IID_DTE, reinterpret_cast<void**>(dte.GetAddressOf())));
    ComPtr<IDispatch> addIn;
    ASSERT_EQ(S_OK, host.AddIn()->QueryInterface(IID_AddIn, reinterpret_cast<void**>(addIn.GetAddressOf())));
    EXPECT_TRUE(HoldsNoHostObjects(host));
    EXPECT_TRUE(HostReferencesAre(host, 1, 1));
    EXPECT_FALSE(HostReferencesAre(host, 0, 1));
    EXPECT_FALSE(HostReferencesAre(host, 1, 0));
    dte.Reset();
    addIn.Reset();
    EXPECT_TRUE(HostReferencesAre(host, 0, 0));
}

TEST(HostReferences, AReleaseWithoutAReferenceIsRecordedAndTheObjectStaysUsable) {
    HostStandIn host;
    Var result;
    ASSERT_EQ(S_OK, CallByName(host.Application(), L"Debugger", DISPATCH_PROPERTYGET, {}, &result.value).result);
    IDispatch* debugger = result.value.pdispVal;
    result.value.vt = VT_EMPTY;
    debugger->Release();
    EXPECT_TRUE(host.OverReleases().empty());
    debugger->Release();  // one too many
    ASSERT_EQ(1u, host.OverReleases().size());
    EXPECT_EQ(ObjectKind::Debugger, host.OverReleases()[0]);
    EXPECT_FALSE(HoldsNoHostObjects(host));

    Var mode;
    EXPECT_EQ(S_OK, CallByName(debugger, L"CurrentMode", DISPATCH_PROPERTYGET, {}, &mode.value).result);
    EXPECT_EQ(VT_I4, mode.value.vt);
}

TEST(HostReferences, AnObjectHeldPastTheStandInRefusesCallsAndGoesWithItsLastRelease) {
    auto host = std::make_unique<HostStandIn>();
    ComPtr<IDispatch> document = Walk(host->Application(), {L"ActiveWindow", L"Document"});
    ASSERT_TRUE(document);
    host.reset();

    HRESULT hr = S_OK;
    IdOf(document.Get(), L"Name", &hr);
    EXPECT_EQ(RPC_E_DISCONNECTED, hr);
    document->AddRef();
    EXPECT_EQ(1u, document->Release());
    EXPECT_EQ(0u, document.Detach()->Release());
}

}  // namespace
}  // namespace velmora::test
