// The registration-script interpreter against the real registry of the test
// prefix: scripts under a scratch key of HKEY_CURRENT_USER, and the add-in's
// own script (resource 101) under HKEY_CLASSES_ROOT, run from a copy of this
// program whose path contains a single quote.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Registrar.h"
#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"
#include "resources/resource.h"
#include "support/HostFixture.h"
#include "support/RegistrySnapshot.h"
#include "tests/native/ScriptErrorText.h"

namespace velmora {
namespace {

constexpr wchar_t ScratchPath[] = L"Software\\VelmoraTest\\Registrar";

using test::Narrow;

// The tree at root\path as sorted lines, one per line of the result; "<missing>"
// when the key does not exist.
std::string Tree(HKEY root, const std::wstring& path) {
    const std::vector<std::string> lines = test::RegistrySnapshot(root, path);
    if (lines.empty()) return "<missing>\n";
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

std::string Lines(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

bool KeyExists(HKEY root, const std::wstring& path) {
    UniqueRegKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void CreateKey(HKEY root, const std::wstring& path) {
    UniqueRegKey key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr));
}

void SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& text) {
    UniqueRegKey key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
}

std::wstring GetString(HKEY root, const std::wstring& path, const wchar_t* name) {
    wchar_t buffer[1024];
    DWORD size = sizeof buffer;
    const LSTATUS status = RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size);
    return status == ERROR_SUCCESS ? std::wstring(buffer) : L"<error " + std::to_wstring(status) + L">";
}

// ---------------------------------------------------------------------------
// A COM-like registration under the scratch key.

const char16_t TestScript[] = uR"(
HKCU
{
    NoRemove Software
    {
        NoRemove VelmoraTest
        {
            NoRemove Registrar
            {
                Sample.Class.1 = s 'Sample Class'
                {
                    CLSID = s '{11111111-2222-3333-4444-555555555555}'
                }
                NoRemove Classes
                {
                    ForceRemove {11111111-2222-3333-4444-555555555555} = s 'Sample Class'
                    {
                        ProgID = s 'Sample.Class.1'
                        ForceRemove Programmable
                        InprocServer32 = s '%MODULE%'
                        {
                            val ThreadingModel = s 'Apartment'
                            val Flags = d '0x2A'
                        }
                    }
                }
            }
        }
    }
}
HKEY_CURRENT_USER
{
    NoRemove Software
    {
        NoRemove VelmoraTest
        {
            NoRemove Registrar
            {
                Sample.Class = s 'Sample Class'
                {
                    CurVer = s 'Sample.Class.1'
                }
            }
        }
    }
}
)";

const std::wstring ClassKey = std::wstring(ScratchPath) + L"\\Classes\\{11111111-2222-3333-4444-555555555555}";

// The scratch tree after registering TestScript with %MODULE% = C:\it's\m.dll.
const std::vector<std::string> RegisteredTree = {
    "",
    "Classes",
    "Classes\\{11111111-2222-3333-4444-555555555555}",
    "Classes\\{11111111-2222-3333-4444-555555555555}: @ = sz:Sample Class",
    "Classes\\{11111111-2222-3333-4444-555555555555}\\InprocServer32",
    "Classes\\{11111111-2222-3333-4444-555555555555}\\InprocServer32: @ = sz:C:\\it's\\m.dll",
    "Classes\\{11111111-2222-3333-4444-555555555555}\\InprocServer32: Flags = dword:42",
    "Classes\\{11111111-2222-3333-4444-555555555555}\\InprocServer32: ThreadingModel = sz:Apartment",
    "Classes\\{11111111-2222-3333-4444-555555555555}\\ProgID",
    "Classes\\{11111111-2222-3333-4444-555555555555}\\ProgID: @ = sz:Sample.Class.1",
    "Classes\\{11111111-2222-3333-4444-555555555555}\\Programmable",
    "Sample.Class",
    "Sample.Class: @ = sz:Sample Class",
    "Sample.Class.1",
    "Sample.Class.1: @ = sz:Sample Class",
    "Sample.Class.1\\CLSID",
    "Sample.Class.1\\CLSID: @ = sz:{11111111-2222-3333-4444-555555555555}",
    "Sample.Class\\CurVer",
    "Sample.Class\\CurVer: @ = sz:Sample.Class.1",
};

class Registrar : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VelmoraTest"); }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VelmoraTest");
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\VelmoraTest"));
    }

    static HRESULT Run(std::u16string_view script, bool registering) {
        ScriptError error;
        const HRESULT hr = RunRegistrationScriptText(script, registering, {{u"MODULE", u"C:\\it''s\\m.dll"}}, &error);
        EXPECT_TRUE(error.message.empty()) << FormatScriptError(error);
        return hr;
    }
};

