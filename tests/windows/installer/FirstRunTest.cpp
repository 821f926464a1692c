// The first run after installing: the host stand-in creates the add-in by its
// ProgID, as the IDE does from its add-in key, connects it and runs
// InsertGUID and CodeTemplate with nothing but the starter configuration.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "InstallerTestSupport.h"
#include "platform/DteInterfaces.h"
#include "resources/resource.h"
#include "support/HostFixture.h"
#include "testbed/fixtures/PopUpDriver.h"

namespace velmora::test {
namespace {

// On a helper thread: waits for the template picker of the user-interface
// thread, selects the item of the template `name` and presses Enter as the
// dialog's command. Anything unexpected closes the picker, so no test hangs.
class PickerDriver {
public:
    explicit PickerDriver(std::wstring name) : name_(std::move(name)), driver_([this](HWND dialog) { Choose(dialog); }) {}

    // After the command returned: waits for the helper and returns what went
    // wrong, or an empty text.
    std::string Finish() {
        if (!driver_.Finish().appeared) return "the template picker did not appear";
        return failure_;
    }

private:
    void Choose(HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_TEMPLATE_LIST);
        const LRESULT count = list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
        LRESULT chosen = LB_ERR;
        for (LRESULT index = 0; index < count && chosen == LB_ERR; ++index) {
            if (popup::ListItemText(list, index).compare(0, name_.size() + 1, name_ + L" ") == 0) chosen = index;
        }
        if (chosen == LB_ERR) {
            failure_ = "no item for the template " + Narrow(name_);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        SendMessageW(list, LB_SETCURSEL, chosen, 0);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    std::wstring name_;
    std::string failure_;
    popup::PopUpDriver driver_;  // last: its helper thread uses the members above
};

TEST_F(InstallerTest, HostLoadsTheAddInByProgIdAndInsertsFromTheStarterConfiguration) {
    InstallFolder folder(L"Velmora first run");
    ASSERT_TRUE(folder.Complete());
    const CapturedRun install = RunScript(folder.Install());
    ASSERT_EQ(install.exitCode, 0) << install.output;
    {
        HostStandIn host;
        ConnectedAddIn addIn(host, L"Velmora.Connect", ext_cm_Startup);
        ASSERT_EQ(addIn.ConnectResult(), S_OK);
        const auto exec = [&addIn](const wchar_t* shortName) {
            const ExecResult result = addIn.Exec(FullCommandName(shortName));
            EXPECT_EQ(result.result, S_OK) << Narrow(shortName);
            return result.handled;
        };
        EXPECT_TRUE(host.HasCommand(FullCommandName(L"InsertGUID")));
        EXPECT_TRUE(host.HasCommand(FullCommandName(L"CodeTemplate")));

        // InsertGUID renders in the starter's format 0.
        host.SetDocumentName(L"Sample.cpp");
        host.SetDocumentText(L"");
        EXPECT_EQ(exec(L"InsertGUID"), VARIANT_TRUE);
        const std::wregex format0(
            LR"(// \{[0-9A-F]{8}-[0-9A-F]{4}-[0-9a-f]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}\r\n)"
            LR"(IMPLEMENT_OLECREATE\(<<class>>, <<external_name>>, \r\n)"
            LR"(0x[0-9a-f]{1,8}, 0x[0-9a-f]{1,4}, 0x[0-9a-f]{1,4}(, 0x[0-9a-f]{1,2}){8}\);\r\n)");
        EXPECT_TRUE(std::regex_match(host.DocumentText(), format0)) << Narrow(host.DocumentText());

        // CodeTemplate offers each document the templates of its language and
        // indents the chosen one to the caret's column (here 5).
        struct Case {
            const wchar_t* document;
            const wchar_t* templateName;
            const wchar_t* inserted;
        };
        const Case cases[] = {
            {L"Sample.cpp", L"switch",
             L"switch (value) {\n    case 0:\n        break;\n    default:\n        break;\n    }\n"},
            {L"Sample.h", L"guard", L"#ifndef NAME_H\n    #define NAME_H\n    \n    #endif\n"},
            {L"Form1.cs", L"foreach", L"foreach (var item in items)\n    {\n    }\n"},
            {L"Module1.vb", L"If", L"If condition Then\n    End If\n"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(Narrow(c.document));
            host.SetDocumentName(c.document);
            host.SetDocumentText(L"    ");
            host.SetAnchorColumn(5);
            PickerDriver picker(c.templateName);
            EXPECT_EQ(exec(L"CodeTemplate"), VARIANT_TRUE);
            EXPECT_EQ(picker.Finish(), "");
            EXPECT_EQ(host.DocumentText(), std::wstring(L"    ") + c.inserted);
        }
    }
    EXPECT_EQ(ReadFileBytes(config + L"\\GuidSet.ini").value_or("<missing>"), "0");
    const CapturedRun uninstall = RunScript(folder.Uninstall());
    ASSERT_EQ(uninstall.exitCode, 0) << uninstall.output;
}

}  // namespace
}  // namespace velmora::test
