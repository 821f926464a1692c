#include "addin/Connect.h"

#include "guid/GuidStore.h"
#include "platform/DebugLog.h"

namespace velmora {

using debuglog::CommandStopped;

int Connect::InsertGUID() {
    const wchar_t* const command = L"InsertGUID";
    if (!host) return CommandStopped(command, L"not connected to the host");
    // A store that does not open ends the command and leaves the format in
    // memory as it was, so that the GUID dialog still opens on a real format.
    int format = ReadGuidSet();
    if (format < 0) {
        return CommandStopped(command, L"GuidSet.ini cannot be opened:", GuidSetPath());
    }
    guidFormat = format;
    if (MakeGuidText(GUID_NULL) != 0) return CommandStopped(command, L"no GUID text could be made");
    debuglog::Reason whyNot = nullptr;
    if (InsertText(&whyNot) != 0) return CommandStopped(command, whyNot);
    return 0;
}

int Connect::InsertOldGUID() {
    const wchar_t* const command = L"InsertOldGUID";
    if (!host) return CommandStopped(command, L"not connected to the host");
    debuglog::Reason whyNot = nullptr;
    if (InsertText(&whyNot) != 0) return CommandStopped(command, whyNot);
    return 0;
}

}  // namespace velmora
