// InsertGUID and InsertOldGUID against the host stand-in, with GuidSet.ini in
// the application-data folder and the real clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "addin/Connect.h"
#include "guid/GuidTestSupport.h"
#include "support/DebugOutputCapture.h"
#include "support/HostFixture.h"

namespace velmora::test {
namespace {

using InsertGuidTest = HostTest;

const std::wstring kInsertGuid = FullCommandName(L"InsertGUID");
const std::wstring kInsertOldGuid = FullCommandName(L"InsertOldGUID");

// The document "int a;|int b;" with the caret at the bar.
void OpenDocument(HostStandIn& host) { host.SetDocument(L"int a;int b;", 6, 0); }
std::wstring DocumentWith(const std::wstring& inserted) { return L"int a;" + inserted + L"int b;"; }

// "XXXXXXXX_XXXX_xxxx_XXXX_XXXXXXXXXXXX": the underscore form of some GUID.
bool IsUnderscoreForm(const std::wstring& text) {
    if (text.size() != 36) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool separator = i == 8 || i == 13 || i == 18 || i == 23;
        if (separator ? text[i] != L'_' : !std::iswxdigit(text[i])) return false;
        // The third group is lower case, the others upper case.
        if (!separator && std::iswalpha(text[i]) && (std::iswlower(text[i]) != 0) != (i > 13 && i < 18)) return false;
    }
    return true;
}

TEST_F(InsertGuidTest, EachStoredFormatReachesClipboardAndDocument) {
    GuidSetFile file;
    for (int format = 0; format < 5; ++format) {
        SCOPED_TRACE(format);
        ScriptedGenerator generator({{ExampleGuid(), S_OK}});
        ConnectedAddIn addIn(host);
        file.Write(std::to_string(format));
        OpenDocument(host);
        host.ClearPastes();
        ASSERT_TRUE(WriteClipboardText(L"before"));

        ExecResult exec = addIn.Exec(kInsertGuid);
        EXPECT_EQ(exec.result, S_OK);
        EXPECT_EQ(exec.handled, VARIANT_TRUE);

        const std::wstring expected = kExampleTexts[format];
        EXPECT_EQ(ConnectFields::GuidFormat(addIn.Object()), format);
        EXPECT_TRUE(ConnectFields::HasGuidText(addIn.Object()));
        EXPECT_EQ(Narrow(ConnectFields::GuidText(addIn.Object())), Narrow(expected));
        ClipboardContents clip = ReadClipboard();
        EXPECT_EQ(Narrow(clip.text), Narrow(expected));
        EXPECT_EQ(clip.blockBytes, (expected.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(Narrow(host.DocumentText()), Narrow(DocumentWith(expected)));
        EXPECT_EQ(host.Pastes().size(), 1u);
        EXPECT_EQ(generator.Calls(), 1);
        // The store is only read.
        EXPECT_EQ(file.Read(), std::to_string(format));
    }
}

TEST_F(InsertGuidTest, NewGuidEachTimeAndOldGuidRepeatsTheLastText) {
    GuidSetFile file;
    ConnectedAddIn addIn(host);
    file.Write("4");
    host.SetDocument(L"", 0, 0);
    addIn.Exec(kInsertGuid);
    const std::wstring first = host.DocumentText();
    addIn.Exec(kInsertGuid);
    const std::wstring second = host.DocumentText().substr(first.size());
    EXPECT_TRUE(IsUnderscoreForm(first)) << Narrow(first);
    EXPECT_TRUE(IsUnderscoreForm(second)) << Narrow(second);
    EXPECT_NE(first, second);

    // The stored format changes; the old GUID keeps the form it was made in.
    file.Write("0");
    host.SetDocument(L"", 0, 0);
    ASSERT_TRUE(WriteClipboardText(L"before"));
    addIn.Exec(kInsertOldGuid);
    EXPECT_EQ(host.DocumentText(), second);
    EXPECT_EQ(ReadClipboard().text, second);
    EXPECT_EQ(ConnectFields::GuidFormat(addIn.Object()), 4);
    EXPECT_EQ(addIn.Object().InsertOldGUID(), 0);
    EXPECT_EQ(host.DocumentText(), second + second);

    // Only the next InsertGUID takes the new format, with a new GUID.
    addIn.Exec(kInsertGuid);
    const std::wstring third = host.DocumentText().substr(2 * second.size());
    EXPECT_EQ(third.rfind(L"// {", 0), 0u) << Narrow(third);
    EXPECT_NE(third.find(L"}\r\nIMPLEMENT_OLECREATE(<<class>>, <<external_name>>, \r\n0x"), std::wstring::npos);
    EXPECT_EQ(third.find(second.substr(0, 8)), std::wstring::npos);
    EXPECT_EQ(ConnectFields::GuidFormat(addIn.Object()), 0);
}

TEST_F(InsertGuidTest, MissingStoreInsertsNothingAndKeepsTheFormat) {
    GuidSetFile file;
    ConnectedAddIn addIn(host);
    file.Write("3");
    OpenDocument(host);
    ASSERT_EQ(addIn.Object().InsertGUID(), 0);
    const std::wstring text = ConnectFields::GuidText(addIn.Object());
    const std::wstring document = host.DocumentText();

    file.Remove();
    host.ClearPastes();
    ASSERT_TRUE(WriteClipboardText(L"before"));
    DebugOutputCapture debug;
    ASSERT_TRUE(debug.Listening());
    EXPECT_EQ(addIn.Object().InsertGUID(), -1);
    EXPECT_EQ(debug.Take(),
              std::vector<std::wstring>{L"Velmora: InsertGUID: GuidSet.ini cannot be opened: \"" + file.Path() + L"\""});
    EXPECT_TRUE(HoldsNoHostObjects(host));
    addIn.Exec(kInsertGuid);
    EXPECT_EQ(ConnectFields::GuidFormat(addIn.Object()), 3);
    EXPECT_EQ(ConnectFields::GuidText(addIn.Object()), text);
    EXPECT_EQ(host.DocumentText(), document);
    EXPECT_TRUE(host.Pastes().empty());
    EXPECT_EQ(ReadClipboard().text, L"before");
    // The store was not brought into being.
    EXPECT_FALSE(file.Read().has_value());
}

TEST_F(InsertGuidTest, GeneratorYieldingNoGuidChangesNothing) {
    GuidSetFile file;
    file.Write("3");
    const GeneratorStep failures[] = {{GUID_NULL, S_OK}, {GUID_NULL, E_FAIL}};
    for (const GeneratorStep& failure : failures) {
        SCOPED_TRACE(failure.result);
        ConnectedAddIn addIn(host);
        OpenDocument(host);
        host.ClearPastes();
        ASSERT_TRUE(WriteClipboardText(L"before"));
        {
            // Before any text was made: still none afterwards.
            ScriptedGenerator generator({failure});
            EXPECT_EQ(addIn.Object().InsertGUID(), -1);
            EXPECT_EQ(generator.Calls(), 1);
            EXPECT_FALSE(ConnectFields::HasGuidText(addIn.Object()));
            EXPECT_EQ(ConnectFields::GuidText(addIn.Object()), std::wstring());
        }
        {
            // After one: the text stays the earlier one.
            ScriptedGenerator generator({{ExampleGuid(), S_OK}, failure});
            EXPECT_EQ(addIn.Object().InsertGUID(), 0);
            EXPECT_EQ(addIn.Object().InsertGUID(), -1);
            EXPECT_TRUE(ConnectFields::HasGuidText(addIn.Object()));
            EXPECT_EQ(ConnectFields::GuidText(addIn.Object()), std::wstring(kExampleTexts[3]));
        }
        EXPECT_EQ(host.Pastes().size(), 1u);
        EXPECT_EQ(host.DocumentText(), DocumentWith(kExampleTexts[3]));
        EXPECT_TRUE(HoldsNoHostObjects(host));
    }
}

TEST_F(InsertGuidTest, OnlyTheGuidValueDecidesWhetherOneWasMade) {
    GuidSetFile file;
    file.Write("4");
    struct Case {
        const char* name;
        GeneratorStep step;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"failure code with a GUID", {ExampleGuid(), RPC_S_UUID_LOCAL_ONLY}, kExampleTexts[4]},
        {"only the last byte set", {MakeGuid(0, 0, 0, 1), S_OK}, L"00000000_0000_0000_0000_000000000001"},
        {"only the first byte set", {MakeGuid(1, 0, 0, 0), S_OK}, L"00000001_0000_0000_0000_000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectedAddIn addIn(host);
        host.SetDocument(L"", 0, 0);
        ScriptedGenerator generator({c.step});
        EXPECT_EQ(addIn.Object().InsertGUID(), 0);
        EXPECT_EQ(host.DocumentText(), c.expected);
        EXPECT_TRUE(HoldsNoHostObjects(host));
    }
}

TEST_F(InsertGuidTest, OldGuidIsOfferedOnlyOnceATextWasMade) {
    GuidSetFile file;
    ConnectedAddIn addIn(host);
    OpenDocument(host);
    EXPECT_EQ(addIn.QueryStatus(kInsertOldGuid).status, 0);
    EXPECT_EQ(addIn.QueryStatus(kInsertGuid).status, 3);

    // A failed InsertGUID (no store, then no GUID) makes no text.
    addIn.Exec(kInsertGuid);
    EXPECT_EQ(addIn.QueryStatus(kInsertOldGuid).status, 0);
    file.Write("1");
    {
        ScriptedGenerator generator({{GUID_NULL, S_OK}});
        addIn.Exec(kInsertGuid);
    }
    EXPECT_EQ(addIn.QueryStatus(kInsertOldGuid).status, 0);

    addIn.Exec(kInsertGuid);
    EXPECT_EQ(addIn.QueryStatus(kInsertOldGuid).status, 3);
    // Still only where it could be pasted.
    host.SetDocumentReadOnly(true);
    EXPECT_EQ(addIn.QueryStatus(kInsertOldGuid).status, 0);
}

TEST_F(InsertGuidTest, RefusedInsertionKeepsTheNewTextForOldGuid) {
    GuidSetFile file;
    file.Write("3");
    ConnectedAddIn addIn(host);
    OpenDocument(host);
    host.SetDocumentReadOnly(true);
    ASSERT_TRUE(WriteClipboardText(L"before"));
    ScriptedGenerator generator({{OtherGuid(), S_OK}});
    EXPECT_EQ(addIn.Object().InsertGUID(), -1);
    EXPECT_TRUE(ConnectFields::HasGuidText(addIn.Object()));
    EXPECT_EQ(ConnectFields::GuidText(addIn.Object()), std::wstring(kOtherRegistryText));
    EXPECT_EQ(ReadClipboard().text, L"before");
    EXPECT_EQ(host.DocumentText(), DocumentWith(L""));

    host.SetDocumentReadOnly(false);
    EXPECT_EQ(addIn.Object().InsertOldGUID(), 0);
    EXPECT_EQ(host.DocumentText(), DocumentWith(kOtherRegistryText));
    EXPECT_EQ(ReadClipboard().text, kOtherRegistryText);
}

TEST_F(InsertGuidTest, CommandsCalledWithoutAHostDoNothing) {
    GuidSetFile file;
    file.Write("2");
    ComPtr<IDTExtensibility2> object;
    ASSERT_EQ(CreateConnect(object), S_OK);
    Connect& connect = *static_cast<Connect*>(object.Get());
    ASSERT_TRUE(WriteClipboardText(L"before"));
    EXPECT_EQ(connect.InsertGUID(), -1);
    EXPECT_EQ(connect.InsertOldGUID(), -1);
    DialogDriver driver([](GuidDialog& dialog) { dialog.Click(IDCANCEL); });
    EXPECT_EQ(connect.SelectGUID(), -1);
    driver.Finish();
    EXPECT_FALSE(driver.Appeared());
    EXPECT_EQ(ConnectFields::GuidFormat(connect), 0);
    EXPECT_FALSE(ConnectFields::HasGuidText(connect));
    EXPECT_EQ(ReadClipboard().text, L"before");
}

}  // namespace
}  // namespace velmora::test
