#pragma once
// Plays the user for a command that opens a modal pop-up. The command runs on
// a user-interface thread, whose modal loop the pop-up uses, while a helper
// thread finds the pop-up and works it with the messages a user's actions
// produce. Nothing here polls: thread-local hooks on the user-interface
// thread report each message it handles, and the helper waits on that.
// Shared by the Windows tests and the demo, so it does not use GoogleTest.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "framework/UniqueHandle.h"
#include "support/WindowContents.h"

namespace velmora::popup {

inline constexpr DWORD kWaitMs = 5000;

struct HookTraits {
    using Handle = HHOOK;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { UnhookWindowsHookEx(h); }
};
using UniqueHook = UniqueHandle<HookTraits>;

// Hooks on one user-interface thread for its lifetime: whenever that thread
// has handled a sent message or taken a posted one, the watch's event is set,
// and a window it destroys is noted. A condition about the thread's windows
// can only change while the thread handles a message, so it is tested again
// each time the event is set.
class ThreadWatch {
public:
    explicit ThreadWatch(DWORD uiThread);
    ~ThreadWatch();
    ThreadWatch(const ThreadWatch&) = delete;
    ThreadWatch& operator=(const ThreadWatch&) = delete;

    // True as soon as `condition` holds; false when it still fails after
    // `timeoutMs` or once `stop` (an event, may be null) is set. With `pump`,
    // the calling thread's own messages are dispatched meanwhile (for a
    // helper that owns windows of its own).
    bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs, HANDLE stop = nullptr,
                   bool pump = false) const;
    // The first visible dialog ("#32770") of the thread; null when none came.
    HWND WaitForDialog(DWORD timeoutMs, HANDLE stop = nullptr) const;
    // True once the dialog found by WaitForDialog has been destroyed.
    bool WaitForClose(HWND dialog, DWORD timeoutMs = kWaitMs) const;

private:
    DWORD thread_;
    int slot_ = -1;
    UniqueHook afterSent_;
    UniqueHook taken_;
};

// WaitUntil on a watch of the thread that owns `window`.
bool WaitOnWindow(HWND window, const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs,
                  bool pump = false);

// A key pressed and released, posted to `window` so that it passes through
// the dialog's message loop.
void PostKey(HWND window, UINT virtualKey);

// Sends the WM_NOTIFY a tree view sends its dialog when it is double-clicked.
void SendTreeDoubleClick(HWND dialog, HWND tree);

// What became of the pop-up of one run.
struct PopUpOutcome {
    bool appeared = false;      // a visible dialog of the thread came while the command ran
    bool closedByUser = false;  // it closed after the user's actions, without the driver's cancel
    bool forcedClose = false;   // it stayed open, and the driver cancelled it
    HWND dialog = nullptr;      // no longer valid after the run
};

struct PopUpTimeouts {
    DWORD appearMs = 10000;  // ends early once the command returns
    DWORD closeMs = kWaitMs;
};

// From construction until Finish, waits on a helper thread for a visible
// dialog of the constructing thread and hands the first one to `user`. If it is still open
// `closeMs` after `user` returned, the driver cancels it, so that the command
// returns and no run hangs. Use it around one call that may show a dialog.
class PopUpDriver {
public:
    using User = std::function<void(HWND dialog)>;
    explicit PopUpDriver(User user, PopUpTimeouts timeouts = {});
    ~PopUpDriver();
    PopUpDriver(const PopUpDriver&) = delete;
    PopUpDriver& operator=(const PopUpDriver&) = delete;

    // The command has returned, so no dialog of it can still come: stops
    // waiting for one, waits for the helper thread and tells what it saw.
    const PopUpOutcome& Finish();

private:
    void Run();

    User user_;
    PopUpTimeouts timeouts_;
    UniqueKernelHandle commandDone_;
    ThreadWatch watch_;
    PopUpOutcome outcome_;
    std::thread thread_;
};

// Runs `command` on the calling thread with a PopUpDriver around it.
PopUpOutcome RunWithPopUp(const std::function<void()>& command, const PopUpDriver::User& user,
                          PopUpTimeouts timeouts = {});

}  // namespace velmora::popup
