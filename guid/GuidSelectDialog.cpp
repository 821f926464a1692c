#include "guid/GuidSelectDialog.h"

#include "guid/GuidMaker.h"
#include "guid/GuidSetFormat.h"
#include "resources/resource.h"

namespace velmora {

GuidSelectDialog::GuidSelectDialog(int initialFormat)
    : ModalDialog(IDD_GUID_SELECT), formatIndex(guid::ClampGuidFormat(initialFormat)) {}

void GuidSelectDialog::GetResult(int& format, GUID& guid) const {
    format = formatIndex;
    guid = shownGuid;
}

INT_PTR GuidSelectDialog::OnInitDialog(LPARAM) {
    CheckRadioButton(Window(), IDC_GUID_FORMAT_FIRST, IDC_GUID_FORMAT_FIRST + guid::kFormatCount - 1,
                     IDC_GUID_FORMAT_FIRST + formatIndex);
    if (!guid::MakeNewGuid(shownGuid)) {
        End(kNoGuidEndCode);
        return TRUE;
    }
    UpdateResult();
    return TRUE;
}

bool GuidSelectDialog::OnCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED) return false;
    if (id >= IDC_GUID_FORMAT_FIRST && id < IDC_GUID_FORMAT_FIRST + guid::kFormatCount) {
        ReadFormatButtons();
        UpdateResult();
        return true;
    }
    switch (id) {
    case IDC_NEW_GUID: {
        // The GUID on show is the one a paste inserts: it only changes when
        // a new one was really made.
        GUID fresh;
        if (guid::MakeNewGuid(fresh)) {
            shownGuid = fresh;
            UpdateResult();
        }
        return true;
    }
    case IDOK:
        End(IDOK);
        return true;
    case IDCANCEL:
        formatIndex = -1;
        End(IDCANCEL);
        return true;
    default:
        return false;
    }
}

void GuidSelectDialog::UpdateResult() {
    wchar_t text[kGuidTextCapacity];
    if (!guid::RenderGuid(formatIndex, shownGuid, text)) return;
    SetDlgItemTextW(Window(), IDC_GUID_RESULT, text);
}

void GuidSelectDialog::ReadFormatButtons() {
    // The first button is not asked: with none of the others checked the
    // format is the first one.
    formatIndex = 0;
    for (int index = 1; index < guid::kFormatCount; ++index) {
        if (IsDlgButtonChecked(Window(), IDC_GUID_FORMAT_FIRST + index) == BST_CHECKED) formatIndex = index;
    }
}

}  // namespace velmora
