// The core scenario: the six commands as the host recorded them, their
// statuses in four host states, and one insertion through the clipboard.
#include <string>

#include "testbed/host/ClipboardText.h"
#include "testbed/demo/Scenario.h"

namespace velmora::demo {
namespace {

// A writable C++ document with the caret on the empty line inside the braces.
void OpenWritableDocument(host::HostStandIn& host) {
    const std::wstring text = L"int main()\r\n{\r\n    \r\n}\r\n";
    host.SetActiveWindow(true);
    host.SetWindowHasDocument(true);
    host.SetDocumentName(L"Sample.cpp");
    host.SetDocumentReadOnly(false);
    host.SetTextSelection(true);
    host.SetDocument(text, text.find(L"    \r\n") + 4, 0);
    host.SetAnchorColumn(5);
    host.SetDebuggerMode(dbgDesignMode);
    host.SetSolutionOpen(true);
    host.SetSolutionFullName(L"C:\\Projects\\Sample\\Sample.sln");
}

int RunCore(ScenarioContext& context) {
    host::HostStandIn& host = context.host;
    Report& report = context.report;

    report.CommandCalls(host);

    OpenWritableDocument(host);
    report.Statuses(context.target, host, L"design mode, writable text document");

    host.SetDebuggerMode(dbgBreakMode);
    report.Statuses(context.target, host, L"break mode");
    host.SetDebuggerMode(dbgDesignMode);

    host.SetSolutionOpen(false);
    host.SetSolutionFullName(L"");
    report.Statuses(context.target, host, L"no solution open");
    host.SetSolutionOpen(true);
    host.SetSolutionFullName(L"C:\\Projects\\Sample\\Sample.sln");

    host.SetDocumentReadOnly(true);
    report.Statuses(context.target, host, L"read-only document");
    host.SetDocumentReadOnly(false);

    // The remembered GUID text is empty until a GUID command has made one.
    report.Line();
    if (!host::WriteClipboardText(L"クリップボードの元の内容")) report.Fail(L"could not fill the clipboard");
    report.Clipboard();
    host.ClearPastes();
    ExecCommand(context, L"InsertOldGUID");
    report.Pastes(host);
    report.Document(host);
    report.Clipboard();
    report.References(host, L"after the insertion", 1, 1);
    return 0;
}

const ScenarioRegistration registration{0, "core", "commands, statuses and one insertion", &RunCore};

}  // namespace
}  // namespace velmora::demo
