// CodeTemplate as a user meets it, with the sample configuration that the demo
// installs: the pick list in a C++ document (with a screenshot of it), a
// template chosen with the arrow keys and Enter, then a C# document.
#include <windows.h>

#include <string>
#include <vector>

#include "testbed/host/ClipboardText.h"
#include "testbed/demo/Scenario.h"
#include "testbed/demo/Screenshot.h"
#include "testbed/fixtures/PopUpDriver.h"

namespace velmora::demo {
namespace {

// An allocation failure here ends the demo rather than unwinding through
// the window enumeration.
BOOL CALLBACK FindStaticText(HWND child, LPARAM param) noexcept {
    if (_wcsicmp(popup::ClassName(child).c_str(), L"Static") != 0) return TRUE;
    std::wstring text = popup::WindowText(child);
    if (!text.empty()) *reinterpret_cast<std::wstring*>(param) = std::move(text);
    return TRUE;
}

// What the user's side saw of the command's pop-up.
struct PopUp {
    bool appeared = false;
    bool messageBox = false;
    std::wstring message;
    std::vector<std::wstring> items;
    std::wstring chosen;
    Screenshot screenshot;
};

// Runs CodeTemplate; on the pick list, moves down with the arrow key until the
// selected item starts with `wanted` and presses Enter.
PopUp RunCodeTemplate(ScenarioContext& context, const std::wstring& wanted, const wchar_t* screenshotName) {
    PopUp seen;
    const auto command = [&] { ExecCommand(context, L"CodeTemplate"); };
    seen.appeared = popup::RunWithPopUp(command, [&](HWND dialog) {
        HWND list = GetDlgItem(dialog, 203);
        if (!list) {
            // The read-failure message box: note its text and press OK.
            seen.messageBox = true;
            EnumChildWindows(dialog, &FindStaticText, reinterpret_cast<LPARAM>(&seen.message));
            PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        } else {
            seen.items = popup::ListItems(list);
            seen.screenshot = TakeScreenshot(dialog, ScreenshotArea::Screen, screenshotName);
            const auto selected = [list] { return popup::ListItemText(list, SendMessageW(list, LB_GETCURSEL, 0, 0)); };
            for (size_t i = 0; i < seen.items.size(); ++i) {
                const std::wstring before = selected();
                if (!before.empty() && before.compare(0, wanted.size(), wanted) == 0) break;
                popup::PostKey(list, VK_DOWN);
                popup::WaitOnWindow(list, [&] { return selected() != before; }, 2000);
            }
            seen.chosen = selected();
            popup::PostKey(list, VK_RETURN);
        }
    }).appeared;
    return seen;
}

// Prints what the pop-up showed; false when it was not the pick list.
bool ReportPopUp(Report& report, const PopUp& seen) {
    if (!seen.appeared) {
        report.Fail(L"no pop-up appeared");
        return false;
    }
    if (seen.messageBox) {
        report.Fail(L"the message box \"" + seen.message + L"\" appeared: is the sample configuration installed?");
        return false;
    }
    report.Line(L"Pick list (" + std::to_wstring(seen.items.size()) + L" templates, sorted):");
    for (const std::wstring& item : seen.items) report.Line(L"  " + Quoted(item));
    ReportScreenshot(report, L"Screenshot of the open list: ", seen.screenshot);
    report.Line(L"Chosen with the arrow keys and Enter: " + Quoted(seen.chosen));
    return true;
}

std::wstring LastPaste(const host::HostStandIn& host) {
    return host.Pastes().empty() ? std::wstring(L"<nothing>") : host.Pastes().back().text;
}

int RunTemplates(ScenarioContext& context) {
    host::HostStandIn& host = context.host;
    Report& report = context.report;

    // A C++ function with the caret on its indented empty line (column 5).
    const std::wstring cpp = L"int main()\r\n{\r\n    \r\n}\r\n";
    host.SetDocumentName(L"Sample.cpp");
    host.SetDocument(cpp, cpp.find(L"    \r\n") + 4, 0);
    host.SetAnchorColumn(5);
    if (!host::WriteClipboardText(L"clipboard before CodeTemplate")) report.Fail(L"could not fill the clipboard");
    report.Document(host);
    host.ClearPastes();
    PopUp seen = RunCodeTemplate(context, L"for ", L"template-picker.png");
    if (ReportPopUp(report, seen)) {
        report.Pastes(host);
        report.Document(host);
        report.Clipboard();
        if (LastPaste(host) != L"for (int i = 0; i < count; ++i) {\n    }\n") {
            report.Fail(L"the counted loop was not pasted indented to column 5");
        }
    }
    report.References(host, L"after CodeTemplate in Sample.cpp", 1, 1);

    // A C# class body, caret in column 9.
    report.Line();
    const std::wstring cs = L"class Program\r\n{\r\n        \r\n}\r\n";
    host.SetDocumentName(L"Program.cs");
    host.SetDocument(cs, cs.find(L"        \r\n") + 8, 0);
    host.SetAnchorColumn(9);
    report.Document(host);
    host.ClearPastes();
    seen = RunCodeTemplate(context, L"foreach ", nullptr);
    if (ReportPopUp(report, seen)) {
        report.Pastes(host);
        report.Document(host);
        if (LastPaste(host) != L"foreach (var item in items)\n        {\n        }\n") {
            report.Fail(L"the foreach loop was not pasted indented to column 9");
        }
    }
    report.References(host, L"after CodeTemplate in Program.cs", 1, 1);
    return 0;
}

const ScenarioRegistration registration{20, "templates", "CodeTemplate with the sample templates in C++ and C#",
                                        &RunTemplates};

}  // namespace
}  // namespace velmora::demo
