#include "support/ConfigFolderFiles.h"

#include <shlobj.h>

#include <stdexcept>

#include "support/TestEnvironment.h"

namespace velmora::test {

std::wstring AppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    std::wstring folder = path;
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::wstring ConfigFolder() { return AppDataFolder() + L"\\Orinth\\Velmora"; }

ConfigFolderFiles::ConfigFolderFiles() : folder_(ConfigFolder()) {
    MakeFolders(folder_ + L"\\");
    for (const wchar_t* name : {L"CodeSet.ini", L"GuidSet.ini"}) {
        setAside_.push_back({name, Read(name)});
        Remove(name);
    }
}

ConfigFolderFiles::~ConfigFolderFiles() {
    for (auto file = written_.rbegin(); file != written_.rend(); ++file) DeleteFileW(file->c_str());
    for (const SetAside& file : setAside_) {
        Remove(file.name);
        if (!file.bytes) continue;
        MakeFolders(Path(file.name));  // a test may have removed the folder
        WriteFileBytes(Path(file.name), *file.bytes);
    }
    for (auto folder = madeFolders_.rbegin(); folder != madeFolders_.rend(); ++folder) {
        RemoveDirectoryW(folder->c_str());
    }
}

void ConfigFolderFiles::MakeFolders(const std::wstring& path) {
    // Each missing level before the last backslash, outermost first.
    for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
        const std::wstring level = path.substr(0, slash);
        if (GetFileAttributesW(level.c_str()) == INVALID_FILE_ATTRIBUTES && CreateDirectoryW(level.c_str(), nullptr)) {
            madeFolders_.push_back(level);
        }
    }
}

void ConfigFolderFiles::Write(const std::wstring& relative, const std::string& bytes) {
    const std::wstring path = Path(relative);
    MakeFolders(path);
    written_.push_back(path);
    if (!WriteFileBytes(path, bytes)) {
        throw std::runtime_error("cannot write a file of the configuration folder (error " +
                                 std::to_string(GetLastError()) + ")");
    }
}

std::optional<std::string> ConfigFolderFiles::Read(const std::wstring& relative) const {
    return ReadFileBytes(Path(relative));
}

void ConfigFolderFiles::Remove(const std::wstring& relative) const {
    const std::wstring path = Path(relative);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

void ConfigFolderFiles::RemoveFolders() const {
    for (const SetAside& file : setAside_) Remove(file.name);
    RemoveDirectoryW(folder_.c_str());
    RemoveDirectoryW(folder_.substr(0, folder_.rfind(L'\\')).c_str());
}

}  // namespace velmora::test
