#pragma once
// The select-and-paste GUID dialog: a new GUID shown in one of the five
// formats, chosen with radio buttons; "&New GUID" makes another one.
#include <windows.h>

#include "framework/ModalDialog.h"

namespace velmora {

class GuidSelectDialog final : public ModalDialog {
public:
    // End code when no GUID could be made as the dialog opened; it then
    // closes before it is shown.
    static constexpr INT_PTR kNoGuidEndCode = 3;

    // `initialFormat` is the format checked at first; a value outside 0 to 4
    // is brought into that range.
    explicit GuidSelectDialog(int initialFormat);

    // After the dialog closed: the format (-1 when the user left with the
    // cancel button) and the GUID on show.
    void GetResult(int& format, GUID& guid) const;

private:
    INT_PTR OnInitDialog(LPARAM initParam) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

    // Shows shownGuid in formatIndex in the result box.
    void UpdateResult();
    // formatIndex from the radio buttons.
    void ReadFormatButtons();

    int formatIndex;
    GUID shownGuid = GUID_NULL;
};

}  // namespace velmora
