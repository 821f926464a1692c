#pragma once
// Modal dialogs from dialog template resources. A dialog class derives from
// ModalDialog and overrides the handlers it needs; a handler returns true when
// it took the message, and every message no handler takes gets the dialog
// manager's default processing (Enter gives IDOK, Escape and a posted WM_CLOSE
// give IDCANCEL, the focus goes to the first tab stop).
//
// A handler may throw a standard exception (std::bad_alloc above all): the
// dialog procedure stops it there, so that it never unwinds through the
// system's dialog manager, and ends the dialog with kFailedEndCode. Failed()
// then tells the caller, and no handler runs again for that dialog.
#include <windows.h>

namespace velmora {

class ModalDialog {
public:
    // End code of a dialog whose handler threw; the same code the system
    // gives for a dialog that could not be created.
    static constexpr INT_PTR kFailedEndCode = -1;

    explicit ModalDialog(UINT templateId) : templateId_(templateId) {}
    virtual ~ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Creates the dialog from its template in the module's resources, with no
    // owner window, and runs its modal loop. Returns the end code; -1 also when
    // the dialog could not be created (WasShown tells the two apart).
    INT_PTR DoModal(HWND owner = nullptr, LPARAM initParam = 0);

    // True once the dialog window existed (it received WM_INITDIALOG).
    bool WasShown() const { return wasShown_; }

    // True when a handler threw and the dialog was ended because of it.
    bool Failed() const { return failed_; }

protected:
    HWND Window() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    void End(INT_PTR code) { EndDialog(window_, code); }

    // WM_INITDIALOG. Return value as for a dialog procedure: TRUE lets the
    // dialog manager give the focus to the first tab stop.
    virtual INT_PTR OnInitDialog(LPARAM /*initParam*/) { return TRUE; }
    virtual bool OnCommand(WORD /*id*/, WORD /*code*/, HWND /*control*/) { return false; }
    // `result` becomes the message result (DWLP_MSGRESULT) when handled.
    virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void EndAfterFailure(const char* what) noexcept;

    UINT templateId_;
    HWND window_ = nullptr;
    LPARAM initParam_ = 0;
    bool wasShown_ = false;
    bool failed_ = false;
};

}  // namespace velmora
