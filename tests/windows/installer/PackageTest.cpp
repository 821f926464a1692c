// The installer package under Windows Installer (msiexec), in a Wine prefix
// made for this test alone (package-test.sh runs it): install, the IDE
// stand-in loading the installed add-in, the same package again, a repair, an
// upgrade to a higher version, a refused downgrade and the removal, with a
// user's edited and deleted configuration files in between, and a second
// user's first logon (the Active Setup command) giving that user the starter
// configuration; then an upgrade from the release before, which made the
// add-in known to fewer IDE versions.
//
// The 32-bit package also runs in a 64-bit prefix, where a 64-bit test
// program cannot load the 32-bit add-in: there the load check is left out
// and the program says so; nor can the 32-bit velmora-config.exe that the
// package runs as the user start there, so the 64-bit build of it runs in its
// place after each install (and says so), the install having gone on. Everything else reads the 32-bit registry view,
// which is the only one on 32-bit Windows.
#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "InstallerTestSupport.h"
#include "framework/UniqueHandle.h"
#include "support/AppDataRedirect.h"
#include "support/HostFixture.h"
#include "support/RegistrySnapshot.h"
#include "testbed/fixtures/ConfigFolderFiles.h"
#include "testbed/fixtures/TestEnvironment.h"

namespace velmora::test {
namespace {

constexpr REGSAM kView = KEY_WOW64_32KEY;
constexpr wchar_t kUpgradeCode[] = L"{" VELMORA_UPGRADE_CODE L"}";
constexpr const wchar_t* kIdeKeys = IdeKeyParent;
constexpr wchar_t kActiveSetupKey[] =
    L"Software\\Microsoft\\Active Setup\\Installed Components\\{" VELMORA_ACTIVE_SETUP_ID L"}";

// "<Program Files>\Orinth", of 32-bit programs.
std::wstring OrinthProgramFolder() {
    PWSTR folder = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramFilesX86, 0, nullptr, &folder))) path = folder;
    CoTaskMemFree(folder);
    return path + L"\\Orinth";
}

std::wstring ProgramFolder() { return OrinthProgramFolder() + L"\\Velmora"; }

// The products of this package's UpgradeCode with their versions, as
// Programs and Features lists them, each also checked for its name, publisher
// and icon.
std::vector<std::wstring> InstalledVersions() {
    std::vector<std::wstring> versions;
    wchar_t product[39];
    for (DWORD index = 0; MsiEnumRelatedProductsW(kUpgradeCode, 0, index, product) == ERROR_SUCCESS; ++index) {
        const auto property = [&product](const wchar_t* name) {
            wchar_t value[256] = {};
            DWORD size = ARRAYSIZE(value);
            return MsiGetProductInfoW(product, name, value, &size) == ERROR_SUCCESS ? std::wstring(value)
                                                                                     : std::wstring(L"<none>");
        };
        EXPECT_EQ(property(INSTALLPROPERTY_INSTALLEDPRODUCTNAME), L"Velmora");
        EXPECT_EQ(property(INSTALLPROPERTY_PUBLISHER), L"Orinth");
        // Programs and Features' icon: the package's icon, kept by Windows Installer.
        const std::wstring icon = property(INSTALLPROPERTY_PRODUCTICON);
        EXPECT_EQ(ReadFileBytes(icon).value_or("").substr(0, 4), std::string("\0\0\1\0", 4)) << Narrow(icon);
        versions.push_back(property(INSTALLPROPERTY_VERSIONSTRING));
    }
    return versions;
}

// HKLM\Software\Classes without Windows Installer's own bookkeeping, and the IDE's keys.
struct RegistryState {
    std::vector<std::string> classes;
    std::vector<std::string> ide;
};

RegistryState ReadRegistryState() {
    RegistryState state{RegistrySnapshot(HKEY_LOCAL_MACHINE, L"Software\\Classes", kView),
                        RegistrySnapshot(HKEY_LOCAL_MACHINE, kIdeKeys, kView)};
    state.classes.erase(std::remove_if(state.classes.begin(), state.classes.end(),
                                       [](const std::string& line) { return line.rfind("Installer", 0) == 0; }),
                        state.classes.end());
    return state;
}

// The lines of `after` that `before` lacks, each prefixed "+", and those it
// lost, prefixed "-": empty when both are the same.
std::vector<std::string> Changes(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    std::vector<std::string> added, removed;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(removed));
    std::vector<std::string> changes;
    for (const std::string& line : added) changes.push_back("+" + line);
    for (const std::string& line : removed) changes.push_back("-" + line);
    return changes;
}

