#include "templates/TemplatePickerDialog.h"

#include <string>
#include <vector>

#include "framework/TextConversion.h"
#include "resources/resource.h"
#include "templates/ListBoxOrder.h"

namespace velmora {

TemplatePickerDialog::TemplatePickerDialog(const CodeTemplateSet* templateSet)
    : ModalDialog(IDD_TEMPLATE_PICKER), templateSet_(templateSet) {}

INT_PTR TemplatePickerDialog::OnInitDialog(LPARAM) {
    ending_ = false;
    if (templateSet_) {
        listBox_ = Item(IDC_TEMPLATE_LIST);
        Fill();
    }
    return TRUE;  // the focus goes to the list, the only control
}

// The list box sorts (LBS_SORT); the set keeps a zero unit after each
// display text, as the fill needs.
void TemplatePickerDialog::Fill() {
    const int count = templateSet_->GetCount();
    if (count <= 0) return;
    std::vector<std::u16string_view> texts;
    texts.reserve(static_cast<std::size_t>(count));
    for (int index = 0; index < count; ++index) texts.push_back(templateSet_->GetDisplayText(index));
    FillSortingListBox(listBox_, texts);
}

bool TemplatePickerDialog::OnCommand(WORD id, WORD code, HWND) {
    switch (id) {
    case IDCANCEL:
        if (code != BN_CLICKED) return false;
        Finish(IDCANCEL);
        return true;
    case IDOK:
        Choose();
        return true;
    case IDC_TEMPLATE_LIST:
        if (code == LBN_KILLFOCUS) {
            Finish(-1);
            return true;
        }
        if (code == LBN_DBLCLK) {
            Choose();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void TemplatePickerDialog::Choose() {
    if (ending_) return;
    LRESULT selected = listBox_ ? SendMessageW(listBox_, LB_GETCURSEL, 0, 0) : LB_ERR;
    if (selected == LB_ERR) {
        Finish(-1);
        return;
    }
    LRESULT length = SendMessageW(listBox_, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length == LB_ERR) {
        Finish(-1);
        return;
    }
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    LRESULT copied =
        SendMessageW(listBox_, LB_GETTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(AsWide(&text[0])));
    if (copied == LB_ERR) {
        Finish(-1);
        return;
    }
    text.resize(static_cast<std::size_t>(copied));
    chosenIndex_ = templateSet_->FindByDisplayText(text);
    Finish(chosenIndex_);
}

void TemplatePickerDialog::Finish(INT_PTR code) {
    if (ending_) return;
    ending_ = true;
    End(code);
}

}  // namespace velmora
