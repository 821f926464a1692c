#include "explorer/ShellOpen.h"

#include <shellapi.h>

#include "framework/KeyState.h"

namespace velmora::explorer {

const wchar_t* FolderVerb(std::initializer_list<int> plainKeys) {
    for (int key : plainKeys) {
        if (KeyIsDown(key)) return L"Open";
    }
    return L"explore";
}

void ShellOpen(const wchar_t* verb, const wchar_t* path, LPCITEMIDLIST idList) {
    SHELLEXECUTEINFOW request = {};
    request.cbSize = sizeof(request);
    request.lpVerb = verb;
    request.nShow = SW_SHOWNORMAL;
    if (idList) {
        request.fMask = SEE_MASK_IDLIST;
        request.lpIDList = const_cast<LPITEMIDLIST>(idList);
    } else {
        request.lpFile = path;
    }
    ShellExecuteExW(&request);
}

}  // namespace velmora::explorer
