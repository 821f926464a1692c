// IDispatch on the add-in's object is served from the host's registered type
// libraries. The host is not installed here, so the test registers test-only
// libraries that describe the two interfaces under the host's LIBIDs.
#include <windows.h>
#include <oleauto.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "support/HostFixture.h"
#include "testbed/fixtures/TestEnvironment.h"

namespace velmora::test {
namespace {

class RegisteredTypeLibrary {
public:
    explicit RegisteredTypeLibrary(const std::wstring& path) {
        if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library_))) return;
        std::wstring copy = path;
        registered_ = SUCCEEDED(RegisterTypeLib(library_.Get(), copy.data(), nullptr));
    }
    ~RegisteredTypeLibrary() {
        if (!registered_) return;
        TLIBATTR* attributes = nullptr;
        if (FAILED(library_->GetLibAttr(&attributes))) return;
        UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                          attributes->syskind);
        library_->ReleaseTLibAttr(attributes);
    }
    bool Registered() const { return registered_; }

private:
    ComPtr<ITypeLib> library_;
    bool registered_ = false;
};

std::wstring TypeLibraryPath(const char* name) {
    const char* dir = std::getenv("VELMORA_TYPELIB_DIR");
    return dir ? WindowsPathOf(std::string(dir) + "/" + name) : std::wstring();
}

DISPID IdOf(IDispatch* object, const wchar_t* name, HRESULT* result = nullptr) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (result) *result = hr;
    return id;
}

using DispatchTest = HostTest;

TEST_F(DispatchTest, UnregisteredHostLibrariesGiveTheLoadError) {
    ComPtr<IDTExtensibility2> addIn;
    ASSERT_EQ(CreateConnect(addIn), S_OK);
    UINT count = 0;
    EXPECT_EQ(addIn->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(addIn->GetTypeInfo(0, 0, nullptr), E_POINTER);
    HRESULT hr = S_OK;
    IdOf(addIn.Get(), L"OnConnection", &hr);
    EXPECT_TRUE(FAILED(hr));
    ComPtr<ITypeInfo> info;
    EXPECT_TRUE(FAILED(addIn->GetTypeInfo(0, 0, &info)));
}

TEST_F(DispatchTest, InvokeByNameReachesOnConnectionAndQueryStatus) {
    RegisteredTypeLibrary designer(TypeLibraryPath("AddInDesigner.tlb"));
    RegisteredTypeLibrary automation(TypeLibraryPath("HostAutomation.tlb"));
    ASSERT_TRUE(designer.Registered());
    ASSERT_TRUE(automation.Registered());

    ComPtr<IDTExtensibility2> addIn;
    ASSERT_EQ(CreateConnect(addIn), S_OK);
    ComPtr<IDispatch> connection;
    ASSERT_EQ(addIn.As(&connection), S_OK);

    // OnConnection(Application, ConnectMode, AddInInst, custom), reversed.
    SAFEARRAY* custom = nullptr;
    VARIANT args[4];
    for (VARIANT& arg : args) VariantInit(&arg);
    args[3].vt = VT_DISPATCH;
    args[3].pdispVal = host.Application();
    args[2].vt = VT_I4;
    args[2].lVal = ext_cm_AfterStartup;
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = host.AddIn();
    args[0].vt = VT_BYREF | VT_ARRAY | VT_VARIANT;
    args[0].pparray = &custom;
    DISPPARAMS params = {args, nullptr, 4, 0};
    DISPID onConnection = IdOf(connection.Get(), L"OnConnection");
    ASSERT_NE(onConnection, DISPID_UNKNOWN);
    EXPECT_EQ(connection->Invoke(onConnection, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(host.Commands().size(), 6u);

    ComPtr<IDTCommandTarget> target;
    ASSERT_EQ(addIn.As(&target), S_OK);
    DISPID queryStatus = IdOf(target.Get(), L"QueryStatus");
    ASSERT_NE(queryStatus, DISPID_UNKNOWN);
    EXPECT_EQ(IdOf(target.Get(), L"OnConnection"), DISPID_UNKNOWN);  // each part has its own names

    long status = 0;
    VARIANT commandText;
    VariantInit(&commandText);
    BSTR name = SysAllocString(L"Velmora.Connect.InsertGUID");
    VARIANT statusArgs[4];
    for (VARIANT& arg : statusArgs) VariantInit(&arg);
    statusArgs[3].vt = VT_BSTR;
    statusArgs[3].bstrVal = name;
    statusArgs[2].vt = VT_I4;
    statusArgs[2].lVal = vsCommandStatusTextWantedNone;
    statusArgs[1].vt = VT_BYREF | VT_I4;
    statusArgs[1].plVal = &status;
    statusArgs[0].vt = VT_BYREF | VT_VARIANT;
    statusArgs[0].pvarVal = &commandText;
    DISPPARAMS statusParams = {statusArgs, nullptr, 4, 0};
    EXPECT_EQ(target->Invoke(queryStatus, IID_NULL, 0, DISPATCH_METHOD, &statusParams, nullptr, nullptr, nullptr),
              S_OK);
    SysFreeString(name);
    EXPECT_EQ(status, 3);
    EXPECT_TRUE(HoldsNoHostObjects(host));

    EXPECT_EQ(addIn->OnDisconnection(ext_dm_UserClosed, &custom), S_OK);
    target.Reset();
    connection.Reset();
    addIn.Reset();
    EXPECT_TRUE(HostReferencesAre(host, 0, 0));
}

// The type information is taken from the registered library once and kept
// for the process: a library unregistered later still serves every object.
TEST_F(DispatchTest, TypeInformationOnceLoadedOutlivesTheRegistration) {
    {
        RegisteredTypeLibrary designer(TypeLibraryPath("AddInDesigner.tlb"));
        ASSERT_TRUE(designer.Registered());
        ComPtr<IDTExtensibility2> addIn;
        ASSERT_EQ(CreateConnect(addIn), S_OK);
        ASSERT_NE(IdOf(addIn.Get(), L"OnConnection"), DISPID_UNKNOWN);
    }
    ComPtr<IDTExtensibility2> addIn;
    ASSERT_EQ(CreateConnect(addIn), S_OK);
    HRESULT hr = E_FAIL;
    EXPECT_NE(IdOf(addIn.Get(), L"OnDisconnection", &hr), DISPID_UNKNOWN);
    EXPECT_EQ(hr, S_OK);
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(addIn->GetTypeInfo(0, 0, &info), S_OK);
}

}  // namespace
}  // namespace velmora::test
