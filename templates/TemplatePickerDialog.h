#pragma once
// The pop-up list of dialog 104: the set's display texts in the list box's
// sorted order. Enter or a double-click chooses the selected template; Escape
// or the list losing the focus ends it without a choice.
#include <windows.h>

#include "framework/ModalDialog.h"
#include "templates/CodeTemplateSet.h"

namespace velmora {

class TemplatePickerDialog final : public ModalDialog {
public:
    // `templateSet` (not owned) must outlive the dialog's run.
    explicit TemplatePickerDialog(const CodeTemplateSet* templateSet);

    // After the dialog closed: the index of the chosen entry in the set, -1
    // for none.
    int ChosenIndex() const { return chosenIndex_; }

protected:
    INT_PTR OnInitDialog(LPARAM initParam) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    // Adds the set's display texts to the list.
    void Fill();
    void Choose();
    // Ends the dialog once: ending takes the focus from the list, whose
    // notification must not replace the code given first.
    void Finish(INT_PTR code);

    const CodeTemplateSet* templateSet_;
    HWND listBox_ = nullptr;  // control 203 while the dialog runs
    int chosenIndex_ = -1;
    bool ending_ = false;
};

}  // namespace velmora
