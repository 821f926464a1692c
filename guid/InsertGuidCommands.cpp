#include "addin/Connect.h"

#include "guid/GuidStore.h"

namespace velmora {

int Connect::InsertGUID() {
    if (!host) return -1;
    // A store that does not open ends the command and leaves the format in
    // memory as it was, so that the GUID dialog still opens on a real format.
    int format = ReadGuidSet();
    if (format < 0) return -1;
    guidFormat = format;
    if (MakeGuidText(GUID_NULL) != 0) return -1;
    return InsertText() == 0 ? 0 : -1;
}

int Connect::InsertOldGUID() {
    if (!host) return -1;
    return InsertText() == 0 ? 0 : -1;
}

}  // namespace velmora
