#pragma once
// What a Windows test needs to know about its surroundings: the built DLL,
// processes to run, and registry reads.
#include <windows.h>

#include <optional>
#include <string>

namespace velmora::test {

// The built velmora.dll as a Windows path (the build passes its Unix path).
std::wstring BuiltDllPath();

// A Unix path as Wine's Z: drive sees it.
std::wstring WindowsPathOf(const std::string& unixPath);

// The whole file as bytes; nothing when it does not open.
std::optional<std::string> ReadFileBytes(const std::wstring& path);
// Creates or replaces the file; false when it cannot be written whole.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Runs a command line and waits for it; the process's exit code, or -1.
long RunProcess(const std::wstring& commandLine);

// A program's run with its standard output and error captured in files.
struct CapturedRun {
    long exitCode = -1;  // -1: not started; -2: killed after a minute
    std::string output;  // the bytes written to standard output
    std::string errors;  // the bytes written to standard error
};
CapturedRun RunCapturing(const std::wstring& commandLine);

// The string value `name` (empty for the default value) of a key; nothing
// when the key or the value is missing.
std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& key, const std::wstring& name = L"");
bool RegistryKeyExists(HKEY root, const std::wstring& key);

// Number of direct subkeys of a key (0 for a missing key).
DWORD RegistrySubkeyCount(HKEY root, const std::wstring& key);

// A fresh empty folder under the temporary directory, removed with its contents at destruction.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

}  // namespace velmora::test
