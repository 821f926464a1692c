#include "templates/CodeTemplateCommand.h"

#include <windows.h>

#include <string>

#include "framework/TextConversion.h"
#include "platform/DebugLog.h"
#include "platform/HostOperations.h"
#include "platform/TextInsertion.h"
#include "platform/WindowsConfigFiles.h"
#include "templates/CodeTemplateSet.h"
#include "templates/InsertionText.h"
#include "templates/TemplatePickerDialog.h"
#include "templates/TracedTemplateSet.h"

namespace velmora {

using debuglog::CommandStopped;

namespace {
const wchar_t kReadFailureText[] = L"テンプレートファイルの読込みに失敗しました";
const wchar_t kReadFailureCaption[] = L"Code Template";

constexpr wchar_t kCommand[] = L"CodeTemplate";

// Why LoadForExtension gave -1 or -2.
int LoadStopped(const TracedTemplateSet& templates, int loaded, const WindowsConfigFiles& files,
                const std::u16string& extension) {
    if (loaded == -2) return CommandStopped(kCommand, L"no template file serves extension", extension);
    if (templates.OverBudget()) {
        return CommandStopped(kCommand, L"the template files that serve the document hold more than 32 MB");
    }
    switch (templates.unreadable) {
    case TracedTemplateSet::Unreadable::SetFile:
        return CommandStopped(kCommand, L"CodeSet.ini cannot be opened:",
                              files.FilePath(CodeTemplateSet::kSetFileName));
    case TracedTemplateSet::Unreadable::TemplateFile:
        return CommandStopped(kCommand, L"a template file cannot be opened:", templates.unreadablePath);
    case TracedTemplateSet::Unreadable::None:
        break;
    }
    return CommandStopped(kCommand, L"the template files cannot be read");
}
}  // namespace

int InsertCodeTemplate(const CommandContext& context) {
    debuglog::Reason whyNot = nullptr;
    if (!hostops::IsNotInBreakMode(context.host, &whyNot)) return CommandStopped(kCommand, whyNot);

    hostops::EditableSelection target;
    if (!hostops::FindEditableSelection(context.host, target, &whyNot)) return CommandStopped(kCommand, whyNot);
    long column = 0;
    if (FAILED(hostops::GetAnchorDisplayColumn(target.selection.Get(), column))) {
        return CommandStopped(kCommand, L"the caret's column cannot be read");
    }

    std::u16string extension;
    {
        UniqueBstr name;
        if (FAILED(hostops::GetDocumentName(target.document.Get(), name))) {
            return CommandStopped(kCommand, L"the document's name cannot be read");
        }
        extension = ExtensionOf(std::u16string(AsU16(name.get()), SysStringLen(name.get())));
    }

    WindowsConfigFiles files;
    TracedTemplateSet templates(files);
    int loaded = templates.LoadForExtension(extension);
    if (loaded == -1) MessageBoxW(nullptr, kReadFailureText, kReadFailureCaption, MB_OK);
    if (loaded != 0) return LoadStopped(templates, loaded, files, extension);

    TemplatePickerDialog picker(&templates);
    picker.DoModal();
    if (picker.Failed()) return CommandStopped(kCommand, L"the pick list ended on an internal error");
    if (!picker.WasShown()) return CommandStopped(kCommand, L"the pick list cannot be shown");
    if (picker.ChosenIndex() == -1) return CommandStopped(kCommand, L"the pick list was closed without a choice");

    TemplateEntry chosen;
    if (templates.GetEntry(picker.ChosenIndex(), chosen) != 0) {
        return CommandStopped(kCommand, L"the chosen item matches no template");
    }
    const std::u16string text = BuildInsertionText(chosen.lines, column);
    if (PasteText(target.selection.Get(), AsWide(text.c_str()), text.size(), &whyNot) != 0) {
        return CommandStopped(kCommand, whyNot);
    }
    return 0;
}

}  // namespace velmora
