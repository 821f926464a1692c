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

// A program's run with its standard output and error captured in files.
struct CapturedRun {
    long exitCode = -1;  // -1: not started; -2: killed at the time limit
    std::string output;  // the bytes written to standard output
    std::string errors;  // the bytes written to standard error
};

struct RunOptions {
    std::wstring currentFolder;     // empty: this process's
    bool errorsIntoOutput = false;  // standard error written into `output` too
    DWORD timeoutMs = 60000;        // then the process is killed
};

// Runs a command line with standard input from NUL and waits for it.
CapturedRun RunCapturing(const std::wstring& commandLine, const RunOptions& options = {});

// The exit code of a command line's run (-1: not started, -2: killed after a minute).
inline long RunProcess(const std::wstring& commandLine) { return RunCapturing(commandLine).exitCode; }

// regsvr32 /s, or /s /u, on a DLL; its exit code.
long Regsvr32(const std::wstring& dll, bool unregister = false);

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
