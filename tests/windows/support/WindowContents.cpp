#include "support/WindowContents.h"

namespace velmora::popup {

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};  // the longest class name Windows allows
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring ItemText(HWND dialog, int id) {
    const HWND item = GetDlgItem(dialog, id);
    return item ? WindowText(item) : std::wstring();
}

std::wstring ListItemText(HWND list, LRESULT index) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) items.push_back(ListItemText(list, i));
    return items;
}

std::vector<TreeEntry> ReadTree(HWND tree) {
    std::vector<TreeEntry> entries;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    while (item) {
        wchar_t text[260] = {};
        TVITEMW query = {};
        query.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = 260;
        TreeEntry entry;
        entry.item = item;
        if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) {
            entry.text = query.pszText ? query.pszText : L"";
            entry.image = query.iImage;
            entry.selectedImage = query.iSelectedImage;
            entry.data = query.lParam;
        }
        entries.push_back(entry);
        item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    return entries;
}

}  // namespace velmora::popup
