// Whose memory the special-folder picker leaves behind. After warm-up runs,
// the process's heap bytes in use (every heap, walked by HeapWalk) and its
// private bytes are read, then again after 100 and after 300 runs of
//   the add-in's ProjectExplorerSp (the built velmora.dll, through Exec),
//     its picker cancelled as soon as it is shown;
//   a bare dialog of the same template that makes the same shell calls:
//     an image list, SHGetFileInfoW for each place's small icon, each icon
//     copied into the list and destroyed, one tree item each; cancelled alike;
//   with --icons-alone, the shell calls alone: SHGetFileInfoW for each
//     place's icon, destroyed.
// A growth that the bare dialog shows as well is not the add-in's.
//
// Run under Wine by scripts/bench-windows.sh picker_memory_bench. It prints
// figures and judges nothing: exit code 0, or 2 when a run went wrong.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <exception>
#include <functional>
#include <string>

#include "explorer/SpecialFolderTable.h"
#include "framework/UniqueHandle.h"
#include "framework/TextConversion.h"
#include "resources/resource.h"
#include "testbed/fixtures/ComApartment.h"
#include "testbed/fixtures/PopUpDriver.h"
#include "testbed/fixtures/TestEnvironment.h"
#include "testbed/host/HostStandIn.h"
#include "tests/bench/windows/BuiltAddIn.h"

namespace {

using velmora::explorer::IsOfferedFolder;
using velmora::explorer::kLastShellFolder;
using velmora::explorer::kSpecialFolderCount;

constexpr int kWarmUpRuns = 10;
constexpr int kCounts[] = {100, 300};

struct Memory {
    double heapBytes = 0;     // in use, over every heap of the process
    double privateBytes = 0;  // PrivateUsage
};

Memory Measure() {
    Memory memory;
    HANDLE heaps[256];
    const DWORD count = GetProcessHeaps(256, heaps);
    for (DWORD i = 0; i < count && i < 256; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) memory.heapBytes += entry.cbData;
        }
        HeapUnlock(heaps[i]);
    }
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        // Wine leaves PrivateUsage at 0 and gives the private bytes as the
        // page-file usage, which Windows counts the same way.
        memory.privateBytes = static_cast<double>(counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage);
    }
    return memory;
}

// The small icon of place `number` as the shell hands it over; null when
// the place does not exist here.
HICON ShellIcon(int number) {
    SHFILEINFOW info = {};
    if (number > kLastShellFolder) {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = GetTempPathW(MAX_PATH, path);
        if (length == 0 || length >= MAX_PATH) return nullptr;
        if (!SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) return nullptr;
        return info.hIcon;
    }
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, number, &list)) || !list) return nullptr;
    const DWORD_PTR found = SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info,
                                           SHGFI_ICON | SHGFI_SMALLICON | SHGFI_PIDL);
    CoTaskMemFree(list);
    return found ? info.hIcon : nullptr;
}

// The bare picker: the same list of icons and the same tree, nothing else.
INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept {
    if (message == WM_INITDIALOG) {
        HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR8, 64, 64);
        ImageList_SetBkColor(images, RGB(255, 255, 255));
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(images));
        HWND tree = GetDlgItem(dialog, IDC_FOLDER_TREE);
        TreeView_SetImageList(tree, images, TVSIL_NORMAL);
        for (int number = 0; number < kSpecialFolderCount; ++number) {
            if (!IsOfferedFolder(number)) continue;
            const HICON icon = ShellIcon(number);
            if (!icon) continue;
            const int image = ImageList_ReplaceIcon(images, -1, icon);
            DestroyIcon(icon);
            TVINSERTSTRUCTW insert = {};
            insert.hParent = TVI_ROOT;
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
            insert.item.pszText = const_cast<wchar_t*>(velmora::AsWide(velmora::explorer::SpecialFolderTable[number]));
            insert.item.iImage = image;
            insert.item.iSelectedImage = image;
            insert.item.lParam = number;
            SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
        }
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    if (message == WM_DESTROY) {
        ImageList_Destroy(reinterpret_cast<HIMAGELIST>(GetWindowLongPtrW(dialog, DWLP_USER)));
        return FALSE;
    }
    return FALSE;
}

