// The folder explorer as a user meets it: ProjectExplorer on the open
// solution, then the special-folder picker (with a screenshot of it) and a
// double-click on one of its entries. The add-in's one call into the shell,
// ShellExecuteExW, is watched in the loaded DLL's import table, so the demo
// shows each request the shell would get instead of opening windows.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/demo/Scenario.h"

namespace velmora::demo {
namespace {

constexpr int kFolderTree = 201;
constexpr LPARAM kItemTagBit = static_cast<LPARAM>(0x80000000u);

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

// --- The watched shell call ------------------------------------------------

struct ShellRequest {
    std::wstring verb;
    std::wstring file;
    std::wstring idList;  // the shell's parsing name of the item ID list
    ULONG mask = 0;
    DWORD size = 0;
    int show = 0;
};

std::vector<ShellRequest> requests;

BOOL WINAPI RecordShellExecute(SHELLEXECUTEINFOW* info) {
    ShellRequest request;
    request.size = info->cbSize;
    request.mask = info->fMask;
    request.show = info->nShow;
    request.verb = info->lpVerb ? info->lpVerb : L"(none)";
    request.file = info->lpFile ? info->lpFile : L"(none)";
    if (info->lpIDList) {
        wchar_t* name = nullptr;
        if (SUCCEEDED(SHGetNameFromIDList(static_cast<PCIDLIST_ABSOLUTE>(info->lpIDList),
                                          SIGDN_DESKTOPABSOLUTEPARSING, &name))) {
            request.idList = name;
            CoTaskMemFree(name);
        }
    }
    requests.push_back(request);
    return TRUE;  // as if the shell had opened it
}

// Puts `replacement` into `module`'s import slot for `dll`!`function` while
// it lives.
class ImportPatch {
public:
    ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement) {
        if (!module) return;
        auto base = reinterpret_cast<BYTE*>(module);
        auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0) return;
        for (auto descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             descriptor->Name != 0 && !slot_; ++descriptor) {
            if (_stricmp(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0) continue;
            if (descriptor->OriginalFirstThunk == 0) continue;
            auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
            auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
                slot_ = reinterpret_cast<void**>(&slots->u1.Function);
                original_ = *slot_;
                if (!Write(replacement)) slot_ = nullptr;
                break;
            }
        }
    }
    ~ImportPatch() {
        if (slot_) Write(original_);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    bool Installed() const { return slot_ != nullptr; }

private:
    bool Write(void* value) {
        DWORD protection = 0;
        if (!VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &protection)) return false;
        *slot_ = value;
        VirtualProtect(slot_, sizeof(void*), protection, &protection);
        return true;
    }
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

void PrintRequests(Report& report, size_t expected) {
    for (const ShellRequest& request : requests) {
        std::wstring line = L"  shell request: verb \"" + request.verb + L"\"";
        if (!request.idList.empty()) {
            line += L", item ID list " + request.idList + L" (SEE_MASK_IDLIST)";
        } else {
            line += L", file " + Quoted(request.file);
        }
        line += L", cbSize " + std::to_wstring(request.size) + L", nShow " + std::to_wstring(request.show);
        report.Line(line);
    }
    if (requests.empty()) report.Line(L"  nothing was opened");
    if (requests.size() != expected) {
        report.Fail(L"expected " + std::to_wstring(expected) + L" shell request(s), saw " +
                    std::to_wstring(requests.size()));
    }
    requests.clear();
}

// --- The picker ----------------------------------------------------------

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM param) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

