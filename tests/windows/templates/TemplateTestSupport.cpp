#include "tests/windows/templates/TemplateTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

#include "testbed/host/ClipboardText.h"
#include "resources/resource.h"

namespace velmora::test {

namespace {

using popup::WindowText;

// An allocation failure here ends the test program rather than unwinding
// through the window enumeration.
BOOL CALLBACK RecordChild(HWND child, LPARAM param) noexcept {
    DialogSeen& seen = *reinterpret_cast<DialogSeen*>(param);
    if (!IsWindowVisible(child)) return TRUE;
    const std::wstring kind = popup::ClassName(child);
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

std::wstring SelectedText(HWND list) {
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? L"<none>" : popup::ListItemText(list, selected);
}

}  // namespace

// ---------------------------------------------------------------------------

ThreadLocale::ThreadLocale(LCID locale) : previous_(GetThreadLocale()), applied_(SetThreadLocale(locale) != FALSE) {}

ThreadLocale::~ThreadLocale() { SetThreadLocale(previous_); }

// ---------------------------------------------------------------------------

DialogDriver::DialogDriver(const Action& action)
    : driver_([this, action](HWND dialog) {
          seen_.window = dialog;
          seen_.caption = WindowText(dialog);
          seen_.style = GetWindowLongW(dialog, GWL_STYLE);
          seen_.exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
          seen_.owner = GetWindow(dialog, GW_OWNER);
          GetWindowRect(dialog, &seen_.rect);
          GUITHREADINFO info{};
          info.cbSize = sizeof info;
          if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) seen_.focus = info.hwndFocus;
          seen_.list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
          if (seen_.list) seen_.items = popup::ListItems(seen_.list);
          EnumChildWindows(dialog, &RecordChild, reinterpret_cast<LPARAM>(&seen_));
          action(seen_);
      }) {}

const DialogSeen& DialogDriver::Seen() {
    const popup::PopUpOutcome& outcome = driver_.Finish();
    seen_.appeared = outcome.appeared;
    seen_.closedByAction = outcome.closedByUser;
    return seen_;
}

DialogDriver::Action PressDownThenEnter(int downPresses) {
    return [downPresses](DialogSeen& seen) {
        for (int i = 0; i < downPresses; ++i) {
            std::wstring before = SelectedText(seen.list);
            popup::PostKey(seen.list, VK_DOWN);
            // Each press must move the selection before the next one is sent.
            if (!popup::WaitOnWindow(seen.list, [&] { return SelectedText(seen.list) != before; }, 2000)) {
                seen.failure = "the selection did not move on Down";
                return;
            }
        }
        seen.chosenText = SelectedText(seen.list);
        popup::PostKey(seen.list, VK_RETURN);
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
        seen.chosenText = popup::ListItemText(seen.list, position);
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        PostMessageW(seen.list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(seen.list, WM_LBUTTONUP, 0, at);
        PostMessageW(seen.list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(seen.list, WM_LBUTTONUP, 0, at);
    };
}

DialogDriver::Action PressEnter() {
    return [](DialogSeen& seen) { popup::PostKey(seen.list ? seen.list : seen.window, VK_RETURN); };
}

DialogDriver::Action PressEscape() {
    return [](DialogSeen& seen) { popup::PostKey(seen.list ? seen.list : seen.window, VK_ESCAPE); };
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
        // This thread owns the editor and handles its activation messages meanwhile.
        popup::WaitOnWindow(seen.window, [&] { return !IsWindow(seen.window); }, 3000, true);
        if (IsWindow(seen.window)) seen.failure = "the picker stayed open after the editor took the focus";
        DestroyWindow(editor);
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
