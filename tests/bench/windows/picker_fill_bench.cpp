// How long the template picker takes from DoModal until its filled list is
// on the screen, for 1,000, 10,000 and 50,000 templates, against a bare
// dialog of the same template whose list box does not sort and is given the
// same strings already sorted. For reference it also times the fill the
// picker had before: one LB_ADDSTRING per template in the set's order into
// the sorting list, with redrawing on and no storage reserved.
//
// The end of a run is the first time the dialog's message loop goes idle
// with the dialog visible and nothing of it left to paint: the loop then
// sends WM_ENTERIDLE to the dialog's owner, a hidden window of this program,
// which notes the time and closes the dialog. Each figure is the median of
// several runs, in wall-clock time (the work is the dialog manager's and the
// list box's as much as ours). The last line gives the 50,000-template ratio.
//
// Run under Wine by scripts/bench-windows.sh (a Release Windows build).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "framework/TextConversion.h"
#include "resources/resource.h"
#include "templates/CodeTemplateSet.h"
#include "templates/TemplatePickerDialog.h"
#include "tests/bench/windows/BenchSupport.h"
#include "tests/native/TemplateTestFiles.h"

namespace {

using velmora::AsWide;
using velmora::CodeTemplateSet;
using velmora::bench::MakeTemplateFile;
using velmora::bench::Median;
using velmora::bench::Milliseconds;

constexpr int kSizes[] = {1000, 10000, 50000};
constexpr double kTarget = 1.2;

// --- timing the dialog until it is shown -----------------------------------

struct Run {
    LARGE_INTEGER start{};
    LARGE_INTEGER shown{};
    bool done = false;
    LRESULT items = 0;
};
Run* current = nullptr;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX && current && !current->done) {
        HWND dialog = reinterpret_cast<HWND>(lParam);
        HWND list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
        if (IsWindowVisible(dialog) && !GetUpdateRect(dialog, nullptr, FALSE) && !GetUpdateRect(list, nullptr, FALSE)) {
            QueryPerformanceCounter(&current->shown);
            current->done = true;
            current->items = SendMessageW(list, LB_GETCOUNT, 0, 0);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeOwner() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &OwnerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PickerBenchOwner";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

// Milliseconds from the start of `show` to the filled list on the screen, or
// a negative value when the run went wrong.
double TimeOneRun(const std::function<void()>& show, int expectedItems) {
    Run run;
    current = &run;
    QueryPerformanceCounter(&run.start);
    show();
    current = nullptr;
    if (!run.done || run.items != expectedItems) {
        std::fprintf(stderr, "picker_fill_bench: a run ended with %ld of %d items%s\n", static_cast<long>(run.items),
                     expectedItems, run.done ? "" : " and never went idle");
        return -1;
    }
    return Milliseconds(run.start, run.shown);
}

// --- the bare dialog: template 104 with LBS_SORT taken off its list --------

// Skips a sz_Or_Ord field of a dialog template.
const WORD* SkipNameOrOrdinal(const WORD* field) {
    if (*field == 0x0000) return field + 1;
    if (*field == 0xFFFF) return field + 2;
    while (*field) ++field;
    return field + 1;
}

// A copy of dialog 104 (an extended template with one control) whose list
// box does not sort; empty when the resource is not as expected.
std::vector<BYTE> UnsortedPickerTemplate() {
    HINSTANCE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(IDD_TEMPLATE_PICKER), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (!info) return {};
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
    std::vector<BYTE> copy(bytes, bytes + SizeofResource(module, info));
    const WORD* words = reinterpret_cast<const WORD*>(copy.data());
    if (words[0] != 1 || words[1] != 0xFFFF) return {};  // DLGTEMPLATEEX
    DWORD style = 0;
    std::memcpy(&style, copy.data() + 12, sizeof style);
    const WORD* field = words + 13;  // after the header's fixed part (26 bytes)
    field = SkipNameOrOrdinal(field);  // menu
    field = SkipNameOrOrdinal(field);  // class
    field = SkipNameOrOrdinal(field);  // title
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        field += 3;  // point size, weight, italic and character set
        field = SkipNameOrOrdinal(field);
    }
    std::size_t item = reinterpret_cast<const BYTE*>(field) - copy.data();
    item = (item + 3) & ~std::size_t{3};
    DWORD itemStyle = 0;
    std::memcpy(&itemStyle, copy.data() + item + 8, sizeof itemStyle);  // after helpID and exStyle
    if (!(itemStyle & LBS_SORT)) return {};
    itemStyle &= ~static_cast<DWORD>(LBS_SORT);
    std::memcpy(copy.data() + item + 8, &itemStyle, sizeof itemStyle);
    return copy;
}

struct BareFill {
    const std::vector<std::u16string>* texts;
    bool reserve;  // LB_INITSTORAGE and WM_SETREDRAW off, as the picker does
};

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const BareFill& fill = *reinterpret_cast<const BareFill*>(lParam);
        HWND list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
        if (fill.reserve) {
            std::size_t bytes = 0;
            for (const std::u16string& text : *fill.texts) bytes += (text.size() + 1) * sizeof(wchar_t);
            SendMessageW(list, WM_SETREDRAW, FALSE, 0);
            SendMessageW(list, LB_INITSTORAGE, fill.texts->size(), static_cast<LPARAM>(bytes));
        }
        for (const std::u16string& text : *fill.texts)
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(text.c_str())));
        if (fill.reserve) {
            SendMessageW(list, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(list, nullptr, TRUE);
        }
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

// The picker's fill before it was made fast, on dialog 104 itself.
INT_PTR CALLBACK NaiveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto& texts = *reinterpret_cast<const std::vector<std::u16string>*>(lParam);
        HWND list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
        for (const std::u16string& text : texts)
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(text.c_str())));
        return TRUE;
    }
    return BareDialogProc(dialog, message, wParam, lParam);
}

}  // namespace

