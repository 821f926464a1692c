#include "ExplorerTestSupport.h"

#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <mutex>

#include "framework/UniqueHandle.h"

namespace velmora::test {

namespace {

constexpr wchar_t kWindowClass[] = L"VelmoraExplorerTestWindow";

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterPlainClass() {
    static const bool registered = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &PlainWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
}

bool SendMouse(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return SendInput(1, &input, sizeof(input)) == 1;
}

// The key-read watch: one at a time, armed on the helper thread and fired
// from the dialog thread's GetMessage.
UniqueKernelHandle watchEvent;
std::atomic<int> watchKey{0};

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* message = reinterpret_cast<const MSG*>(lParam);
        bool isKey = message->message == WM_KEYDOWN || message->message == WM_KEYUP ||
                     message->message == WM_SYSKEYDOWN || message->message == WM_SYSKEYUP;
        if (isKey && static_cast<int>(message->wParam) == watchKey.load() && watchEvent) SetEvent(watchEvent.get());
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The icon watch's records, shared with helper threads.
std::mutex iconMutex;
std::vector<HICON> iconsHandedOver;
using GetFileInfoFunction = DWORD_PTR(WINAPI*)(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT);
GetFileInfoFunction realGetFileInfo = nullptr;

DWORD_PTR WINAPI WatchedGetFileInfo(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags) {
    DWORD_PTR result = realGetFileInfo(path, attributes, info, size, flags);
    if ((flags & SHGFI_ICON) && info && info->hIcon) {
        std::lock_guard<std::mutex> lock(iconMutex);
        iconsHandedOver.push_back(info->hIcon);
    }
    return result;
}

constexpr wchar_t kTestClass[] = L"VelmoraTests.BrowserDocument";
constexpr wchar_t kTestCommandKey[] = L"VelmoraTests.BrowserDocument\\shell\\open\\command";
constexpr wchar_t kMissingClass[] = L"VelmoraTests.NoSuchClass";
constexpr wchar_t kBackupKey[] = L"Software\\VelmoraTests\\HtmBackup";

bool SetKeyDacl(HKEY root, const wchar_t* keyName, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    UniqueRegKey key;
    bool done = false;
    if (RegOpenKeyExW(root, keyName, 0, WRITE_DAC, key.put()) == ERROR_SUCCESS) {
        done = RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    }
    LocalFree(descriptor);
    return done;
}

bool SetDefaultValue(const wchar_t* keyName, const std::wstring& value, DWORD type) {
    UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, keyName, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.get(), nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

ForegroundWindow::ForegroundWindow(bool activate) {
    RegisterPlainClass();
    window_.reset(CreateWindowExW(WS_EX_TOPMOST, kWindowClass, L"Velmora test", WS_POPUP | WS_BORDER, 200, 200, 240, 160,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!window_) return;
    if (!activate) {
        ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
        PumpMessages(50);
        return;
    }
    ShowWindow(window_.get(), SW_SHOW);
    SetForegroundWindow(window_.get());
    SetFocus(window_.get());
    PumpMessages(100, [this] { return IsForeground(); });
    PumpMessages(100);  // lets the display's own focus events arrive
}

ForegroundWindow::~ForegroundWindow() {
    window_.reset();
    PumpMessages(20);
}

bool PumpMessages(DWORD milliseconds, const std::function<bool()>& until) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (until && until()) return true;
        if (GetTickCount() - start >= milliseconds) return until ? until() : true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool SendKey(WORD virtualKey, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return SendInput(1, &input, sizeof(input)) == 1;
}

HeldInput::HeldInput(int virtualKey, ForegroundWindow& window) : key_(virtualKey), window_(window) {
    // Under Wine a focus change that the X server reports late brings the
    // key state back to the X keyboard's, where nothing is held: press again
    // until the press stays.
    for (int attempt = 0; attempt < 3 && !held_; ++attempt) {
        bool sent = false;
        if (key_ == VK_RBUTTON) {
            RECT bounds = {};
            GetWindowRect(window_.Handle(), &bounds);
            SetCursorPos((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
            sent = SendMouse(MOUSEEVENTF_RIGHTDOWN);
        } else {
            sent = SendKey(static_cast<WORD>(key_), false);
        }
        if (!sent || !PumpMessages(1000, [this] { return KeyIsDown(key_); })) continue;
        PumpMessages(100);
        held_ = KeyIsDown(key_);
    }
}

HeldInput::~HeldInput() {
    // The release must reach this thread: make its window the one input goes to.
    SetForegroundWindow(window_.Handle());
    if (key_ == VK_RBUTTON) {
        SendMouse(MOUSEEVENTF_RIGHTUP);
    } else {
        SendKey(static_cast<WORD>(key_), true);
    }
    PumpMessages(2000, [this] { return !KeyIsDown(key_); });
}

KeyReadWatch::KeyReadWatch(DWORD dialogThread) {
    watchEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    hook_ = SetWindowsHookExW(WH_GETMESSAGE, &GetMessageHook, nullptr, dialogThread);
}

KeyReadWatch::~KeyReadWatch() {
    if (hook_) UnhookWindowsHookEx(hook_);
    watchEvent.reset();
}

bool KeyReadWatch::SendAndWait(WORD virtualKey, bool up, DWORD milliseconds) {
    if (!hook_ || !watchEvent) return false;
    watchKey = virtualKey;
    ResetEvent(watchEvent.get());
    return SendKey(virtualKey, up) && WaitForSingleObject(watchEvent.get(), milliseconds) == WAIT_OBJECT_0;
}

void ReleaseKey(int virtualKey) {
    PumpMessages(200, [virtualKey] { return !KeyIsDown(virtualKey); });
    if (!KeyIsDown(virtualKey) && !(GetAsyncKeyState(virtualKey) & 0x8000)) return;
    ForegroundWindow window;
    SendKey(static_cast<WORD>(virtualKey), true);
    PumpMessages(2000, [virtualKey] { return !KeyIsDown(virtualKey); });
}

ShellIconWatch::ShellIconWatch() {
    if (realGetFileInfo) return;  // one watch at a time
    {
        std::lock_guard<std::mutex> lock(iconMutex);
        iconsHandedOver.clear();
    }
    // Set before the patch goes in: the replacement calls through it at once.
    realGetFileInfo = &SHGetFileInfoW;
    patch_ = std::make_unique<host::ImportPatch>(GetModuleHandleW(nullptr), "shell32.dll", "SHGetFileInfoW",
                                                 reinterpret_cast<void*>(&WatchedGetFileInfo));
    if (!patch_->Installed()) {
        patch_.reset();
        realGetFileInfo = nullptr;
    }
}

ShellIconWatch::~ShellIconWatch() {
    if (!patch_) return;
    patch_.reset();
    realGetFileInfo = nullptr;
}

std::vector<HICON> ShellIconWatch::Icons() const {
    std::lock_guard<std::mutex> lock(iconMutex);
    return iconsHandedOver;
}

std::wstring TemporaryPath() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetTempPathW(MAX_PATH, path);
    return length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

bool ShellKnowsFolder(int number) {
    UniqueItemIdList list;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, number, list.put())) || !list) return false;
    SHFILEINFOW info = {};
    DWORD_PTR found = SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list.get()), 0, &info, sizeof(info),
                                     SHGFI_ICON | SHGFI_SMALLICON | SHGFI_PIDL);
    UniqueIcon icon(info.hIcon);
    return found != 0;
}

bool IconIsAlive(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return true;
}

RegisteredBrowser::RegisteredBrowser(Htm htm, const std::wstring& commandLine, DWORD valueType) {
    if (!SaveHtm()) return;
    switch (htm) {
    case Htm::PointsAtTestClass:
        ready_ = SetDefaultValue(L".htm", kTestClass, REG_SZ) && SetDefaultValue(kTestCommandKey, commandLine, valueType);
        break;
    case Htm::PointsAtMissingClass:
        ready_ = SetDefaultValue(L".htm", kMissingClass, REG_SZ);
        break;
    case Htm::Missing:
        ready_ = RegDeleteTreeW(HKEY_CLASSES_ROOT, L".htm") == ERROR_SUCCESS || !htmExisted_;
        break;
    }
}

RegisteredBrowser::~RegisteredBrowser() {
    SetKeyDacl(HKEY_CLASSES_ROOT, kTestCommandKey, L"D:(A;;KA;;;WD)");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kTestClass);
    RestoreHtm();
}

