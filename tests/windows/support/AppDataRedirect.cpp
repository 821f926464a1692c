#include "support/AppDataRedirect.h"

#include <filesystem>
#include <utility>

#include "framework/UniqueHandle.h"

namespace velmora::test {

namespace {
const wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
}  // namespace

AppDataRedirect::AppDataRedirect(std::wstring folder) : folder_(std::move(folder)) {
    for (const wchar_t* key : {kUserShellFolders, kShellFolders}) {
        SavedValue saved;
        saved.key = key;
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, key, L"AppData", RRF_RT_ANY | RRF_NOEXPAND, &saved.type, nullptr,
                         &size) == ERROR_SUCCESS) {
            saved.data.resize(size);
            saved.present = RegGetValueW(HKEY_CURRENT_USER, key, L"AppData", RRF_RT_ANY | RRF_NOEXPAND, &saved.type,
                                         saved.data.data(), &size) == ERROR_SUCCESS;
            saved.data.resize(size);
        }
        saved_.push_back(std::move(saved));
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder_), ignored);
    UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kUserShellFolders, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    active_ = RegSetValueExW(key.get(), L"AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder_.c_str()),
                             static_cast<DWORD>((folder_.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

AppDataRedirect::~AppDataRedirect() {
    for (const SavedValue& saved : saved_) {
        UniqueRegKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, saved.key.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) continue;
        if (saved.present) {
            RegSetValueExW(key.get(), L"AppData", 0, saved.type, saved.data.data(),
                           static_cast<DWORD>(saved.data.size()));
        } else {
            RegDeleteValueW(key.get(), L"AppData");
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder_), ignored);
}

}  // namespace velmora::test
