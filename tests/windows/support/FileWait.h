#pragma once
// Waits for a file to come or go, woken by the folder's change notification
// rather than by polling: for files that another program (a Unix command
// started from the test) makes or removes, whose process handle tells
// nothing under Wine.
#include <windows.h>

#include <string>

namespace velmora::popup {

// True when `path` names something in its folder; also for a link to a
// device, which has no file attributes under Wine.
bool PathExists(const std::wstring& path);

// True as soon as PathExists(path) == `present`; false after `timeoutMs`.
bool WaitForPath(const std::wstring& path, bool present, DWORD timeoutMs = 5000);

}  // namespace velmora::popup
