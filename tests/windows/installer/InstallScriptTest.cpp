// install.cmd and uninstall.cmd as a user runs them: cmd.exe, the real
// registry of the prefix, regsvr32 and the files of the user's
// application-data folder, from copies of the build output in folders of
// awkward names.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "InstallerTestSupport.h"
#include "framework/TextConversion.h"
#include "platform/DteInterfaces.h"
#include "platform/WindowsConfigFiles.h"
#include "support/HostFixture.h"
#include "templates/CodeTemplateSet.h"
#include "testbed/fixtures/TestEnvironment.h"
#include "tests/native/TemplateTestFiles.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using Microsoft::WRL::ComPtr;

std::string Show(const CapturedRun& run) { return "exit code " + std::to_string(run.exitCode) + ", output:\n" + run.output; }

DWORD AsDword(const RegistryValue& value) {
    DWORD number = 0xFFFFFFFF;
    if (value.data.size() == sizeof(DWORD)) memcpy(&number, value.data.data(), sizeof(number));
    return number;
}

std::wstring AsString(const RegistryValue& value) {
    std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

size_t BareLineFeeds(const std::string& bytes) {
    size_t count = 0;
    for (size_t i = 0; i < bytes.size(); ++i) count += bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
    return count;
}

// The IDE key of one version holds exactly the four values, with their types.
void ExpectIdeKey(const std::wstring& version) {
    SCOPED_TRACE(Narrow(L"IDE key " + version));
    const std::wstring key = IdeKeyPath(version);
    ASSERT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, key));
    EXPECT_EQ(RegistryValueCount(HKEY_CURRENT_USER, key), 4u);
    const auto friendlyName = ReadRegistryValue(HKEY_CURRENT_USER, key, L"FriendlyName");
    const auto description = ReadRegistryValue(HKEY_CURRENT_USER, key, L"Description");
    const auto loadBehavior = ReadRegistryValue(HKEY_CURRENT_USER, key, L"LoadBehavior");
    const auto commandLineSafe = ReadRegistryValue(HKEY_CURRENT_USER, key, L"CommandLineSafe");
    ASSERT_TRUE(friendlyName && description && loadBehavior && commandLineSafe);
    EXPECT_EQ(friendlyName->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(AsString(*friendlyName), AddInFriendlyName);
    EXPECT_EQ(description->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(AsString(*description), AddInDescription);
    EXPECT_EQ(loadBehavior->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(AsDword(*loadBehavior), AddInLoadBehavior);
    EXPECT_EQ(commandLineSafe->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(AsDword(*commandLineSafe), AddInCommandLineSafe);
}

// The COM registration points at `dll` and the ProgID gives the class.
void ExpectRegisteredAt(const std::wstring& dll) {
    SCOPED_TRACE(Narrow(L"registered at " + dll));
    EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, L"Velmora.Connect\\CLSID").value_or(L"<none>"), kConnectClsid);
    EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, L"Velmora.Connect.1\\CLSID").value_or(L"<none>"),
              kConnectClsid);
    const auto server = ReadRegistryString(HKEY_CLASSES_ROOT, ClassKeyPath() + L"\\InprocServer32");
    ASSERT_TRUE(server.has_value());
    EXPECT_EQ(_wcsicmp(server->c_str(), dll.c_str()), 0) << Narrow(*server);
    EXPECT_EQ(ReadRegistryString(HKEY_CLASSES_ROOT, ClassKeyPath() + L"\\InprocServer32", L"ThreadingModel")
                  .value_or(L"<none>"),
              L"Apartment");
    EXPECT_TRUE(TypeLibraryRegistered());
    CLSID fromProgId = {};
    EXPECT_EQ(CLSIDFromProgID(L"Velmora.Connect", &fromProgId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(fromProgId, CLSID_Connect));
}

void ExpectNothingRegistered() {
    for (const wchar_t* version : kIdeVersions) {
        EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, IdeKeyPath(version))) << Narrow(version);
    }
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"Velmora.Connect"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"Velmora.Connect.1"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, ClassKeyPath()));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, TypeLibKeyPath()));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
}

// What a failed uninstall left: removed through the build output's DLL.
void RemoveRegistrationLeftBehind() {
    const std::wstring dll = BuiltDllPath();
    EXPECT_EQ(Regsvr32(dll), 0);
    EXPECT_EQ(Regsvr32(dll, true), 0);
}

// The full path of the module whose code `object` runs.
std::wstring ModuleOf(IUnknown* object) {
    HMODULE module = nullptr;
    const void* code = *reinterpret_cast<void* const*>(object);  // the vtable lies in the module's image
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(code), &module)) {
        return {};
    }
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

