#pragma once
// The three GUID commands. Each runs on the host root and the GUID fields
// that the connection lends it for the run.
#include "platform/CommandContext.h"

namespace velmora::guid {

// A new GUID in the stored format, pasted at the caret.
int InsertGuid(const CommandContext& context);
// The last GUID text pasted again.
int InsertOldGuid(const CommandContext& context);
// The GUID dialog; its GUID pasted in the chosen format, which is then stored.
int SelectGuid(const CommandContext& context);

}  // namespace velmora::guid
