#include "host/demo/PopUpDriver.h"

#include <string>
#include <thread>

namespace velmora::demo {

namespace {
BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM param) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}
}  // namespace

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

bool ExecWithPopUp(ScenarioContext& context, const wchar_t* shortName, const std::function<void(HWND dialog)>& user) {
    const DWORD uiThread = GetCurrentThreadId();
    bool appeared = false;
    std::thread helper([&] {
        HWND dialog = nullptr;
        appeared = WaitFor([&] {
            EnumThreadWindows(uiThread, &FindVisibleDialog, reinterpret_cast<LPARAM>(&dialog));
            return dialog != nullptr;
        });
        if (appeared) user(dialog);
    });
    ExecCommand(context, shortName);
    helper.join();
    return appeared;
}

bool AwaitClose(HWND dialog) {
    if (WaitFor([&] { return !IsWindow(dialog); })) return true;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return false;
}

}  // namespace velmora::demo