// ---------------------------------------------------------------------------

TEST(InstallerFiles, BuildOutputHoldsTheScriptsAndAnAsciiStarterConfiguration) {
    const std::wstring output = BuildOutputFolder();
    for (const wchar_t* script : {L"install.cmd", L"uninstall.cmd"}) {
        const auto bytes = ReadFileBytes(output + L"\\" + script);
        ASSERT_TRUE(bytes.has_value()) << Narrow(script) << " is not beside velmora.dll";
        // cmd.exe misreads labels in a batch file with bare LF line ends.
        EXPECT_EQ(BareLineFeeds(*bytes), 0u) << Narrow(script);
    }
    const auto starter = FilesIn(output + L"\\starter");
    std::set<std::wstring> names;
    for (const auto& [name, bytes] : starter) {
        names.insert(name);
        const auto wide = std::find_if(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
        EXPECT_EQ(wide, bytes.end()) << Narrow(name) << " holds a byte outside ASCII at "
                                     << (wide - bytes.begin());
    }
    EXPECT_TRUE(names.count(L"GuidSet.ini"));
    EXPECT_TRUE(names.count(L"CodeSet.ini"));
    ASSERT_TRUE(starter.count(L"GuidSet.ini"));
    EXPECT_EQ(starter.at(L"GuidSet.ini"), "0");
    for (const auto& [name, bytes] : starter) {
        // Older Notepads show a file with bare LF line ends as one line.
        EXPECT_EQ(BareLineFeeds(bytes), 0u) << Narrow(name);
    }
}

TEST_F(InstallerTest, InstallRegistersTheServerAndTheIdeKeysAndCopiesTheStarterFiles) {
    InstallFolder folder(L"Velmora");
    ASSERT_TRUE(folder.Complete());
    ASSERT_FALSE(fs::exists(fs::path(config)));

    const CapturedRun run = RunScript(folder.Install());
    ASSERT_EQ(run.exitCode, 0) << Show(run);

    ExpectRegisteredAt(folder.Dll());
    for (const wchar_t* version : kIdeVersions) ExpectIdeKey(version);
    // The starter files arrive byte for byte, and nothing else does.
    EXPECT_EQ(FilesIn(config), FilesIn(folder.Path() + L"\\starter"));
    EXPECT_EQ(ReadFileBytes(config + L"\\GuidSet.ini").value_or("<missing>"), "0");
}

// Each starter file names what it serves; after installing, the template
// readers find the templates the starter intends for each kind of document,
// and no body line is mistaken for a header.
TEST_F(InstallerTest, StarterTemplatesLoadForTheirLanguages) {
    InstallFolder folder(L"Velmora");
    ASSERT_TRUE(folder.Complete());
    const CapturedRun run = RunScript(folder.Install());
    ASSERT_EQ(run.exitCode, 0) << Show(run);

    const std::vector<std::u16string> cpp = {u"for", u"if", u"ifelse", u"while", u"switch",
                                             u"try", u"class", u"guard", u"hresult"};
    const std::vector<std::u16string> csharp = {u"for", u"foreach", u"if",  u"ifelse", u"while",
                                                u"switch", u"try", u"using", u"prop", u"class"};
    const std::vector<std::u16string> basic = {u"For", u"ForEach", u"If", u"IfElse", u"DoWhile", u"Select",
                                               u"Try", u"Sub", u"Function", u"Property", u"Class"};
    struct Case {
        std::u16string extension;
        int result;
        std::vector<std::u16string> names;
    };
    const Case cases[] = {
        {u"cpp", 0, cpp}, {u"h", 0, cpp},        {u"CPP", 0, cpp},  {u"hpp", 0, cpp}, {u"c", 0, cpp},
        {u"cs", 0, csharp}, {u"vb", 0, basic},  {u"txt", -2, {}}, {u"xml", -2, {}},
    };
    WindowsConfigFiles files;
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(ToWide(c.extension)));
        CodeTemplateSet set(files);
        ASSERT_EQ(set.LoadForExtension(c.extension), c.result);
        std::vector<std::u16string> names;
        for (const TemplateEntry& entry : testing::Entries(set)) {
            names.push_back(entry.name);
            EXPECT_FALSE(entry.description.empty());
            EXPECT_FALSE(entry.lines.empty()) << Narrow(ToWide(entry.name)) << " has no body";
        }
        EXPECT_EQ(names, c.names);
    }
}

