#include "tests/windows/templates/TemplateTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

#include "host/ClipboardText.h"
#include "resources/resource.h"

namespace velmora::test {

namespace {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct FindDialog {
    HWND found = nullptr;
    static BOOL CALLBACK Visit(HWND window, LPARAM param) {
        if (ClassOf(window) == L"#32770" && IsWindowVisible(window)) {
            reinterpret_cast<FindDialog*>(param)->found = window;
            return FALSE;
        }
        return TRUE;
    }
};

BOOL CALLBACK RecordChild(HWND child, LPARAM param) {
    DialogSeen& seen = *reinterpret_cast<DialogSeen*>(param);
    if (!IsWindowVisible(child)) return TRUE;
    const std::wstring kind = ClassOf(child);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(kind.c_str(), L"Button") == 0) {
        seen.buttons.push_back(WindowText(child));
    } else if (_wcsicmp(kind.c_str(), L"Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON) {
            if (SendMessageW(child, STM_GETICON, 0, 0)) ++seen.icons;
        } else {
            seen.texts.push_back(WindowText(child));
        }
    }
    return TRUE;
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]))));
        items.push_back(text);
    }
    return items;
}

std::wstring SelectedText(HWND list) {
    LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return L"<none>";
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, selected, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

void PostKey(HWND window, UINT key) {
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    PostMessageW(window, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageW(window, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

}  // namespace

// ---------------------------------------------------------------------------

ThreadLocale::ThreadLocale(LCID locale) : previous_(GetThreadLocale()), applied_(SetThreadLocale(locale) != FALSE) {}

ThreadLocale::~ThreadLocale() { SetThreadLocale(previous_); }

// ---------------------------------------------------------------------------

DialogDriver::DialogDriver(Action action, DWORD uiThread)
    : thread_([this, action = std::move(action), uiThread] { Run(action, uiThread); }) {}

DialogDriver::~DialogDriver() {
    if (thread_.joinable()) thread_.join();
}

const DialogSeen& DialogDriver::Seen() {
    if (thread_.joinable()) thread_.join();
    return seen_;
}

const DialogSeen& DialogDriver::SeenNone() {
    stopWaiting_ = true;
    return Seen();
}

void DialogDriver::Run(Action action, DWORD uiThread) {
    FindDialog find;
    WaitUntil(
        [&] {
            EnumThreadWindows(uiThread, &FindDialog::Visit, reinterpret_cast<LPARAM>(&find));
            return find.found != nullptr || stopWaiting_;
        },
        5000);
    // A last look: a dialog may have come just before the stop.
    if (!find.found) EnumThreadWindows(uiThread, &FindDialog::Visit, reinterpret_cast<LPARAM>(&find));
    seen_.appeared = find.found != nullptr;
    if (!seen_.appeared) return;

    HWND dialog = find.found;
    seen_.window = dialog;
    seen_.caption = WindowText(dialog);
    seen_.style = GetWindowLongW(dialog, GWL_STYLE);
    seen_.exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
    seen_.owner = GetWindow(dialog, GW_OWNER);
    GetWindowRect(dialog, &seen_.rect);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(uiThread, &info)) seen_.focus = info.hwndFocus;
    seen_.list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
    if (seen_.list) seen_.items = ListItems(seen_.list);
    EnumChildWindows(dialog, &RecordChild, reinterpret_cast<LPARAM>(&seen_));

    action(seen_);

    seen_.closedByAction = WaitUntil([&] { return !IsWindow(dialog); }, 5000);
    if (!seen_.closedByAction) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        WaitUntil([&] { return !IsWindow(dialog); }, 5000);
    }
}

DialogDriver::Action PressDownThenEnter(int downPresses) {
    return [downPresses](DialogSeen& seen) {
        for (int i = 0; i < downPresses; ++i) {
            std::wstring before = SelectedText(seen.list);
            PostKey(seen.list, VK_DOWN);
            // Each press must move the selection before the next one is sent.
            if (!WaitUntil([&] { return SelectedText(seen.list) != before; }, 2000)) {
                seen.failure = "the selection did not move on Down";
                return;
            }
        }
        seen.chosenText = SelectedText(seen.list);
        PostKey(seen.list, VK_RETURN);
    };
}

DialogDriver::Action SelectThenOk(int position) {
    return [position](DialogSeen& seen) {
        SendMessageW(seen.list, LB_SETCURSEL, position, 0);
        seen.chosenText = SelectedText(seen.list);
        PostMessageW(seen.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
}

DialogDriver::Action DoubleClick(int position) {
    return [position](DialogSeen& seen) {
        RECT item = {};
        if (SendMessageW(seen.list, LB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
            seen.failure = "no such item";
            return;
        }
        // The text under the pointer, as the user saw it: read before the
        // clicks, since the double-click ends the dialog and destroys the list.
        LRESULT length = SendMessageW(seen.list, LB_GETTEXTLEN, position, 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(SendMessageW(seen.list, LB_GETTEXT, position, reinterpret_cast<LPARAM>(&text[0]))));
        seen.chosenText = text;
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        PostMessageW(seen.list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(seen.list, WM_LBUTTONUP, 0, at);
        PostMessageW(seen.list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(seen.list, WM_LBUTTONUP, 0, at);
    };
}

DialogDriver::Action PressEnter() {
    return [](DialogSeen& seen) { PostKey(seen.list ? seen.list : seen.window, VK_RETURN); };
}

DialogDriver::Action PressEscape() {
    return [](DialogSeen& seen) { PostKey(seen.list ? seen.list : seen.window, VK_ESCAPE); };
}

DialogDriver::Action PostCancel() {
    return [](DialogSeen& seen) { PostMessageW(seen.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); };
}

DialogDriver::Action ClickIntoAnotherWindow() {
    return [](DialogSeen& seen) {
        HWND editor = CreateWindowExW(0, L"EDIT", L"editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!editor) {
            seen.failure = "no editor window";
            return;
        }
        SetForegroundWindow(editor);
        SetActiveWindow(editor);
        SetFocus(editor);
        // The editor's thread handles its own activation messages meanwhile.
        const DWORD start = GetTickCount();
        MSG message;
        while (IsWindow(seen.window) && GetTickCount() - start < 3000) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            Sleep(10);
        }
        if (IsWindow(seen.window)) seen.failure = "the picker stayed open after the editor took the focus";
        DestroyWindow(editor);
    };
}

DialogDriver::Action ScreenshotThenEscape(const std::string& pngPath) {
    return [pngPath](DialogSeen& seen) {
        std::wstring command = L"/usr/bin/import -window root " + std::wstring(pngPath.begin(), pngPath.end());
        const std::wstring windowsPath = L"Z:" + std::wstring(pngPath.begin(), pngPath.end());
        std::wstring file = windowsPath;
        for (wchar_t& c : file) {
            if (c == L'/') c = L'\\';
        }
        DeleteFileW(file.c_str());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            // A Unix program's handle does not tell when it ends: wait for the file to settle.
            LONGLONG last = -1;
            WaitUntil(
                [&] {
                    WIN32_FILE_ATTRIBUTE_DATA data;
                    if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return false;
                    LONGLONG size = (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
                    bool settled = size > 0 && size == last;
                    last = size;
                    if (!settled) Sleep(200);
                    return settled;
                },
                15000);
        } else {
            seen.failure = "could not start import";
        }
        PostKey(seen.list ? seen.list : seen.window, VK_ESCAPE);
    };
}

DialogDriver::Action PressOkButton() {
    return [](DialogSeen& seen) {
        HWND ok = GetDlgItem(seen.window, IDOK);
        if (!ok) {
            seen.failure = "no OK button";
            return;
        }
        PostMessageW(ok, BM_CLICK, 0, 0);
    };
}

std::wstring ClipboardTextOrMarker() {
    host::ClipboardContents clip = host::ReadClipboard();
    if (!clip.opened) return L"<busy>";
    if (!clip.hasUnicodeText) return L"<no text>";
    return clip.text;
}

}  // namespace velmora::test
