#pragma once
// What a user reads off a window: its text, and the items of a list box or a
// tree view. Shared by the Windows tests and the demo.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace velmora::popup {

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// The text of control `id` of `dialog`; empty when there is no such control.
std::wstring ItemText(HWND dialog, int id);

// The text of item `index` of a list box; empty when there is no such item.
std::wstring ListItemText(HWND list, LRESULT index);
// Every item of a list box, in list order.
std::vector<std::wstring> ListItems(HWND list);

// The top-level items of a tree view, in order.
struct TreeEntry {
    HTREEITEM item = nullptr;
    std::wstring text;
    int image = -1;
    int selectedImage = -1;
    LPARAM data = 0;
};
std::vector<TreeEntry> ReadTree(HWND tree);

}  // namespace velmora::popup
