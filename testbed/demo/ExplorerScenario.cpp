// The folder explorer as a user meets it: ProjectExplorer on the open
// solution, then the special-folder picker (with a screenshot of it) and a
// double-click on one of its entries. The add-in's one call into the shell,
// ShellExecuteExW, is watched in the loaded DLL's import table, so the demo
// shows each request the shell would get instead of opening windows.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "testbed/host/ShellLaunchRecorder.h"
#include "testbed/demo/Scenario.h"
#include "testbed/demo/Screenshot.h"
#include "testbed/fixtures/PopUpDriver.h"

namespace velmora::demo {
namespace {

constexpr int kFolderTree = 201;
constexpr LPARAM kItemTagBit = static_cast<LPARAM>(0x80000000u);

void PrintRequests(Report& report, host::ShellLaunchRecorder& shell, size_t expected) {
    const std::vector<host::LaunchRecord>& requests = shell.Records();
    for (const host::LaunchRecord& request : requests) {
        std::wstring line = L"  shell request: verb \"" + (request.hasVerb ? request.verb : L"(none)") + L"\"";
        if (!request.idList.empty()) {
            line += L", item ID list " + request.idListParsingName + L" (SEE_MASK_IDLIST)";
        } else {
            line += L", file " + Quoted(request.hasFile ? request.file : L"(none)");
        }
        line += L", cbSize " + std::to_wstring(request.cbSize) + L", nShow " + std::to_wstring(request.nShow);
        report.Line(line);
    }
    if (requests.empty()) report.Line(L"  nothing was opened");
    if (requests.size() != expected) {
        report.Fail(L"expected " + std::to_wstring(expected) + L" shell request(s), saw " +
                    std::to_wstring(requests.size()));
    }
    shell.Clear();
}

// --- The picker ----------------------------------------------------------

// Runs ProjectExplorerSp; on the picker, takes a screenshot (when named),
// selects the entry whose tag is `number` and double-clicks it as the tree
// reports a double-click. Lists the entries when `listEntries` is set.
void RunPicker(ScenarioContext& context, int number, const wchar_t* screenshotName, bool listEntries) {
    Report& report = context.report;
    bool selected = false;
    std::vector<popup::TreeEntry> entries;
    Screenshot screenshot;
    const auto command = [&] { ExecCommand(context, L"ProjectExplorerSp"); };
    const popup::PopUpOutcome outcome = popup::RunWithPopUp(command, [&](HWND dialog) {
        HWND tree = GetDlgItem(dialog, kFolderTree);
        entries = popup::ReadTree(tree);
        for (const popup::TreeEntry& entry : entries) {
            if (entry.data != (static_cast<LPARAM>(number) | kItemTagBit)) continue;
            selected = SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(entry.item)) != 0;
        }
        screenshot = TakeScreenshot(dialog, ScreenshotArea::Screen, screenshotName);
        popup::SendTreeDoubleClick(dialog, tree);
    });

    if (!outcome.appeared) {
        report.Fail(L"the special-folder picker did not appear");
        return;
    }
    report.Line(L"  the picker listed " + std::to_wstring(entries.size()) + L" places" + (listEntries ? L":" : L""));
    for (const popup::TreeEntry& entry : entries) {
        if (listEntries) report.Line(L"    " + std::to_wstring(entry.data & ~kItemTagBit) + L"  " + entry.text);
        if (entry.text.empty()) report.Fail(L"an entry without a name");
    }
    ReportScreenshot(report, L"  screenshot: ", screenshot);
    if (!selected) report.Fail(L"entry " + std::to_wstring(number) + L" was not listed");
    report.Line(L"  double-click on entry " + std::to_wstring(number));
    if (!outcome.closedByUser) report.Fail(L"the picker stayed open after the double-click");
}

int RunExplorer(ScenarioContext& context) {
    host::HostStandIn& host = context.host;
    Report& report = context.report;
    host::ShellLaunchRecorder shell(GetModuleHandleW(L"velmora.dll"));
    if (!shell.Installed()) {
        report.Fail(L"cannot watch velmora.dll's calls to ShellExecuteExW");
        return 1;
    }

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
    PrintRequests(report, shell, 1);

    host.SetDebuggerMode(dbgBreakMode);
    report.Line(L"the same solution in break mode");
    ExecCommand(context, L"ProjectExplorer");
    PrintRequests(report, shell, 0);
    host.SetDebuggerMode(dbgDesignMode);
    RemoveDirectoryW(solutionFolder.c_str());

    report.Line();
    RunPicker(context, 17, L"special-folder-picker.png", true);
    PrintRequests(report, shell, 1);
    report.Line();
    RunPicker(context, 62, nullptr, false);
    PrintRequests(report, shell, 1);
    report.References(host, L"after the explorer commands", 1, 1);
    return 0;
}

const ScenarioRegistration registration{40, "explorer", "ProjectExplorer and the special-folder picker",
                                        &RunExplorer};

}  // namespace
}  // namespace velmora::demo