// A second run repairs nothing that is in place: the registry is the same
// and every file the user edited keeps the user's text; only a starter file
// the user deleted comes back.
TEST_F(InstallerTest, SecondRunChangesNothingAndKeepsEditedFiles) {
    InstallFolder folder(L"Velmora");
    ASSERT_TRUE(folder.Complete());
    CapturedRun run = RunScript(folder.Install());
    ASSERT_EQ(run.exitCode, 0) << Show(run);

    const auto starter = FilesIn(folder.Path() + L"\\starter");
    std::map<std::wstring, std::string> edited;
    for (const auto& [name, bytes] : starter) {
        edited[name] = name == L"GuidSet.ini" ? "3" : bytes + "edited by the user\r\n";
        ASSERT_TRUE(WriteFileBytes(config + L"\\" + name, edited[name]));
    }
    ASSERT_TRUE(DeleteFileW((config + L"\\Cpp.txt").c_str()));
    edited[L"Cpp.txt"] = starter.at(L"Cpp.txt");
    const auto registry = InstallationState();
    ASSERT_FALSE(registry.empty());

    run = RunScript(folder.Install());
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    EXPECT_EQ(InstallationState(), registry);
    EXPECT_EQ(FilesIn(config), edited);
}

struct FolderCase {
    const wchar_t* name;
    Quoting quoting;
};

// Folder names a user may well have: spaces and a single quote (typed as
// cmd.exe /c "<path>"), and the parentheses and ampersand of other folders,
// run the way the shell runs a double-clicked batch file.
TEST_F(InstallerTest, WorksFromFoldersWithSpacesQuotesAndParentheses) {
    const FolderCase cases[] = {
        {L"Velmora O'Brien's tools", Quoting::Single},
        {L"Program Files (x86)\\Velmora 'add-in'", Quoting::Double},
        {L"R&D tools\\Velmora", Quoting::Double},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        InstallFolder folder(c.name);
        ASSERT_TRUE(folder.Complete());

        CapturedRun run = RunScript(folder.Install(), c.quoting);
        ASSERT_EQ(run.exitCode, 0) << Show(run);
        ExpectRegisteredAt(folder.Dll());
        for (const wchar_t* version : kIdeVersions) ExpectIdeKey(version);
        EXPECT_EQ(FilesIn(config), FilesIn(folder.Path() + L"\\starter"));

        {
            // The ProgID leads to the DLL in this folder.
            ComPtr<IDTExtensibility2> created;
            CLSID clsid = {};
            ASSERT_EQ(CLSIDFromProgID(L"Velmora.Connect", &clsid), S_OK);
            ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2,
                                       reinterpret_cast<void**>(created.GetAddressOf())),
                      S_OK);
            EXPECT_EQ(_wcsicmp(ModuleOf(created.Get()).c_str(), folder.Dll().c_str()), 0)
                << Narrow(ModuleOf(created.Get()));
        }
        CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_EQ(GetModuleHandleW(folder.Dll().c_str()), nullptr) << "the server stayed loaded";

        run = RunScript(folder.Uninstall(), c.quoting);
        ASSERT_EQ(run.exitCode, 0) << Show(run);
        ExpectNothingRegistered();

        // The next folder starts from a fresh configuration.
        std::error_code error;
        fs::remove_all(fs::path(config), error);
    }
}

TEST_F(InstallerTest, UninstallRemovesEveryKeyAndKeepsTheConfiguration) {
    InstallFolder folder(L"Velmora");
    ASSERT_TRUE(folder.Complete());
    CapturedRun run = RunScript(folder.Install());
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    // Another add-in of each IDE version stays.
    std::vector<std::wstring> neighbours;
    for (const wchar_t* version : kIdeVersions) {
        neighbours.push_back(IdeVersionKeyPath(version) + L"\\AddIns\\Other.Connect");
        HKEY created = nullptr;
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, neighbours.back().c_str(), &created), ERROR_SUCCESS);
        RegCloseKey(created);
    }
    ASSERT_TRUE(WriteFileBytes(config + L"\\GuidSet.ini", "2"));
    const auto files = FilesIn(config);

    run = RunScript(folder.Uninstall());
    ASSERT_EQ(run.exitCode, 0) << Show(run);
    ExpectNothingRegistered();
    for (const std::wstring& neighbour : neighbours) EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, neighbour));
    EXPECT_EQ(FilesIn(config), files);
    EXPECT_TRUE(fs::exists(folder.Dll())) << "the uninstaller removed the DLL";

    // Again, with nothing left to remove: success, and nothing changes.
    run = RunScript(folder.Uninstall());
    EXPECT_EQ(run.exitCode, 0) << Show(run);
    ExpectNothingRegistered();
    EXPECT_EQ(FilesIn(config), files);
    for (const std::wstring& neighbour : neighbours) RegDeleteTreeW(HKEY_CURRENT_USER, neighbour.c_str());
}

