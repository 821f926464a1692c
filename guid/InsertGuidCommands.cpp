#include "guid/GuidCommands.h"
#include "guid/GuidMaker.h"
#include "guid/GuidStore.h"
#include "platform/DebugLog.h"
#include "platform/TextInsertion.h"
#include "platform/WindowsConfigFiles.h"

namespace velmora::guid {

using debuglog::CommandStopped;

int InsertGuid(const CommandContext& context) {
    const wchar_t* const command = L"InsertGUID";
    if (!context.host) return CommandStopped(command, L"not connected to the host");
    // A store that does not open ends the command and leaves the format in
    // memory as it was, so that the GUID dialog still opens on a real format.
    WindowsConfigFiles files;
    const int format = ReadGuidSet(files);
    if (format < 0) {
        return CommandStopped(command, L"GuidSet.ini cannot be opened:", files.FilePath(kGuidSetName));
    }
    context.guid.format = format;
    if (MakeGuidText(context.guid, GUID_NULL) != 0) return CommandStopped(command, L"no GUID text could be made");
    debuglog::Reason whyNot = nullptr;
    if (InsertIntoActiveDocument(context.host, context.guid.text, &whyNot) != 0) {
        return CommandStopped(command, whyNot);
    }
    return 0;
}

int InsertOldGuid(const CommandContext& context) {
    const wchar_t* const command = L"InsertOldGUID";
    if (!context.host) return CommandStopped(command, L"not connected to the host");
    debuglog::Reason whyNot = nullptr;
    if (InsertIntoActiveDocument(context.host, context.guid.text, &whyNot) != 0) {
        return CommandStopped(command, whyNot);
    }
    return 0;
}

}  // namespace velmora::guid
