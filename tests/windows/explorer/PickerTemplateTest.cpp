// Dialog template 105 as compiled into the resources: a caption-less pop-up
// with a thin border holding one tree view without lines or buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Module.h"
#include "resources/resource.h"
#include "support/DialogTemplate.h"

namespace velmora::test {
namespace {

TEST(SpecialFolderPickerTemplate, IsTheCaptionlessTreePopup) {
    DialogTemplate dialog;
    ASSERT_TRUE(ReadDialogTemplate(ModuleInstance(), IDD_SPECIAL_FOLDER_PICKER, dialog)) << "no Japanese dialog 105";
    EXPECT_EQ(dialog.version, 1) << "not an extended template";
    EXPECT_EQ(dialog.signature, 0xFFFF);
    EXPECT_EQ(dialog.exStyle, 0u) << "extended style";
    EXPECT_EQ(dialog.style, 0x80800840u) << "WS_POPUP | WS_BORDER | DS_CENTER | DS_SETFONT";
    EXPECT_EQ(dialog.itemCount, 1) << "control count";
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 184);
    EXPECT_EQ(dialog.cy, 288);
    EXPECT_EQ(dialog.menu, L"") << "menu";
    EXPECT_EQ(dialog.windowClass, L"") << "class";
    EXPECT_EQ(dialog.title, L"") << "caption";
    EXPECT_EQ(dialog.pointSize, 9) << "point size";
    EXPECT_EQ(dialog.weight, 400) << "weight";
    EXPECT_EQ(dialog.italic, 0) << "italic";
    EXPECT_EQ(dialog.charset, 128) << "Shift-JIS character set";
    EXPECT_EQ(dialog.face, L"ＭＳ Ｐゴシック");

    ASSERT_EQ(dialog.items.size(), 1u);
    const DialogItem& tree = dialog.items[0];
    EXPECT_EQ(tree.exStyle, 0u) << "control extended style";
    EXPECT_EQ(tree.style, 0x50010000u) << "WS_CHILD | WS_VISIBLE | WS_TABSTOP and no tree-view styles";
    EXPECT_EQ(tree.x, 0);
    EXPECT_EQ(tree.y, 0);
    EXPECT_EQ(tree.cx, 184);
    EXPECT_EQ(tree.cy, 288);
    EXPECT_EQ(tree.id, IDC_FOLDER_TREE);
    EXPECT_EQ(IDC_FOLDER_TREE, 201);
    // The resource compiler may store the class name in capitals; window
    // class names are compared without regard to case.
    EXPECT_EQ(_wcsicmp(tree.className.c_str(), L"SysTreeView32"), 0);
    EXPECT_EQ(tree.text, L"") << "control text";
    EXPECT_EQ(tree.extraBytes, 0) << "creation data";
}

}  // namespace
}  // namespace velmora::test
