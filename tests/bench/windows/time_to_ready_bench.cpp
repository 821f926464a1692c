// How long the user waits for a pop-up: from the host's Exec of a command
// until its pop-up is on the screen and ready for input, for
//   CodeTemplate with the starter configuration (a .cpp document),
//   CodeTemplate with 1,000 templates,
//   SelectGUID with the starter GuidSet.ini,
// each against a bare dialog of the same template (same resource id, the
// same resources linked into this program) filled with the same texts
// without the add-in (the list's strings; the GUID text and the checked
// format) and shown by DialogBoxParam, timed from that call in the same way.
//
// The add-in is the built velmora.dll, loaded here: its Connect object comes
// from the DLL's class factory and is connected to the host stand-in, which
// then runs the command through IDTCommandTarget::Exec like the IDE does.
// At ready the pop-up is cancelled, and Exec returns.
//
// Each figure is the median of kRounds runs after one warm-up run of each
// kind, which is not counted; add-in and bare runs alternate. Wall-clock time
// (QueryPerformanceCounter): the work is the window system's as much as the
// add-in's. A breakdown follows from separate runs that mark the add-in's
// steps (its imports patched), so that the marks cost the measured runs
// nothing. The last three lines give the ratios; the program exits with 1
// when one is over kTarget, and with 2 when a run went wrong.
//
// Run under Wine by scripts/bench-windows.sh (a Release Windows build).
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"
#include "guid/GuidFormat.h"
#include "platform/DteInterfaces.h"
#include "resources/resource.h"
#include "testbed/fixtures/ConfigFolderFiles.h"
#include "testbed/fixtures/PopUpDriver.h"
#include "testbed/fixtures/TestEnvironment.h"
#include "testbed/host/HostStandIn.h"
#include "testbed/host/ImportPatch.h"
#include "tests/bench/windows/BenchSupport.h"

