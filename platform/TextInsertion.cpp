#include "platform/TextInsertion.h"

#include <cwchar>

#include "platform/Clipboard.h"
#include "platform/HostOperations.h"

namespace velmora {

int PasteText(IDispatch* selection, const wchar_t* text, std::size_t length, debuglog::Reason* whyNot) {
    if (!clipboard::PutUnicodeText(text, length, whyNot)) return -1;
    hostops::Paste(selection);  // the host's own paste; its result is not ours to judge
    return 0;
}

int InsertIntoActiveDocument(IDispatch* host, const wchar_t* text, debuglog::Reason* whyNot) {
    hostops::EditableSelection target;
    if (!hostops::FindEditableSelection(host, target, whyNot)) return -1;
    return PasteText(target.selection.Get(), text, std::wcslen(text), whyNot);
}

}  // namespace velmora
