#include "templates/TemplatePickerDialog.h"

#include <string>
#include <vector>

#include "resources/resource.h"
#include "templates/ListBoxOrder.h"
#include "templates/WindowsTemplateFiles.h"

namespace velmora {

namespace {
// The set keeps a zero unit after each display text, so a view's data is a
// NUL-terminated string.
const wchar_t* Wide(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }
}  // namespace

TemplatePickerDialog::TemplatePickerDialog() : ModalDialog(IDD_TEMPLATE_PICKER) {}

INT_PTR TemplatePickerDialog::OnInitDialog(LPARAM) {
    ending_ = false;
    if (templateSet) {
        listBox = Item(IDC_TEMPLATE_LIST);
        Fill();
    }
    return TRUE;  // the focus goes to the list, the only control
}

// The list box sorts (LBS_SORT): LB_ADDSTRING puts each string where a
// binary search of the locale's comparison finds its place, and moves every
// item after it, so a fill in the set's order costs time in the square of
// the count. The texts are put in the list box's own order here instead and
// appended with LB_INSERTSTRING, which takes the place it is given: the list
// shows the same order, and keeps its style for whatever sorting it does later.
void TemplatePickerDialog::Fill() {
    const int count = templateSet->GetCount();
    if (count <= 0) return;
    std::vector<std::u16string_view> texts;
    texts.reserve(static_cast<std::size_t>(count));
    std::size_t textBytes = 0;
    for (int index = 0; index < count; ++index) {
        texts.push_back(templateSet->GetDisplayText(index));
        textBytes += (texts.back().size() + 1) * sizeof(wchar_t);
    }
    const std::vector<int> order = ListBoxOrder(texts, static_cast<LCID>(SendMessageW(listBox, LB_GETLOCALE, 0, 0)));

    // Room for every item and its text at once, and no repainting or
    // scroll-bar update per item.
    SendMessageW(listBox, WM_SETREDRAW, FALSE, 0);
    SendMessageW(listBox, LB_INITSTORAGE, static_cast<WPARAM>(count), static_cast<LPARAM>(textBytes));
    if (order.empty()) {
        for (std::u16string_view text : texts) SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text)));
    } else {
        for (int index : order)
            SendMessageW(listBox, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(Wide(texts[static_cast<std::size_t>(index)])));
    }
    SendMessageW(listBox, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listBox, nullptr, TRUE);
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
    LRESULT selected = listBox ? SendMessageW(listBox, LB_GETCURSEL, 0, 0) : LB_ERR;
    if (selected == LB_ERR) {
        Finish(-1);
        return;
    }
    LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length == LB_ERR) {
        Finish(-1);
        return;
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&text[0]));
    if (copied == LB_ERR) {
        Finish(-1);
        return;
    }
    text.resize(static_cast<std::size_t>(copied));
    chosenIndex = templateSet->FindByDisplayText(ToU16(text));
    Finish(chosenIndex);
}

void TemplatePickerDialog::Finish(INT_PTR code) {
    if (ending_) return;
    ending_ = true;
    End(code);
}

}  // namespace velmora