namespace {

using Microsoft::WRL::ComPtr;
using velmora::IDTCommandTarget;
using velmora::IDTExtensibility2;
using velmora::host::HostStandIn;

constexpr int kRounds = 21;       // measured runs of each kind, after one warm-up run
constexpr int kTracedRounds = 5;  // runs with the breakdown's marks, apart from the measured ones
constexpr double kTarget = 1.3;
constexpr UINT kReadyTimeoutMs = 10000;
constexpr std::chrono::seconds kCaseLimit{180};
constexpr int kGeneratedTemplates = 1000;

// Everything a message queue can hold. Not QS_ALLINPUT: with newer headers
// it names touch and pointer input, which older systems (and Wine) refuse
// as flags, and GetQueueStatus would answer 0 as if nothing waited.
constexpr UINT kQueueAll =
    QS_KEY | QS_MOUSE | QS_RAWINPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY | QS_SENDMESSAGE;

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

using velmora::bench::Median;
using velmora::bench::Milliseconds;

// Text for the console, which the benchmark writes as UTF-8.
std::string Narrow(const std::wstring& text) { return velmora::ToCodePage(text, CP_UTF8); }

// --- the pop-up and what it shows ------------------------------------------

BOOL CALLBACK FindDialog(HWND window, LPARAM found) noexcept {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wcscmp(name, L"#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The dialog of this thread (the benchmark makes no other), or null.
HWND PopUp() {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

BOOL CALLBACK FindUnpainted(HWND child, LPARAM unpainted) noexcept {
    if (!GetUpdateRect(child, nullptr, FALSE)) return TRUE;
    *reinterpret_cast<bool*>(unpainted) = true;
    return FALSE;
}

// No update region left in the dialog or any window in it.
bool NothingToPaint(HWND dialog) {
    if (GetUpdateRect(dialog, nullptr, FALSE)) return false;
    bool unpainted = false;
    EnumChildWindows(dialog, &FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

// The keyboard focus is in the dialog: a key pressed now goes to it.
bool HasFocus(HWND dialog) {
    const HWND focus = GetFocus();
    return focus && (focus == dialog || IsChild(dialog, focus));
}

// What a pop-up shows: the list's strings in their order (template picker),
// or the GUID text and the checked format (GUID dialog).
struct Contents {
    std::vector<std::wstring> items;
    std::wstring guidText;
    int checkedFormat = -1;

    bool operator==(const Contents& other) const {
        return items == other.items && guidText == other.guidText && checkedFormat == other.checkedFormat;
    }
};

Contents ReadContents(HWND dialog, UINT dialogId) {
    Contents contents;
    if (dialogId == IDD_TEMPLATE_PICKER) {
        HWND list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT index = 0; index < count; ++index) {
            const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
            std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
            const LRESULT copied =
                SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
            text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
            contents.items.push_back(text);
        }
    } else {
        HWND result = GetDlgItem(dialog, IDC_GUID_RESULT);
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(result)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(result, &text[0], static_cast<int>(text.size()))));
        contents.guidText = text;
        for (int format = 0; format < velmora::guid::kFormatCount; ++format) {
            if (IsDlgButtonChecked(dialog, IDC_GUID_FORMAT_FIRST + format) == BST_CHECKED) {
                contents.checkedFormat = format;
            }
        }
    }
    return contents;
}

// --- ready for input ---------------------------------------------------------
//
// A pop-up is ready when it is visible and enabled, holds the keyboard focus,
// nothing of it or its controls is left to paint, and its modal loop has run
// out of messages and is about to wait for input: the first moment a key the
// user presses would be handled at once.
//
// Wine offers no hook at that moment. It never calls WH_FOREGROUNDIDLE; its
// WH_GETMESSAGE hook runs only when a message was taken, not when the queue
// was found empty; and the dialog loop sends WM_ENTERIDLE only to an owner,
// which the add-in's pop-ups do not have. So the loop is asked directly:
// whenever it takes a message (a WH_GETMESSAGE hook on this thread), a probe
// message is posted to a hidden window of this program. The loop dispatches
// the probe once the message before it has been handled. Its handler lets the
// window system deliver what it holds for the thread (a zero wait with
// MWMO_INPUTAVAILABLE, which under Wine also reads pending X events and
// flushes drawing to the screen, as the loop's next PeekMessage would) and
// then asks GetQueueStatus what is left. Nothing left, and the pop-up shown,
// enabled, focused and painted: the loop's next PeekMessage finds nothing and the loop
// waits for input; that is the end of the run. When only sent or posted
// messages wait, another probe is posted behind them. Paint, timer and input
// messages come after posted ones, so a probe posted then would only come
// back first: the loop takes those, and taking one posts the next probe.
//
// Cost: one posted message per message the loop takes, the same for the
// add-in and the bare dialog. A run that never gets ready ends after
// kReadyTimeoutMs and counts as failed.

struct ReadyRun {
    LARGE_INTEGER start{};
    LARGE_INTEGER ready{};
    bool reached = false;
    bool timedOut = false;
    bool failed = false;  // reading what the pop-up shows went wrong
    // Called at ready, after the clock stopped and before the pop-up is cancelled.
    std::function<void(HWND dialog)> atReady;
};

class ReadyWatch {
public:
    ReadyWatch() {
        current_ = this;
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &ReadyWatch::ProbeProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VelmoraReadyProbe";
        RegisterClassW(&windowClass);
        window_.reset(CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr));
        hook_.reset(SetWindowsHookExW(WH_GETMESSAGE, &ReadyWatch::MessageTaken, nullptr, GetCurrentThreadId()));
    }
    ~ReadyWatch() {
        hook_.reset();
        window_.reset();
        current_ = nullptr;
    }
    ReadyWatch(const ReadyWatch&) = delete;
    ReadyWatch& operator=(const ReadyWatch&) = delete;

    // The window and the hook exist, and the queue reports a posted message:
    // a queue status of 0 then does mean an empty queue.
    bool Usable() const {
        if (!window_ || !hook_) return false;
        PostMessageW(window_.get(), WM_NULL, 0, 0);
        const bool seen = (HIWORD(GetQueueStatus(kQueueAll)) & QS_POSTMESSAGE) != 0;
        MSG message;
        while (PeekMessageW(&message, window_.get(), 0, 0, PM_REMOVE)) {
        }
        return seen && HIWORD(GetQueueStatus(kQueueAll)) == 0;
    }

    // Starts the clock and calls `show`, which must show a pop-up and return
    // once it has closed.
    void Run(ReadyRun& run, const std::function<void()>& show) {
        run_ = &run;
        probePosted_ = false;
        SetTimer(window_.get(), kTimeoutTimer, kReadyTimeoutMs, nullptr);
        run.start = Now();
        show();
        KillTimer(window_.get(), kTimeoutTimer);
        run_ = nullptr;
        MSG message;  // a probe still queued after an early end
        while (PeekMessageW(&message, window_.get(), 0, 0, PM_REMOVE)) {
        }
    }

private:
    static constexpr UINT kProbe = WM_APP + 1;
    static constexpr UINT_PTR kTimeoutTimer = 1;

    static LRESULT CALLBACK MessageTaken(int code, WPARAM removal, LPARAM lParam) noexcept {
        ReadyWatch* self = current_;
        if (code == HC_ACTION && removal == PM_REMOVE && self && self->run_ && !self->run_->reached) {
            if (reinterpret_cast<const MSG*>(lParam)->hwnd != self->window_.get()) self->PostProbe();
        }
        return CallNextHookEx(nullptr, code, removal, lParam);
    }

    static LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        ReadyWatch* self = current_;
        if (self && message == kProbe) {
            self->probePosted_ = false;
            self->Probe();
            return 0;
        }
        if (self && message == WM_TIMER && wParam == kTimeoutTimer) {
            KillTimer(window, kTimeoutTimer);
            if (self->run_ && !self->run_->reached) {
                self->run_->timedOut = true;
                if (HWND dialog = PopUp()) PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            }
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void PostProbe() {
        if (!probePosted_) probePosted_ = PostMessageW(window_.get(), kProbe, 0, 0) != FALSE;
    }

    void Probe() {
        if (!run_ || run_->reached || run_->timedOut) return;
        const bool inputAvailable =
            MsgWaitForMultipleObjectsEx(0, nullptr, 0, kQueueAll, MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
        const DWORD waiting = HIWORD(GetQueueStatus(kQueueAll));
        if (!inputAvailable && waiting == 0) {
            // Not shown yet: its showing and painting come as messages the loop takes.
            const HWND dialog = PopUp();
            if (dialog && IsWindowVisible(dialog) && IsWindowEnabled(dialog) && HasFocus(dialog) && NothingToPaint(dialog)) {
                Finish(dialog);
            }
            return;
        }
        if (!(waiting & (QS_PAINT | QS_TIMER | QS_KEY | QS_MOUSE | QS_RAWINPUT))) PostProbe();
    }

    void Finish(HWND dialog) {
        run_->ready = Now();
        run_->reached = true;
        KillTimer(window_.get(), kTimeoutTimer);
        try {
            if (run_->atReady) run_->atReady(dialog);
        } catch (const std::exception&) {
            run_->failed = true;
        }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }

    static ReadyWatch* current_;
    velmora::UniqueWindow window_;
    velmora::popup::UniqueHook hook_;
    ReadyRun* run_ = nullptr;
    bool probePosted_ = false;
};

ReadyWatch* ReadyWatch::current_ = nullptr;

// --- the breakdown's marks ---------------------------------------------------
//
// In the traced runs the add-in's imports of DialogBoxParamW,
// SHGetSpecialFolderPathW (its first look for the configuration folder) and
// CoCreateGuid are patched to note the time; the dialog procedure handed to
// DialogBoxParamW is wrapped to note WM_INITDIALOG and the first
// WM_SHOWWINDOW. The bare dialog is shown through the same wrapper.

struct Marks {
    LARGE_INTEGER folderLookup{};  // the first SHGetSpecialFolderPathW
    LARGE_INTEGER dialogCall{};    // DialogBoxParamW called
    LARGE_INTEGER initStart{};     // WM_INITDIALOG reaches the dialog procedure
    LARGE_INTEGER initEnd{};       // and returns
    LARGE_INTEGER shown{};         // the first WM_SHOWWINDOW that shows it
    double guidMs = 0;             // inside CoCreateGuid
    DLGPROC procedure = nullptr;   // the wrapped dialog procedure
};
Marks* marks = nullptr;

void Mark(LARGE_INTEGER& at) {
    if (at.QuadPart == 0) at = Now();
}

INT_PTR CALLBACK MarkedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (!marks || !marks->procedure) return FALSE;
    if (message == WM_INITDIALOG) {
        Mark(marks->initStart);
        const INT_PTR result = marks->procedure(dialog, message, wParam, lParam);
        Mark(marks->initEnd);
        return result;
    }
    if (message == WM_SHOWWINDOW && wParam) Mark(marks->shown);
    return marks->procedure(dialog, message, wParam, lParam);
}

INT_PTR WINAPI MarkedDialogBox(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC procedure, LPARAM param) {
    if (marks) {
        Mark(marks->dialogCall);
        marks->procedure = procedure;
        procedure = &MarkedDialogProc;
    }
    return DialogBoxParamW(instance, name, owner, procedure, param);
}

using FolderPathFunction = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
FolderPathFunction originalFolderPath = nullptr;

BOOL WINAPI MarkedFolderPath(HWND owner, LPWSTR path, int folder, BOOL create) {
    if (marks) Mark(marks->folderLookup);
    return originalFolderPath(owner, path, folder, create);
}

using MakeGuidFunction = HRESULT(WINAPI*)(GUID*);
MakeGuidFunction originalMakeGuid = nullptr;

HRESULT WINAPI MarkedMakeGuid(GUID* guid) {
    const LARGE_INTEGER start = Now();
    const HRESULT result = originalMakeGuid(guid);
    if (marks) marks->guidMs += Milliseconds(start, Now());
    return result;
}

// A function pointer of the given type from GetProcAddress or an import slot.
template <typename Function>
Function Callable(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}
template <typename Function>
Function Callable(void* address) {
    return reinterpret_cast<Function>(address);
}

// The patches on the add-in's module for the traced runs.
class MarkedImports {
public:
    explicit MarkedImports(HMODULE addIn)
        : dialogBox_(addIn, "user32.dll", "DialogBoxParamW", reinterpret_cast<void*>(&MarkedDialogBox)),
          folderPath_(addIn, "shell32.dll", "SHGetSpecialFolderPathW", reinterpret_cast<void*>(&MarkedFolderPath)),
          makeGuid_(addIn, "ole32.dll", "CoCreateGuid", reinterpret_cast<void*>(&MarkedMakeGuid)) {
        originalFolderPath = Callable<FolderPathFunction>(folderPath_.Original());
        originalMakeGuid = Callable<MakeGuidFunction>(makeGuid_.Original());
    }
    bool Installed() const { return dialogBox_.Installed() && folderPath_.Installed() && makeGuid_.Installed(); }

private:
    velmora::host::ImportPatch dialogBox_;
    velmora::host::ImportPatch folderPath_;
    velmora::host::ImportPatch makeGuid_;
};

// One run's steps in milliseconds; the add-in's own steps before the dialog
// are 0 for the bare dialog.
struct Steps {
    double hostCalls = 0;      // Exec until the first look for the configuration folder
    double configuration = 0;  // then until DialogBoxParamW: reading the files, loading the set
    double creation = 0;       // DialogBoxParamW until WM_INITDIALOG: the dialog and its controls
    double init = 0;           // WM_INITDIALOG: the fill, or making and rendering the GUID
    double guid = 0;           // of which inside CoCreateGuid
    double showing = 0;        // WM_INITDIALOG done until the loop shows the dialog
    double painting = 0;       // shown until ready
    double total = 0;
};

Steps StepsOf(const ReadyRun& run, const Marks& marked) {
    Steps steps;
    const LARGE_INTEGER folder = marked.folderLookup.QuadPart ? marked.folderLookup : marked.dialogCall;
    steps.hostCalls = Milliseconds(run.start, folder);
    steps.configuration = Milliseconds(folder, marked.dialogCall);
    steps.creation = Milliseconds(marked.dialogCall, marked.initStart);
    steps.init = Milliseconds(marked.initStart, marked.initEnd);
    steps.guid = marked.guidMs;
    steps.showing = Milliseconds(marked.initEnd, marked.shown);
    steps.painting = Milliseconds(marked.shown, run.ready);
    steps.total = Milliseconds(run.start, run.ready);
    return steps;
}

Steps MedianSteps(const std::vector<Steps>& runs) {
    auto median = [&](double Steps::*field) {
        std::vector<double> values;
        for (const Steps& run : runs) values.push_back(run.*field);
        return Median(values);
    };
    Steps steps;
    for (double Steps::*field : {&Steps::hostCalls, &Steps::configuration, &Steps::creation, &Steps::init,
                                 &Steps::guid, &Steps::showing, &Steps::painting, &Steps::total}) {
        steps.*field = median(field);
    }
    return steps;
}

// --- the add-in --------------------------------------------------------------

// The built DLL loaded into this process, its Connect object made by the
// DLL's class factory and connected to the host stand-in. Disconnected and
// released at destruction.
class AddIn {
public:
    AddIn(const std::wstring& path, HostStandIn& host) : host_(host) {
        module_.reset(LoadLibraryW(path.c_str()));
        if (!module_) {
            error_ = "velmora.dll does not load from " + Narrow(path);
            return;
        }
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        const auto getClassObject =
            Callable<GetClassObject>(GetProcAddress(module_.get(), "DllGetClassObject"));
        ComPtr<IClassFactory> factory;
        if (!getClassObject ||
            FAILED(getClassObject(velmora::CLSID_Connect, IID_IClassFactory,
                                  reinterpret_cast<void**>(factory.GetAddressOf()))) ||
            FAILED(factory->CreateInstance(nullptr, velmora::IID_IDTExtensibility2,
                                           reinterpret_cast<void**>(extensibility_.GetAddressOf()))) ||
            FAILED(extensibility_.As(&target_))) {
            error_ = "the DLL's class factory gives no Connect object";
            return;
        }
        SAFEARRAY* custom = nullptr;
        if (FAILED(extensibility_->OnConnection(host_.Application(), velmora::ext_cm_AfterStartup, host_.AddIn(),
                                                &custom))) {
            error_ = "OnConnection failed";
            return;
        }
        connected_ = true;
    }
    ~AddIn() {
        if (connected_) {
            SAFEARRAY* custom = nullptr;
            extensibility_->OnDisconnection(velmora::ext_dm_HostShutdown, &custom);
        }
        target_.Reset();
        extensibility_.Reset();
    }
    AddIn(const AddIn&) = delete;
    AddIn& operator=(const AddIn&) = delete;

    bool Connected() const { return connected_; }
    const std::string& Error() const { return error_; }
    HMODULE Module() const { return module_.get(); }

    HRESULT Exec(BSTR command, VARIANT_BOOL& handled) {
        VARIANT in, out;
        VariantInit(&in);
        VariantInit(&out);
        handled = VARIANT_FALSE;
        const HRESULT result = target_->Exec(command, velmora::vsCommandExecOptionDoDefault, &in, &out, &handled);
        VariantClear(&out);
        return result;
    }

private:
    HostStandIn& host_;
    velmora::UniqueModule module_;  // unloaded after the objects are released
    ComPtr<IDTExtensibility2> extensibility_;
    ComPtr<IDTCommandTarget> target_;
    bool connected_ = false;
    std::string error_;
};

// --- the bare dialog ---------------------------------------------------------
//
// The floor: the dialog procedure only puts the texts in. The list's strings
// come already in the list's order, so they are appended where they belong
// (LB_INSERTSTRING takes the place given and does not sort), with storage
// reserved and redrawing off: the least a list box can be asked to do for
// them. A plain LB_ADDSTRING per string would search for each place and
// update the list per string, and cost the floor more than the add-in.

struct BareFill {
    UINT dialogId;
    const Contents* contents;
};

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        const BareFill& fill = *reinterpret_cast<const BareFill*>(lParam);
        if (fill.dialogId == IDD_TEMPLATE_PICKER) {
            const std::vector<std::wstring>& items = fill.contents->items;
            std::size_t bytes = 0;
            for (const std::wstring& item : items) bytes += (item.size() + 1) * sizeof(wchar_t);
            HWND list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
            SendMessageW(list, WM_SETREDRAW, FALSE, 0);
            SendMessageW(list, LB_INITSTORAGE, items.size(), static_cast<LPARAM>(bytes));
            for (const std::wstring& item : items) {
                SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.c_str()));
            }
            SendMessageW(list, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(list, nullptr, TRUE);
        } else {
            CheckRadioButton(dialog, IDC_GUID_FORMAT_FIRST, IDC_GUID_FORMAT_FIRST + velmora::guid::kFormatCount - 1,
                             IDC_GUID_FORMAT_FIRST + fill.contents->checkedFormat);
            SetDlgItemTextW(dialog, IDC_GUID_RESULT, fill.contents->guidText.c_str());
        }
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

// --- a case that hangs ------------------------------------------------------

// Ends the program when a case takes far longer than it can: a run that hangs
// before its pop-up's loop runs (where the ready timeout cannot act) must not
// hang the benchmark script.
class Watchdog {
public:
    Watchdog() : thread_([this] { Watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // Until Disarm, the program ends (exit code 2) when `limit` has passed.
    void Arm(const char* what, std::chrono::seconds limit) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            what_ = what;
            deadline_ = std::chrono::steady_clock::now() + limit;
            armed_ = true;
        }
        changed_.notify_all();
    }
    void Disarm() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            armed_ = false;
        }
        changed_.notify_all();
    }

private:
    void Watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stopping_) {
            if (!armed_) {
                changed_.wait(lock);
            } else if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ &&
                       std::chrono::steady_clock::now() >= deadline_) {
                std::fprintf(stderr, "time_to_ready_bench: %s did not finish in %lld s; stopped\n", what_,
                             static_cast<long long>(kCaseLimit.count()));
                std::fflush(stdout);
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 2);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    const char* what_ = "";
    std::chrono::steady_clock::time_point deadline_;
    bool armed_ = false;
    bool stopping_ = false;
    std::thread thread_;  // last: starts once the state above exists
};

