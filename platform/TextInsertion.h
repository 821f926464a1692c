#pragma once
// The one way text reaches the editor: the clipboard, then the host's paste.
#include <windows.h>
#include <oaidl.h>

#include <cstddef>

#include "platform/DebugLog.h"

namespace velmora {

// Puts `text` on the clipboard as Unicode text and asks `selection` to paste
// it. 0 once the paste was requested; -1, with nothing pasted, when the
// clipboard could not be filled (`whyNot`, if given, says why).
int PasteText(IDispatch* selection, const wchar_t* text, std::size_t length, debuglog::Reason* whyNot = nullptr);

// Pastes the NUL-terminated `text` into the selection of the document that is
// active in `host`: 0, or -1 when there is no editable selection or the
// clipboard could not be filled (`whyNot`, if given, says why).
int InsertIntoActiveDocument(IDispatch* host, const wchar_t* text, debuglog::Reason* whyNot = nullptr);

}  // namespace velmora
