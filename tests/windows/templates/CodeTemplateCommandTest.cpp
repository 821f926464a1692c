// The CodeTemplate command against the host stand-in: the picker driven as a
// user drives it, what the document and the clipboard hold afterwards, the
// read-failure message, and every way the command stops early, with the
// reason it writes to the debug output.
#include <windows.h>

#include <gtest/gtest.h>

#include "testbed/host/ImportPatch.h"

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "addin/Connect.h"
#include "framework/TextConversion.h"
#include "platform/WindowsConfigFiles.h"
#include "support/DebugOutputCapture.h"
#include "support/HostFixture.h"
#include "templates/CodeTemplateSet.h"
#include "tests/native/TemplateTestFiles.h"
#include "tests/windows/templates/TemplateTestSupport.h"

namespace velmora::test {
namespace {

const std::wstring kCommand = L"Velmora.Connect.CodeTemplate";
const std::wstring kReadFailure = L"テンプレートファイルの読込みに失敗しました";
const std::wstring kSentinel = L"clipboard before the command";

// The debug line of an early stop.
std::wstring StopLine(const std::wstring& reason) { return L"Velmora: CodeTemplate: " + reason; }

const char kCppTemplates[] =
    "C++ templates\n"
    "[while | loop while true]\n"
    "while () {\n"
    "}\n"
    "// [for | counted loop]\n"
    "for (int i = 0; i < n; ++i) {\n"
    "\tbody();\n"
    "}\n"
    "[if | condition]\n"
    "if () {\n"
    "}\n"
    "\n"
    "[do | loop at least once]\n"
    "do {\n"
    "} while ();";

// What each of kCppTemplates' entries pastes with the caret in column 1.
struct Expected {
    const wchar_t* displayText;
    const wchar_t* text;
};
const Expected kCppEntries[] = {
    {L"do     loop at least once", L"do {\n} while ();\n"},
    {L"for    counted loop", L"for (int i = 0; i < n; ++i) {\n\tbody();\n}\n"},
    {L"if     condition", L"if () {\n}\n\n"},
    {L"while  loop while true", L"while () {\n}\n"},
};

class CodeTemplateTest : public HostTest {
protected:
    void SetUp() override {
        files.Write(L"CodeSet.ini", "cpp.txt = cpp;h\n");
        files.Write(L"cpp.txt", kCppTemplates);
        host.SetDocumentName(L"Sample.cpp");
        host.SetDocument(L"", 0, 0);
        host.SetAnchorColumn(1);
        ASSERT_TRUE(WriteClipboardText(kSentinel));
    }

    // Runs the command while `action` drives whatever dialog it shows.
    DialogSeen Run(DialogDriver::Action action) {
        DialogDriver driver(std::move(action));
        ExecResult result = addIn.Exec(kCommand);
        EXPECT_EQ(result.result, S_OK);
        EXPECT_EQ(result.handled, VARIANT_TRUE);
        DialogSeen seen = driver.Seen();
        EXPECT_EQ(seen.failure, "");
        EXPECT_TRUE(!seen.appeared || seen.closedByAction) << "the dialog had to be cancelled by force";
        return seen;
    }

    // Runs the command expecting no dialog at all.
    void RunExpectingNoDialog() {
        DialogDriver driver(PostCancel());
        addIn.Exec(kCommand);
        EXPECT_FALSE(driver.SeenNone().appeared);
    }

    // The debug output since the last call: `line` alone, or nothing for an empty `line`.
    void ExpectDebugLine(const std::wstring& line) {
        ASSERT_TRUE(debug.Listening());
        std::vector<std::wstring> expected;
        if (!line.empty()) expected.push_back(line);
        EXPECT_EQ(debug.Take(), expected);
    }

    void ExpectNothingInserted(const std::wstring& document = L"") {
        EXPECT_EQ(host.DocumentText(), document);
        EXPECT_TRUE(host.Pastes().empty());
        EXPECT_EQ(ClipboardTextOrMarker(), kSentinel);
    }

