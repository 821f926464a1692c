#include "InstallerTestSupport.h"

#include <objbase.h>
#include <oleauto.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "framework/UniqueHandle.h"
#include "platform/DteInterfaces.h"
#include "testbed/fixtures/ConfigFolderFiles.h"
#include "support/HostFixture.h"
#include "testbed/fixtures/TestEnvironment.h"

namespace velmora::test {

namespace fs = std::filesystem;

std::wstring IdeVersionKeyPath(const std::wstring& version) { return IdeKeyParent + (L"\\" + version); }

std::wstring IdeKeyPath(const std::wstring& version) {
    return IdeVersionKeyPath(version) + L"\\AddIns\\" + AddInProgId;
}

std::wstring ClassKeyPath() { return std::wstring(L"CLSID\\") + kConnectClsid; }

std::wstring TypeLibKeyPath() { return std::wstring(L"TypeLib\\") + kVelmoraLibid; }

std::wstring BuildOutputFolder() {
    const std::wstring dll = BuiltDllPath();
    const size_t slash = dll.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : dll.substr(0, slash);
}

std::map<std::wstring, std::string> FilesIn(const std::wstring& folder) {
    std::map<std::wstring, std::string> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(fs::path(folder), error)) {
        if (!entry.is_regular_file()) continue;
        files[entry.path().filename().wstring()] = ReadFileBytes(entry.path().wstring()).value_or("<unreadable>");
    }
    return files;
}

// ---------------------------------------------------------------------------
// The install folder

InstallFolder::InstallFolder(const std::wstring& relative) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    base_ = std::wstring(temp) + L"velmora installer test";
    root_ = base_ + L"\\" + relative.substr(0, relative.find(L'\\'));
    path_ = base_ + L"\\" + relative;
    std::error_code error;
    fs::remove_all(fs::path(root_), error);
    fs::create_directories(fs::path(path_ + L"\\starter"), error);

    const std::wstring from = BuildOutputFolder();
    complete_ = !from.empty();
    for (const wchar_t* name : {L"velmora.dll", L"install.cmd", L"uninstall.cmd"}) {
        complete_ = CopyFileW((from + L"\\" + name).c_str(), File(name).c_str(), FALSE) && complete_;
    }
    const auto starter = FilesIn(from + L"\\starter");
    complete_ = !starter.empty() && complete_;
    for (const auto& [name, bytes] : starter) {
        complete_ = WriteFileBytes(path_ + L"\\starter\\" + name, bytes) && complete_;
    }
}

InstallFolder::~InstallFolder() {
    // A DLL the test loaded from here must be gone before its folder can go.
    CoFreeUnusedLibrariesEx(0, 0);
    std::error_code error;
    fs::remove_all(fs::path(root_), error);
    fs::remove(fs::path(base_), error);  // when no other install folder is left
}

// ---------------------------------------------------------------------------
// Running a script

CapturedRun RunScript(const std::wstring& script, Quoting quoting) {
    std::wstring commandLine = L"cmd.exe /c ";
    commandLine += quoting == Quoting::Single ? L"\"" + script + L"\"" : L"\"\"" + script + L"\"\"";
    // Started from the system folder: the scripts must find their files by
    // their own location, not by the current folder.
    wchar_t systemFolder[MAX_PATH] = {};
    GetSystemDirectoryW(systemFolder, MAX_PATH);
    RunOptions options;
    options.currentFolder = systemFolder;
    options.errorsIntoOutput = true;
    options.timeoutMs = 120000;
    // Under heavy load Wine now and then fails to start cmd.exe itself, or
    // cmd.exe fails to start a program it has found (here regsvr32 or reg)
    // and says it does not know the command. That is the test machine's
    // fault, not the script's; the scripts are made to be run again, so such
    // a run is repeated, twice at the most, and said so on the test's output.
    constexpr char kLaunchFailure[] = "Can't recognize '";
    const auto launchFailed = [&](const CapturedRun& run) {
        return run.exitCode == -1 || run.output.find(kLaunchFailure) != std::string::npos;
    };
    CapturedRun run = RunCapturing(commandLine, options);
    for (int retry = 0; retry < 2 && launchFailed(run); ++retry) {
        std::fprintf(stderr, "RunScript: %s, running the script again:\n%s\n",
                     run.exitCode == -1 ? "cmd.exe did not start" : "cmd.exe could not start a program",
                     run.output.c_str());
        run = RunCapturing(commandLine, options);
    }
    return run;
}

// ---------------------------------------------------------------------------
// Registry

