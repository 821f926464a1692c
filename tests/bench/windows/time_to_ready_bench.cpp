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
// At ready the pop-up is cancelled, and Exec returns; a pop-up that never
// gets ready is cancelled by the test fixtures' deadline, and the run counts
// as failed.
//
// Each figure is the median of kRounds runs after one warm-up run of each
// kind, which is not counted; add-in and bare runs alternate, and a case's
// ratio is the median of the ratios of each add-in run to the bare run right
// after it, so that a busy moment of the machine falls on both sides of a
// ratio alike. Wall-clock time
// (QueryPerformanceCounter): the work is the window system's as much as the
// add-in's. The last three lines give the ratios; the program exits with 1
// when one is over kTarget, and with 2 when a run went wrong.
//
// Run under Wine by scripts/bench-windows.sh (a Release Windows build).
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"
#include "guid/GuidFormat.h"
#include "resources/resource.h"
#include "testbed/fixtures/ComApartment.h"
#include "testbed/fixtures/ConfigFolderFiles.h"
#include "testbed/fixtures/PopUpDriver.h"
#include "testbed/fixtures/TestEnvironment.h"
#include "testbed/fixtures/WindowContents.h"
#include "testbed/host/HostStandIn.h"
#include "tests/bench/windows/BenchSupport.h"
#include "tests/bench/windows/BuiltAddIn.h"

