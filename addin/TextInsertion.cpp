#include "addin/TextInsertion.h"

#include <cwchar>

#include "addin/Connect.h"
#include "platform/Clipboard.h"
#include "platform/HostOperations.h"

namespace velmora {

int PasteText(IDispatch* selection, const wchar_t* text, std::size_t length, debuglog::Reason* whyNot) {
    if (!clipboard::PutUnicodeText(text, length, whyNot)) return -1;
    hostops::Paste(selection);  // the host's own paste; its result is not ours to judge
    return 0;
}

int Connect::InsertText(debuglog::Reason* whyNot) {
    hostops::EditableSelection target;
    if (!hostops::FindEditableSelection(host.Get(), target, whyNot)) return -1;
    return PasteText(target.selection.Get(), guidText, std::wcslen(guidText), whyNot);
}

}  // namespace velmora
