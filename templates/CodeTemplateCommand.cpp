// CodeTemplate: picks a template for the active document's extension from a
// pop-up list and pastes it at the caret, later lines indented to its column.
#include <windows.h>

#include <string>

#include "addin/Connect.h"
#include "addin/TextInsertion.h"
#include "platform/Dispatch.h"
#include "platform/HostOperations.h"
#include "templates/CodeTemplateSet.h"
#include "templates/InsertionText.h"
#include "templates/TemplatePickerDialog.h"
#include "templates/WindowsTemplateFiles.h"

namespace velmora {

namespace {
const wchar_t kReadFailureText[] = L"テンプレートファイルの読込みに失敗しました";
const wchar_t kReadFailureCaption[] = L"Code Template";
constexpr long kBreakMode = 2;
}  // namespace

int Connect::CodeTemplate() {
    long mode = 0;
    if (FAILED(hostops::GetDebuggerMode(host.Get(), mode)) || mode == kBreakMode) return -1;

    hostops::EditableSelection target;
    if (!hostops::FindEditableSelection(host.Get(), target)) return -1;
    long column = 0;
    if (FAILED(hostops::GetAnchorDisplayColumn(target.selection.Get(), column))) return -1;

    std::u16string extension;
    {
        UniqueBstr name;
        if (FAILED(dispatch::GetString(target.document.Get(), L"Name", name))) return -1;
        extension = ExtensionOf(std::u16string(reinterpret_cast<const char16_t*>(name.get()), SysStringLen(name.get())));
    }

    WindowsTemplateFiles files;
    CodeTemplateSet templates(files);
    int loaded = templates.LoadForExtension(extension);
    if (loaded == -1) {
        MessageBoxW(nullptr, kReadFailureText, kReadFailureCaption, MB_OK);
        return -1;
    }
    if (loaded != 0) return -1;  // nothing configured for this extension

    TemplatePickerDialog picker;
    picker.templateSet = &templates;
    picker.DoModal();
    if (picker.Failed() || picker.chosenIndex == -1) return -1;

    TemplateEntry chosen;
    if (templates.GetEntry(picker.chosenIndex, chosen) != 0) return -1;
    const std::u16string text = BuildInsertionText(chosen.lines, column);
    return PasteText(target.selection.Get(), reinterpret_cast<const wchar_t*>(text.c_str()), text.size());
}

}  // namespace velmora