// Runs `show` with the fixtures' driver cancelling its pop-up once shown;
// false when no pop-up came or it had to be forced shut.
bool ShownAndCancelled(const std::function<void()>& show) {
    const velmora::popup::PopUpOutcome outcome = velmora::popup::RunWithPopUp(show, [](HWND dialog) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    return outcome.appeared && outcome.closedByUser;
}

// Warm-up runs, then the figures after each count of runs; false when a run
// went wrong.
bool Report(const char* name, const std::function<bool()>& run) {
    for (int i = 0; i < kWarmUpRuns; ++i) {
        if (!run()) return false;
    }
    const Memory before = Measure();
    std::printf("%-34s at the start:     heap in use %8.1f KB, private bytes %8.1f KB\n", name,
                before.heapBytes / 1024, before.privateBytes / 1024);
    int done = 0;
    for (const int count : kCounts) {
        for (; done < count; ++done) {
            if (!run()) return false;
        }
        const Memory after = Measure();
        std::printf("%-34s after %3d runs: heap in use %+8.1f KB, private bytes %+8.1f KB\n", name, count,
                    (after.heapBytes - before.heapBytes) / 1024, (after.privateBytes - before.privateBytes) / 1024);
    }
    return true;
}

std::string WineVersion() {
    using Version = const char*(CDECL*)();
    const auto version =
        velmora::bench::Callable<Version>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"));
    return version ? std::string("Wine ") + version() : std::string("not Wine");
}

int RunAll(bool iconsAlone, bool bareFirst) {
    const velmora::test::ComApartment apartment;
    if (FAILED(apartment.Result())) return 2;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    int status = 0;
    {
        velmora::host::HostStandIn host;
        velmora::bench::AddIn addIn(velmora::test::WindowsPathOf(VELMORA_BUILT_DLL), host);
        std::setvbuf(stdout, nullptr, _IONBF, 0);  // each figure as it comes: a run takes a while
        if (!addIn.Connected()) {
            std::fprintf(stderr, "picker_memory_bench: %s\n", addIn.Error().c_str());
            status = 2;
        }
        std::printf("memory after %d warm-up runs of each (%s, %d-bit)\n", kWarmUpRuns, WineVersion().c_str(),
                    static_cast<int>(sizeof(void*) * 8));
        velmora::UniqueBstr command(SysAllocString(L"Velmora.Connect.ProjectExplorerSp"));
        auto addInRun = [&] {
            HRESULT result = E_FAIL;
            VARIANT_BOOL handled = VARIANT_FALSE;
            const bool shown = ShownAndCancelled([&] { result = addIn.Exec(command.get(), handled); });
            return shown && result == S_OK && handled == VARIANT_TRUE && host.HeldObjects().empty();
        };
        auto bareRun = [] {
            return ShownAndCancelled([] {
                DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SPECIAL_FOLDER_PICKER), nullptr,
                                &BareDialogProc, 0);
            });
        };
        auto shellRun = [] {
            for (int number = 0; number < kSpecialFolderCount; ++number) {
                if (!IsOfferedFolder(number)) continue;
                if (const HICON icon = ShellIcon(number)) DestroyIcon(icon);
            }
            return true;
        };
        // With --bare-first the bare dialog is measured before the add-in,
        // so that neither gains from warm-up runs of the other.
        const bool ok =
            status == 0 &&
            (bareFirst ? Report("bare dialog, same calls", bareRun) && Report("ProjectExplorerSp (add-in)", addInRun)
                       : Report("ProjectExplorerSp (add-in)", addInRun) && Report("bare dialog, same calls", bareRun)) &&
            (!iconsAlone || Report("SHGetFileInfoW icons alone", shellRun));
        if (status == 0 && !ok) {
            std::fprintf(stderr, "picker_memory_bench: a run went wrong\n");
            status = 2;
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string option = argc > 1 ? argv[1] : "";
        return RunAll(option == "--icons-alone", option == "--bare-first");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "picker_memory_bench: %s\n", error.what());
        return 2;
    }
}
