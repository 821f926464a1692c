// SelectGUID and its dialog, driven from a helper thread as a user drives it
// (clicks, mnemonics, Enter, Esc, the close box) while the modal loop runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "addin/Connect.h"
#include "framework/Module.h"
#include "guid/GuidTestSupport.h"
#include "support/HostFixture.h"

namespace velmora::test {
namespace {

using SelectGuidTest = HostTest;

const std::wstring kSelectGuid = FullCommandName(L"SelectGUID");

void OpenDocument(HostStandIn& host) { host.SetDocument(L"int a;int b;", 6, 0); }
std::wstring DocumentWith(const std::wstring& inserted) { return L"int a;" + inserted + L"int b;"; }

// What the script saw of the dialog at one moment.
struct Seen {
    int checked = -3;
    std::wstring text;
};

Seen Look(const GuidDialog& dialog) { return {dialog.CheckedFormat(), dialog.ResultText()}; }

// Waits until the dialog shows `format` checked and `text` in its result box.
bool WaitFor(const GuidDialog& dialog, int format, const std::wstring& text) {
    return dialog.WaitUntil([&] { return dialog.CheckedFormat() == format && dialog.ResultText() == text; });
}

// Opens the dialog on the current state, records what it shows first and
// leaves with the cancel button. Returns SelectGUID's result.
int OpenAndLook(Connect& connect, Seen& seen, bool& appeared) {
    DialogDriver driver([&](GuidDialog& dialog) {
        seen = Look(dialog);
        dialog.Click(IDCANCEL);
    });
    const int result = connect.SelectGUID();
    driver.Finish();
    appeared = driver.Appeared();
    return result;
}

TEST_F(SelectGuidTest, OpensOnTheFormatInMemoryNotTheStoredOne) {
    GuidSetFile file;
    file.Write("3");
    ConnectedAddIn addIn(host);
    OpenDocument(host);
    ScriptedGenerator generator({{ExampleGuid(), S_OK}, {OtherGuid(), S_OK}, {ExampleGuid(), S_OK}});

    Seen seen;
    bool appeared = false;
    EXPECT_EQ(OpenAndLook(addIn.Object(), seen, appeared), -1);
    EXPECT_TRUE(HoldsNoHostObjects(host));
    ASSERT_TRUE(appeared);
    EXPECT_EQ(seen.checked, 0);
    EXPECT_EQ(Narrow(seen.text), Narrow(kExampleTexts[0]));

    // InsertGUID reads 3 from the store; the dialog follows it.
    ASSERT_EQ(addIn.Object().InsertGUID(), 0);
    EXPECT_EQ(OpenAndLook(addIn.Object(), seen, appeared), -1);
    ASSERT_TRUE(appeared);
    EXPECT_EQ(seen.checked, 3);
    EXPECT_EQ(Narrow(seen.text), Narrow(kExampleTexts[3]));
    EXPECT_EQ(generator.Calls(), 3);
}

TEST_F(SelectGuidTest, FormatChangesKeepTheGuidAndNewGuidKeepsTheFormat) {
    GuidSetFile file;
    file.Write("0");
    ConnectedAddIn addIn(host);
    OpenDocument(host);
    ScriptedGenerator generator({{ExampleGuid(), S_OK}, {OtherGuid(), S_OK}});

    struct Step {
        const char* how;
        int format;
        bool byMnemonic;
    };
    const Step steps[] = {
        {"click the fourth", 3, false}, {"type 5", 4, true},           {"click the second", 1, false},
        {"type 3", 2, true},            {"click the first", 0, false}, {"type 4", 3, true},
    };
    std::vector<bool> reached;
    Seen first, afterMnemonicNew, afterClickNew;
    DialogDriver driver([&](GuidDialog& dialog) {
        first = Look(dialog);
        for (const Step& step : steps) {
            if (step.byMnemonic) {
                dialog.TypeChar(static_cast<wchar_t>(L'1' + step.format));
            } else {
                dialog.Click(205 + step.format);
            }
            reached.push_back(WaitFor(dialog, step.format, kExampleTexts[step.format]));
        }
        // Alt+N: the next GUID from the generator, still in the fourth format.
        dialog.AltChar(L'n');
        dialog.WaitUntil([&] { return dialog.ResultText() != kExampleTexts[3]; });
        afterMnemonicNew = Look(dialog);
        // A click: a GUID of the system generator.
        dialog.Click(204);
        afterClickNew = Look(dialog);
        dialog.Click(IDCANCEL);
    });
    EXPECT_EQ(addIn.Object().SelectGUID(), -1);
    driver.Finish();
    EXPECT_TRUE(HoldsNoHostObjects(host));
    ASSERT_TRUE(driver.Appeared());
    EXPECT_TRUE(driver.ClosedByScript());

    EXPECT_EQ(first.checked, 0);
    EXPECT_EQ(Narrow(first.text), Narrow(kExampleTexts[0]));
    ASSERT_EQ(reached.size(), std::size(steps));
    for (size_t index = 0; index < std::size(steps); ++index) EXPECT_TRUE(reached[index]) << steps[index].how;
    EXPECT_EQ(afterMnemonicNew.checked, 3);
    EXPECT_EQ(Narrow(afterMnemonicNew.text), Narrow(kOtherRegistryText));
    EXPECT_EQ(afterClickNew.checked, 3);
    EXPECT_EQ(afterClickNew.text.size(), 40u);
    EXPECT_EQ(afterClickNew.text.front(), L'{');
    EXPECT_EQ(afterClickNew.text.substr(37), L"}\r\n");
    EXPECT_NE(afterClickNew.text, kOtherRegistryText);
    EXPECT_NE(afterClickNew.text, kExampleTexts[3]);
    EXPECT_EQ(generator.Calls(), 3);
}

TEST_F(SelectGuidTest, PasteInsertsTheShownTextAndStoresTheFormat) {
    struct Case {
        const char* how;
        bool byEnterKey;
    };
    const Case cases[] = {{"paste button", false}, {"Enter key", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        GuidSetFile file;
        file.Write("0");
        ConnectedAddIn addIn(host);
        OpenDocument(host);
        host.ClearPastes();
        ScriptedGenerator generator({{ExampleGuid(), S_OK}});

        Seen shown;
        DialogDriver driver([&](GuidDialog& dialog) {
            dialog.Click(208);
            WaitFor(dialog, 3, kExampleTexts[3]);
            shown = Look(dialog);
            if (c.byEnterKey) {
                dialog.PressKey(VK_RETURN);
            } else {
                dialog.Click(IDOK);
            }
        });
        ExecResult exec = addIn.Exec(kSelectGuid);
        driver.Finish();
        EXPECT_EQ(exec.result, S_OK);
        EXPECT_EQ(exec.handled, VARIANT_TRUE);
        ASSERT_TRUE(driver.Appeared());
        EXPECT_TRUE(driver.ClosedByScript());

        EXPECT_EQ(Narrow(shown.text), Narrow(kExampleTexts[3]));
        EXPECT_EQ(Narrow(host.DocumentText()), Narrow(DocumentWith(shown.text)));
        EXPECT_EQ(host.Pastes().size(), 1u);
        EXPECT_EQ(ReadClipboard().text, shown.text);
        EXPECT_EQ(file.Read(), "3");
        EXPECT_EQ(ConnectFields::GuidFormat(addIn.Object()), 3);
        EXPECT_EQ(ConnectFields::GuidText(addIn.Object()), shown.text);

        // Reopened, the dialog starts on the stored format with a new GUID.
        Seen reopened;
        bool appeared = false;
        EXPECT_EQ(OpenAndLook(addIn.Object(), reopened, appeared), -1);
        ASSERT_TRUE(appeared);
        EXPECT_EQ(reopened.checked, 3);
        EXPECT_NE(reopened.text, shown.text);

        // InsertOldGUID repeats the pasted text.
        host.SetDocument(L"", 0, 0);
        EXPECT_EQ(addIn.Object().InsertOldGUID(), 0);
        EXPECT_EQ(host.DocumentText(), shown.text);
        EXPECT_TRUE(HoldsNoHostObjects(host));
    }
}

TEST_F(SelectGuidTest, LeavingInsertsAndStoresNothing) {
    enum class Leave { CancelButton, EscapeKey, CloseBox };
    struct Case {
        const char* how;
        Leave leave;
    };
    const Case cases[] = {
        {"終了 button", Leave::CancelButton}, {"Esc key", Leave::EscapeKey}, {"close box", Leave::CloseBox}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        GuidSetFile file;
        ConnectedAddIn addIn(host);
        file.Write("1");
        OpenDocument(host);
        ASSERT_EQ(addIn.Object().InsertGUID(), 0);
        const std::wstring text = ConnectFields::GuidText(addIn.Object());
        const std::wstring document = host.DocumentText();
        file.Write(" 1\r\n");
        host.ClearPastes();
        ASSERT_TRUE(WriteClipboardText(L"before"));

        bool switched = false;
        DialogDriver driver([&](GuidDialog& dialog) {
            dialog.Click(209);
            switched = dialog.WaitUntil([&] { return dialog.CheckedFormat() == 4; });
            switch (c.leave) {
            case Leave::CancelButton:
                dialog.Click(IDCANCEL);
                break;
            case Leave::EscapeKey:
                dialog.PressKey(VK_ESCAPE);
                break;
            case Leave::CloseBox:
                dialog.CloseBox();
                break;
            }
        });
        EXPECT_EQ(addIn.Object().SelectGUID(), -1);
        driver.Finish();
        EXPECT_TRUE(HoldsNoHostObjects(host));
        ASSERT_TRUE(driver.Appeared());
        EXPECT_TRUE(driver.ClosedByScript());
        EXPECT_TRUE(switched);

        EXPECT_EQ(host.DocumentText(), document);
        EXPECT_TRUE(host.Pastes().empty());
        EXPECT_EQ(ReadClipboard().text, L"before");
        EXPECT_EQ(file.Read(), " 1\r\n");
        EXPECT_EQ(ConnectFields::GuidFormat(addIn.Object()), 1);
        EXPECT_EQ(ConnectFields::GuidText(addIn.Object()), text);
    }
}

TEST_F(SelectGuidTest, MissingStoreShowsNoDialog) {
    GuidSetFile file;
    ConnectedAddIn addIn(host);
    OpenDocument(host);
    ASSERT_TRUE(WriteClipboardText(L"before"));
    DialogDriver driver([](GuidDialog& dialog) { dialog.Click(IDCANCEL); });
    EXPECT_EQ(addIn.Object().SelectGUID(), -1);
    driver.Finish();
    EXPECT_FALSE(driver.Appeared());
    EXPECT_EQ(host.DocumentText(), DocumentWith(L""));
    EXPECT_EQ(ReadClipboard().text, L"before");
    EXPECT_FALSE(file.Read().has_value());
    EXPECT_FALSE(ConnectFields::HasGuidText(addIn.Object()));
    EXPECT_TRUE(HoldsNoHostObjects(host));
}

// Makes the resource module one without the dialog template for its lifetime.
class ModuleWithoutDialogs {
public:
    explicit ModuleWithoutDialogs(HMODULE module) : previous_(ModuleInstance()) { SetModuleInstance(module); }
    ~ModuleWithoutDialogs() { SetModuleInstance(previous_); }
    ModuleWithoutDialogs(const ModuleWithoutDialogs&) = delete;
    ModuleWithoutDialogs& operator=(const ModuleWithoutDialogs&) = delete;

private:
    HINSTANCE previous_;
};

TEST_F(SelectGuidTest, DialogThatNeverOpensInsertsAndStoresNothing) {
    GuidSetFile file;
    ConnectedAddIn addIn(host);
    file.Write("2");
    OpenDocument(host);
    ASSERT_EQ(addIn.Object().InsertGUID(), 0);
    const std::wstring text = ConnectFields::GuidText(addIn.Object());
    file.Write("4");
    host.ClearPastes();
    ASSERT_TRUE(WriteClipboardText(L"before"));

    struct Case {
        const char* name;
        bool generatorFails;
    };
    const Case cases[] = {{"no GUID at start", true}, {"no dialog template", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedGenerator generator({{GUID_NULL, c.generatorFails ? S_OK : E_FAIL}});
        int result = 0;
        DialogDriver driver([](GuidDialog& dialog) { dialog.Click(IDOK); });
        if (c.generatorFails) {
            result = addIn.Object().SelectGUID();
        } else {
            HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
            ASSERT_EQ(FindResourceW(kernel, MAKEINTRESOURCEW(106), RT_DIALOG), nullptr);
            ModuleWithoutDialogs swap(kernel);
            result = addIn.Object().SelectGUID();
        }
        driver.Finish();
        EXPECT_EQ(result, -1);
        EXPECT_FALSE(driver.Appeared());
        EXPECT_EQ(generator.Calls(), c.generatorFails ? 1 : 0);
        EXPECT_TRUE(host.Pastes().empty());
        EXPECT_EQ(ReadClipboard().text, L"before");
        EXPECT_EQ(file.Read(), "4");
        EXPECT_EQ(ConnectFields::GuidFormat(addIn.Object()), 2);
        EXPECT_EQ(ConnectFields::GuidText(addIn.Object()), text);
        EXPECT_TRUE(HoldsNoHostObjects(host));
    }
}

TEST_F(SelectGuidTest, FailedNewGuidKeepsTheGuidThatPasteInserts) {
    GuidSetFile file;
    file.Write("0");
    ConnectedAddIn addIn(host);
    OpenDocument(host);
    ScriptedGenerator generator({{ExampleGuid(), S_OK}, {GUID_NULL, E_FAIL}, {GUID_NULL, S_OK}});

    Seen beforeNew, afterFailedNew;
    DialogDriver driver([&](GuidDialog& dialog) {
        dialog.Click(209);
        WaitFor(dialog, 4, kExampleTexts[4]);
        beforeNew = Look(dialog);
        dialog.Click(204);  // the generator fails ...
        dialog.Click(204);  // ... and yields nothing
        afterFailedNew = Look(dialog);
        dialog.Click(IDOK);
    });
    EXPECT_EQ(addIn.Object().SelectGUID(), 0);
    driver.Finish();
    ASSERT_TRUE(driver.Appeared());
    EXPECT_EQ(generator.Calls(), 3);
    EXPECT_EQ(Narrow(beforeNew.text), Narrow(kExampleTexts[4]));
    EXPECT_EQ(afterFailedNew.checked, 4);
    EXPECT_EQ(afterFailedNew.text, beforeNew.text);
    EXPECT_EQ(Narrow(host.DocumentText()), Narrow(DocumentWith(kExampleTexts[4])));
    EXPECT_EQ(ConnectFields::GuidText(addIn.Object()), std::wstring(kExampleTexts[4]));
    EXPECT_EQ(file.Read(), "4");
    EXPECT_TRUE(HoldsNoHostObjects(host));
}

TEST_F(SelectGuidTest, RefusedInsertionLeavesTheStoreUnwritten) {
    GuidSetFile file;
    file.Write("0");
    ConnectedAddIn addIn(host);
    OpenDocument(host);
    host.SetDocumentReadOnly(true);
    ASSERT_TRUE(WriteClipboardText(L"before"));
    ScriptedGenerator generator({{OtherGuid(), S_OK}});

    DialogDriver driver([&](GuidDialog& dialog) {
        dialog.Click(208);
        WaitFor(dialog, 3, kOtherRegistryText);
        dialog.Click(IDOK);
    });
    EXPECT_EQ(addIn.Object().SelectGUID(), -1);
    driver.Finish();
    ASSERT_TRUE(driver.Appeared());
    EXPECT_TRUE(HoldsNoHostObjects(host));
    EXPECT_EQ(file.Read(), "0");
    EXPECT_EQ(host.DocumentText(), DocumentWith(L""));
    EXPECT_EQ(ReadClipboard().text, L"before");
    // The confirmed format and text stay in memory for InsertOldGUID.
    EXPECT_EQ(ConnectFields::GuidFormat(addIn.Object()), 3);
    EXPECT_EQ(ConnectFields::GuidText(addIn.Object()), std::wstring(kOtherRegistryText));
    host.SetDocumentReadOnly(false);
    EXPECT_EQ(addIn.Object().InsertOldGUID(), 0);
    EXPECT_EQ(host.DocumentText(), DocumentWith(kOtherRegistryText));
}

}  // namespace
}  // namespace velmora::test
