// velmora-config --status on the registry as an install leaves it and as
// each way of breaking it leaves it: the class, its server file and the
// add-in's keys are written in the 32-bit view, where the 32-bit IDE and the
// shipped 32-bit program read them, also from the 64-bit test build.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "InstallerTestSupport.h"
#include "framework/UniqueHandle.h"
#include "support/RegistrySnapshot.h"
#include "framework/TextConversion.h"
#include "support/HostFixture.h"

namespace velmora::test {
namespace {

constexpr REGSAM kView = KEY_WOW64_32KEY;
constexpr wchar_t kClasses[] = L"Software\\Classes\\";
constexpr wchar_t kInstalledIde[] = L"8.0";

void SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& text) {
    ASSERT_TRUE(SetRegistryString(root, path, name, text, kView)) << Narrow(path);
}

void SetLoadBehavior(HKEY root, const std::wstring& version, DWORD value) {
    ASSERT_TRUE(SetRegistryDword(root, IdeKeyPath(version), L"LoadBehavior", value, kView));
}

void DeleteTree(HKEY root, const std::wstring& path) { DeleteRegistryTree(root, path, kView); }

struct StatusRun {
    long exitCode;
    std::wstring output;
    std::wstring errors;
};

StatusRun RunStatus(const std::wstring& arguments) {
    const CapturedRun run = RunCapturing(L"\"" + BuildOutputFolder() + L"\\velmora-config.exe\" " + arguments);
    return {run.exitCode, ToWide(FromCodePage(run.output, CP_UTF8)), ToWide(FromCodePage(run.errors, CP_UTF8))};
}

size_t Count(const std::wstring& text, const std::wstring& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// The registry as a package install leaves it, with the IDE 8.0 installed,
// and put back afterwards.
class RegistrationStatusTest : public InstallerTest {
public:  // the cases' lambdas break the state through the fixture
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(InstallerTest::SetUp());
        UniqueRegKey ides;
        ideKeysExisted_ = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\VisualStudio", 0, KEY_READ | kView,
                                        ides.put()) == ERROR_SUCCESS;
        Register(dll);
        for (const wchar_t* version : kIdeVersions) SetLoadBehavior(HKEY_CURRENT_USER, version, 1);
        SetString(HKEY_LOCAL_MACHINE, IdeVersionKeyPath(kInstalledIde), L"InstallDir", L"C:\\IDE\\8.0\\");
    }

    void TearDown() override {
        for (const std::wstring& key : {kClasses + ClassKeyPath(), kClasses + TypeLibKeyPath(),
                                        std::wstring(kClasses) + AddInProgId}) {
            DeleteTree(HKEY_LOCAL_MACHINE, key);
        }
        for (const wchar_t* version : kIdeVersions) DeleteTree(HKEY_LOCAL_MACHINE, IdeKeyPath(version));
        if (ideKeysExisted_) {
            DeleteTree(HKEY_LOCAL_MACHINE, IdeVersionKeyPath(kInstalledIde));
        } else {
            DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\VisualStudio");
        }
        DeleteFileW(other.c_str());
        RemoveDirectoryW(otherFolder.c_str());
        InstallerTest::TearDown();
    }

    // What the package writes for the class, its ProgID and the type library.
    void Register(const std::wstring& server) {
        SetString(HKEY_LOCAL_MACHINE, kClasses + ClassKeyPath() + L"\\InprocServer32", nullptr, server);
        SetString(HKEY_LOCAL_MACHINE, std::wstring(kClasses) + AddInProgId + L"\\CLSID", nullptr, kConnectClsid);
        SetString(HKEY_LOCAL_MACHINE, kClasses + TypeLibKeyPath() + L"\\1.0\\0\\win32", nullptr, server);
    }

    const std::wstring dll = BuildOutputFolder() + L"\\velmora.dll";
    const std::wstring otherFolder = BuildOutputFolder() + L"\\another copy";
    const std::wstring other = otherFolder + L"\\velmora.dll";
    bool ideKeysExisted_ = false;
};

