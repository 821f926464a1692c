#include "checker/StarterSetup.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "checker/ConsoleOutput.h"
#include "checker/Messages.h"
#include "checker/ProgramFolder.h"
#include "framework/TextConversion.h"
#include "platform/ConfigFiles.h"

namespace velmora::checker {
namespace {

bool IsFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(AsWide(path.c_str()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The plain files directly in `folder` (with its trailing backslash), by name.
std::vector<std::u16string> FileNamesIn(const std::u16string& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW(AsWide((folder + u"*").c_str()), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(AsU16(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// Makes `folder` (with its trailing backslash) and its parent when missing.
bool MakeFolder(const std::u16string& folder) {
    const std::u16string path = folder.substr(0, folder.size() - 1);
    const std::u16string parent = path.substr(0, path.find_last_of(u'\\'));
    if (!IsFolder(parent)) CreateDirectoryW(AsWide(parent.c_str()), nullptr);
    if (!IsFolder(path)) CreateDirectoryW(AsWide(path.c_str()), nullptr);
    return IsFolder(path);
}

std::u16string ErrorCode(DWORD error) { return u" (Windows のエラー " + Number(error) + u")"; }

}  // namespace

int SetUpStarterConfiguration(ConsoleOutput& out, ConsoleOutput& errors) {
    const std::u16string starter = ProgramFolder() + u"starter\\";
    if (!IsFolder(starter)) {
        errors.Line(u"スターター設定のフォルダがありません: " + starter);
        return 1;
    }
    const std::u16string folder = config::FolderPath();
    out.Line(u"設定フォルダ: " + folder);
    if (!MakeFolder(folder)) {
        errors.Line(u"設定フォルダを作れません: " + folder + ErrorCode(GetLastError()));
        return 1;
    }
    constexpr std::size_t kWidth = 20;
    int result = 0;
    for (const std::u16string& name : FileNamesIn(starter)) {
        std::u16string line = u"    " + name;
        if (line.size() < kWidth + 4) line.append(kWidth + 4 - line.size(), u' ');
        const std::u16string target = folder + name;
        // Never replaces: a file that is there, or appears meanwhile, stays.
        if (CopyFileW(AsWide((starter + name).c_str()), AsWide(target.c_str()), TRUE)) {
            // A read-only starter file would keep SelectGUID from storing its format.
            const DWORD attributes = GetFileAttributesW(AsWide(target.c_str()));
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
                SetFileAttributesW(AsWide(target.c_str()), attributes & ~FILE_ATTRIBUTE_READONLY);
            }
            out.Line(line + u"スターター設定からコピーしました");
        } else if (const DWORD error = GetLastError(); error == ERROR_FILE_EXISTS) {
            out.Line(line + u"既にあるので、そのまま残しました");
        } else {
            errors.Line(name + u": コピーできません" + ErrorCode(error));
            result = 1;
        }
    }
    return result;
}

}  // namespace velmora::checker
