#include "support/UnixCommand.h"

#include "framework/UniqueHandle.h"

namespace velmora::popup {

namespace {
struct ChangeNotificationTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { FindCloseChangeNotification(h); }
};
}  // namespace

bool StartUnixCommand(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    UniqueKernelHandle thread(process.hThread), program(process.hProcess);
    return true;
}

bool PathExists(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool WaitForPath(const std::wstring& path, bool present, DWORD timeoutMs) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    // Armed before the first look, so that no change between the two is missed.
    UniqueHandle<ChangeNotificationTraits> change(
        FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (PathExists(path) == present) return true;
        const ULONGLONG now = GetTickCount64();
        if (!change || now >= deadline) return false;
        if (WaitForSingleObject(change.get(), static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0 ||
            !FindNextChangeNotification(change.get())) {
            return PathExists(path) == present;
        }
    }
}

}  // namespace velmora::popup