TEST_F(Registrar, RegisterWritesEveryScriptedKeyAndValue) {
    ASSERT_EQ(S_OK, Run(TestScript, true));
    EXPECT_EQ(Lines(RegisteredTree), Tree(HKEY_CURRENT_USER, ScratchPath));
}

TEST_F(Registrar, RegisteringTwiceLeavesOneSetAndForceRemoveRebuildsTheClassKey) {
    ASSERT_EQ(S_OK, Run(TestScript, true));

    // Leftovers of an older registration and of other programs.
    SetString(HKEY_CURRENT_USER, ClassKey + L"\\Stale", nullptr, L"old");               // under ForceRemove: goes
    SetString(HKEY_CURRENT_USER, ClassKey, L"Extra", L"old");                           // on ForceRemove: goes
    SetString(HKEY_CURRENT_USER, ClassKey + L"\\InprocServer32", nullptr, L"C:\\old");  // rewritten
    SetString(HKEY_CURRENT_USER, std::wstring(ScratchPath) + L"\\Sample.Class.1", nullptr, L"Old Name");
    SetString(HKEY_CURRENT_USER, std::wstring(ScratchPath) + L"\\Sample.Class.1\\Foreign", nullptr, L"kept");
    SetString(HKEY_CURRENT_USER, std::wstring(ScratchPath) + L"\\Classes\\Other", nullptr, L"kept");

    ASSERT_EQ(S_OK, Run(TestScript, true));
    std::vector<std::string> expected = RegisteredTree;
    expected.push_back("Sample.Class.1\\Foreign");
    expected.push_back("Sample.Class.1\\Foreign: @ = sz:kept");
    expected.push_back("Classes\\Other");
    expected.push_back("Classes\\Other: @ = sz:kept");
    EXPECT_EQ(Lines(expected), Tree(HKEY_CURRENT_USER, ScratchPath));

    // A third run changes nothing.
    ASSERT_EQ(S_OK, Run(TestScript, true));
    EXPECT_EQ(Lines(expected), Tree(HKEY_CURRENT_USER, ScratchPath));
}

TEST_F(Registrar, UnregisterRemovesScriptedKeysAndKeepsNoRemoveKeys) {
    ASSERT_EQ(S_OK, Run(TestScript, true));
    SetString(HKEY_CURRENT_USER, std::wstring(ScratchPath) + L"\\Classes\\Other", nullptr, L"kept");

    ASSERT_EQ(S_OK, Run(TestScript, false));
    EXPECT_EQ(Lines({"", "Classes", "Classes\\Other", "Classes\\Other: @ = sz:kept"}),
              Tree(HKEY_CURRENT_USER, ScratchPath));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software"));

    // Once more with everything gone already: nothing to do, no failure.
    ASSERT_EQ(S_OK, Run(TestScript, false));
    EXPECT_EQ(Lines({"", "Classes", "Classes\\Other", "Classes\\Other: @ = sz:kept"}),
              Tree(HKEY_CURRENT_USER, ScratchPath));
}

TEST_F(Registrar, UnregisterCreatesNothingAndSkipsMissingKeys) {
    // Nothing registered at all: not even the NoRemove keys come into being.
    ASSERT_EQ(S_OK, Run(TestScript, false));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\VelmoraTest"));

    // Half registered: the class key's subkeys went missing.
    ASSERT_EQ(S_OK, Run(TestScript, true));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, (ClassKey + L"\\InprocServer32").c_str()));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, (ClassKey + L"\\ProgID").c_str()));
    ASSERT_EQ(S_OK, Run(TestScript, false));
    EXPECT_EQ(Lines({"", "Classes"}), Tree(HKEY_CURRENT_USER, ScratchPath));
}

