#include "explorer/SpecialFolderCatalogue.h"

#include <shellapi.h>
#include <shlobj.h>

#include <string_view>

#include "explorer/BrowserCommandLine.h"
#include "explorer/SpecialFolderTable.h"
#include "framework/TextConversion.h"

namespace velmora::explorer {

namespace {

constexpr DWORD kRegistryValueCapacity = 512;  // UTF-16 units, NUL included

// The temporary-files path with its trailing backslash; empty when the
// system gives none or one that does not fit MAX_PATH.
std::u16string TempPath() {
    char16_t path[MAX_PATH] = {};
    DWORD length = GetTempPathW(MAX_PATH, AsWide(path));
    if (length == 0 || length >= MAX_PATH) return std::u16string();
    return std::u16string(path, length);
}

// The default value of HKEY_CLASSES_ROOT\<keyName>, which must be a REG_SZ
// of at most 511 characters.
bool ReadClassDefault(const std::u16string& keyName, std::u16string& value) {
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, AsWide(keyName.c_str()), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    char16_t data[kRegistryValueCapacity + 1] = {};  // one more unit: a value stored without its NUL
    DWORD type = 0;
    DWORD bytes = kRegistryValueCapacity * sizeof(char16_t);
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ) return false;
    // The guard unit ends a value stored without its NUL; one that fills the
    // whole buffer is longer than the lookup allows.
    std::size_t length = std::u16string_view(data).size();
    if (length >= kRegistryValueCapacity) return false;
    value.assign(data, length);
    return true;
}

}  // namespace

bool DescribeSpecialFolder(int number, SpecialFolderEntry& entry) {
    entry = SpecialFolderEntry{};
    if (!IsOfferedFolder(number)) return false;
    SHFILEINFOW info = {};
    if (number > kLastShellFolder) {
        std::u16string path = TempPath();
        if (path.empty()) return false;
        if (SHGetFileInfoW(AsWide(path.c_str()), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) == 0)
            return false;
    } else {
        UniqueItemIdList list;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, number, list.put())) || !list) return false;
        if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list.get()), 0, &info, sizeof(info),
                           SHGFI_ICON | SHGFI_SMALLICON | SHGFI_PIDL) == 0)
            return false;
    }
    UniqueIcon icon(info.hIcon);
    if (!icon) return false;  // nothing to show it with
    entry.name = AsWide(SpecialFolderTable[number]);
    entry.icon = std::move(icon);
    return true;
}

bool FindOpenTarget(std::uint32_t number, OpenTarget& target) {
    target = OpenTarget{};
    if (number == static_cast<std::uint32_t>(kInternetFolder)) {
        wchar_t path[kBrowserPathCapacity] = {};
        if (FindBrowserPath(path, kBrowserPathCapacity) != 0) return false;
        target.file = AsU16(path);
        target.verb = L"Open";
        return true;
    }
    if (number > static_cast<std::uint32_t>(kLastShellFolder)) {
        target.file = TempPath();
        return !target.file.empty();
    }
    if (FAILED(SHGetSpecialFolderLocation(nullptr, static_cast<int>(number), target.idList.put()))) {
        target.idList.reset();
        return false;
    }
    return static_cast<bool>(target.idList);
}

int FindBrowserPath(wchar_t* buffer, std::size_t capacity) {
    std::u16string fileClass;
    if (!ReadClassDefault(u".htm", fileClass)) return -1;
    std::u16string commandLine;
    if (!ReadClassDefault(fileClass + u"\\shell\\open\\command", commandLine)) return -1;
    return CopyIfFits(ProgramOfCommandLine(commandLine), AsU16(buffer), capacity) ? 0 : -1;
}

}  // namespace velmora::explorer
