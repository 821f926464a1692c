#pragma once
// Watches the shell requests of one module: while a recorder lives, the
// module's calls of ShellExecuteExW reach it instead of the shell, which
// keeps a copy of each request and answers as if the shell had opened it.
// The tests and the demo use it so that nothing opens on the desktop.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "testbed/host/ImportPatch.h"

namespace velmora::host {

// A copy of a request that outlives the call: its strings and its item ID
// list are copied, so the record stays valid after the caller frees them.
struct LaunchRecord {
    DWORD cbSize = 0;
    ULONG fMask = 0;
    HWND hwnd = nullptr;
    bool hasVerb = false;
    std::wstring verb;
    bool hasFile = false;
    std::wstring file;
    bool hasParameters = false;
    std::wstring parameters;
    bool hasDirectory = false;
    std::wstring directory;
    int nShow = 0;
    std::vector<BYTE> idList;        // the item ID list's bytes, terminator included; empty when none
    std::wstring idListParsingName;  // what the shell calls that list, when it can say

    // The copied list as the shell's type, or null.
    PCIDLIST_ABSOLUTE IdList() const {
        return idList.empty() ? nullptr : reinterpret_cast<PCIDLIST_ABSOLUTE>(idList.data());
    }
};

LaunchRecord RecordOf(const SHELLEXECUTEINFOW& info);

// One recorder at a time; the records are those made since it was built or
// last cleared.
class ShellLaunchRecorder {
public:
    explicit ShellLaunchRecorder(HMODULE module);
    ~ShellLaunchRecorder();
    ShellLaunchRecorder(const ShellLaunchRecorder&) = delete;
    ShellLaunchRecorder& operator=(const ShellLaunchRecorder&) = delete;

    bool Installed() const { return patch_.Installed(); }
    const std::vector<LaunchRecord>& Records() const;
    void Clear();

private:
    ImportPatch patch_;
};

}  // namespace velmora::host
