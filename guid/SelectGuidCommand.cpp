#include "addin/Connect.h"

#include "guid/GuidSelectDialog.h"
#include "guid/GuidStore.h"
#include "platform/DebugLog.h"

namespace velmora {

using debuglog::CommandStopped;

namespace {
constexpr wchar_t kCommand[] = L"SelectGUID";

// Why the dialog ended without the paste button.
debuglog::Reason DialogEndReason(const GuidSelectDialog& dialog, INT_PTR code) {
    if (dialog.Failed()) return L"the GUID dialog ended on an internal error";
    if (!dialog.WasShown()) return L"the GUID dialog cannot be shown";
    if (code == GuidSelectDialog::kNoGuidEndCode) return L"no GUID could be made for the dialog";
    return L"the GUID dialog was closed without pasting";
}
}  // namespace

int Connect::SelectGUID() {
    if (!host) return CommandStopped(kCommand, L"not connected to the host");
    // The store must open, although the dialog starts from the format in
    // memory, not from the one read.
    if (ReadGuidSet() < 0) {
        return CommandStopped(kCommand, L"GuidSet.ini cannot be opened:", GuidSetPath());
    }

    GuidSelectDialog dialog(guidFormat);
    // Only the paste button inserts. The cancel button, a dialog that closed
    // itself because no GUID could be made, one whose handler failed and one
    // that could not be shown at all change nothing.
    const INT_PTR code = dialog.DoModal();
    if (code != IDOK) return CommandStopped(kCommand, DialogEndReason(dialog, code));
    int format = -1;
    GUID chosen = GUID_NULL;
    dialog.GetResult(format, chosen);
    if (format < 0) return CommandStopped(kCommand, L"the GUID dialog was closed without pasting");

    guidFormat = format;
    if (MakeGuidText(chosen) != 0) return CommandStopped(kCommand, L"no GUID text could be made");
    // A refused insertion leaves the store as it was; the rendered text stays
    // for InsertOldGUID.
    debuglog::Reason whyNot = nullptr;
    if (InsertText(&whyNot) != 0) return CommandStopped(kCommand, whyNot);
    if (WriteGuidSet() != 0) {
        return CommandStopped(kCommand, L"GuidSet.ini cannot be written:", GuidSetPath());
    }
    return 0;
}

}  // namespace velmora
