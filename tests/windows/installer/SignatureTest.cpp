// The release's signature as Windows checks it: WinVerifyTrust on the DLL
// that signing-test.sh signed with a certificate made for the run, with the
// test root in the machine's Root store and without it, and on an unsigned
// build of the DLL.
#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <gtest/gtest.h>

#include <string>

#include "InstallerTestSupport.h"
#include "support/HostFixture.h"
#include "testbed/fixtures/TestEnvironment.h"

namespace velmora::test {
namespace {

// The certificate in the local machine's Root store for this object's lifetime.
class TrustedRoot {
public:
    explicit TrustedRoot(const std::string& der) {
        store_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
        if (!store_) return;
        CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                         static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added_);
    }
    ~TrustedRoot() {
        if (added_) CertDeleteCertificateFromStore(added_);  // frees the context too
        if (store_) CertCloseStore(store_, 0);
    }
    TrustedRoot(const TrustedRoot&) = delete;
    TrustedRoot& operator=(const TrustedRoot&) = delete;
    bool Added() const { return added_ != nullptr; }

private:
    HCERTSTORE store_ = nullptr;
    PCCERT_CONTEXT added_ = nullptr;
};

// WinVerifyTrust's answer for a file's Authenticode signature, without any
// user interface and without asking for revocation lists.
LONG VerifyTrust(const std::wstring& path) {
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof(file);
    file.pcwszFilePath = path.c_str();
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof(data);
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

TEST(SignatureTest, WindowsTrustsTheSignedDllOnlyUnderItsRoot) {
    const std::wstring signedDll = EnvironmentPath("VELMORA_SIGNED_DLL");
    const std::wstring root = EnvironmentPath("VELMORA_TEST_ROOT");
    if (signedDll.empty() || root.empty()) GTEST_SKIP() << "the signing test (signing-test.sh) makes the signed DLL";
    const std::string der = ReadFileBytes(root).value_or("");
    ASSERT_FALSE(der.empty()) << Narrow(root);

    struct Case {
        const char* what;
        std::wstring file;
        bool rootTrusted;
        LONG expected;
    };
    const Case cases[] = {
        {"signed, its root trusted", signedDll, true, ERROR_SUCCESS},
        {"signed, its root unknown", signedDll, false, CERT_E_UNTRUSTEDROOT},
        {"an unsigned build", BuiltDllPath(), true, TRUST_E_NOSIGNATURE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.rootTrusted) {
            TrustedRoot trusted(der);
            ASSERT_TRUE(trusted.Added()) << "error " << GetLastError();
            EXPECT_EQ(VerifyTrust(c.file), c.expected);
        } else {
            EXPECT_EQ(VerifyTrust(c.file), c.expected);
        }
    }
}

}  // namespace
}  // namespace velmora::test