// Registration that fails stops the installer with exit code 1 before it
// makes the add-in known to the IDE or touches the user's files.
TEST_F(InstallerTest, FailedRegistrationStopsTheInstallerWithExitCode1) {
    struct Case {
        const char* what;
        bool removeDll;
        const char* dllBytes;  // replaces the DLL unless null
    };
    const Case cases[] = {
        {"velmora.dll missing", true, nullptr},
        {"velmora.dll not a DLL", false, "This is no DLL.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InstallFolder folder(L"Velmora");
        ASSERT_TRUE(folder.Complete());
        if (c.removeDll) {
            ASSERT_TRUE(DeleteFileW(folder.Dll().c_str()));
        }
        if (c.dllBytes) {
            ASSERT_TRUE(WriteFileBytes(folder.Dll(), c.dllBytes));
        }

        const CapturedRun run = RunScript(folder.Install());
        EXPECT_EQ(run.exitCode, 1) << Show(run);
        ExpectNothingRegistered();
        EXPECT_FALSE(fs::exists(fs::path(config))) << "the configuration was copied after a failed registration";
    }
}

// When the configuration folder cannot be made (a file has its name), the
// installer ends with exit code 3 and leaves that file alone.
TEST_F(InstallerTest, ConfigurationFolderThatCannotBeMadeGivesExitCode3) {
    InstallFolder folder(L"Velmora");
    ASSERT_TRUE(folder.Complete());
    std::error_code error;
    fs::create_directories(fs::path(config).parent_path(), error);
    ASSERT_TRUE(WriteFileBytes(config, "a file in the folder's place"));

    const CapturedRun run = RunScript(folder.Install());
    EXPECT_EQ(run.exitCode, 3) << Show(run);
    EXPECT_EQ(ReadFileBytes(config).value_or("<gone>"), "a file in the folder's place");
    fs::remove(fs::path(config), error);
}

// The uninstaller reports a registration it could not remove with exit code
// 1, and still takes the add-in out of the IDE.
TEST_F(InstallerTest, UnregistrationThatFailsGivesExitCode1) {
    struct Case {
        const char* what;
        const char* dllBytes;  // replaces the DLL after installing; null removes it
    };
    const Case cases[] = {
        {"velmora.dll gone", nullptr},
        {"velmora.dll replaced by a broken file", "MZ but no DLL\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InstallFolder folder(L"Velmora");
        ASSERT_TRUE(folder.Complete());
        CapturedRun run = RunScript(folder.Install());
        ASSERT_EQ(run.exitCode, 0) << Show(run);
        if (c.dllBytes) {
            ASSERT_TRUE(WriteFileBytes(folder.Dll(), c.dllBytes));
        } else {
            ASSERT_TRUE(DeleteFileW(folder.Dll().c_str()));
        }

        run = RunScript(folder.Uninstall());
        EXPECT_EQ(run.exitCode, 1) << Show(run);
        for (const wchar_t* version : kIdeVersions) {
            EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, IdeKeyPath(version))) << Narrow(version);
        }
        EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, ClassKeyPath()));
        RemoveRegistrationLeftBehind();
    }
}

// Installed from a folder that was deleted afterwards: the uninstaller of a
// new copy still removes every key, the type library's included, although
// the file the library was registered from is gone.
TEST_F(InstallerTest, UninstallFromAnotherCopyRemovesARegistrationWhoseFolderIsGone) {
    std::wstring firstFolder;
    {
        InstallFolder first(L"Velmora first copy");
        ASSERT_TRUE(first.Complete());
        firstFolder = first.Path();
        const CapturedRun run = RunScript(first.Install());
        ASSERT_EQ(run.exitCode, 0) << Show(run);
    }
    ASSERT_FALSE(fs::exists(fs::path(firstFolder)));
    // Registered for this build's system kind, which the removal must name.
    const std::wstring entry = TypeLibKeyPath() + (sizeof(void*) == 8 ? L"\\1.0\\0\\win64" : L"\\1.0\\0\\win32");
    ASSERT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, entry)) << Narrow(entry);
    InstallFolder second(L"Velmora second copy");
    ASSERT_TRUE(second.Complete());
    const CapturedRun run = RunScript(second.Uninstall());
    EXPECT_EQ(run.exitCode, 0) << Show(run);
    ExpectNothingRegistered();
}

}  // namespace
}  // namespace velmora::test