// The whole screen as a PNG, taken by ImageMagick's import on the X display
// that Wine draws on. `windowsPath` must lie on Wine's Z: drive.
std::wstring TakeScreenshot(const std::wstring& windowsPath) {
    if (windowsPath.compare(0, 3, L"Z:\\") != 0 && windowsPath.compare(0, 3, L"z:\\") != 0)
        return L"the screenshot folder is not on the Z: drive";
    std::wstring unixPath = windowsPath.substr(2);
    for (wchar_t& c : unixPath) c = c == L'\\' ? L'/' : c;
    DeleteFileW(windowsPath.c_str());
    std::wstring command = L"/usr/bin/import -window root \"" + unixPath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return L"cannot start import: error " + std::to_wstring(GetLastError());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The handle of a Unix program does not tell when it ends; the file does.
    LONGLONG last = -1;
    const bool written = WaitFor(
        [&] {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (!GetFileAttributesExW(windowsPath.c_str(), GetFileExInfoStandard, &data)) return false;
            const LONGLONG size = (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            const bool settled = size > 0 && size == last;
            last = size;
            if (!settled) Sleep(200);
            return settled;
        },
        15000);
    return written ? L"" : L"import wrote no file";
}

struct PickerEntry {
    HTREEITEM item;
    std::wstring text;
    LPARAM tag;
};

std::vector<PickerEntry> ReadEntries(HWND tree) {
    std::vector<PickerEntry> entries;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    while (item) {
        wchar_t text[260] = {};
        TVITEMW query = {};
        query.mask = TVIF_TEXT | TVIF_PARAM;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = 260;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
        entries.push_back({item, text, query.lParam});
        item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    return entries;
}

// Runs ProjectExplorerSp; on the picker, takes a screenshot (when named),
// selects the entry whose tag is `number` and double-clicks it as the tree
// reports a double-click. Lists the entries when `listEntries` is set.
void RunPicker(ScenarioContext& context, int number, const wchar_t* screenshotName, bool listEntries) {
    Report& report = context.report;
    const DWORD uiThread = GetCurrentThreadId();
    wchar_t folder[MAX_PATH] = {};
    const DWORD folderLength = GetEnvironmentVariableW(L"VELMORA_SCREENSHOT_DIR", folder, MAX_PATH);

    bool appeared = false, selected = false, closed = false;
    std::vector<PickerEntry> entries;
    std::wstring screenshotPath, screenshotFailure;
    std::thread user([&] {
        HWND dialog = nullptr;
        appeared = WaitFor([&] {
            EnumThreadWindows(uiThread, &FindVisibleDialog, reinterpret_cast<LPARAM>(&dialog));
            return dialog != nullptr;
        });
        if (!appeared) return;
        HWND tree = GetDlgItem(dialog, kFolderTree);
        entries = ReadEntries(tree);
        for (const PickerEntry& entry : entries) {
            if (entry.tag != (static_cast<LPARAM>(number) | kItemTagBit)) continue;
            selected = SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(entry.item)) != 0;
        }
        if (folderLength > 0 && folderLength < MAX_PATH && screenshotName) {
            Sleep(300);  // let the list paint
            screenshotPath = std::wstring(folder) + (folder[folderLength - 1] == L'\\' ? L"" : L"\\") + screenshotName;
            screenshotFailure = TakeScreenshot(screenshotPath);
        }
        NMHDR header = {};
        header.hwndFrom = tree;
        header.idFrom = kFolderTree;
        header.code = NM_DBLCLK;
        SendMessageW(dialog, WM_NOTIFY, kFolderTree, reinterpret_cast<LPARAM>(&header));
        closed = WaitFor([&] { return !IsWindow(dialog); });
        if (!closed) PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    ExecCommand(context, L"ProjectExplorerSp");
    user.join();

    if (!appeared) {
        report.Fail(L"the special-folder picker did not appear");
        return;
    }
    report.Line(L"  the picker listed " + std::to_wstring(entries.size()) + L" places" + (listEntries ? L":" : L""));
    for (const PickerEntry& entry : entries) {
        if (listEntries) report.Line(L"    " + std::to_wstring(entry.tag & ~kItemTagBit) + L"  " + entry.text);
        if (entry.text.empty()) report.Fail(L"an entry without a name");
    }
    if (!screenshotPath.empty()) {
        if (screenshotFailure.empty()) {
            report.Line(L"  screenshot: " + screenshotPath);
        } else {
            report.Fail(L"screenshot: " + screenshotFailure);
        }
    }
    if (!selected) report.Fail(L"entry " + std::to_wstring(number) + L" was not listed");
    report.Line(L"  double-click on entry " + std::to_wstring(number));
    if (!closed) report.Fail(L"the picker stayed open after the double-click");
}

int RunExplorer(ScenarioContext& context) {
    host::HostStandIn& host = context.host;
    Report& report = context.report;
    ImportPatch patch(GetModuleHandleW(L"velmora.dll"), "shell32.dll", "ShellExecuteExW",
                      reinterpret_cast<void*>(&RecordShellExecute));
    if (!patch.Installed()) {
        report.Fail(L"cannot watch velmora.dll's calls to ShellExecuteExW");
        return 1;
    }
    requests.clear();

    // A solution in a folder that exists.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring solutionFolder = std::wstring(temp) + L"VelmoraDemo";
    CreateDirectoryW(solutionFolder.c_str(), nullptr);
    host.SetDebuggerMode(dbgDesignMode);
    host.SetSolutionOpen(true);
    host.SetSolutionFullName(solutionFolder + L"\\Sample.sln");
    report.Line(L"solution " + Quoted(solutionFolder + L"\\Sample.sln") + L", design mode");
    ExecCommand(context, L"ProjectExplorer");
    PrintRequests(report, 1);

    host.SetDebuggerMode(dbgBreakMode);
    report.Line(L"the same solution in break mode");
    ExecCommand(context, L"ProjectExplorer");
    PrintRequests(report, 0);
    host.SetDebuggerMode(dbgDesignMode);
    RemoveDirectoryW(solutionFolder.c_str());

    report.Line();
    RunPicker(context, 17, L"special-folder-picker.png", true);
    PrintRequests(report, 1);
    report.Line();
    RunPicker(context, 62, nullptr, false);
    PrintRequests(report, 1);
    report.References(host, L"after the explorer commands", 1, 1);
    return 0;
}

const ScenarioRegistration registration{40, "explorer", "ProjectExplorer and the special-folder picker",
                                        &RunExplorer};

}  // namespace
}  // namespace velmora::demo
