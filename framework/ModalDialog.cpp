#include "framework/ModalDialog.h"

#include "framework/Module.h"

namespace velmora {

INT_PTR ModalDialog::DoModal(HWND owner, LPARAM initParam) {
    initParam_ = initParam;
    wasShown_ = false;
    INT_PTR code = DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(templateId_), owner, &DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    return code;
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ModalDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<ModalDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->window_ = window;
        dialog->wasShown_ = true;
    } else {
        dialog = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!dialog) return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT)
    return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR ModalDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(initParam_);
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), result)) return FALSE;
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(window_, DWLP_USER, 0);
        return FALSE;
    default:
        return OnMessage(message, wParam, lParam) ? TRUE : FALSE;
    }
}

}  // namespace velmora
