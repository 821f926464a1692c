#include "guid/GuidCommands.h"
#include "guid/GuidMaker.h"
#include "guid/GuidSelectDialog.h"
#include "guid/GuidStore.h"
#include "platform/DebugLog.h"
#include "platform/TextInsertion.h"
#include "platform/WindowsConfigFiles.h"

namespace velmora::guid {

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

int SelectGuid(const CommandContext& context) {
    if (!context.host) return CommandStopped(kCommand, L"not connected to the host");
    // The store must open, although the dialog starts from the format in
    // memory, not from the one read.
    WindowsConfigFiles files;
    if (ReadGuidSet(files) < 0) {
        return CommandStopped(kCommand, L"GuidSet.ini cannot be opened:", files.FilePath(kGuidSetName));
    }

    GuidSelectDialog dialog(context.guid.format);
    // Only the paste button inserts. The cancel button, a dialog that closed
    // itself because no GUID could be made, one whose handler failed and one
    // that could not be shown at all change nothing.
    const INT_PTR code = dialog.DoModal();
    if (code != IDOK) return CommandStopped(kCommand, DialogEndReason(dialog, code));
    int format = -1;
    GUID chosen = GUID_NULL;
    dialog.GetResult(format, chosen);
    if (format < 0) return CommandStopped(kCommand, L"the GUID dialog was closed without pasting");

    context.guid.format = format;
    if (MakeGuidText(context.guid, chosen) != 0) return CommandStopped(kCommand, L"no GUID text could be made");
    // A refused insertion leaves the store as it was; the rendered text stays
    // for InsertOldGUID.
    debuglog::Reason whyNot = nullptr;
    if (InsertIntoActiveDocument(context.host, context.guid.text, &whyNot) != 0) {
        return CommandStopped(kCommand, whyNot);
    }
    if (WriteGuidSet(files, format) != 0) {
        return CommandStopped(kCommand, L"GuidSet.ini cannot be written:", files.FilePath(kGuidSetName));
    }
    return 0;
}

}  // namespace velmora::guid
