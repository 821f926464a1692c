#include "framework/ModalDialog.h"

#include <exception>
#include <new>

#include "framework/Module.h"

namespace velmora {

INT_PTR ModalDialog::DoModal(HWND owner, LPARAM initParam) {
    initParam_ = initParam;
    wasShown_ = false;
    failed_ = false;
    INT_PTR code = DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(templateId_), owner, &DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
    return code;
}

// The system calls this from its own frames, which no C++ exception may
// cross. Standard exceptions end the dialog as a failure; anything else would
// be a fault of this code, and `noexcept` makes it stop the process here
// rather than unwind through the dialog manager.
INT_PTR CALLBACK ModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
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
    // After a failure the object's state is not to be trusted: the dialog
    // manager alone finishes the dialog.
    if (dialog->failed_ && message != WM_NCDESTROY) return FALSE;
    try {
        return dialog->HandleMessage(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        dialog->EndAfterFailure("out of memory");
    } catch (const std::exception& error) {
        dialog->EndAfterFailure(error.what());
    }
    return FALSE;
}

void ModalDialog::EndAfterFailure(const char* what) noexcept {
    failed_ = true;
    // Written without allocating: memory may be what ran out.
    OutputDebugStringA("Velmora: a dialog handler failed, the dialog ends: ");
    OutputDebugStringA(what);
    OutputDebugStringA("\n");
    EndDialog(window_, kFailedEndCode);
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
        return FALSE;
    }
}

}  // namespace velmora