// --- the cases ---------------------------------------------------------------

struct Case {
    const char* name;
    const wchar_t* command;
    UINT dialogId;
    bool generated;  // 1,000 generated templates instead of the starter's
};

const Case kCases[] = {
    {"CodeTemplate, starter configuration", L"Velmora.Connect.CodeTemplate", IDD_TEMPLATE_PICKER, false},
    {"CodeTemplate, 1000 templates", L"Velmora.Connect.CodeTemplate", IDD_TEMPLATE_PICKER, true},
    {"SelectGUID, starter GuidSet.ini", L"Velmora.Connect.SelectGUID", IDD_GUID_SELECT, false},
};

// Every file of the installer's starter folder (beside the built DLL) into
// the configuration folder; false when there is none.
bool CopyStarter(const std::wstring& dllPath, velmora::test::ConfigFolderFiles& files) {
    const std::wstring starter = dllPath.substr(0, dllPath.rfind(L'\\')) + L"\\starter\\";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((starter + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    int copied = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (auto bytes = velmora::test::ReadFileBytes(starter + found.cFileName)) {
            files.Write(found.cFileName, *bytes);
            ++copied;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return copied > 0;
}

class Bench {
public:
    Bench(const std::wstring& dllPath, HostStandIn& host, AddIn& addIn, ReadyWatch& watch)
        : dllPath_(dllPath), host_(host), addIn_(addIn), watch_(watch) {}

    // Measures one case; false when a run went wrong (said on stderr).
    bool Measure(const Case& c) {
        watchdog_.Arm(c.name, kCaseLimit);
        const bool measured = MeasureCase(c);
        watchdog_.Disarm();
        return measured;
    }

    // The table, the breakdown and the ratio lines; true when every target is met.
    bool Report() const;

private:
    // The warm-up and measured runs of one case, then the marked ones.
    bool MeasureCase(const Case& c) {
        velmora::test::ConfigFolderFiles files;
        if (c.generated) {
            files.Write(L"CodeSet.ini", "Generated templates, one file for C++.\r\nBench.txt=cpp\r\n");
            files.Write(L"Bench.txt", velmora::bench::MakeTemplateFile(kGeneratedTemplates));
        } else if (!CopyStarter(dllPath_, files)) {
            std::fprintf(stderr, "time_to_ready_bench: no starter configuration beside the DLL\n");
            return false;
        }
        current_ = &c;
        velmora::UniqueBstr command(SysAllocString(c.command));

        std::vector<double> addInMs, bareMs;
        std::size_t items = 0;
        for (int round = 0; round <= kRounds; ++round) {  // round 0 is the warm-up
            Contents shown;
            double ms = TimeAddIn(command.get(), shown);
            if (ms < 0 || !Plausible(c, shown)) return false;
            if (round) addInMs.push_back(ms);
            ms = TimeBare(shown);
            if (ms < 0) return false;
            if (round) bareMs.push_back(ms);
            if (!round) items = shown.items.size();
        }

        std::vector<Steps> addInSteps, bareSteps;
        {
            MarkedImports imports(addIn_.Module());
            if (!imports.Installed()) {
                std::fprintf(stderr, "time_to_ready_bench: the add-in's imports cannot be marked\n");
                return false;
            }
            for (int round = 0; round < kTracedRounds; ++round) {
                Marks marked;
                Contents shown;
                ReadyRun run;
                if (TimeAddIn(command.get(), shown, &marked, &run) < 0) return false;
                addInSteps.push_back(StepsOf(run, marked));
                Marks bareMarked;
                if (TimeBare(shown, &bareMarked, &run) < 0) return false;
                bareSteps.push_back(StepsOf(run, bareMarked));
            }
        }
        results_.push_back({c.name, items, Median(addInMs), Median(bareMs), MedianSteps(addInSteps),
                            MedianSteps(bareSteps)});
        return true;
    }

    struct Result {
        const char* name;
        std::size_t items;
        double addInMs;
        double bareMs;
        Steps addInSteps;
        Steps bareSteps;
    };

    static std::string Shows(const Result& r) {
        return r.items ? std::to_string(r.items) + " items" : std::string("a GUID");
    }

    static void PrintSteps(const char* name, const char* who, const Steps& s) {
        const std::string label = std::string(name) + ", " + who;
        std::printf("%-44s %6.2f %6.2f %6.2f %6.2f %6.2f %6.2f %6.2f %7.2f\n", label.c_str(), s.hostCalls,
                    s.configuration, s.creation, s.init, s.guid, s.showing, s.painting, s.total);
    }

    // The add-in's pop-up shows what the case makes it show.
    bool Plausible(const Case& c, const Contents& shown) const {
        const bool ok = c.dialogId == IDD_GUID_SELECT
                            ? !shown.guidText.empty() && shown.checkedFormat >= 0
                            : c.generated ? shown.items.size() == static_cast<std::size_t>(kGeneratedTemplates)
                                          : !shown.items.empty();
        if (!ok) std::fprintf(stderr, "time_to_ready_bench: %s: the pop-up did not show what it should\n", c.name);
        return ok;
    }

    // Exec of the case's command until its pop-up is ready; what it showed
    // goes to `shown`. Negative when the run went wrong.
    double TimeAddIn(BSTR command, Contents& shown, Marks* marked = nullptr, ReadyRun* runOut = nullptr) {
        ReadyRun run;
        const UINT dialogId = current_->dialogId;
        run.atReady = [&](HWND dialog) { shown = ReadContents(dialog, dialogId); };
        HRESULT result = E_FAIL;
        VARIANT_BOOL handled = VARIANT_FALSE;
        marks = marked;
        watch_.Run(run, [&] { result = addIn_.Exec(command, handled); });
        marks = nullptr;
        const bool hostClean = host_.HeldObjects().empty() && host_.OverReleases().empty();
        if (result != S_OK || handled != VARIANT_TRUE || !run.reached || run.failed || !hostClean) {
            std::fprintf(stderr,
                         "time_to_ready_bench: %s: Exec gave 0x%08lx, handled %d, ready %d, timed out %d; host: %s\n",
                         current_->name, static_cast<unsigned long>(result), handled, run.reached, run.timedOut,
                         Narrow(host_.DescribeReferences()).c_str());
            return -1;
        }
        if (runOut) *runOut = run;
        return Milliseconds(run.start, run.ready);
    }

    // DialogBoxParam of the same template, filled with `contents`, until ready.
    double TimeBare(const Contents& contents, Marks* marked = nullptr, ReadyRun* runOut = nullptr) {
        ReadyRun run;
        const UINT dialogId = current_->dialogId;
        Contents shown;
        run.atReady = [&](HWND dialog) { shown = ReadContents(dialog, dialogId); };
        BareFill fill{dialogId, &contents};
        marks = marked;
        watch_.Run(run, [&] {
            MarkedDialogBox(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialogId), nullptr, &BareDialogProc,
                            reinterpret_cast<LPARAM>(&fill));
        });
        marks = nullptr;
        if (!run.reached || run.failed || !(shown == contents)) {
            std::fprintf(stderr, "time_to_ready_bench: %s: the bare dialog %s\n", current_->name,
                         run.reached ? "did not show the add-in's texts" : "never got ready");
            return -1;
        }
        if (runOut) *runOut = run;
        return Milliseconds(run.start, run.ready);
    }

    std::wstring dllPath_;
    HostStandIn& host_;
    AddIn& addIn_;
    ReadyWatch& watch_;
    const Case* current_ = nullptr;
    std::vector<Result> results_;
    Watchdog watchdog_;
};

bool Bench::Report() const {
    std::printf("%-44s %10s %10s %9s %7s\n", "pop-up", "shows", "add-in ms", "bare ms", "ratio");
    for (const Result& r : results_) {
        std::printf("%-44s %10s %10.1f %9.1f %7.2f\n", r.name, Shows(r).c_str(), r.addInMs, r.bareMs,
                    r.addInMs / r.bareMs);
    }
    std::printf("\nwhere the time goes (ms, medians of %d marked runs): host = Exec to the first look for the\n"
                "configuration folder; config = reading it and loading the set; create = DialogBoxParamW to\n"
                "WM_INITDIALOG; init = WM_INITDIALOG (guid: inside CoCreateGuid); show = until the loop shows\n"
                "it; paint = shown until ready\n",
                kTracedRounds);
    std::printf("%-44s %6s %6s %6s %6s %6s %6s %6s %7s\n", "", "host", "config", "create", "init", "guid", "show",
                "paint", "total");
    for (const Result& r : results_) {
        PrintSteps(r.name, "add-in", r.addInSteps);
        PrintSteps(r.name, "bare", r.bareSteps);
    }
    std::printf("\n");
    bool met = true;
    for (const Result& r : results_) {
        const double ratio = r.addInMs / r.bareMs;
        met = met && ratio <= kTarget;
        std::printf("time to ready, %s: %.2fx the bare dialog (target <= %.1fx): %s\n", r.name, ratio, kTarget,
                    ratio <= kTarget ? "met" : "NOT met");
    }
    return met;
}

struct ComApartment {
    ComApartment() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result)) CoUninitialize();
    }
    HRESULT result;
};