    void ExpectInserted(const std::wstring& text, const std::wstring& document) {
        EXPECT_EQ(host.DocumentText(), document);
        ASSERT_EQ(host.Pastes().size(), 1u);
        EXPECT_EQ(host.Pastes()[0].text, text);
        host::ClipboardContents clip = ReadClipboard();
        EXPECT_EQ(clip.text, text) << "the template stays on the clipboard";
        EXPECT_EQ(clip.blockBytes, (text.size() + 1) * sizeof(wchar_t));
    }

    ConfigFolderFiles files;
    ConnectedAddIn addIn{host};
    DebugOutputCapture debug;
};

const Expected* EntryShownAs(const std::wstring& displayText) {
    for (const Expected& e : kCppEntries) {
        if (displayText == e.displayText) return &e;
    }
    return nullptr;
}

TEST_F(CodeTemplateTest, PickerIsACentredOwnerlessListSortedWithFocus) {
    DialogSeen seen = Run(PressEscape());
    ASSERT_TRUE(seen.appeared);
    std::vector<std::wstring> sorted;
    for (const Expected& e : kCppEntries) sorted.push_back(e.displayText);
    EXPECT_EQ(seen.items, sorted) << "display texts in the list box's order, not the file's";
    EXPECT_EQ(seen.focus, seen.list) << "the list holds the keyboard focus";
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_EQ(seen.caption, L"");
    EXPECT_EQ(seen.style & (WS_POPUP | WS_BORDER | WS_CAPTION), static_cast<LONG>(WS_POPUP | WS_BORDER));
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((seen.rect.left + seen.rect.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((seen.rect.top + seen.rect.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST_F(CodeTemplateTest, ArrowKeysAndEnterInsertTheSelectedTemplate) {
    for (int presses : {1, 2, 3}) {
        SCOPED_TRACE(presses);
        host.SetDocument(L"", 0, 0);
        host.ClearPastes();
        DialogSeen seen = Run(PressDownThenEnter(presses));
        const Expected* chosen = EntryShownAs(seen.chosenText);
        ASSERT_NE(chosen, nullptr) << Narrow(seen.chosenText);
        ExpectInserted(chosen->text, chosen->text);
    }
}

TEST_F(CodeTemplateTest, EveryListedTemplateCanBeChosen) {
    for (int position = 0; position < 4; ++position) {
        SCOPED_TRACE(position);
        host.SetDocument(L"", 0, 0);
        host.ClearPastes();
        DialogSeen seen = Run(SelectThenOk(position));
        EXPECT_EQ(seen.chosenText, kCppEntries[position].displayText);
        ExpectInserted(kCppEntries[position].text, kCppEntries[position].text);
    }
}

TEST_F(CodeTemplateTest, DoubleClickInserts) {
    DialogSeen seen = Run(DoubleClick(1));
    EXPECT_EQ(seen.chosenText, kCppEntries[1].displayText);
    ExpectInserted(kCppEntries[1].text, kCppEntries[1].text);
}

TEST_F(CodeTemplateTest, EndingWithoutAChoiceInsertsNothing) {
    struct Case {
        const char* label;
        DialogDriver::Action action;
    };
    const Case cases[] = {
        {"Escape key", PressEscape()},
        {"cancel command", PostCancel()},
        {"click into another window", ClickIntoAnotherWindow()},
        {"Enter with nothing selected", PressEnter()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        host.SetDocument(L"int x;", 3, 0);
        DialogSeen seen = Run(c.action);
        EXPECT_TRUE(seen.appeared);
        ExpectNothingInserted(L"int x;");
    }
}

TEST_F(CodeTemplateTest, IndentationFollowsTheAnchorColumn) {
    files.Write(L"cpp.txt", "[two | two lines]\nfirst();\n\tsecond();\n");
    struct Case {
        const wchar_t* before;  // the document; the caret at its end
        long column;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"", 1, L"first();\n\tsecond();\n"},
        {L"\t", 9, L"first();\n        \tsecond();\n"},
        {L"  x = ", 7, L"first();\n      \tsecond();\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        host.SetDocumentText(c.before);
        host.SetAnchorColumn(c.column);
        host.ClearPastes();
        Run(SelectThenOk(0));
        ExpectInserted(c.text, std::wstring(c.before) + c.text);
    }
}

TEST_F(CodeTemplateTest, SelectionIsReplacedAndTheAnchorGivesTheIndentation) {
    files.Write(L"cpp.txt", "[two | two lines]\na\nb\n");
    host.SetDocument(L"0123456789", 2, 5);  // "23456" selected
    host.SetAnchorColumn(8);                // started from the right end
    Run(SelectThenOk(0));
    ExpectInserted(L"a\n       b\n", L"01a\n       b\n789");
}

TEST_F(CodeTemplateTest, EqualDisplayTextsYieldTheFirstEntry) {
    files.Write(L"cpp.txt", "[same | twice]\nfirst\n[same | twice]\nsecond\n");
    for (int position : {0, 1}) {
        SCOPED_TRACE(position);
        host.SetDocument(L"", 0, 0);
        host.ClearPastes();
        DialogSeen seen = Run(SelectThenOk(position));
        EXPECT_EQ(seen.items, (std::vector<std::wstring>{L"same  twice", L"same  twice"}));
        ExpectInserted(L"first\n", L"first\n");
    }
}

TEST_F(CodeTemplateTest, HeaderFollowedByHeaderPastesAnEmptyText) {
    files.Write(L"cpp.txt", "[empty | nothing]\n[next | x]\nx\n");
    Run(SelectThenOk(0));
    ExpectInserted(L"", L"");
}

TEST_F(CodeTemplateTest, EmptySetClosesOnEnterWithoutInserting) {
    files.Write(L"cpp.txt", "no header in this file\n");
    DialogSeen seen = Run(PressEnter());
    ASSERT_TRUE(seen.appeared);
    EXPECT_TRUE(seen.items.empty());
    ExpectNothingInserted();
}

TEST_F(CodeTemplateTest, DocumentNamesGiveTheirExtension) {
    files.Write(L"CodeSet.ini", "cpp.txt=cpp\nmake.txt=Makefile\nany.txt=*\n");
    files.Write(L"make.txt", "[all | default target]\nall:\n");
    files.Write(L"any.txt", "[note | anywhere]\nNOTE\n");
    struct Case {
        const wchar_t* name;
        std::vector<std::wstring> items;
    };
    const Case cases[] = {
        {L"MAIN.CPP", {L"note  anywhere"}},  // CPP is not cpp
        {L"main.cpp", {L"do     loop at least once", L"for    counted loop", L"if     condition", L"note   anywhere",
                       L"while  loop while true"}},
        {L"Makefile", {L"all   default target", L"note  anywhere"}},
        {L"archive.tar.Makefile", {L"all   default target", L"note  anywhere"}},
        {L"trailing.", {L"note  anywhere"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        host.SetDocumentName(c.name);
        DialogSeen seen = Run(PressEscape());
        EXPECT_EQ(seen.items, c.items);
    }
}

TEST_F(CodeTemplateTest, NothingConfiguredForTheExtensionDoesNothing) {
    files.Write(L"CodeSet.ini", "cpp.txt=cpp\n");
    host.SetDocumentName(L"MAIN.CPP");
    RunExpectingNoDialog();
    ExpectNothingInserted();
}

TEST_F(CodeTemplateTest, ReadFailureShowsTheMessageBox) {
    struct Case {
        const char* label;
        std::function<void(ConfigFolderFiles&)> setUp;
        std::wstring debugLine;
    };
    const Case cases[] = {
        {"CodeSet.ini missing", [](ConfigFolderFiles& f) { f.Remove(L"CodeSet.ini"); },
         StopLine(L"CodeSet.ini cannot be opened: \"" + files.Path(L"CodeSet.ini") + L"\"")},
        {"fitting file missing", [](ConfigFolderFiles& f) { f.Write(L"CodeSet.ini", "cpp.txt=cpp\ngone.txt=*\n"); },
         StopLine(L"a template file cannot be opened: \"" + files.Path(L"gone.txt") + L"\"")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        c.setUp(files);
        debug.Take();
        DialogSeen seen = Run(PressOkButton());
        ExpectDebugLine(c.debugLine);
        ASSERT_TRUE(seen.appeared);
        EXPECT_EQ(seen.caption, L"Code Template");
        EXPECT_EQ(seen.texts, std::vector<std::wstring>{kReadFailure});
        EXPECT_EQ(seen.buttons, std::vector<std::wstring>{L"OK"});
        EXPECT_EQ(seen.icons, 0);
        EXPECT_EQ(seen.owner, nullptr);
        ExpectNothingInserted();
    }
}

// Makes `relative` a file of `size` bytes that starts with `head`; the rest
// is a hole in a sparse file, so that it costs no disk and no time to make.
void WriteLargeFile(ConfigFolderFiles& files, const std::wstring& relative, const std::string& head,
                    std::uint64_t size) {
    files.Write(relative, head);
    HANDLE file = CreateFileW(files.Path(relative).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
}

PROCESS_MEMORY_COUNTERS MemoryCounters() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

TEST_F(CodeTemplateTest, TemplateFilesOverTheBudgetAreNotRead) {
    // The files that serve a document are sized up before any is read: over
    // the budget, the command fails as for an unreadable file and reads
    // nothing, so the process's peak memory does not move.
    const std::uint64_t budget = CodeTemplateSet::kByteBudget;
    struct Case {
        const char* label;
        std::string setFile;
        std::vector<std::pair<std::wstring, std::uint64_t>> files;
    };
    const Case cases[] = {
        {"one file of 200 MB", "cpp.txt=cpp\nhuge.txt=cpp\n", {{L"huge.txt", std::uint64_t{200} << 20}}},
        {"three files over the budget together", "a.txt=cpp\nb.txt=*\nc.txt=h;cpp\n",
         {{L"a.txt", budget / 3 + 1}, {L"b.txt", budget / 3 + 1}, {L"c.txt", budget / 3 + 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        files.Write(L"CodeSet.ini", c.setFile);
        for (const auto& [name, size] : c.files) WriteLargeFile(files, name, "[big | file]\nbody\n", size);
        debug.Take();
        const PROCESS_MEMORY_COUNTERS before = MemoryCounters();
        DialogDriver driver(PressOkButton());
        EXPECT_EQ(addIn.Object().CodeTemplate(), -1);
        const DialogSeen& seen = driver.Seen();
        const PROCESS_MEMORY_COUNTERS after = MemoryCounters();
        ExpectDebugLine(StopLine(L"the template files that serve the document hold more than 32 MB"));
        ASSERT_TRUE(seen.appeared);
        EXPECT_EQ(seen.caption, L"Code Template");
        EXPECT_EQ(seen.texts, std::vector<std::wstring>{kReadFailure});
        ExpectNothingInserted();
        EXPECT_TRUE(HoldsNoHostObjects(host));
        // The peak working set is a true peak under Wine too (PeakPagefileUsage
        // is not): reading even the smallest of these files would raise it
        // by far more than 8 MB.
        EXPECT_LE(after.PeakWorkingSetSize,
                  std::max<SIZE_T>(before.PeakWorkingSetSize, before.WorkingSetSize + (SIZE_T{8} << 20)));
        for (const auto& file : c.files) files.Remove(file.first);
    }
}

TEST_F(CodeTemplateTest, DebuggerModes) {
    struct Case {
        long mode;
        bool works;
    };
    for (const Case& c : {Case{1, true}, Case{2, false}, Case{3, true}}) {
        SCOPED_TRACE(c.mode);
        host.SetDebuggerMode(c.mode);
        host.SetDocument(L"", 0, 0);
        host.ClearPastes();
        ASSERT_TRUE(WriteClipboardText(kSentinel));
        if (c.works) {
            Run(SelectThenOk(0));
            ExpectInserted(kCppEntries[0].text, kCppEntries[0].text);
        } else {
            files.Remove(L"CodeSet.ini");  // not even read: no message either
            RunExpectingNoDialog();
            ExpectNothingInserted();
            files.Write(L"CodeSet.ini", "cpp.txt = cpp;h\n");
        }
    }
}

TEST_F(CodeTemplateTest, StopsSilentlyBeforeThePickList) {
    struct Case {
        const char* label;
        std::function<void(HostStandIn&)> setUp;
        const wchar_t* reason;
    };
    const wchar_t* const noMode = L"the debugger's mode cannot be read";
    const wchar_t* const noWindow = L"the host gives no active window";
    const wchar_t* const noDocument = L"the active window shows no document";
    const wchar_t* const noSelection = L"the document gives no selection";
    const wchar_t* const noColumn = L"the caret's column cannot be read";
    const Case cases[] = {
        {"read-only document", [](HostStandIn& h) { h.SetDocumentReadOnly(true); }, L"the document is read-only"},
        {"no active window", [](HostStandIn& h) { h.SetActiveWindow(false); }, noWindow},
        {"window without document", [](HostStandIn& h) { h.SetWindowHasDocument(false); }, noDocument},
        {"not a text selection", [](HostStandIn& h) { h.SetTextSelection(false); },
         L"the document's selection is not a text selection"},
        {"Debugger fails", [](HostStandIn& h) { h.FailMember(L"Debugger", E_FAIL); }, noMode},
        {"Debugger empty", [](HostStandIn& h) { h.EmptyMember(L"Debugger"); }, noMode},
        {"CurrentMode fails", [](HostStandIn& h) { h.FailMember(L"CurrentMode", E_FAIL); }, noMode},
        {"ActiveWindow fails", [](HostStandIn& h) { h.FailMember(L"ActiveWindow", E_FAIL); }, noWindow},
        {"Document fails", [](HostStandIn& h) { h.FailMember(L"Document", E_FAIL); }, noDocument},
        {"ReadOnly fails", [](HostStandIn& h) { h.FailMember(L"ReadOnly", E_FAIL); },
         L"the document's read-only state cannot be read"},
        {"Selection fails", [](HostStandIn& h) { h.FailMember(L"Selection", E_FAIL); }, noSelection},
        {"Selection empty", [](HostStandIn& h) { h.EmptyMember(L"Selection"); }, noSelection},
        {"AnchorPoint fails", [](HostStandIn& h) { h.FailMember(L"AnchorPoint", E_FAIL); }, noColumn},
        {"AnchorPoint empty", [](HostStandIn& h) { h.EmptyMember(L"AnchorPoint"); }, noColumn},
        {"DisplayColumn fails", [](HostStandIn& h) { h.FailMember(L"DisplayColumn", E_FAIL); }, noColumn},
        {"Name fails", [](HostStandIn& h) { h.FailMember(L"Name", E_FAIL); }, L"the document's name cannot be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        HostStandIn fresh;
        fresh.SetDocumentName(L"Sample.cpp");
        fresh.SetDocument(L"keep", 4, 0);
        {
            ConnectedAddIn connected(fresh);
            c.setUp(fresh);
            files.Remove(L"CodeSet.ini");  // a run that got as far as the files would show the message
            debug.Take();
            DialogDriver driver(PostCancel());
            connected.Exec(kCommand);
            EXPECT_FALSE(driver.SeenNone().appeared);
            EXPECT_EQ(fresh.DocumentText(), L"keep");
            EXPECT_TRUE(fresh.Pastes().empty());
            EXPECT_EQ(ClipboardTextOrMarker(), kSentinel);
            ExpectDebugLine(StopLine(c.reason));
        }
        EXPECT_TRUE(HoldsNoHostObjects(fresh));
    }
}

TEST_F(CodeTemplateTest, HostIsAskedInTheDocumentedOrder) {
    host.ClearCalls();
    Run(SelectThenOk(0));
    EXPECT_EQ(host.InvokedMembers(),
              (std::vector<std::wstring>{L"Application.Debugger", L"Debugger.CurrentMode", L"Application.ActiveWindow",
                                         L"Window.Document", L"Document.ReadOnly", L"Document.Selection",
                                         L"TextSelection.AnchorPoint", L"VirtualPoint.DisplayColumn",
                                         L"Document.Name", L"TextSelection.Paste"}));
}

TEST_F(CodeTemplateTest, PasteFailureIsNotJudged) {
    host.FailMember(L"Paste", E_FAIL);
    Run(SelectThenOk(0));
    EXPECT_EQ(host.DocumentText(), L"");
    EXPECT_EQ(ClipboardTextOrMarker(), kCppEntries[0].text) << "the clipboard was filled before the paste";
}

TEST_F(CodeTemplateTest, ClipboardHeldElsewhereInsertsNothing) {
    HANDLE commandDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool held = false;
    DialogDriver driver([&](DialogSeen& seen) {
        // Another program opens the clipboard while the user chooses.
        HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        {
            host::ClipboardSession session(host::kClipboardWaitMs, window);
            held = session.IsOpen();
            SelectThenOk(0)(seen);
            WaitForSingleObject(commandDone, 10000);
        }
        DestroyWindow(window);
    });
    // The action waits for the command, so the dialog is gone by then.
    addIn.Exec(kCommand);
    SetEvent(commandDone);
    const DialogSeen& seen = driver.Seen();
    CloseHandle(commandDone);
    ASSERT_TRUE(seen.appeared);
    EXPECT_TRUE(held);
    ExpectNothingInserted();
}

TEST_F(CodeTemplateTest, HandlerReturnsZeroOnlyWhenItAskedForThePaste) {
    struct Case {
        const char* label;
        std::function<void()> setUp;
        DialogDriver::Action action;
        int result;
        std::wstring debugLine;  // none when the paste was asked for
    };
    const Case cases[] = {
        {"chosen", [] {}, SelectThenOk(0), 0, L""},
        {"paste refused by the host", [this] { host.FailMember(L"Paste", E_FAIL); }, SelectThenOk(0), 0, L""},
        {"Escape", [] {}, PressEscape(), -1, StopLine(L"the pick list was closed without a choice")},
        {"read failure", [this] { files.Remove(L"CodeSet.ini"); }, PressOkButton(), -1,
         StopLine(L"CodeSet.ini cannot be opened: \"" + files.Path(L"CodeSet.ini") + L"\"")},
        {"nothing configured", [this] { host.SetDocumentName(L"a.cs"); }, nullptr, -1,
         StopLine(L"no template file serves extension \"cs\"")},
        {"break mode", [this] { host.SetDebuggerMode(2); }, nullptr, -1, StopLine(L"the debugger is in break mode")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        host.ClearInjections();
        host.SetDebuggerMode(1);
        host.SetDocumentName(L"Sample.cpp");
        files.Write(L"CodeSet.ini", "cpp.txt = cpp;h\n");
        c.setUp();
        debug.Take();
        DialogDriver driver(c.action ? c.action : PostCancel());
        EXPECT_EQ(addIn.Object().CodeTemplate(), c.result);
        EXPECT_EQ(c.action ? driver.Seen().appeared : driver.SeenNone().appeared, c.action != nullptr);
        EXPECT_TRUE(HoldsNoHostObjects(host));
        ExpectDebugLine(c.debugLine);
    }
    host.ClearInjections();
    addIn.OnDisconnection();
    EXPECT_EQ(addIn.Object().CodeTemplate(), -1) << "without a host";
    ExpectDebugLine(StopLine(L"not connected to the host"));
}

LPVOID WINAPI FailingGlobalLock(HGLOBAL) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

HANDLE WINAPI RefusingSetClipboardData(UINT, HANDLE) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

TEST_F(CodeTemplateTest, ClipboardHandOverFailuresEndWithoutAPaste) {
    struct Case {
        const char* label;
        const char* dll;
        const char* function;
        void* replacement;
        std::wstring clipboardAfter;  // the old text stays until the clipboard was emptied
    };
    const Case cases[] = {
        {"GlobalLock fails", "kernel32.dll", "GlobalLock", reinterpret_cast<void*>(&FailingGlobalLock), kSentinel},
        {"SetClipboardData refuses", "user32.dll", "SetClipboardData",
         reinterpret_cast<void*>(&RefusingSetClipboardData), L"<no text>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(WriteClipboardText(kSentinel));
        host.ClearPastes();
        int result = 0;
        {
            DialogDriver driver(SelectThenOk(0));
            // The add-in's code is linked into this program: patch the program's own imports.
            host::ImportPatch patch(GetModuleHandleW(nullptr), c.dll, c.function, c.replacement);
            ASSERT_TRUE(patch.Installed());
            result = addIn.Object().CodeTemplate();
            EXPECT_TRUE(driver.Seen().appeared);
        }
        EXPECT_EQ(result, -1);
        EXPECT_TRUE(host.Pastes().empty());
        EXPECT_EQ(host.DocumentText(), L"");
        EXPECT_EQ(ClipboardTextOrMarker(), c.clipboardAfter);
        EXPECT_TRUE(HoldsNoHostObjects(host));
    }
}

TEST_F(CodeTemplateTest, ShiftJisTemplateUnderAJapaneseThreadLocale) {
    ThreadLocale japanese(kJapanese);
    ASSERT_TRUE(japanese.Applied());
    // [ループ | 繰り返し] / for (;;) { // 表示 / }
    files.Write(L"cpp.txt",
                "[\x83\x8b\x81\x5b\x83\x76 | \x8c\x4a\x82\xe8\x95\xd4\x82\xb5]\r\n"
                "for (;;) { // \x95\x5c\x8e\xa6\r\n}\r\n");
    host.SetDocumentText(L"    ");
    host.SetAnchorColumn(5);
    DialogSeen seen = Run(SelectThenOk(0));
    EXPECT_EQ(seen.items, std::vector<std::wstring>{L"ループ  繰り返し"});
    ExpectInserted(L"for (;;) { // 表示\n    }\n", L"    for (;;) { // 表示\n    }\n");
}

// The bytes of `text` as UTF-16 of either byte order with its mark.
std::string Utf16WithMark(const std::wstring& text, bool bigEndian) {
    return velmora::testing::Utf16Of(ToU16(text), bigEndian);
}

TEST_F(CodeTemplateTest, TemplatesReadAlikeInEveryEncoding) {
    // The same CodeSet.ini and template file saved as a user's editor may
    // save them: the same list, the same pasted text, Japanese included.
    const std::wstring setFile = L"cpp.txt = cpp;h\r\n";
    const std::wstring templates =
        L"// [ループ | 繰り返し]\r\nfor (;;) { // 表示\r\n}\r\n[if | 条件]\r\nif () {\r\n}\r\n";
    const std::wstring loop = L"ループ  繰り返し";
    struct Case {
        const char* label;
        LCID threadLocale;
        std::function<std::string(const std::wstring&)> save;
    };
    const Case cases[] = {
        {"Shift_JIS, thread code page 932", kJapanese, [](const std::wstring& t) { return ToCodePage(t, 932); }},
        {"UTF-8", kJapanese, [](const std::wstring& t) { return ToCodePage(t, CP_UTF8); }},
        {"UTF-8 under a Western thread code page", kEnglish,
         [](const std::wstring& t) { return ToCodePage(t, CP_UTF8); }},
        {"UTF-8 with mark", kEnglish, [](const std::wstring& t) { return "\xEF\xBB\xBF" + ToCodePage(t, CP_UTF8); }},
        {"UTF-16 LE with mark", kEnglish, [](const std::wstring& t) { return Utf16WithMark(t, false); }},
        {"UTF-16 BE with mark", kEnglish, [](const std::wstring& t) { return Utf16WithMark(t, true); }},
    };
    std::vector<std::wstring> firstList;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ThreadLocale locale(c.threadLocale);
        ASSERT_TRUE(locale.Applied());
        files.Write(L"CodeSet.ini", c.save(setFile));
        files.Write(L"cpp.txt", c.save(templates));
        host.SetDocument(L"", 0, 0);
        host.ClearPastes();
        DialogSeen seen = Run([&loop](DialogSeen& shown) {
            const LRESULT at = SendMessageW(shown.list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(loop.c_str()));
            SelectThenOk(static_cast<int>(at))(shown);
        });
        std::vector<std::wstring> sorted = seen.items;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, (std::vector<std::wstring>{L"if   条件", loop}));
        if (firstList.empty()) firstList = seen.items;
        EXPECT_EQ(seen.items, firstList) << "the list box shows the same order";
        EXPECT_EQ(seen.chosenText, loop);
        ExpectInserted(L"for (;;) { // 表示\n}\n", L"for (;;) { // 表示\n}\n");
        EXPECT_TRUE(HoldsNoHostObjects(host));
    }
}

}  // namespace
}  // namespace velmora::test