TEST_F(RegistrationStatusTest, EachStateInWhichTheIdeLoadsNoVelmoraOfThisFolderIsWarned) {
    struct Case {
        const char* name;
        std::function<void(RegistrationStatusTest&)> breakIt;
        const wchar_t* warning;  // null: none, and exit code 0
    };
    const Case cases[] = {
        {"installed", [](RegistrationStatusTest&) {}, nullptr},
        {"the machine's key alone",
         [](RegistrationStatusTest&) {
             DeleteTree(HKEY_CURRENT_USER, IdeKeyPath(kInstalledIde));
             SetLoadBehavior(HKEY_LOCAL_MACHINE, kInstalledIde, 1);
         },
         nullptr},
        {"no IDE installed",
         [](RegistrationStatusTest&) { DeleteTree(HKEY_LOCAL_MACHINE, IdeVersionKeyPath(kInstalledIde)); },
         L"がインストールされていません"},
        {"no key", [](RegistrationStatusTest&) { DeleteTree(HKEY_CURRENT_USER, IdeKeyPath(kInstalledIde)); },
         L"IDE 8.0 には Velmora のアドインキーが HKCU にも HKLM にもない"},
        {"turned off in the Add-in Manager",
         [](RegistrationStatusTest&) { SetLoadBehavior(HKEY_CURRENT_USER, kInstalledIde, 0); },
         L"IDE 8.0 の Velmora のアドインキー (HKCU) の LoadBehavior が 0 のため"},
        {"the user's key turns off the machine's",
         [](RegistrationStatusTest&) {
             SetLoadBehavior(HKEY_LOCAL_MACHINE, kInstalledIde, 1);
             SetLoadBehavior(HKEY_CURRENT_USER, kInstalledIde, 0);
         },
         L"(HKCU) の LoadBehavior が 0 のため"},
        {"no class", [](RegistrationStatusTest&) { DeleteTree(HKEY_LOCAL_MACHINE, kClasses + ClassKeyPath()); },
         L"が登録されていないため、IDE は Velmora を読み込めません"},
        {"no ProgID",
         [](RegistrationStatusTest&) { DeleteTree(HKEY_LOCAL_MACHINE, std::wstring(kClasses) + AddInProgId); },
         L"ProgID Velmora.Connect が登録されていないため"},
        {"server file missing", [](RegistrationStatusTest& t) { t.Register(t.otherFolder + L"\\velmora.dll"); },
         L"がないため、IDE は Velmora を読み込めません"},
        {"server in another folder",
         [](RegistrationStatusTest& t) {
             ASSERT_TRUE(CreateDirectoryW(t.otherFolder.c_str(), nullptr));
             ASSERT_TRUE(CopyFileW(t.dll.c_str(), t.other.c_str(), FALSE));
             t.Register(t.other);
         },
         L"はこのプログラムのフォルダ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(TearDown());
        ASSERT_NO_FATAL_FAILURE(SetUp());
        ASSERT_NO_FATAL_FAILURE(c.breakIt(*this));
        const StatusRun run = RunStatus(L"--status");
        EXPECT_EQ(run.exitCode, c.warning ? 1 : 0) << Narrow(run.output + run.errors);
        EXPECT_EQ(Count(run.errors, L"警告: "), c.warning ? 1u : 0u) << Narrow(run.errors);
        if (c.warning) {
            EXPECT_NE(run.errors.find(c.warning), std::wstring::npos) << Narrow(run.errors);
        } else {
            EXPECT_NE(run.output.find(L"ファイル: あり、バージョン " VELMORA_FILE_VERSION
                                      L"、このプログラムと同じフォルダの velmora.dll"),
                      std::wstring::npos)
                << Narrow(run.output);
        }
    }
}

TEST_F(RegistrationStatusTest, AnUnknownOptionIsAWrongCommandLine) {
    for (const wchar_t* arguments : {L"--statu", L"/status", L"-s", L"--status cpp"}) {
        SCOPED_TRACE(Narrow(arguments));
        const StatusRun run = RunStatus(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.errors.find(L"使い方: velmora-config"), std::wstring::npos) << Narrow(run.errors);
        EXPECT_EQ(run.output, L"");
    }
}

}  // namespace
}  // namespace velmora::test
