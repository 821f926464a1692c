#include "checker/StarterSetup.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "checker/ConsoleOutput.h"
#include "platform/ConfigFiles.h"
#include "templates/WindowsTemplateFiles.h"

namespace velmora::checker {
namespace {

// The folder of this program, with its trailing backslash; empty when the
// system does not tell.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The plain files directly in `folder` (with its trailing backslash), by name.
std::vector<std::wstring> FileNamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// Makes `folder` (with its trailing backslash) and its parent when missing.
bool MakeFolder(const std::wstring& folder) {
    const std::wstring path = folder.substr(0, folder.size() - 1);
    const std::wstring parent = path.substr(0, path.find_last_of(L'\\'));
    if (!IsFolder(parent)) CreateDirectoryW(parent.c_str(), nullptr);
    if (!IsFolder(path)) CreateDirectoryW(path.c_str(), nullptr);
    return IsFolder(path);
}

std::u16string ErrorCode(DWORD error) { return u" (Windows のエラー " + ToU16(std::to_wstring(error)) + u")"; }

}  // namespace

int SetUpStarterConfiguration(ConsoleOutput& out, ConsoleOutput& errors) {
    const std::wstring starter = ProgramFolder() + L"starter\\";
    if (!IsFolder(starter)) {
        errors.Line(u"スターター設定のフォルダがありません: " + ToU16(starter));
        return 1;
    }
    const std::wstring folder = config::FolderPath();
    out.Line(u"設定フォルダ: " + ToU16(folder));
    if (!MakeFolder(folder)) {
        errors.Line(u"設定フォルダを作れません: " + ToU16(folder) + ErrorCode(GetLastError()));
        return 1;
    }
    constexpr std::size_t kWidth = 20;
    int result = 0;
    for (const std::wstring& name : FileNamesIn(starter)) {
        std::u16string line = u"    " + ToU16(name);
        if (line.size() < kWidth + 4) line.append(kWidth + 4 - line.size(), u' ');
        const std::wstring target = folder + name;
        // Never replaces: a file that is there, or appears meanwhile, stays.
        if (CopyFileW((starter + name).c_str(), target.c_str(), TRUE)) {
            // A read-only starter file would keep SelectGUID from storing its format.
            const DWORD attributes = GetFileAttributesW(target.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
                SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
            }
            out.Line(line + u"スターター設定からコピーしました");
        } else if (const DWORD error = GetLastError(); error == ERROR_FILE_EXISTS) {
            out.Line(line + u"既にあるので、そのまま残しました");
        } else {
            errors.Line(ToU16(name) + u": コピーできません" + ErrorCode(error));
            result = 1;
        }
    }
    return result;
}

}  // namespace velmora::checker
