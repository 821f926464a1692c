#include "addin/Connect.h"
#include "explorer/SpecialFolderPicker.h"

namespace velmora {

int Connect::ProjectExplorerSp() {
    explorer::SpecialFolderPicker picker;
    picker.DoModal(nullptr, 0);
    // How the user left it does not matter here; a handler that failed does.
    return picker.Failed() ? -1 : 0;
}

}  // namespace velmora