// What an installed IDE has of its own: the version keys with a value and
// another add-in's key, which the package must leave as they are.
void MakeIdeKeys() {
    for (const wchar_t* version : kIdeVersions) {
        const std::wstring key = std::wstring(kIdeKeys) + L"\\" + version;
        for (const auto& [path, name, value] : {std::tuple{key, L"InstallDir", L"C:\\IDE\\"},
                                               std::tuple{key + L"\\AddIns\\Other.Connect", L"FriendlyName", L"Other"}}) {
            ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, path, name, value, kView)) << Narrow(path);
        }
    }
}

// The lines the add-in's keys for `versions` add to the snapshot of kIdeKeys.
template <typename Versions>
std::vector<std::string> IdeKeyLines(const Versions& versions) {
    std::vector<std::string> lines;
    for (const wchar_t* version : versions) {
        const std::string key = Narrow(version) + "\\AddIns\\" + Narrow(AddInProgId);
        for (const std::string& value :
             {std::string(), ": CommandLineSafe = dword:" + std::to_string(AddInCommandLineSafe),
              ": Description = sz:" + Narrow(AddInDescription), ": FriendlyName = sz:" + Narrow(AddInFriendlyName),
              ": LoadBehavior = dword:" + std::to_string(AddInLoadBehavior)}) {
            lines.push_back("+" + key + value);
        }
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> IdeKeyLines() { return IdeKeyLines(kIdeVersions); }

// How the files of `actual` differ from `expected`, one line per file:
// "name: missing", "name: not expected" or "name: holds <its first bytes>".
std::vector<std::string> FileDifferences(const std::map<std::wstring, std::string>& expected,
                                         const std::map<std::wstring, std::string>& actual) {
    std::vector<std::string> differences;
    for (const auto& [name, bytes] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end()) {
            differences.push_back(Narrow(name) + ": missing");
        } else if (found->second != bytes) {
            differences.push_back(Narrow(name) + ": holds " + found->second.substr(0, 40));
        }
    }
    for (const auto& [name, bytes] : actual) {
        if (!expected.count(name)) differences.push_back(Narrow(name) + ": not expected");
    }
    return differences;
}

// The Active Setup entry's default value, StubPath and Version, "-" for one
// that is missing.
std::vector<std::wstring> ActiveSetupEntry() {
    std::vector<std::wstring> values;
    for (const wchar_t* name : {L"", L"StubPath", L"Version"}) {
        values.push_back(ReadRegistryString(HKEY_LOCAL_MACHINE, kActiveSetupKey, name, kView).value_or(L"-"));
    }
    return values;
}

// "a.b.c" as Active Setup's "a,b,c".
std::wstring ActiveSetupVersion(std::wstring version) {
    std::replace(version.begin(), version.end(), L'.', L',');
    return version;
}

class PackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (package.empty()) GTEST_SKIP() << "package-test.sh runs this test, in a Wine prefix of its own";
        ASSERT_TRUE(ReadFileBytes(package).has_value()) << Narrow(package);
        ASSERT_TRUE(ReadFileBytes(upgrade).has_value()) << Narrow(upgrade);
        ASSERT_TRUE(ReadFileBytes(previous).has_value()) << Narrow(previous);
        starter = FilesIn(BuildOutputFolder() + L"\\starter");
        ASSERT_GE(starter.size(), 3u);
    }

    // msiexec with `arguments`, quietly, per machine; its exit code. The log
    // of each run lies in the test's folder.
    long Msiexec(const std::wstring& step, const std::wstring& arguments) {
        const std::wstring log = logs + L"\\" + step + L".log";
        RunOptions options;
        options.timeoutMs = 300000;
        const CapturedRun run = RunCapturing(L"msiexec " + arguments + L" /qn ALLUSERS=1 /l*v \"" + log + L"\"", options);
        std::printf("[ msiexec  ] %s: exit code %ld, log %s\n", Narrow(step).c_str(), run.exitCode, Narrow(log).c_str());
        return run.exitCode;
    }

    std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

    // The configuration folder holds the starter files, with `edited` in
    // place of theirs and the extra files of `others`.
    void ExpectConfiguration(const std::map<std::wstring, std::string>& edited,
                             const std::map<std::wstring, std::string>& others) {
        std::map<std::wstring, std::string> expected = starter;
        for (const auto& [name, bytes] : edited) expected[name] = bytes;
        for (const auto& [name, bytes] : others) expected[name] = bytes;
        EXPECT_EQ(FileDifferences(expected, FilesIn(ConfigFolder())), std::vector<std::string>{});
    }

    // The program folder holds the two programs and the starter files of the build.
    void ExpectProgramFiles() {
        const std::wstring folder = ProgramFolder();
        const std::wstring built = BuildOutputFolder();
        const std::map<std::wstring, std::string> programs = {
            {L"velmora-config.exe", ReadFileBytes(built + L"\\velmora-config.exe").value_or("")},
            {L"velmora.dll", ReadFileBytes(built + L"\\velmora.dll").value_or("")}};
        EXPECT_EQ(FileDifferences(programs, FilesIn(folder)), std::vector<std::string>{});
        EXPECT_EQ(FileDifferences(starter, FilesIn(folder + L"\\starter")), std::vector<std::string>{});
    }

    // The class, the ProgIDs and the type library point at the installed DLL.
    void ExpectRegisteredClass(const RegistryState& before) {
        const std::vector<std::string> changes = Changes(before.classes, ReadRegistryState().classes);
        const std::string dll = Narrow(ProgramFolder() + L"\\velmora.dll");
        for (const std::string& line :
             {"+CLSID\\" + Narrow(kConnectClsid) + "\\InprocServer32: @ = sz:" + dll,
              "+TypeLib\\" + Narrow(kVelmoraLibid) + "\\1.0\\0\\win32: @ = sz:" + dll,
              std::string("+Velmora.Connect\\CLSID: @ = sz:") + Narrow(kConnectClsid)}) {
            EXPECT_TRUE(std::any_of(changes.begin(), changes.end(), [&line](const std::string& change) {
                return _stricmp(change.c_str(), line.c_str()) == 0;
            })) << "not written: " << line;
        }
    }

    // velmora-config --status as the installed program runs it; where only
    // 64-bit programs run, the test build's copy of it, put beside the
    // installed one for the run. Its exit code, with its warnings shown.
    long InstalledStatus() {
        std::wstring checker = ProgramFolder() + L"\\velmora-config.exe";
#if defined(_WIN64)
        checker = ProgramFolder() + L"\\velmora-config 64-bit.exe";
        if (!CopyFileW(EnvironmentPath("VELMORA_CHECKER_STAND_IN").c_str(), checker.c_str(), TRUE)) return -1;
#endif
        const CapturedRun run = RunCapturing(Quoted(checker) + L" --status");
        if (run.exitCode != 0) std::printf("%s%s", run.output.c_str(), run.errors.c_str());
#if defined(_WIN64)
        DeleteFileW(checker.c_str());
#endif
        return run.exitCode;
    }

    const std::wstring previous = EnvironmentPath("VELMORA_PREVIOUS_PACKAGE");

    // The command the package runs as the user (custom action and Active Setup).
    std::wstring SetupCommand() { return Quoted(ProgramFolder() + L"\\velmora-config.exe") + L" --setup"; }

    // Runs the package's setup command line as this user. It starts a 32-bit
    // program; a 64-bit test runs where no 32-bit code starts, so there the
    // package's own runs fail (and the install goes on, as it must) and this
    // build's 64-bit velmora-config.exe, the same code, runs in its place.
    void RunSetup(const wchar_t* why, std::wstring command) {
#if defined(_WIN64)
        const std::wstring installed = Quoted(ProgramFolder() + L"\\velmora-config.exe");
        ASSERT_EQ(command.rfind(installed, 0), 0u) << Narrow(command);
        command = Quoted(EnvironmentPath("VELMORA_CHECKER_STAND_IN")) + command.substr(installed.size());
        std::printf("[ STAND-IN ] %s: 64-bit %s\n", Narrow(why).c_str(), Narrow(command).c_str());
#endif
        RunOptions options;
        options.errorsIntoOutput = true;
        const CapturedRun run = RunCapturing(command, options);
        EXPECT_EQ(run.exitCode, 0) << Narrow(why) << ": " << run.output;
    }

    // Where the custom action's program cannot start, its run after `step`.
    void StandInForCustomAction(const wchar_t* step) {
#if defined(_WIN64)
        RunSetup(step, SetupCommand());
#else
        (void)step;
#endif
    }

    const std::wstring package = EnvironmentPath("VELMORA_PACKAGE");
    const std::wstring upgrade = EnvironmentPath("VELMORA_UPGRADE_PACKAGE");
    const std::wstring logs = EnvironmentPath("VELMORA_PACKAGE_LOGS");
    std::map<std::wstring, std::string> starter;
};

