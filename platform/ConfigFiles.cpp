#include "platform/ConfigFiles.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <filesystem>

namespace velmora::config {

namespace {
const wchar_t kFolder[] = L"Orinth\\Velmora\\";

std::wstring AppendToAppData(const std::wstring& relative) {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, FALSE);
    if (!PathAppendW(path, relative.c_str())) return relative;
    return path;
}
}  // namespace

std::wstring FolderPath() {
    std::wstring folder = AppendToAppData(kFolder);
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::wstring FilePath(const wchar_t* name) { return AppendToAppData(std::wstring(kFolder) + name); }

std::ifstream OpenForReading(const std::wstring& path) {
    return std::ifstream(std::filesystem::path(path), std::ios::in);
}

std::ofstream OpenForWriting(const std::wstring& path) {
    return std::ofstream(std::filesystem::path(path), std::ios::out | std::ios::trunc);
}

}  // namespace velmora::config
