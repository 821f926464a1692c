#pragma once
// The one way the add-in asks the shell to open something. Execute passes the
// request to ShellExecuteExW; a test or the demo can put another function in
// its place to see the request instead of a window opening.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace velmora::shell {

using ExecuteFunction = BOOL (*)(SHELLEXECUTEINFOW* info);

// Hands the request to the current execute function (ShellExecuteExW unless
// replaced) and returns its result.
BOOL Execute(SHELLEXECUTEINFOW* info);

// Makes `function` the one Execute calls; null restores ShellExecuteExW.
// Returns the function that was in place.
ExecuteFunction SetExecuteFunction(ExecuteFunction function);

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
    std::vector<BYTE> idList;    // the item ID list's bytes, terminator included; empty when none
    std::wstring idListParsingName;  // what the shell calls that list, when it can say

    // The copied list as the shell's type, or null.
    PCIDLIST_ABSOLUTE IdList() const {
        return idList.empty() ? nullptr : reinterpret_cast<PCIDLIST_ABSOLUTE>(idList.data());
    }
};

LaunchRecord RecordOf(const SHELLEXECUTEINFOW& info);

// One line for logs and the demo: verb, file or item ID list, show command.
std::wstring Describe(const LaunchRecord& record);

}  // namespace velmora::shell