TEST_F(Registrar, ForeignSubkeyInAScriptedKeyFailsUnregistrationWithTheRegistryCode) {
    ASSERT_EQ(S_OK, Run(TestScript, true));
    const std::wstring inproc = ClassKey + L"\\InprocServer32";
    CreateKey(HKEY_CURRENT_USER, inproc + L"\\Foreign");

    const HRESULT hr = Run(TestScript, false);
    EXPECT_TRUE(FAILED(hr));

    // The keys that hold the foreign one stay, with their values; every other
    // scripted key, also those after it in the script (in the next root
    // block), is gone.
    EXPECT_EQ(Lines({
                  "",
                  "Classes",
                  "Classes\\{11111111-2222-3333-4444-555555555555}",
                  "Classes\\{11111111-2222-3333-4444-555555555555}: @ = sz:Sample Class",
                  "Classes\\{11111111-2222-3333-4444-555555555555}\\InprocServer32",
                  "Classes\\{11111111-2222-3333-4444-555555555555}\\InprocServer32: @ = sz:C:\\it's\\m.dll",
                  "Classes\\{11111111-2222-3333-4444-555555555555}\\InprocServer32: Flags = dword:42",
                  "Classes\\{11111111-2222-3333-4444-555555555555}\\InprocServer32: ThreadingModel = sz:Apartment",
                  "Classes\\{11111111-2222-3333-4444-555555555555}\\InprocServer32\\Foreign",
              }),
              Tree(HKEY_CURRENT_USER, ScratchPath));

    // The result is what the registry itself answers for that delete.
    UniqueRegKey classKey;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, ClassKey.c_str(), 0, KEY_READ, classKey.put()));
    const LSTATUS direct = RegDeleteKeyW(classKey.get(), L"InprocServer32");
    EXPECT_NE(ERROR_SUCCESS, direct);
    EXPECT_EQ(HRESULT_FROM_WIN32(direct), hr);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), hr);

    // With the foreign key gone, unregistration completes.
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CURRENT_USER, (inproc + L"\\Foreign").c_str()));
    EXPECT_EQ(S_OK, Run(TestScript, false));
    EXPECT_EQ(Lines({"", "Classes"}), Tree(HKEY_CURRENT_USER, ScratchPath));
}

TEST_F(Registrar, DeleteKeysGoAtRegistrationAndStayAtUnregistration) {
    const char16_t script[] = uR"(
        HKCU { NoRemove Software { NoRemove VelmoraTest { NoRemove Registrar {
            Delete Obsolete { Child = s 'ignored' }
            Current = s 'now'
        } } } })";
    const std::wstring obsolete = std::wstring(ScratchPath) + L"\\Obsolete";
    SetString(HKEY_CURRENT_USER, obsolete + L"\\Deep\\Deeper", L"v", L"x");

    ASSERT_EQ(S_OK, Run(script, true));
    EXPECT_EQ(Lines({"", "Current", "Current: @ = sz:now"}), Tree(HKEY_CURRENT_USER, ScratchPath));

    // Missing already: still fine.
    ASSERT_EQ(S_OK, Run(script, true));

    SetString(HKEY_CURRENT_USER, obsolete, L"v", L"x");
    ASSERT_EQ(S_OK, Run(script, false));
    EXPECT_EQ(Lines({"", "Obsolete", "Obsolete: v = sz:x"}), Tree(HKEY_CURRENT_USER, ScratchPath));
}

TEST_F(Registrar, BrokenScriptChangesNothing) {
    struct Case {
        const char* name;
        std::u16string script;
        ScriptReplacements replacements;
    };
    const Case cases[] = {
        // The error comes after keys that a writer working as it reads would have made.
        {"unterminated string at the end",
         u"HKCU { Software { VelmoraTest { Registrar { A = s 'x' } } } } HKCU { B = s 'oops }", {}},
        {"unbalanced braces", u"HKCU { Software { VelmoraTest { Registrar { A } } } ", {}},
        {"unknown root", u"HKCU { Software { VelmoraTest { Registrar { A } } } } HKXY { }", {}},
        {"unknown placeholder", u"HKCU { Software { VelmoraTest { Registrar = s '%MODULE%' } } }", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool registering : {true, false}) {
            ScriptError error;
            EXPECT_EQ(E_BAD_REGISTRATION_SCRIPT, RunRegistrationScriptText(c.script, registering, c.replacements, &error));
            EXPECT_FALSE(error.message.empty());
            EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\VelmoraTest"));
        }
    }
}

TEST_F(Registrar, RegistrationStopsAtTheFirstFailingKey) {
    // A key name longer than the registry allows cannot be created.
    const std::u16string tooLong(300, u'x');
    const std::u16string script = u"HKCU { NoRemove Software { NoRemove VelmoraTest { NoRemove Registrar {"
                                  u" First = s '1' " + tooLong + u" = s '2' Third = s '3' } } } }";
    UniqueRegKey scratch;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, ScratchPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             scratch.put(), nullptr));
    UniqueRegKey direct;
    const LSTATUS status = RegCreateKeyExW(scratch.get(), std::wstring(tooLong.begin(), tooLong.end()).c_str(), 0,
                                           nullptr, 0, KEY_ALL_ACCESS, nullptr, direct.put(), nullptr);
    ASSERT_NE(ERROR_SUCCESS, status);

    EXPECT_EQ(HRESULT_FROM_WIN32(status), Run(script, true));
    EXPECT_EQ(Lines({"", "First", "First: @ = sz:1"}), Tree(HKEY_CURRENT_USER, ScratchPath));
}