TEST_F(PackageTest, InstallsRepairsUpgradesAndRemovesWithoutLosingTheConfiguration) {
    const std::wstring config = ConfigFolder();
    ASSERT_TRUE(FilesIn(config).empty()) << "the prefix is not fresh";
    ASSERT_NO_FATAL_FAILURE(MakeIdeKeys());
    const RegistryState before = ReadRegistryState();

    // Installed: the files, the registration and one product of this version.
    ASSERT_EQ(Msiexec(L"install", L"/i " + Quoted(package)), 0);
    StandInForCustomAction(L"install");
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{L"" VELMORA_VERSION});
    ExpectProgramFiles();
    ExpectConfiguration({}, {});
    // What the package writes, as the first install in this prefix leaves it:
    // once a removal or an upgrade has emptied the 32-bit CLSID key, Wine 10
    // shows the 64-bit classes in its place.
    const RegistryState installed = ReadRegistryState();
    EXPECT_EQ(Changes(before.ide, installed.ide), IdeKeyLines());
    ExpectRegisteredClass(before);
    EXPECT_EQ(InstalledStatus(), 0);
    EXPECT_EQ(ActiveSetupEntry(),
              (std::vector<std::wstring>{L"Velmora", SetupCommand(), ActiveSetupVersion(L"" VELMORA_VERSION)}));

