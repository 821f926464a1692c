#pragma once
// The six named commands, in creation order, and the lookup of a full name.
#include <cstddef>

namespace velmora {

enum CommandIndex : int {
    kProjectExplorer = 0,
    kProjectExplorerSp = 1,
    kSelectGUID = 2,
    kInsertGUID = 3,
    kInsertOldGUID = 4,
    kCodeTemplate = 5,
};

struct CommandDefinition {
    const char16_t* shortName;  // the command's name and button text
    const char16_t* fullName;   // "Velmora.Connect." + short name
    const char16_t* tooltip;
};

inline constexpr int kCommandCount = 6;
inline constexpr int kCommandBitmap = 59;        // the host's built-in button face
inline constexpr long kCommandStatusAvailable = 3;  // supported + enabled

const CommandDefinition& CommandAt(int index);

// Index of the command whose full name equals `name` ignoring ASCII case; -1
// when none does (also for a null name). Nothing is trimmed.
int FindCommand(const char16_t* name);

}  // namespace velmora
