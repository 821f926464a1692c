#pragma once
// The two folder commands.
#include "platform/CommandContext.h"

namespace velmora::explorer {

// ProjectExplorer: the open solution's folder in a folder window.
int OpenProjectFolder(const CommandContext& context);
// ProjectExplorerSp: the special-folder picker, which opens the folder chosen.
int PickSpecialFolder();

}  // namespace velmora::explorer
