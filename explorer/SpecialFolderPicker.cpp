#include "explorer/SpecialFolderPicker.h"

#include "explorer/ShellOpen.h"
#include "explorer/SpecialFolderCatalogue.h"
#include "explorer/SpecialFolderTable.h"
#include "framework/TextConversion.h"
#include "platform/DebugLog.h"
#include "resources/resource.h"

namespace velmora::explorer {

using debuglog::CommandStopped;

namespace {

constexpr int kIconSize = 16;
constexpr int kImageListCapacity = 64;
constexpr COLORREF kWhite = RGB(255, 255, 255);

constexpr wchar_t kCommand[] = L"ProjectExplorerSp";

}  // namespace

SpecialFolderPicker::SpecialFolderPicker() : ModalDialog(IDD_SPECIAL_FOLDER_PICKER) {
    static const bool controlsInitialised = (InitCommonControls(), true);
    (void)controlsInitialised;
}

INT_PTR SpecialFolderPicker::OnInitDialog(LPARAM) {
    // An unmasked list: the icons are drawn onto its white background.
    imageList_.reset(ImageList_Create(kIconSize, kIconSize, ILC_COLOR8, kImageListCapacity, kImageListCapacity));
    if (!imageList_) {
        CommandStopped(kCommand, L"the icon list cannot be made");
        Close();
        return TRUE;
    }
    ImageList_SetBkColor(imageList_.get(), kWhite);
    tree_ = Item(IDC_FOLDER_TREE);
    TreeView_SetImageList(tree_, imageList_.get(), TVSIL_NORMAL);
    for (int number = 0; number < kSpecialFolderCount; ++number) {
        if (!IsOfferedFolder(number)) continue;
        if (!AddEntry(number)) {
            CommandStopped(kCommand, L"a folder cannot be added to the list");
            Close();
            break;
        }
    }
    return TRUE;  // the dialog manager gives the tree the focus
}

bool SpecialFolderPicker::AddEntry(int number) {
    SpecialFolderEntry entry;
    if (!DescribeSpecialFolder(number, entry)) return true;
    // The list keeps its own copy; the shell's icon goes when `entry` does.
    int image = ImageList_ReplaceIcon(imageList_.get(), -1, entry.icon.get());
    if (image == -1) return false;

    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(entry.name);
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.lParam = static_cast<LPARAM>(ItemTagOf(number));
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert))) !=
           nullptr;
}

bool SpecialFolderPicker::OnCommand(WORD id, WORD code, HWND) {
    if (code != 0) return false;
    if (id == IDOK || id == IDCANCEL) {
        End(id);
        return true;
    }
    return false;
}

bool SpecialFolderPicker::OnNotify(NMHDR* header, LRESULT& result) {
    if (!header || header->idFrom != IDC_FOLDER_TREE) return false;
    switch (header->code) {
    case NM_DBLCLK:
        // The picker closes whatever the opening does.
        Close();
        OpenSelectedEntry();
        result = 0;
        return true;
    case NM_KILLFOCUS:
        Close();
        result = 0;
        return true;
    default:
        return false;
    }
}

void SpecialFolderPicker::OpenSelectedEntry() {
    HTREEITEM selected = TreeView_GetSelection(tree_);
    if (!selected) return;
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = selected;
    if (!SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return;
    std::uint32_t number = 0;
    if (!FolderOfItemTag(static_cast<std::uint32_t>(item.lParam), number)) return;

    OpenTarget target;
    if (!FindOpenTarget(number, target)) {
        CommandStopped(kCommand, L"the chosen folder has nothing to open");
        return;
    }
    // Shift asks for the plain folder window, unless the place has a verb of its own.
    ShellOpen(target.verb ? target.verb : FolderVerb({VK_SHIFT}), AsWide(target.file.c_str()), target.idList.get());
}

void SpecialFolderPicker::Close() { PostMessageW(Window(), WM_CLOSE, 0, 0); }

}  // namespace velmora::explorer