#if defined(_WIN64)
    // Where the kernel runs no 32-bit code, nothing can load the 32-bit DLL.
    std::printf("[ SKIPPED  ] loading the add-in and comparing with regsvr32: the test program is 64-bit, "
                "the add-in 32-bit\n");
#else
    {
        // The IDE stand-in creates the add-in by its ProgID and inserts a
        // GUID in the starter configuration's format.
        HostStandIn host;
        ConnectedAddIn addIn(host, L"Velmora.Connect", ext_cm_Startup);
        ASSERT_EQ(addIn.ConnectResult(), S_OK);
        host.SetDocumentName(L"Sample.cpp");
        host.SetDocumentText(L"");
        const ExecResult inserted = addIn.Exec(FullCommandName(L"InsertGUID"));
        EXPECT_EQ(inserted.result, S_OK);
        EXPECT_EQ(inserted.handled, VARIANT_TRUE);
        const std::wstring text = host.DocumentText();
        EXPECT_EQ(text.rfind(L"// {", 0), 0u) << Narrow(text);
        EXPECT_NE(text.find(L"}\r\nIMPLEMENT_OLECREATE(<<class>>, <<external_name>>, \r\n0x"), std::wstring::npos)
            << Narrow(text);
    }
    // The installed DLL must not stay loaded here while msiexec replaces it.
    CoFreeUnusedLibrariesEx(0, 0);
    ASSERT_EQ(GetModuleHandleW((ProgramFolder() + L"\\velmora.dll").c_str()), nullptr);
    {
        // The registry holds exactly what the DLL's own registration writes:
        // unregistered it is as before, registered again as installed.
        const std::wstring dll = ProgramFolder() + L"\\velmora.dll";
        EXPECT_EQ(Regsvr32(dll, true), 0);
        EXPECT_EQ(RemovalLeftovers(before.classes, installed.classes, ReadRegistryState().classes),
                  std::vector<std::string>{});
        EXPECT_EQ(Regsvr32(dll), 0);
        EXPECT_EQ(Changes(installed.classes, ReadRegistryState().classes), std::vector<std::string>{});
    }
