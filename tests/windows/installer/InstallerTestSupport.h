#pragma once
// What the installer tests share: a copy of the build output (velmora.dll, the
// two scripts and the starter folder) in a folder of a chosen name, cmd.exe
// running a script, dumps of the registry keys the scripts touch, the user's
// configuration folder, and a fixture that puts the prefix back as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "AddInKey.h"
#include "support/RegistrySnapshot.h"
#include "testbed/fixtures/TestEnvironment.h"

namespace velmora::test {

inline constexpr wchar_t kConnectClsid[] = L"{96B79E67-A8A4-4B68-9BB5-7572B98C12E8}";
inline constexpr wchar_t kVelmoraLibid[] = L"{1A4FDA34-CB3B-4835-9258-559A99D31FF8}";
inline constexpr const auto& kIdeVersions = IdeVersions;

// Software\Microsoft\VisualStudio\<version>: the IDE's own key of a version.
std::wstring IdeVersionKeyPath(const std::wstring& version);
// Software\Microsoft\VisualStudio\<version>\AddIns\Velmora.Connect, under HKCU or HKLM
std::wstring IdeKeyPath(const std::wstring& version);
// HKEY_CLASSES_ROOT\CLSID\<the class's CLSID>
std::wstring ClassKeyPath();
// HKEY_CLASSES_ROOT\TypeLib\<the type library's LIBID>
std::wstring TypeLibKeyPath();

// The folder that holds the built velmora.dll (and, beside it, the scripts).
std::wstring BuildOutputFolder();

// The plain files directly in a folder, by name, with their contents.
std::map<std::wstring, std::string> FilesIn(const std::wstring& folder);

// A copy of the build output as a user would unpack it, in
// "%TEMP%\velmora installer test\<relative>". The first folder of `relative`
// is removed at destruction, after COM has been asked to unload DLLs no
// longer in use; install folders alive together need different first folders.
class InstallFolder {
public:
    explicit InstallFolder(const std::wstring& relative);
    ~InstallFolder();
    InstallFolder(const InstallFolder&) = delete;
    InstallFolder& operator=(const InstallFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::wstring Dll() const { return File(L"velmora.dll"); }
    std::wstring Install() const { return File(L"install.cmd"); }
    std::wstring Uninstall() const { return File(L"uninstall.cmd"); }
    // False when a file of the build output could not be copied.
    bool Complete() const { return complete_; }

private:
    std::wstring base_;  // shared by all install folders
    std::wstring root_;  // this one's first folder under base_
    std::wstring path_;
    bool complete_ = false;
};

// How the script's path is quoted after "cmd.exe /c": in one pair of quotes,
// as a user types it, or wrapped once more, as the shell runs a double-clicked
// file (the form that works whatever the folder name holds).
enum class Quoting { Single, Double };

// Runs a batch file through cmd.exe from another current folder, waits for it
// (two minutes at most) and returns its exit code and output, standard error
// included.
CapturedRun RunScript(const std::wstring& script, Quoting quoting = Quoting::Double);

// The dumps of every key the scripts and regsvr32 write, each line prefixed
// with its key: the IDE keys, both ProgIDs, the class key and the type library.
std::vector<std::string> InstallationState();

// A named value's type and raw bytes; nothing when the key or value is missing.
struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::wstring& key, const std::wstring& name);
// Number of values directly in a key (0 for a missing key).
DWORD RegistryValueCount(HKEY root, const std::wstring& key);

bool TypeLibraryRegistered();

// Sets the configuration folder and the registry of the prefix aside before
// each test and restores them afterwards: a configuration folder the user had
// comes back untouched, the IDE keys and the COM registration return to what
// they were, and parent keys the installer made are removed again.
class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::wstring config;  // ConfigFolder()

private:
    struct SavedKey {
        std::wstring path;
        std::vector<std::pair<std::wstring, RegistryValue>> values;
    };

    std::wstring saved_;
    std::vector<SavedKey> savedIdeKeys_;
    bool orinthExisted_ = false;
    bool visualStudioKeyExisted_ = false;
    std::optional<std::wstring> registeredServer_;
};

}  // namespace velmora::test
