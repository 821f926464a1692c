#include "addin/Connect.h"

#include <shellapi.h>

#include <string>

#include "platform/DebugLog.h"
#include "platform/KeyState.h"
#include "platform/HostOperations.h"

namespace velmora {

namespace {

// "Open" shows a plain folder window, "explore" one with the folder tree.
// Shift or the right mouse button, as held for the input that ran the
// command, asks for the plain window.
const wchar_t* ChooseVerb() {
    if (KeyIsDown(VK_SHIFT)) return L"Open";
    if (KeyIsDown(VK_RBUTTON)) return L"Open";
    return L"explore";
}

int Stopped(debuglog::Reason reason) {
    debuglog::CommandStopped(L"ProjectExplorer", reason);
    return -1;
}

}  // namespace

int Connect::ProjectExplorer() {
    if (!host) return Stopped(L"not connected to the host");
    bool inBreakMode = false;
    if (FAILED(hostops::IsInBreakMode(host.Get(), inBreakMode))) return Stopped(L"the debugger's mode cannot be read");
    if (inBreakMode) return Stopped(L"the debugger is in break mode");

    Microsoft::WRL::ComPtr<IDispatch> solution;
    if (FAILED(hostops::GetSolution(host.Get(), solution))) return Stopped(L"the host gives no solution");
    bool open = false;
    if (FAILED(hostops::GetSolutionIsOpen(solution.Get(), open))) return Stopped(L"the solution's state cannot be read");
    if (!open) return Stopped(L"no solution is open");
    UniqueBstr fullName;
    if (FAILED(hostops::GetSolutionFullName(solution.Get(), fullName))) {
        return Stopped(L"the solution's file name cannot be read");
    }

    // The folder is the full name up to its last backslash. A name without
    // one (a solution never saved) has no folder to open.
    std::wstring folder(fullName.get() ? fullName.get() : L"", SysStringLen(fullName.get()));
    std::wstring::size_type cut = folder.rfind(L'\\');
    if (cut == std::wstring::npos) {
        debuglog::CommandStopped(L"ProjectExplorer", L"the solution's file name names no folder:", folder);
        return -1;
    }
    folder.erase(cut);

    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        debuglog::CommandStopped(L"ProjectExplorer", L"the solution's folder is not there:", folder);
        return -1;
    }

    SHELLEXECUTEINFOW request = {};
    request.cbSize = sizeof(request);
    request.lpVerb = ChooseVerb();
    request.lpFile = folder.c_str();
    request.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&request);  // the shell reports its own failures
    return 0;
}

}  // namespace velmora
