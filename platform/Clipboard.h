#pragma once
#include <cstddef>

#include "platform/DebugLog.h"

namespace velmora::clipboard {

// Replaces the clipboard's contents with `text` as CF_UNICODETEXT in a movable
// block of 2 x (length + 1) bytes. Opens the clipboard once, without retrying.
// Returns false, with the clipboard as it was, when it cannot be opened or the
// block cannot be made; also false when the clipboard refuses the block (then
// the clipboard has been emptied and the block is freed). On failure
// `whyNot` (if given) receives the step that failed.
bool PutUnicodeText(const wchar_t* text, std::size_t length, debuglog::Reason* whyNot = nullptr);

}  // namespace velmora::clipboard