namespace {

using velmora::bench::AddIn;
using velmora::bench::Callable;
using velmora::bench::Median;
using velmora::bench::Milliseconds;
using velmora::host::HostStandIn;

constexpr int kRounds = 21;  // measured runs of each kind, after one warm-up run
constexpr double kTarget = 1.3;
constexpr DWORD kReadyTimeoutMs = 10000;
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

// Text for the console, which the benchmark writes as UTF-8.
std::string Narrow(const std::wstring& text) { return velmora::ToCodePage(text, CP_UTF8); }

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
        contents.items = velmora::popup::ListItems(GetDlgItem(dialog, IDC_TEMPLATE_LIST));
        return contents;
    }
    contents.guidText = velmora::popup::ItemText(dialog, IDC_GUID_RESULT);
    for (int format = 0; format < velmora::guid::kFormatCount; ++format) {
        if (IsDlgButtonChecked(dialog, IDC_GUID_FORMAT_FIRST + format) == BST_CHECKED) contents.checkedFormat = format;
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
// enabled, focused and painted: the loop's next PeekMessage finds nothing and
// the loop waits for input; that is the end of the run. When only sent or
// posted messages wait, another probe is posted behind them. Paint, timer and
// input messages come after posted ones, so a probe posted then would only
// come back first: the loop takes those, and taking one posts the next probe.
//
// Cost: one posted message per message the loop takes, the same for the
// add-in and the bare dialog.

struct ReadyRun {
    LARGE_INTEGER start{};
    LARGE_INTEGER ready{};
    bool reached = false;
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
        DropProbes();
        return seen && HIWORD(GetQueueStatus(kQueueAll)) == 0;
    }

    // Starts the clock and calls `show`, which must show a pop-up and return
    // once it has closed. A pop-up that is not ready after kReadyTimeoutMs is
    // cancelled by the fixtures' deadline, which costs the run nothing before
    // (the hooks of the fixtures' driver would wake its thread at every
    // message, and cost more than the pop-up itself under Wine).
    void Run(ReadyRun& run, const std::function<void()>& show) {
        run_ = &run;
        probePosted_ = false;
        velmora::popup::PopUpDeadline deadline(kReadyTimeoutMs);
        run.start = Now();
        show();
        deadline.Finish();
        run_ = nullptr;
        DropProbes();  // a probe still queued after an early end
    }

private:
    static constexpr UINT kProbe = WM_APP + 1;

    void DropProbes() const {
        MSG message;
        while (PeekMessageW(&message, window_.get(), 0, 0, PM_REMOVE)) {
        }
    }

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
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void PostProbe() {
        if (!probePosted_) probePosted_ = PostMessageW(window_.get(), kProbe, 0, 0) != FALSE;
    }

    void Probe() {
        if (!run_ || run_->reached) return;
        const bool inputAvailable =
            MsgWaitForMultipleObjectsEx(0, nullptr, 0, kQueueAll, MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
        const DWORD waiting = HIWORD(GetQueueStatus(kQueueAll));
        if (!inputAvailable && waiting == 0) {
            // Not shown yet: its showing and painting come as messages the loop takes.
            const HWND dialog = velmora::popup::ThreadDialog(GetCurrentThreadId(), false);
            if (dialog && IsWindowVisible(dialog) && IsWindowEnabled(dialog) && HasFocus(dialog) &&
                velmora::popup::NothingToPaint(dialog)) {
                Finish(dialog);
            }
            return;
        }
        if (!(waiting & (QS_PAINT | QS_TIMER | QS_KEY | QS_MOUSE | QS_RAWINPUT))) PostProbe();
    }

    // The keyboard focus is in the dialog: a key pressed now goes to it.
    static bool HasFocus(HWND dialog) {
        const HWND focus = GetFocus();
        return focus && (focus == dialog || IsChild(dialog, focus));
    }

    void Finish(HWND dialog) {
        run_->ready = Now();
        run_->reached = true;
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

struct Result {
    const char* name;
    std::size_t items;
    double addInMs;
    double bareMs;
    double ratio;  // the median of the runs' ratios
};

class Bench {
public:
    Bench(const std::wstring& dllPath, HostStandIn& host, AddIn& addIn, ReadyWatch& watch)
        : dllPath_(dllPath), host_(host), addIn_(addIn), watch_(watch) {}

    // The warm-up and measured runs of one case; false when a run went
    // wrong (said on stderr).
    bool Measure(const Case& c, Result& result) {
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

        std::vector<double> addInMs, bareMs, ratios;
        for (int round = 0; round <= kRounds; ++round) {  // round 0 is the warm-up
            Contents shown;
            const double addIn = TimeAddIn(command.get(), shown);
            if (addIn < 0 || !Plausible(c, shown)) return false;
            const double bare = TimeBare(shown);
            if (bare <= 0) return false;
            if (!round) {
                result.items = shown.items.size();
                continue;
            }
            addInMs.push_back(addIn);
            bareMs.push_back(bare);
            ratios.push_back(addIn / bare);
        }
        result.name = c.name;
        result.addInMs = Median(addInMs);
        result.bareMs = Median(bareMs);
        result.ratio = Median(ratios);
        return true;
    }

private:
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
    double TimeAddIn(BSTR command, Contents& shown) {
        ReadyRun run;
        const UINT dialogId = current_->dialogId;
        run.atReady = [&](HWND dialog) { shown = ReadContents(dialog, dialogId); };
        HRESULT result = E_FAIL;
        VARIANT_BOOL handled = VARIANT_FALSE;
        watch_.Run(run, [&] { result = addIn_.Exec(command, handled); });
        const bool hostClean = host_.HeldObjects().empty() && host_.OverReleases().empty();
        if (result != S_OK || handled != VARIANT_TRUE || !run.reached || run.failed || !hostClean) {
            std::fprintf(stderr, "time_to_ready_bench: %s: Exec gave 0x%08lx, handled %d, ready %d; host: %s\n",
                         current_->name, static_cast<unsigned long>(result), handled, run.reached,
                         Narrow(host_.DescribeReferences()).c_str());
            return -1;
        }
        return Milliseconds(run.start, run.ready);
    }

    // DialogBoxParam of the same template, filled with `contents`, until ready.
    double TimeBare(const Contents& contents) {
        ReadyRun run;
        const UINT dialogId = current_->dialogId;
        Contents shown;
        run.atReady = [&](HWND dialog) { shown = ReadContents(dialog, dialogId); };
        BareFill fill{dialogId, &contents};
        watch_.Run(run, [&] {
            DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialogId), nullptr, &BareDialogProc,
                            reinterpret_cast<LPARAM>(&fill));
        });
        if (!run.reached || run.failed || !(shown == contents)) {
            std::fprintf(stderr, "time_to_ready_bench: %s: the bare dialog %s\n", current_->name,
                         run.reached ? "did not show the add-in's texts" : "never got ready");
            return -1;
        }
        return Milliseconds(run.start, run.ready);
    }

    std::wstring dllPath_;
    HostStandIn& host_;
    AddIn& addIn_;
    ReadyWatch& watch_;
    const Case* current_ = nullptr;
};

// The table and the ratio lines; true when every target is met.
bool Report(const std::vector<Result>& results) {
    std::printf("%-44s %10s %10s %9s %7s\n", "pop-up", "shows", "add-in ms", "bare ms", "ratio");
    for (const Result& r : results) {
        const std::string shows = r.items ? std::to_string(r.items) + " items" : std::string("a GUID");
        std::printf("%-44s %10s %10.1f %9.1f %7.2f\n", r.name, shows.c_str(), r.addInMs, r.bareMs, r.ratio);
    }
    std::printf("\n");
    bool met = true;
    for (const Result& r : results) {
        const double ratio = r.ratio;
        met = met && ratio <= kTarget;
        std::printf("time to ready, %s: %.2fx the bare dialog (target <= %.1fx): %s\n", r.name, ratio, kTarget,
                    ratio <= kTarget ? "met" : "NOT met");
    }
    return met;
}

std::string WineVersion() {
    using Version = const char*(CDECL*)();
    const auto version = Callable<Version>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"));
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
                "(%s, %d-bit; wall clock, medians of %d runs each after one warm-up run, which is not counted;\n"
                "ratio: the median of each add-in run against the bare run after it)\n\n",
                WineVersion().c_str(), static_cast<int>(sizeof(void*) * 8), kRounds);
    Bench bench(dllPath, host, addIn, watch);
    std::vector<Result> results;
    for (const Case& c : kCases) {
        results.emplace_back();
        if (!bench.Measure(c, results.back())) return 2;
    }
    return Report(results) ? 0 : 1;
}

int RunBench() {
    const velmora::test::ComApartment apartment;
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