bool RegisteredBrowser::SaveHtm() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kBackupKey);
    UniqueRegKey htm;
    htmExisted_ = RegOpenKeyExW(HKEY_CLASSES_ROOT, L".htm", 0, KEY_READ, htm.put()) == ERROR_SUCCESS;
    if (!htmExisted_) return true;
    bool saved = false;
    UniqueRegKey backup;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, backup.put(),
                        nullptr) == ERROR_SUCCESS) {
        saved = RegCopyTreeW(htm.get(), nullptr, backup.get()) == ERROR_SUCCESS;
    }
    DWORD size = 0;
    RegGetKeySecurity(htm.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    htmSecurity_.resize(size);
    if (size == 0 ||
        RegGetKeySecurity(htm.get(), DACL_SECURITY_INFORMATION, htmSecurity_.data(), &size) != ERROR_SUCCESS)
        htmSecurity_.clear();
    return saved;
}

void RegisteredBrowser::RestoreHtm() {
    if (htmSecurityChanged_ && !htmSecurity_.empty()) {
        UniqueRegKey key;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L".htm", 0, WRITE_DAC, key.put()) == ERROR_SUCCESS)
            RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, htmSecurity_.data());
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".htm");
    if (htmExisted_) {
        UniqueRegKey backup;
        UniqueRegKey htm;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, KEY_READ, backup.put()) == ERROR_SUCCESS &&
            RegCreateKeyExW(HKEY_CLASSES_ROOT, L".htm", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, htm.put(), nullptr) ==
                ERROR_SUCCESS) {
            RegCopyTreeW(backup.get(), nullptr, htm.get());
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kBackupKey);
}

bool RegisteredBrowser::DenyWriting() {
    htmSecurityChanged_ = true;
    return SetKeyDacl(HKEY_CLASSES_ROOT, L".htm", L"D:P(A;;KR;;;WD)") &&
           SetKeyDacl(HKEY_CLASSES_ROOT, kTestCommandKey, L"D:P(A;;KR;;;WD)");
}

}  // namespace velmora::test
