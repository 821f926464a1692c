#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "framework/UniqueHandle.h"

namespace velmora::test {

std::wstring WindowsPathOf(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += (c == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

std::wstring BuiltDllPath() {
    const char* unixPath = std::getenv("VELMORA_DLL");
    return unixPath ? WindowsPathOf(unixPath) : std::wstring();
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return std::nullopt;
    }
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    UniqueKernelHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    DWORD written = 0;
    return bytes.empty() ||
           (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size());
}

namespace {

// A new empty file under the temporary folder, open for writing by a child
// process, deleted when the object goes; its bytes are read by Bytes().
class CaptureFile {
public:
    CaptureFile() {
        wchar_t folder[MAX_PATH] = {};
        wchar_t path[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, folder);
        if (!GetTempFileNameW(folder, L"vcp", 0, path)) return;
        path_ = path;
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        HANDLE opened = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (opened != INVALID_HANDLE_VALUE) handle_.reset(opened);
    }
    ~CaptureFile() {
        handle_.reset();
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    HANDLE Handle() const { return handle_.get(); }
    std::string Bytes() {
        handle_.reset();
        return ReadFileBytes(path_).value_or("");
    }

private:
    std::wstring path_;
    UniqueKernelHandle handle_;
};

// The child's standard input: the NUL device, so that a program that asks
// for input ends instead of waiting.
UniqueKernelHandle OpenNulForInheritance() {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    const HANDLE opened =
        CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    return UniqueKernelHandle(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
}

}  // namespace

CapturedRun RunCapturing(const std::wstring& commandLine, const RunOptions& options) {
    CapturedRun run;
    CaptureFile output;
    CaptureFile errors;
    const UniqueKernelHandle input = OpenNulForInheritance();
    if (!output.Handle() || !errors.Handle() || !input) return run;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.Handle();
    startup.hStdError = options.errorsIntoOutput ? output.Handle() : errors.Handle();
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    const wchar_t* folder = options.currentFolder.empty() ? nullptr : options.currentFolder.c_str();
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, folder, &startup, &process)) {
        return run;
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, options.timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        run.exitCode = static_cast<long>(code);
    } else {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);  // let it release the capture files
        run.exitCode = -2;
    }
    run.output = output.Bytes();
    run.errors = errors.Bytes();
    return run;
}

long Regsvr32(const std::wstring& dll, bool unregister) {
    return RunProcess(std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" + dll + L"\"");
}

std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& key, const std::wstring& name) {
    UniqueRegKey opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type != REG_SZ) return std::nullopt;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(buffer.data());
}

bool RegistryKeyExists(HKEY root, const std::wstring& key) {
    UniqueRegKey opened;
    return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

DWORD RegistrySubkeyCount(HKEY root, const std::wstring& key) {
    UniqueRegKey opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return 0;
    DWORD count = 0;
    RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    return count;
}

ScratchFolder::ScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + name;
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path_), ignored);
    std::filesystem::create_directories(std::filesystem::path(path_));
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path_), ignored);
}

}  // namespace velmora::test
