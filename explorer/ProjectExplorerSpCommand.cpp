#include "addin/Connect.h"
#include "explorer/SpecialFolderPicker.h"
#include "platform/DebugLog.h"

namespace velmora {

int Connect::ProjectExplorerSp() {
    explorer::SpecialFolderPicker picker;
    picker.DoModal(nullptr, 0);  // how it ended does not matter here
    if (!picker.WasShown()) debuglog::CommandStopped(L"ProjectExplorerSp", L"the special-folder list cannot be shown");
    return 0;
}

}  // namespace velmora
