#pragma once
// What the template tests share: the configuration folder's files, a
// thread locale for one test, and a helper thread that drives the picker or
// the message box the way a user does while the modal loop runs.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "testbed/fixtures/ConfigFolderFiles.h"
#include "testbed/fixtures/PopUpDriver.h"

namespace velmora::test {

// Sets the calling thread's locale for the object's lifetime.
class ThreadLocale {
public:
    explicit ThreadLocale(LCID locale);
    ~ThreadLocale();
    ThreadLocale(const ThreadLocale&) = delete;
    ThreadLocale& operator=(const ThreadLocale&) = delete;
    bool Applied() const { return applied_; }

private:
    LCID previous_;
    bool applied_;
};

constexpr LCID kJapanese = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT);
constexpr LCID kEnglish = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

// What the helper thread saw of a dialog of the user-interface thread.
struct DialogSeen {
    bool appeared = false;
    bool closedByAction = false;  // gone after the action, without a forced close
    HWND window = nullptr;
    std::wstring caption;
    LONG style = 0;
    LONG exStyle = 0;
    HWND owner = nullptr;
    RECT rect = {};
    HWND focus = nullptr;  // the user-interface thread's focus window
    // Picker: the list box and its items in list order; message box: the
    // visible texts of its static controls and buttons.
    HWND list = nullptr;
    std::vector<std::wstring> items;
    std::vector<std::wstring> texts;
    std::vector<std::wstring> buttons;
    int icons = 0;  // visible icon controls that show an icon
    std::wstring chosenText;  // what the action selected before ending, if it did
    std::string failure;      // why the action could not be carried out
};

// Waits on a helper thread for the next visible dialog of this thread,
// records it and runs `action` on it; the action may fill chosenText or
// failure. When the dialog is still there five seconds later it is
// cancelled, so that a test never hangs.
class DialogDriver {
public:
    using Action = std::function<void(DialogSeen& seen)>;
    explicit DialogDriver(const Action& action);

    // After the call that may show the dialog: waits for the helper thread
    // and returns what it saw.
    const DialogSeen& Seen();
    // The same, for a run that must show no dialog.
    const DialogSeen& SeenNone() { return Seen(); }

private:
    DialogSeen seen_;
    popup::PopUpDriver driver_;  // last: its helper thread fills seen_
};

// Picker actions, each as a user performs it.
// Down arrow `downPresses` times (posted key messages), then Enter.
DialogDriver::Action PressDownThenEnter(int downPresses);
// Selects the item with the given list position, then the Enter command.
DialogDriver::Action SelectThenOk(int position);
// Double-clicks the item at the given list position with posted mouse messages.
DialogDriver::Action DoubleClick(int position);
DialogDriver::Action PressEnter();
DialogDriver::Action PressEscape();
DialogDriver::Action PostCancel();
// Another top-level window (the editor) takes the activation and the focus.
DialogDriver::Action ClickIntoAnotherWindow();
// Message box: presses its OK button.
DialogDriver::Action PressOkButton();


// The clipboard's text, or "<no text>" when it holds none.
std::wstring ClipboardTextOrMarker();

}  // namespace velmora::test
