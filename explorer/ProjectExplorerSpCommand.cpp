#include "addin/Connect.h"
#include "explorer/SpecialFolderPicker.h"

namespace velmora {

int Connect::ProjectExplorerSp() {
    explorer::SpecialFolderPicker picker;
    picker.DoModal(nullptr, 0);  // how it ended does not matter here
    return 0;
}

}  // namespace velmora
