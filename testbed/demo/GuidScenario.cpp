// The GUID commands as a user meets them: InsertGUID in each of the five
// stored formats, InsertOldGUID after the stored format changed, and the GUID
// dialog switched to the registry format and pasted, with a screenshot of the
// open dialog.
#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "testbed/host/ClipboardText.h"
#include "testbed/demo/Scenario.h"
#include "testbed/demo/Screenshot.h"
#include "testbed/fixtures/ConfigFolderFiles.h"
#include "testbed/fixtures/PopUpDriver.h"

namespace velmora::demo {
namespace {

// The user's GuidSet.ini for the length of a scenario: what the file held
// before comes back at the end.
class GuidSetFile {
public:
    void Write(const std::string& bytes, Report& report) {
        try {
            files_.Write(L"GuidSet.ini", bytes);
        } catch (const std::runtime_error&) {
            report.Fail(L"cannot write GuidSet.ini");
        }
    }
    std::optional<std::string> Read() const { return files_.Read(L"GuidSet.ini"); }

    void Print(Report& report) const {
        const std::optional<std::string> bytes = Read();
        report.Line(L"GuidSet.ini: " + (bytes ? Quoted(std::wstring(bytes->begin(), bytes->end())) : L"(missing)"));
    }

private:
    test::ConfigFolderFiles files_;
};

// An empty writable C++ document.
void OpenEmptyDocument(host::HostStandIn& host) {
    host.SetActiveWindow(true);
    host.SetWindowHasDocument(true);
    host.SetDocumentName(L"Guids.cpp");
    host.SetDocumentReadOnly(false);
    host.SetTextSelection(true);
    host.SetDocument(L"", 0, 0);
}

// What the last paste put into the document, or nothing.
std::optional<std::wstring> LastPaste(const host::HostStandIn& host) {
    if (host.Pastes().empty() || host.Pastes().back().outcome != host::PasteOutcome::Pasted) return std::nullopt;
    return host.Pastes().back().text;
}

// The shape each format gives its text: how it begins and ends.
struct FormatShape {
    const wchar_t* begins;
    const wchar_t* ends;
    size_t length;
};
const FormatShape kShapes[] = {
    {L"// {", L");\r\n", 0},
    {L"// {", L");\r\n", 0},
    {L"// {", L" } };\r\n", 0},
    {L"{", L"}\r\n", 40},
    {L"", L"", 36},
};

bool HasShape(const std::wstring& text, int format) {
    const FormatShape& shape = kShapes[format];
    const std::wstring begins = shape.begins, ends = shape.ends;
    if (shape.length != 0 && text.size() != shape.length) return false;
    return text.size() >= begins.size() + ends.size() && text.compare(0, begins.size(), begins) == 0 &&
           text.compare(text.size() - ends.size(), ends.size(), ends) == 0;
}

int RunInsertGuid(ScenarioContext& context) {
    host::HostStandIn& host = context.host;
    Report& report = context.report;
    GuidSetFile file;
    OpenEmptyDocument(host);

    std::wstring last;
    for (int format = 0; format < 5; ++format) {
        report.Line();
        file.Write(std::to_string(format), report);
        file.Print(report);
        host.ClearPastes();
        ExecCommand(context, L"InsertGUID");
        report.Pastes(host);
        const std::optional<std::wstring> pasted = LastPaste(host);
        if (!pasted) {
            report.Fail(L"InsertGUID pasted nothing");
            continue;
        }
        if (!HasShape(*pasted, format)) report.Fail(L"the text does not have the shape of format " +
                                                    std::to_wstring(format));
        if (*pasted == last) report.Fail(L"InsertGUID repeated the previous GUID");
        if (host::ReadClipboard().text != *pasted) report.Fail(L"the clipboard does not hold the pasted text");
        last = *pasted;
    }
    report.Line();
    report.Document(host);

    // The old GUID keeps its format when the stored one changes.
    report.Line();
    file.Write("0", report);
    file.Print(report);
    host.SetDocument(L"", 0, 0);
    host.ClearPastes();
    ExecCommand(context, L"InsertOldGUID");
    report.Pastes(host);
    report.Document(host);
    report.Clipboard();
    if (LastPaste(host) != last) report.Fail(L"InsertOldGUID did not repeat the last text");
    return 0;
}

// --- The GUID dialog, driven from a helper thread ---

const wchar_t kDialogTitle[] = L"GUIDの選択と貼り付け";

int RunGuidDialog(ScenarioContext& context) {
    host::HostStandIn& host = context.host;
    Report& report = context.report;
    GuidSetFile file;
    OpenEmptyDocument(host);
    file.Write("0", report);
    file.Print(report);

    // What the helper thread saw; read after the command returned.
    bool switched = false;
    int checkedAtStart = -1;
    std::wstring title, shownFirst, shownRegistry;
    Screenshot screenshot;
    host.ClearPastes();
    const auto command = [&] { ExecCommand(context, L"SelectGUID"); };
    const bool appeared = popup::RunWithPopUp(command, [&](HWND dialog) {
        title = popup::WindowText(dialog);
        for (int format = 0; format < 5; ++format) {
            if (IsDlgButtonChecked(dialog, 205 + format) == BST_CHECKED) checkedAtStart = format;
        }
        shownFirst = popup::ItemText(dialog, 210);
        // The fourth format, as a click on its radio button.
        SendDlgItemMessageW(dialog, 208, BM_CLICK, 0, 0);
        switched = popup::WaitOnWindow(dialog, [&] { return IsDlgButtonChecked(dialog, 208) == BST_CHECKED; });
        shownRegistry = popup::ItemText(dialog, 210);
        screenshot = TakeScreenshot(dialog, ScreenshotArea::Window, L"guid-dialog.png");
        // "貼り付け"
        SendDlgItemMessageW(dialog, IDOK, BM_CLICK, 0, 0);
    }).appeared;

    if (!appeared) {
        report.Fail(L"the GUID dialog did not appear");
        return 1;
    }
    report.Line(L"Dialog opened with format " + std::to_wstring(checkedAtStart + 1) + L" checked, showing " +
                Quoted(shownFirst));
    report.Line(L"After a click on the fourth format: " + Quoted(shownRegistry));
    ReportScreenshot(report, L"Screenshot of the open dialog: ", screenshot);
    report.Line(L"Pasted with 貼り付け:");
    report.Pastes(host);
    report.Document(host);
    file.Print(report);

    if (title != kDialogTitle) report.Fail(L"the GUID dialog is titled " + Quoted(title));
    if (checkedAtStart != 0) report.Fail(L"a new add-in should open the dialog on the first format");
    if (!switched || !HasShape(shownRegistry, 3)) {
        report.Fail(L"the result box does not show the registry form");
    } else if (shownFirst.find(shownRegistry.substr(1, 36)) == std::wstring::npos) {
        report.Fail(L"the GUID changed with the format");
    }
    if (LastPaste(host) != shownRegistry) report.Fail(L"the pasted text is not the one on show");
    if (file.Read() != std::string("3")) report.Fail(L"GuidSet.ini does not hold the chosen format 3");
    return 0;
}

const ScenarioRegistration insertRegistration{30, "guid", "InsertGUID in the five stored formats, then InsertOldGUID",
                                              &RunInsertGuid};
const ScenarioRegistration dialogRegistration{31, "guid-dialog",
                                              "the GUID dialog: the fourth format, pasted and stored",
                                              &RunGuidDialog};

}  // namespace
}  // namespace velmora::demo
