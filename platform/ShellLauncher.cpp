#include "platform/ShellLauncher.h"

#include <shlobj.h>

namespace velmora::shell {

namespace {

ExecuteFunction currentFunction = nullptr;

void CopyText(const wchar_t* text, bool& has, std::wstring& copy) {
    has = text != nullptr;
    copy = text ? text : L"";
}

}  // namespace

BOOL Execute(SHELLEXECUTEINFOW* info) {
    return currentFunction ? currentFunction(info) : ShellExecuteExW(info);
}

ExecuteFunction SetExecuteFunction(ExecuteFunction function) {
    ExecuteFunction previous = currentFunction;
    currentFunction = function;
    return previous;
}

LaunchRecord RecordOf(const SHELLEXECUTEINFOW& info) {
    LaunchRecord record;
    record.cbSize = info.cbSize;
    record.fMask = info.fMask;
    record.hwnd = info.hwnd;
    CopyText(info.lpVerb, record.hasVerb, record.verb);
    CopyText(info.lpFile, record.hasFile, record.file);
    CopyText(info.lpParameters, record.hasParameters, record.parameters);
    CopyText(info.lpDirectory, record.hasDirectory, record.directory);
    record.nShow = info.nShow;
    if (info.lpIDList) {
        auto list = static_cast<PCIDLIST_ABSOLUTE>(info.lpIDList);
        const BYTE* bytes = reinterpret_cast<const BYTE*>(list);
        record.idList.assign(bytes, bytes + ILGetSize(list));
        wchar_t* name = nullptr;
        if (SUCCEEDED(SHGetNameFromIDList(list, SIGDN_DESKTOPABSOLUTEPARSING, &name)) && name) {
            record.idListParsingName = name;
            CoTaskMemFree(name);
        }
    }
    return record;
}

std::wstring Describe(const LaunchRecord& record) {
    std::wstring line = L"verb=";
    line += record.hasVerb ? L"\"" + record.verb + L"\"" : L"(none)";
    line += L" file=";
    line += record.hasFile ? L"\"" + record.file + L"\"" : L"(none)";
    if (!record.idList.empty()) {
        line += L" idList=\"" + record.idListParsingName + L"\"";
    }
    line += L" mask=" + std::to_wstring(record.fMask) + L" show=" + std::to_wstring(record.nShow) +
            L" size=" + std::to_wstring(record.cbSize);
    return line;
}

}  // namespace velmora::shell