int main() {
    HWND owner = MakeOwner();
    const std::vector<BYTE> bareTemplate = UnsortedPickerTemplate();
    if (!owner || bareTemplate.empty()) {
        std::fprintf(stderr, "picker_fill_bench: no owner window or no dialog template\n");
        return 2;
    }
    const auto* bare = reinterpret_cast<const DLGTEMPLATE*>(bareTemplate.data());

    std::printf("%9s %10s %10s %12s %10s %8s %10s\n", "templates", "picker ms", "bare ms", "bare+res ms", "before ms",
                "ratio", "ratio+res");
    double lastRatio = -1;
    for (int count : kSizes) {
        velmora::testing::MemoryTemplateFiles files;
        files.SetFile("bench.txt=*\n");
        files.AddTemplate(u"bench.txt", MakeTemplateFile(count));
        CodeTemplateSet set(files);
        if (set.LoadForExtension(u"cpp") != 0) {
            std::fprintf(stderr, "picker_fill_bench: the generated templates do not load\n");
            return 2;
        }
        std::vector<std::u16string> inSetOrder;
        for (int i = 0; i < set.GetCount(); ++i) inSetOrder.emplace_back(set.GetDisplayText(i));
        std::vector<std::u16string> sorted = inSetOrder;
        std::sort(sorted.begin(), sorted.end(), [](const std::u16string& a, const std::u16string& b) {
            return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, AsWide(a.c_str()), -1, AsWide(b.c_str()),
                                  -1) == CSTR_LESS_THAN;
        });
        BareFill plain{&sorted, false};
        BareFill reserved{&sorted, true};

        const int rounds = count >= 50000 ? 5 : 9;
        std::vector<double> picker, bareFill, bareReserved, before;
        for (int round = 0; round < rounds; ++round) {
            picker.push_back(TimeOneRun(
                [&] {
                    velmora::TemplatePickerDialog dialog(&set);
                    dialog.DoModal(owner);
                },
                count));
            bareFill.push_back(TimeOneRun(
                [&] {
                    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), bare, owner, &BareDialogProc,
                                            reinterpret_cast<LPARAM>(&plain));
                },
                count));
            bareReserved.push_back(TimeOneRun(
                [&] {
                    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), bare, owner, &BareDialogProc,
                                            reinterpret_cast<LPARAM>(&reserved));
                },
                count));
            if (round < 3) {
                before.push_back(TimeOneRun(
                    [&] {
                        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TEMPLATE_PICKER), owner,
                                        &NaiveDialogProc, reinterpret_cast<LPARAM>(&inSetOrder));
                    },
                    count));
            }
        }
        for (const auto* series : {&picker, &bareFill, &bareReserved, &before}) {
            if (std::any_of(series->begin(), series->end(), [](double ms) { return ms < 0; })) return 1;
        }
        const double ratio = Median(picker) / Median(bareFill);
        const double ratioReserved = Median(picker) / Median(bareReserved);
        std::printf("%9d %10.1f %10.1f %12.1f %10.1f %8.2f %10.2f\n", count, Median(picker), Median(bareFill),
                    Median(bareReserved), Median(before), ratio, ratioReserved);
        std::fflush(stdout);
        lastRatio = ratio;
    }
    DestroyWindow(owner);
    std::printf("picker fill, %d templates: %.2fx the bare pre-sorted fill (target <= %.1fx): %s\n",
                kSizes[sizeof kSizes / sizeof kSizes[0] - 1], lastRatio, kTarget, lastRatio <= kTarget ? "met" : "NOT met");
    return 0;
}