// ---------------------------------------------------------------------------
// Resources and module paths

// Copies of this program (which carries the add-in's resources) in a scratch
// folder of the temporary directory; everything made is removed again.
class ModuleCopies {
public:
    ModuleCopies() {
        wchar_t temp[MAX_PATH];
        const DWORD length = GetTempPathW(MAX_PATH, temp);
        base_ = std::wstring(temp, length);
        if (!base_.empty() && base_.back() == L'\\') base_.pop_back();
        base_ += L"\\VelmoraRegistrarTest";
        Remove(base_);
        CreateDirectoryW(base_.c_str(), nullptr);
    }
    ~ModuleCopies() { Remove(base_); }
    ModuleCopies(const ModuleCopies&) = delete;
    ModuleCopies& operator=(const ModuleCopies&) = delete;

    const std::wstring& Base() const { return base_; }

    // Copies this program to `folder`\`file` (folder made below Base()) and
    // returns the copy's full path, without any long-path prefix.
    std::wstring Copy(const std::wstring& folder, const std::wstring& file) {
        std::wstring dir = base_;
        size_t start = 0;
        while (start <= folder.size()) {
            size_t end = folder.find(L'\\', start);
            if (end == std::wstring::npos) end = folder.size();
            dir += L"\\" + folder.substr(start, end - start);
            CreateDirectoryW(Long(dir).c_str(), nullptr);
            start = end + 1;
        }
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        const std::wstring path = dir + L"\\" + file;
        EXPECT_TRUE(CopyFileW(self, Long(path).c_str(), FALSE)) << GetLastError();
        return path;
    }

    static std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

private:
    static void Remove(const std::wstring& dir) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(Long(dir + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = dir + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    Remove(path);
                } else {
                    DeleteFileW(Long(path).c_str());
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(Long(dir).c_str());
    }

    std::wstring base_;
};

TEST(ModulePath, QuotesAreDoubledAndTooLongPathsFail) {
    ModuleCopies copies;
    const size_t base = copies.Base().size();
    // A folder name that makes the copy's full path exactly `length` units long.
    auto folderFor = [base](size_t length, const std::wstring& file) {
        return std::wstring(length - base - 2 - file.size(), L'd');
    };

    struct Case {
        const char* name;
        std::wstring folder;
        std::wstring file;
        bool fits;
    };
    const Case cases[] = {
        {"single quote in the folder", L"Bob's add-ins", L"it's.dll", true},
        {"quotes side by side", L"a''b", L"'.dll", true},
        {"longest path that fits", folderFor(MAX_PATH - 1, L"m.dll"), L"m.dll", true},
        {"path that fills the buffer", folderFor(MAX_PATH, L"m.dll"), L"m.dll", false},
        {"longer path", folderFor(MAX_PATH + 40, L"m.dll"), L"m.dll", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = copies.Copy(c.folder, c.file);
        UniqueModule module(LoadLibraryW((path.size() < MAX_PATH ? path : ModuleCopies::Long(path)).c_str()));
        ASSERT_TRUE(module) << GetLastError() << " " << Narrow(path);

        std::u16string replacement = u"stale";
        const HRESULT hr = ModulePathReplacement(module.get(), replacement);
        if (c.fits) {
            ASSERT_EQ(S_OK, hr);
            std::wstring expected;
            for (wchar_t ch : path) {
                expected += ch;
                if (ch == L'\'') expected += L'\'';
            }
            EXPECT_EQ(ToU16(expected), replacement);
        } else {
            EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), hr);
            EXPECT_TRUE(replacement.empty());
            EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), RegisterScript(module.get(), IDR_CONNECT));
        }
    }
}

TEST(ModulePath, ModuleTheSystemDoesNotKnowGivesTheSystemError) {
    std::u16string replacement = u"stale";
    // An address inside no module: GetModuleFileNameW fails outright.
    const HRESULT hr = ModulePathReplacement(reinterpret_cast<HMODULE>(static_cast<UINT_PTR>(0x10)), replacement);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(FACILITY_WIN32, HRESULT_FACILITY(hr));
    EXPECT_NE(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), hr);
    EXPECT_TRUE(replacement.empty());
}

