#pragma once
// Linux programs started from the Wine process. Wine hands back no process
// handle that tells when such a program ends, so a caller waits for the file
// it makes or removes, woken by the folder's change notification.
#include <windows.h>

#include <string>

namespace velmora::popup {

// Starts `commandLine`; false on a system that cannot.
bool StartUnixCommand(std::wstring commandLine);

// True when `path` names something in its folder; also for a link to a
// device, which has no file attributes under Wine.
bool PathExists(const std::wstring& path);

// True as soon as PathExists(path) == `present`; false after `timeoutMs`.
bool WaitForPath(const std::wstring& path, bool present, DWORD timeoutMs = 5000);

}  // namespace velmora::popup