std::vector<std::string> InstallationState() {
    struct Key {
        HKEY root;
        const char* rootName;
        std::wstring path;
    };
    std::vector<Key> keys;
    for (const wchar_t* version : kIdeVersions) keys.push_back({HKEY_CURRENT_USER, "HKCU", IdeKeyPath(version)});
    keys.push_back({HKEY_CLASSES_ROOT, "HKCR", L"Velmora.Connect"});
    keys.push_back({HKEY_CLASSES_ROOT, "HKCR", L"Velmora.Connect.1"});
    keys.push_back({HKEY_CLASSES_ROOT, "HKCR", ClassKeyPath()});
    keys.push_back({HKEY_CLASSES_ROOT, "HKCR", TypeLibKeyPath()});
    std::vector<std::string> state;
    for (const Key& key : keys) {
        for (const std::string& line : RegistrySnapshot(key.root, key.path)) {
            state.push_back(std::string(key.rootName) + "\\" + Narrow(key.path) + " | " + line);
        }
    }
    return state;
}

std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    UniqueRegKey opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return std::nullopt;
    RegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.data.resize(size);
    if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &value.type, value.data.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.data.resize(size);
    return value;
}

DWORD RegistryValueCount(HKEY root, const std::wstring& key) {
    UniqueRegKey opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return 0;
    DWORD count = 0;
    RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                     nullptr, nullptr);
    return count;
}

bool TypeLibraryRegistered() {
    Microsoft::WRL::ComPtr<ITypeLib> library;
    return SUCCEEDED(LoadRegTypeLib(LIBID_VelmoraLib, 1, 0, LOCALE_NEUTRAL, &library));
}

// ---------------------------------------------------------------------------
// The fixture

namespace {

bool Exists(const std::wstring& path) {
    std::error_code error;
    return fs::exists(fs::path(path), error);
}

}  // namespace

void InstallerTest::SetUp() {
    config = ConfigFolder();
    ASSERT_FALSE(config.empty()) << "the shell names no application-data folder";
    saved_ = config + L" saved by the installer test";
    orinthExisted_ = Exists(fs::path(config).parent_path().wstring());
    std::error_code error;
    if (Exists(saved_)) {
        // An interrupted run left the user's folder set aside: what is in
        // the configuration folder now is that run's.
        fs::remove_all(fs::path(config), error);
    } else if (Exists(config)) {
        ASSERT_TRUE(MoveFileW(config.c_str(), saved_.c_str())) << "could not set the configuration folder aside";
    }
    visualStudioKeyExisted_ = RegistryKeyExists(HKEY_CURRENT_USER, L"Software\\Microsoft\\VisualStudio");
    registeredServer_ = ReadRegistryString(HKEY_CLASSES_ROOT, ClassKeyPath() + L"\\InprocServer32");
    // IDE keys already there (an earlier installation) are set aside.
    savedIdeKeys_.clear();
    for (const wchar_t* version : kIdeVersions) {
        const std::wstring key = IdeKeyPath(version);
        UniqueRegKey opened;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) continue;
        SavedKey saved{key, {}};
        for (DWORD index = 0;; ++index) {
            wchar_t name[16384];
            DWORD nameLength = ARRAYSIZE(name);
            DWORD type = 0;
            BYTE data[8192];
            DWORD size = sizeof(data);
            if (RegEnumValueW(opened.get(), index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) {
                break;
            }
            saved.values.push_back({name, {type, std::vector<BYTE>(data, data + size)}});
        }
        opened.reset();
        savedIdeKeys_.push_back(std::move(saved));
        ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()), ERROR_SUCCESS);
    }
}

void InstallerTest::TearDown() {
    for (const wchar_t* version : kIdeVersions) RegDeleteTreeW(HKEY_CURRENT_USER, IdeKeyPath(version).c_str());
    if (!visualStudioKeyExisted_) RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Microsoft\\VisualStudio");
    for (const SavedKey& saved : savedIdeKeys_) {
        UniqueRegKey created;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, saved.path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                  created.put(), nullptr),
                  ERROR_SUCCESS);
        for (const auto& [name, value] : saved.values) {
            RegSetValueExW(created.get(), name.c_str(), 0, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size()));
        }
    }
    if (RegistryKeyExists(HKEY_CLASSES_ROOT, ClassKeyPath()) ||
        RegistryKeyExists(HKEY_CLASSES_ROOT, L"Velmora.Connect") ||
        RegistryKeyExists(HKEY_CLASSES_ROOT, TypeLibKeyPath())) {
        // Registered from the build output first, so that the type library's
        // removal finds its file even when the test deleted the copy.
        Regsvr32(BuiltDllPath(), false);
        Regsvr32(BuiltDllPath(), true);
    }
    if (registeredServer_ && Exists(*registeredServer_)) Regsvr32(*registeredServer_, false);

    std::error_code error;
    fs::remove_all(fs::path(config), error);
    if (Exists(saved_)) {
        EXPECT_TRUE(MoveFileW(saved_.c_str(), config.c_str())) << "could not restore the configuration folder";
    } else if (!orinthExisted_) {
        fs::remove(fs::path(config).parent_path(), error);  // only when empty
    }
}

}  // namespace velmora::test
