#include "testbed/host/ShellLaunchRecorder.h"

namespace velmora::host {

namespace {

std::vector<LaunchRecord> records;

void CopyText(const wchar_t* text, bool& has, std::wstring& copy) {
    has = text != nullptr;
    copy = text ? text : L"";
}

BOOL WINAPI RecordLaunch(SHELLEXECUTEINFOW* info) {
    if (!info) return FALSE;
    records.push_back(RecordOf(*info));
    return TRUE;
}

}  // namespace

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

ShellLaunchRecorder::ShellLaunchRecorder(HMODULE module)
    : patch_(module, "shell32.dll", "ShellExecuteExW", reinterpret_cast<void*>(&RecordLaunch)) {
    records.clear();
}

ShellLaunchRecorder::~ShellLaunchRecorder() { records.clear(); }

const std::vector<LaunchRecord>& ShellLaunchRecorder::Records() const { return records; }

void ShellLaunchRecorder::Clear() { records.clear(); }

}  // namespace velmora::host
