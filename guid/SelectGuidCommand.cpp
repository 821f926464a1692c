#include "addin/Connect.h"

#include "guid/GuidSelectDialog.h"
#include "guid/GuidStore.h"

namespace velmora {

int Connect::SelectGUID() {
    if (!host) return -1;
    // The store must open, although the dialog starts from the format in
    // memory, not from the one read.
    if (ReadGuidSet() < 0) return -1;

    GuidSelectDialog dialog(guidFormat);
    // Only the paste button inserts. The cancel button, a dialog that closed
    // itself because no GUID could be made, one whose handler failed and one
    // that could not be shown at all change nothing.
    if (dialog.DoModal() != IDOK) return -1;
    int format = -1;
    GUID chosen = GUID_NULL;
    dialog.GetResult(format, chosen);
    if (format < 0) return -1;

    guidFormat = format;
    if (MakeGuidText(chosen) != 0) return -1;
    // A refused insertion leaves the store as it was; the rendered text stays
    // for InsertOldGUID.
    if (InsertText() != 0) return -1;
    return WriteGuidSet() == 0 ? 0 : -1;
}

}  // namespace velmora
