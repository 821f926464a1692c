#pragma once
// The pop-up list of special folders: a caption-less dialog whose tree shows
// every place the shell knows here, with its small icon, and opens the one
// double-clicked. It closes like a pop-up menu: on a choice, Enter, Escape or
// when the tree loses the keyboard focus.
#include <windows.h>
#include <commctrl.h>

#include "framework/ModalDialog.h"
#include "framework/UniqueHandle.h"

namespace velmora::explorer {

class SpecialFolderPicker : public ModalDialog {
public:
    SpecialFolderPicker();

protected:
    INT_PTR OnInitDialog(LPARAM initParam) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;

private:
    // False when the entry could not be added; an unavailable place counts
    // as added.
    bool AddEntry(int number);
    void OpenSelectedEntry();
    void Close();

    UniqueImageList imageList_;
    HWND tree_ = nullptr;
};

}  // namespace velmora::explorer