std::string WineVersion() {
    using Version = const char*(CDECL*)();
    const auto version =
        Callable<Version>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"));
    return version ? std::string("Wine ") + version() : std::string("not Wine");
}

// The measurement, with the add-in connected; 0, 1 or 2 as main returns.
int MeasureAll(const std::wstring& dllPath, HostStandIn& host) {
    AddIn addIn(dllPath, host);
    if (!addIn.Connected()) {
        std::fprintf(stderr, "time_to_ready_bench: %s\n", addIn.Error().c_str());
        return 2;
    }
    ReadyWatch watch;
    if (!watch.Usable()) {
        std::fprintf(stderr, "time_to_ready_bench: no probe window, hook or queue status on this system\n");
        return 2;
    }
    std::printf("time from Exec to the pop-up ready for input, against a bare dialog of the same template\n"
                "(%s, %d-bit; wall clock, medians of %d runs each after one warm-up run, which is not counted)\n\n",
                WineVersion().c_str(), static_cast<int>(sizeof(void*) * 8), kRounds);
    Bench bench(dllPath, host, addIn, watch);
    for (const Case& c : kCases) {
        if (!bench.Measure(c)) return 2;
    }
    return bench.Report() ? 0 : 1;
}

int RunBench() {
    const ComApartment apartment;
    HostStandIn host;
    const int status = MeasureAll(velmora::test::WindowsPathOf(VELMORA_BUILT_DLL), host);
    // The add-in is disconnected and released: it must hold nothing of the host.
    if (!host.HeldObjects().empty() || !host.OverReleases().empty() || host.ApplicationReferences() != 0 ||
        host.AddInReferences() != 0) {
        std::fprintf(stderr, "time_to_ready_bench: host objects still referenced: %s\n",
                     Narrow(host.DescribeReferences()).c_str());
        return 2;
    }
    return status;
}

}  // namespace

int main() {
    try {
        return RunBench();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "time_to_ready_bench: %s\n", error.what());
        return 2;
    }
}
