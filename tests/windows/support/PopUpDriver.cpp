#include "support/PopUpDriver.h"

#include <atomic>
#include <cwchar>

namespace velmora::popup {

namespace {

// One slot a live watch. The events are made once and closed only when the
// program ends: a hook procedure still running on the user-interface thread
// may set an event just after its watch has gone.
struct Slot {
    std::atomic<bool> inUse{false};
    UniqueKernelHandle changed{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<HWND> watched{nullptr};
    std::atomic<bool> watchedGone{false};
};
constexpr int kSlots = 8;

Slot* Slots() noexcept {
    static Slot slots[kSlots];
    return slots;
}

// Hook procedures are shared by every watch; waking a watch of another thread
// only makes it test its condition once more.
void SignalWatches() noexcept {
    for (int i = 0; i < kSlots; ++i) {
        if (Slots()[i].inUse) SetEvent(Slots()[i].changed.get());
    }
}

LRESULT CALLBACK AfterSentMessage(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION) {
        // The handle stays valid for a moment after WM_NCDESTROY, so IsWindow
        // alone could still see the window when this is the last message.
        const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (sent->message == WM_NCDESTROY) {
            for (int i = 0; i < kSlots; ++i) {
                if (Slots()[i].watched == sent->hwnd) Slots()[i].watchedGone = true;
            }
        }
        SignalWatches();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MessageTaken(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION) SignalWatches();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) noexcept {
    wchar_t name[16] = {};  // no allocation in a callback that must not throw
    GetClassNameW(window, name, 16);
    if (std::wcscmp(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void DispatchWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool WaitWithPump(const std::function<bool()>& condition, HANDLE changed, DWORD timeoutMs, HANDLE stop, bool pump) {
    HANDLE handles[2] = {};
    DWORD count = 0;
    if (changed) handles[count++] = changed;
    if (stop) handles[count++] = stop;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (pump) DispatchWaitingMessages();
        if (changed) ResetEvent(changed);
        if (condition()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || count == 0) return false;
        const DWORD remaining = static_cast<DWORD>(deadline - now);
        const DWORD woken = pump ? MsgWaitForMultipleObjects(count, handles, FALSE, remaining, QS_ALLINPUT)
                                 : WaitForMultipleObjects(count, handles, FALSE, remaining);
        if (woken == WAIT_OBJECT_0 + count && pump) continue;  // the calling thread's own messages
        if (woken != WAIT_OBJECT_0 || !changed) return condition();  // stopped, timed out or failed: a last look
    }
}

}  // namespace

// --- ThreadWatch ---

ThreadWatch::ThreadWatch(DWORD uiThread) : thread_(uiThread) {
    for (int i = 0; i < kSlots && slot_ < 0; ++i) {
        bool free = false;
        if (Slots()[i].inUse.compare_exchange_strong(free, true)) slot_ = i;
    }
    if (slot_ < 0) return;
    Slots()[slot_].watched = nullptr;
    afterSent_.reset(SetWindowsHookExW(WH_CALLWNDPROCRET, &AfterSentMessage, nullptr, uiThread));
    taken_.reset(SetWindowsHookExW(WH_GETMESSAGE, &MessageTaken, nullptr, uiThread));
}

ThreadWatch::~ThreadWatch() {
    afterSent_.reset();
    taken_.reset();
    if (slot_ < 0) return;
    Slots()[slot_].watched = nullptr;
    Slots()[slot_].inUse = false;
}

bool ThreadWatch::WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, HANDLE stop, bool pump) const {
    return WaitWithPump(condition, slot_ >= 0 ? Slots()[slot_].changed.get() : nullptr, timeoutMs, stop, pump);
}

HWND ThreadWatch::WaitForDialog(DWORD timeoutMs, HANDLE stop) const {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            EnumThreadWindows(thread_, &FindVisibleDialog, reinterpret_cast<LPARAM>(&dialog));
            return dialog != nullptr;
        },
        timeoutMs, stop);
    if (dialog && slot_ >= 0) {
        Slots()[slot_].watchedGone = false;
        Slots()[slot_].watched = dialog;
    }
    return dialog;
}

bool ThreadWatch::WaitForClose(HWND dialog, DWORD timeoutMs) const {
    const Slot* slot = slot_ >= 0 ? &Slots()[slot_] : nullptr;
    return WaitUntil(
        [&] { return (slot && slot->watched == dialog && slot->watchedGone) || !IsWindow(dialog); }, timeoutMs);
}

bool WaitOnWindow(HWND window, const std::function<bool()>& condition, DWORD timeoutMs, bool pump) {
    const ThreadWatch watch(GetWindowThreadProcessId(window, nullptr));
    return watch.WaitUntil(condition, timeoutMs, nullptr, pump);
}

void PostKey(HWND window, UINT virtualKey) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(window, WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageW(window, WM_KEYUP, virtualKey, scan | 1 | 0xC0000000u);
}

void SendTreeDoubleClick(HWND dialog, HWND tree) {
    NMHDR header = {};
    header.hwndFrom = tree;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(tree));
    header.code = NM_DBLCLK;
    SendMessageW(dialog, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

// --- PopUpDriver ---

PopUpDriver::PopUpDriver(User user, PopUpTimeouts timeouts)
    : user_(std::move(user)),
      timeouts_(timeouts),
      commandDone_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      watch_(GetCurrentThreadId()),
      thread_([this] { Run(); }) {}

PopUpDriver::~PopUpDriver() { Finish(); }

const PopUpOutcome& PopUpDriver::Finish() {
    if (thread_.joinable()) {
        SetEvent(commandDone_.get());
        thread_.join();
    }
    return outcome_;
}

void PopUpDriver::Run() {
    const HWND dialog = watch_.WaitForDialog(timeouts_.appearMs, commandDone_.get());
    if (!dialog) return;
    outcome_.appeared = true;
    outcome_.dialog = dialog;
    user_(dialog);
    outcome_.closedByUser = watch_.WaitForClose(dialog, timeouts_.closeMs);
    if (outcome_.closedByUser) return;
    outcome_.forcedClose = true;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    // A dialog that ignores the cancel command must still end, or the command never returns.
    if (!watch_.WaitForClose(dialog, kWaitMs)) EndDialog(dialog, IDCANCEL);
}

PopUpOutcome RunWithPopUp(const std::function<void()>& command, const PopUpDriver::User& user,
                          PopUpTimeouts timeouts) {
    PopUpDriver driver(user, timeouts);
    command();
    return driver.Finish();
}

}  // namespace velmora::popup