TEST(ScriptResource, MissingResourceGivesTheLoaderError) {
    const ScriptReplacements none;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND),
              RunRegistrationScript(GetModuleHandleW(nullptr), 999, true, none));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND),
              RunRegistrationScript(GetModuleHandleW(L"kernel32.dll"), IDR_CONNECT, true, none));
}

// The add-in's own script, as the DLL carries it, against HKEY_CLASSES_ROOT.
class ConnectScript : public testing::Test {
protected:
    static constexpr wchar_t Clsid[] = L"{96B79E67-A8A4-4B68-9BB5-7572B98C12E8}";

    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }

    static void Clean() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Velmora.Connect.1");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Velmora.Connect");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + Clsid).c_str());
    }

    // Everything the script owns, as one text.
    static std::string Registered() {
        return "[Velmora.Connect.1]\n" + Tree(HKEY_CLASSES_ROOT, L"Velmora.Connect.1") + "[Velmora.Connect]\n" +
               Tree(HKEY_CLASSES_ROOT, L"Velmora.Connect") + "[class]\n" +
               Tree(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + Clsid);
    }
};

TEST_F(ConnectScript, RegistersTheClassFromAModulePathWithAQuote) {
    ModuleCopies copies;
    const std::wstring path = copies.Copy(L"O'Brien's tools", L"velmora.dll");
    UniqueModule module(LoadLibraryW(path.c_str()));
    ASSERT_TRUE(module) << GetLastError();

    ASSERT_EQ(S_OK, RegisterScript(module.get(), IDR_CONNECT));
    const std::string clsid = Narrow(Clsid);
    const std::string expected =
        "[Velmora.Connect.1]\n"
        "\n"
        ": @ = sz:Connect Class\n"
        "CLSID\n"
        "CLSID: @ = sz:" + clsid + "\n"
        "[Velmora.Connect]\n"
        "\n"
        ": @ = sz:Connect Class\n"
        "CLSID\n"
        "CLSID: @ = sz:" + clsid + "\n"
        "CurVer\n"
        "CurVer: @ = sz:Velmora.Connect.1\n"
        "[class]\n"
        "\n"
        ": @ = sz:Connect Class\n"
        "InprocServer32\n"
        "InprocServer32: @ = sz:" + Narrow(path) + "\n"
        "InprocServer32: ThreadingModel = sz:Apartment\n"
        "ProgID\n"
        "ProgID: @ = sz:Velmora.Connect.1\n"
        "Programmable\n"
        "TypeLib\n"
        "TypeLib: @ = sz:{1A4FDA34-CB3B-4835-9258-559A99D31FF8}\n"
        "VersionIndependentProgID\n"
        "VersionIndependentProgID: @ = sz:Velmora.Connect\n";
    EXPECT_EQ(expected, Registered());
    EXPECT_EQ(path, GetString(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + Clsid + L"\\InprocServer32", nullptr));

    // Again, over a leftover in the class key: one set, rebuilt.
    CreateKey(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + Clsid + L"\\Stale");
    ASSERT_EQ(S_OK, RegisterScript(module.get(), IDR_CONNECT));
    EXPECT_EQ(expected, Registered());

    ASSERT_EQ(S_OK, UnregisterScript(module.get(), IDR_CONNECT));
    EXPECT_EQ("[Velmora.Connect.1]\n<missing>\n[Velmora.Connect]\n<missing>\n[class]\n<missing>\n", Registered());
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
}

TEST_F(ConnectScript, ThisProgramCarriesTheScriptAsText) {
    // The resource decodes and parses on its own, with the module path put in.
    ScriptError error;
    ASSERT_EQ(S_OK, RunRegistrationScript(GetModuleHandleW(nullptr), IDR_CONNECT, true,
                                          {{u"MODULE", u"C:\\x.dll"}}, &error))
        << FormatScriptError(error);
    EXPECT_EQ(L"C:\\x.dll", GetString(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + Clsid + L"\\InprocServer32", nullptr));
    // Without a value for %MODULE% the script is refused before anything is written.
    Clean();
    EXPECT_EQ(E_BAD_REGISTRATION_SCRIPT, RunRegistrationScript(GetModuleHandleW(nullptr), IDR_CONNECT, true, {}, &error));
    EXPECT_NE(std::string::npos, error.message.find("%MODULE%")) << error.message;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Velmora.Connect.1"));
}

}  // namespace
}  // namespace velmora
