// Dialog template 104 as the shipped DLL carries it, read field by field.
#include <windows.h>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "support/DialogTemplate.h"
#include "support/HostFixture.h"
#include "testbed/fixtures/TestEnvironment.h"

namespace velmora::test {
namespace {

void ExpectPickerTemplate(HMODULE module) {
    DialogTemplate dialog;
    ASSERT_TRUE(ReadDialogTemplate(module, IDD_TEMPLATE_PICKER, dialog));
    EXPECT_EQ(dialog.version, 1);
    EXPECT_EQ(dialog.signature, 0xFFFF);  // extended template
    EXPECT_EQ(dialog.helpId, 0u);
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.style, 0x80800840u);
    EXPECT_EQ(dialog.itemCount, 1);  // one control
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 208);
    EXPECT_EQ(dialog.cy, 96);
    EXPECT_EQ(dialog.menu, L"");
    EXPECT_EQ(dialog.windowClass, L"");
    EXPECT_EQ(dialog.title, L"");
    EXPECT_EQ(dialog.pointSize, 11);
    EXPECT_EQ(dialog.weight, 400);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, 128);  // SHIFTJIS_CHARSET
    EXPECT_EQ(dialog.face, L"ＭＳ ゴシック");

    ASSERT_EQ(dialog.items.size(), 1u);
    const DialogItem& list = dialog.items[0];
    EXPECT_EQ(list.helpId, 0u);
    EXPECT_EQ(list.exStyle, 0u);
    EXPECT_EQ(list.style, 0x50310103u);
    EXPECT_EQ(list.x, 0);
    EXPECT_EQ(list.y, 0);
    EXPECT_EQ(list.cx, 208);
    EXPECT_EQ(list.cy, 96);
    EXPECT_EQ(list.id, IDC_TEMPLATE_LIST);
    EXPECT_EQ(list.className, L"#131");  // the predefined list box class
    EXPECT_EQ(list.text, L"");
    EXPECT_EQ(list.extraBytes, 0);  // no creation data
    EXPECT_LE(dialog.trailingBytes, 3u) << "nothing but padding after the one control";
}

TEST(PickerTemplate, ShippedDllCarriesItExactly) {
    HMODULE dll = LoadLibraryExW(BuiltDllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(dll, nullptr) << Narrow(BuiltDllPath());
    ExpectPickerTemplate(dll);
    FreeLibrary(dll);
}

TEST(PickerTemplate, TestProgramResourcesMatch) { ExpectPickerTemplate(GetModuleHandleW(nullptr)); }

}  // namespace
}  // namespace velmora::test
