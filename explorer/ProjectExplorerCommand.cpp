#include "addin/Connect.h"

#include <shellapi.h>

#include <string>

#include "platform/DebugLog.h"
#include "platform/KeyState.h"
#include "platform/HostOperations.h"
#include "platform/TextConversion.h"

namespace velmora {

using debuglog::CommandStopped;

namespace {

// "Open" shows a plain folder window, "explore" one with the folder tree.
// Shift or the right mouse button, as held for the input that ran the
// command, asks for the plain window.
const wchar_t* ChooseVerb() {
    if (KeyIsDown(VK_SHIFT)) return L"Open";
    if (KeyIsDown(VK_RBUTTON)) return L"Open";
    return L"explore";
}

constexpr wchar_t kCommand[] = L"ProjectExplorer";

}  // namespace

int Connect::ProjectExplorer() {
    debuglog::Reason whyNot = nullptr;
    if (!hostops::IsNotInBreakMode(host.Get(), &whyNot)) return CommandStopped(kCommand, whyNot);

    Microsoft::WRL::ComPtr<IDispatch> solution;
    if (FAILED(hostops::GetSolution(host.Get(), solution))) {
        return CommandStopped(kCommand, L"the host gives no solution");
    }
    bool open = false;
    if (FAILED(hostops::GetSolutionIsOpen(solution.Get(), open))) {
        return CommandStopped(kCommand, L"the solution's state cannot be read");
    }
    if (!open) return CommandStopped(kCommand, L"no solution is open");
    UniqueBstr fullName;
    if (FAILED(hostops::GetSolutionFullName(solution.Get(), fullName))) {
        return CommandStopped(kCommand, L"the solution's file name cannot be read");
    }

    // The folder is the full name up to its last backslash. A name without
    // one (a solution never saved) has no folder to open.
    std::u16string folder(fullName.get() ? AsU16(fullName.get()) : u"", SysStringLen(fullName.get()));
    std::u16string::size_type cut = folder.rfind(u'\\');
    if (cut == std::u16string::npos) {
        return CommandStopped(kCommand, L"the solution's file name names no folder:", folder);
    }
    folder.erase(cut);

    DWORD attributes = GetFileAttributesW(AsWide(folder.c_str()));
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return CommandStopped(kCommand, L"the solution's folder is not there:", folder);
    }

    SHELLEXECUTEINFOW request = {};
    request.cbSize = sizeof(request);
    request.lpVerb = ChooseVerb();
    request.lpFile = AsWide(folder.c_str());
    request.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&request);  // the shell reports its own failures
    return 0;
}

}  // namespace velmora
