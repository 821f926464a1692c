#pragma once
// The CodeTemplate command: picks a template for the active document's
// extension from a pop-up list and pastes it at the caret, later lines
// indented to its column.
#include "platform/CommandContext.h"

namespace velmora {

int InsertCodeTemplate(const CommandContext& context);

}  // namespace velmora
