#pragma once
// What the folder-explorer tests share: the shell requests the add-in made,
// keys and mouse buttons really held down, and a web browser registered in
// HKEY_CLASSES_ROOT for the length of a test. The picker is driven by the
// pop-up driver of the support library.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <memory>

#include "framework/KeyState.h"
#include "testbed/fixtures/PopUpDriver.h"
#include "testbed/host/ImportPatch.h"
#include "testbed/host/ShellLaunchRecorder.h"

namespace velmora::test {

// Records every shell request of the add-in's code in this program while it
// lives, instead of opening anything.
class ShellLaunches : public host::ShellLaunchRecorder {
public:
    ShellLaunches() : ShellLaunchRecorder(GetModuleHandleW(nullptr)) {
        if (!Installed()) ADD_FAILURE() << "cannot watch this program's calls of ShellExecuteExW";
    }
};

// A plain top-level window of the calling thread, made the foreground
// window so that keyboard input goes to this thread (or only shown, when
// `activate` is false).
class ForegroundWindow {
public:
    explicit ForegroundWindow(bool activate = true);
    ~ForegroundWindow();
    ForegroundWindow(const ForegroundWindow&) = delete;
    ForegroundWindow& operator=(const ForegroundWindow&) = delete;
    HWND Handle() const { return window_.get(); }
    bool IsForeground() const { return window_ && GetForegroundWindow() == window_.get(); }

private:
    UniqueWindow window_;
};

// Reads the calling thread's queue for up to `milliseconds`, dispatching
// what it finds; returns true as soon as `until` holds.
bool PumpMessages(DWORD milliseconds, const std::function<bool()>& until = {});

// Holds a key (a virtual-key code) or VK_RBUTTON really down: the press is
// sent as input to the display and read by the calling thread's queue, so
// GetKeyState reports it. Released, and read again, at destruction.
class HeldInput {
public:
    HeldInput(int virtualKey, ForegroundWindow& window);
    ~HeldInput();
    HeldInput(const HeldInput&) = delete;
    HeldInput& operator=(const HeldInput&) = delete;
    // True once the calling thread's key state shows the key down.
    bool Held() const { return held_; }

private:
    int key_;
    ForegroundWindow& window_;
    bool held_ = false;
};

// Sends a key press or release as input to the display.
bool SendKey(WORD virtualKey, bool up);

using popup::ReadTree;
using popup::TreeEntry;

// Lets a helper thread wait until the dialog's thread has read a key press
// or release from its queue (GetKeyState in that thread then reports it).
class KeyReadWatch {
public:
    explicit KeyReadWatch(DWORD dialogThread);
    ~KeyReadWatch();
    KeyReadWatch(const KeyReadWatch&) = delete;
    KeyReadWatch& operator=(const KeyReadWatch&) = delete;
    bool Installed() const { return hook_ != nullptr; }
    // Sends the press (or release) of `virtualKey` as input and waits for it.
    bool SendAndWait(WORD virtualKey, bool up, DWORD milliseconds = 2000);

private:
    HHOOK hook_ = nullptr;
};

// If this thread still sees `virtualKey` down, releases it through a
// foreground window of its own.
void ReleaseKey(int virtualKey);

// Watches every icon the shell hands this program through SHGetFileInfoW
// while it lives, by taking that function's place in the program's import
// table. The icons stay the caller's: the watch only notes their handles.
class ShellIconWatch {
public:
    ShellIconWatch();
    ~ShellIconWatch();
    ShellIconWatch(const ShellIconWatch&) = delete;
    ShellIconWatch& operator=(const ShellIconWatch&) = delete;
    bool Installed() const { return patch_ && patch_->Installed(); }
    std::vector<HICON> Icons() const;

private:
    std::unique_ptr<host::ImportPatch> patch_;
};

// The temporary-files path as the system gives it, with its backslash.
std::wstring TemporaryPath();

// Whether the shell finds special folder `number` here and gives its icon,
// asked directly.
bool ShellKnowsFolder(int number);

// Sets TMP and TEMP for this process and puts them back at destruction.
class TemporaryDirectoryOverride {
public:
    explicit TemporaryDirectoryOverride(const std::wstring& path) {
        for (const wchar_t* name : {L"TMP", L"TEMP"}) {
            wchar_t value[MAX_PATH] = {};
            DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
            saved_.push_back({name, length ? std::wstring(value, length) : std::wstring(), length != 0});
            SetEnvironmentVariableW(name, path.c_str());
        }
    }
    ~TemporaryDirectoryOverride() {
        for (const auto& variable : saved_)
            SetEnvironmentVariableW(variable.name, variable.existed ? variable.value.c_str() : nullptr);
    }
    TemporaryDirectoryOverride(const TemporaryDirectoryOverride&) = delete;
    TemporaryDirectoryOverride& operator=(const TemporaryDirectoryOverride&) = delete;

private:
    struct Saved {
        const wchar_t* name;
        std::wstring value;
        bool existed;
    };
    std::vector<Saved> saved_;
};

// True while `icon` is a live icon handle.
bool IconIsAlive(HICON icon);

using popup::SendTreeDoubleClick;

// Makes HKEY_CLASSES_ROOT's .htm point at a test class whose open command is
// `commandLine`, stored with `valueType`; puts .htm back as it was at
// destruction and deletes the test class.
class RegisteredBrowser {
public:
    enum class Htm { PointsAtTestClass, PointsAtMissingClass, Missing };
    RegisteredBrowser(Htm htm, const std::wstring& commandLine = L"", DWORD valueType = REG_SZ);
    ~RegisteredBrowser();
    RegisteredBrowser(const RegisteredBrowser&) = delete;
    RegisteredBrowser& operator=(const RegisteredBrowser&) = delete;

    bool Ready() const { return ready_; }
    // Lets every user read, and nobody write, .htm and the command key.
    bool DenyWriting();

private:
    bool SaveHtm();
    void RestoreHtm();

    bool ready_ = false;
    bool htmExisted_ = false;
    std::vector<BYTE> htmSecurity_;
    bool htmSecurityChanged_ = false;
};

}  // namespace velmora::test
