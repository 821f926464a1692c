#include "explorer/ExplorerCommands.h"
#include "explorer/SpecialFolderPicker.h"
#include "platform/DebugLog.h"

namespace velmora::explorer {

int PickSpecialFolder() {
    SpecialFolderPicker picker;
    picker.DoModal(nullptr, 0);
    // How the user left it does not matter here; a handler that failed does.
    if (!picker.WasShown()) debuglog::CommandStopped(L"ProjectExplorerSp", L"the special-folder list cannot be shown");
    if (picker.Failed()) {
        debuglog::CommandStopped(L"ProjectExplorerSp", L"the special-folder list ended on an internal error");
        return -1;
    }
    return 0;
}

}  // namespace velmora::explorer
