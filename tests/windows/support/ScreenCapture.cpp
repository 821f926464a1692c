#include "support/ScreenCapture.h"

#include "support/UnixCommand.h"

namespace velmora::popup {

void PaintNow(HWND window) {
    // RDW_UPDATENOW sends the paint messages to the window's thread and
    // returns after they were handled.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Wine hands what was painted to the display when that thread next reads its queue.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored);
}

std::wstring SaveScreenPng(const std::wstring& windowsPath) {
    if (windowsPath.compare(0, 3, L"Z:\\") != 0 && windowsPath.compare(0, 3, L"z:\\") != 0) {
        return L"the screenshot folder is not on the Z: drive";
    }
    std::wstring unixPath = windowsPath.substr(2);
    for (wchar_t& c : unixPath) {
        if (c == L'\\') c = L'/';
    }
    DeleteFileW(windowsPath.c_str());
    // The handle of a Unix program does not tell when it ends; the file,
    // renamed into place once import has written all of it, does.
    const std::wstring partial = L"'" + unixPath + L".part'", final = L"'" + unixPath + L"'";
    if (!StartUnixCommand(L"/bin/sh -c \"/usr/bin/import -window root png:" + partial + L" && mv " + partial + L" " +
                          final + L"\"")) {
        return L"cannot start import: error " + std::to_wstring(GetLastError());
    }
    return WaitForPath(windowsPath, true, 15000) ? L"" : L"import wrote no file";
}

}  // namespace velmora::popup
