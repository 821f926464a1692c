#include <string>

#include "explorer/ExplorerCommands.h"
#include "explorer/ShellOpen.h"
#include "framework/TextConversion.h"
#include "platform/DebugLog.h"
#include "platform/HostOperations.h"

namespace velmora::explorer {

using debuglog::CommandStopped;

namespace {
constexpr wchar_t kCommand[] = L"ProjectExplorer";
}  // namespace

int OpenProjectFolder(const CommandContext& context) {
    debuglog::Reason whyNot = nullptr;
    if (!hostops::IsNotInBreakMode(context.host, &whyNot)) return CommandStopped(kCommand, whyNot);

    Microsoft::WRL::ComPtr<IDispatch> solution;
    if (FAILED(hostops::GetSolution(context.host, solution))) {
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

    // Shift or the right mouse button asks for the plain folder window.
    ShellOpen(FolderVerb({VK_SHIFT, VK_RBUTTON}), AsWide(folder.c_str()));
    return 0;
}

}  // namespace velmora::explorer