#endif

    // The user edits one file, deletes another and adds one of their own.
    const std::map<std::wstring, std::string> edited = {{L"CodeSet.ini", "Mine.txt=cpp\r\n"}, {L"GuidSet.ini", "3"}};
    const std::map<std::wstring, std::string> mine = {{L"Mine.txt", "[mine | my template]\r\nx\r\n"}};
    for (const auto& [name, bytes] : edited) ASSERT_TRUE(WriteFileBytes(config + L"\\" + name, bytes));
    for (const auto& [name, bytes] : mine) ASSERT_TRUE(WriteFileBytes(config + L"\\" + name, bytes));
    ASSERT_TRUE(DeleteFileW((config + L"\\Cpp.txt").c_str()));
    const std::map<std::wstring, std::string> changedByUser = FilesIn(config);

    // The same package again keeps every file the user has.
    EXPECT_EQ(Msiexec(L"again", L"/i " + Quoted(package)), 0);
    StandInForCustomAction(L"again");
    std::map<std::wstring, std::string> afterAgain = FilesIn(config);
    afterAgain.erase(L"Cpp.txt");  // back or not: a repair must bring it
    EXPECT_EQ(FileDifferences(changedByUser, afterAgain), std::vector<std::string>{});

    // A repair brings the deleted starter file back and keeps the edits.
    EXPECT_EQ(Msiexec(L"repair", L"/i " + Quoted(package) + L" REINSTALL=ALL REINSTALLMODE=omus"), 0);
    StandInForCustomAction(L"repair");
    ExpectConfiguration(edited, mine);
    ExpectProgramFiles();

    // A second user's first logon runs the Active Setup command as that user:
    // they get the starter files, the first user keeps their edits.
    {
        AppDataRedirect secondUser(logs + L"\\second user");
        ASSERT_TRUE(secondUser.Active());
        RunSetup(L"the second user's logon", ActiveSetupEntry()[1]);
        EXPECT_EQ(FileDifferences(starter, FilesIn(ConfigFolder())), std::vector<std::string>{});
    }
    ExpectConfiguration(edited, mine);

    // A higher version replaces this one in one step and keeps the edits.
    ASSERT_EQ(Msiexec(L"upgrade", L"/i " + Quoted(upgrade)), 0);
    StandInForCustomAction(L"upgrade");
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{L"" VELMORA_UPGRADE_VERSION});
    ExpectProgramFiles();
    ExpectConfiguration(edited, mine);
    EXPECT_EQ(Changes(before.ide, ReadRegistryState().ide), IdeKeyLines());
    ExpectRegisteredClass(before);
    EXPECT_EQ(ActiveSetupEntry()[2], ActiveSetupVersion(L"" VELMORA_UPGRADE_VERSION));

    // The lower version is refused over it.
    EXPECT_EQ(Msiexec(L"downgrade", L"/i " + Quoted(package)), 1603);
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{L"" VELMORA_UPGRADE_VERSION});

    // Removed: what the package wrote gone and everything else as before, the
    // program folder gone, the configuration kept.
    ASSERT_EQ(Msiexec(L"remove", L"/x " + Quoted(upgrade)), 0);
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{});
    const RegistryState after = ReadRegistryState();
    EXPECT_EQ(RemovalLeftovers(before.classes, installed.classes, after.classes), std::vector<std::string>{});
    EXPECT_EQ(Changes(before.ide, after.ide), std::vector<std::string>{});
    EXPECT_EQ(GetFileAttributesW(ProgramFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(OrinthProgramFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kActiveSetupKey, kView));
    ExpectConfiguration(edited, mine);
}

// The release before this one made the add-in known to the first two IDE
// versions only: upgraded, every version has the key; removed, none has.
TEST_F(PackageTest, UpgradeFromTheReleaseWithTwoIdeKeysWritesEveryVersionsKey) {
    ASSERT_EQ(InstalledVersions(), std::vector<std::wstring>{}) << "the prefix holds an installed Velmora";
    ASSERT_NO_FATAL_FAILURE(MakeIdeKeys());
    const RegistryState before = ReadRegistryState();

    ASSERT_EQ(Msiexec(L"previous", L"/i " + Quoted(previous)), 0);
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{L"1.0.0"});
    const wchar_t* const previousVersions[] = {L"7.0", L"7.1"};
    const RegistryState installed = ReadRegistryState();  // as the first test says why
    EXPECT_EQ(Changes(before.ide, installed.ide), IdeKeyLines(previousVersions));

    ASSERT_EQ(Msiexec(L"upgrade from previous", L"/i " + Quoted(package)), 0);
    EXPECT_EQ(InstalledVersions(), std::vector<std::wstring>{L"" VELMORA_VERSION});
    EXPECT_EQ(Changes(before.ide, ReadRegistryState().ide), IdeKeyLines());
    ExpectRegisteredClass(before);

    ASSERT_EQ(Msiexec(L"remove after previous", L"/x " + Quoted(package)), 0);
    const RegistryState after = ReadRegistryState();
    EXPECT_EQ(RemovalLeftovers(before.classes, installed.classes, after.classes), std::vector<std::string>{});
    EXPECT_EQ(Changes(before.ide, after.ide), std::vector<std::string>{});
}

}  // namespace
}  // namespace velmora::test
