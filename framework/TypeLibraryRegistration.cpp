#include "framework/TypeLibraryRegistration.h"

#include <windows.h>
#include <wrl/client.h>

#include <algorithm>
#include <cwchar>

#include "framework/UniqueHandle.h"

namespace velmora {
namespace {

constexpr int kKeyNameCapacity = 128;

const wchar_t* SysKindName(SYSKIND kind) {
    switch (kind) {
    case SYS_WIN16: return L"win16";
    case SYS_WIN32: return L"win32";
    case SYS_WIN64: return L"win64";
    default: return nullptr;
    }
}

DWORD SubkeyCount(HKEY key) {
    DWORD count = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return MAXDWORD;  // unknown: treat as not empty
    return count;
}

// True when every subkey of `key` is FLAGS or HELPDIR, which the system
// writes for each version and which mean nothing without a locale entry.
bool HoldsOnlyVersionAttributes(HKEY key) {
    for (DWORD index = 0;; ++index) {
        wchar_t name[kKeyNameCapacity];
        DWORD length = kKeyNameCapacity;
        const LSTATUS status = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) return true;
        if (status != ERROR_SUCCESS) return false;
        if (_wcsicmp(name, L"FLAGS") != 0 && _wcsicmp(name, L"HELPDIR") != 0) return false;
    }
}

HRESULT FromStatus(LSTATUS status) {
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

// Deletes the keys UnRegisterTypeLib would have deleted; S_FALSE when the
// library is not registered for this locale and system kind.
HRESULT RemoveTypeLibKeys(REFGUID libid, WORD major, WORD minor, LCID locale, SYSKIND kind) {
    const wchar_t* kindName = SysKindName(kind);
    if (!kindName) return S_FALSE;
    wchar_t guidText[40];
    if (StringFromGUID2(libid, guidText, 40) == 0) return S_FALSE;
    wchar_t libraryName[kKeyNameCapacity];
    wchar_t versionName[kKeyNameCapacity];
    wchar_t entryName[kKeyNameCapacity];
    wchar_t localeName[kKeyNameCapacity];
    // user32's formatter: the C runtime's would link a whole printf engine
    // into the DLL for these four names (each far below its 1024 limit).
    wsprintfW(libraryName, L"TypeLib\\%s", guidText);
    wsprintfW(versionName, L"%x.%x", major, minor);
    wsprintfW(localeName, L"%lx", static_cast<unsigned long>(locale));
    wsprintfW(entryName, L"%s\\%s", localeName, kindName);

    UniqueRegKey library;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, libraryName, 0, KEY_READ | KEY_WRITE, library.put()) != ERROR_SUCCESS)
        return S_FALSE;
    {
        UniqueRegKey version;
        if (RegOpenKeyExW(library.get(), versionName, 0, KEY_READ | KEY_WRITE, version.put()) != ERROR_SUCCESS)
            return S_FALSE;
        UniqueRegKey entry;
        if (RegOpenKeyExW(version.get(), entryName, 0, KEY_READ, entry.put()) != ERROR_SUCCESS) return S_FALSE;
        entry.reset();

        HRESULT hr = FromStatus(RegDeleteKeyW(version.get(), entryName));
        if (FAILED(hr)) return hr;
        {
            UniqueRegKey localeKey;
            if (RegOpenKeyExW(version.get(), localeName, 0, KEY_READ, localeKey.put()) == ERROR_SUCCESS &&
                SubkeyCount(localeKey.get()) == 0) {
                localeKey.reset();
                hr = FromStatus(RegDeleteKeyW(version.get(), localeName));
                if (FAILED(hr)) return hr;
            }
        }
        // Another locale or system kind of the same version keeps it.
        if (!HoldsOnlyVersionAttributes(version.get())) return S_OK;
        for (const wchar_t* attribute : {L"FLAGS", L"HELPDIR"}) {
            hr = FromStatus(RegDeleteKeyW(version.get(), attribute));
            if (FAILED(hr)) return hr;
        }
    }
    HRESULT hr = FromStatus(RegDeleteKeyW(library.get(), versionName));
    if (FAILED(hr)) return hr;
    if (SubkeyCount(library.get()) != 0) return S_OK;  // other versions stay
    library.reset();
    return FromStatus(RegDeleteKeyW(HKEY_CLASSES_ROOT, libraryName));
}

}  // namespace

HRESULT RegisterTypeLibrary(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0) return HRESULT_FROM_WIN32(GetLastError());
    if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    Microsoft::WRL::ComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &library);
    if (FAILED(hr)) return hr;
    wchar_t folder[MAX_PATH] = {};
    std::copy(path, path + length, folder);
    if (wchar_t* lastSeparator = std::wcsrchr(folder, L'\\')) lastSeparator[1] = L'\0';
    return RegisterTypeLib(library.Get(), path, folder);
}

HRESULT UnregisterTypeLibrary(REFGUID libid, WORD major, WORD minor, LCID locale, SYSKIND kind) {
    const HRESULT result = UnRegisterTypeLib(libid, major, minor, locale, kind);
    if (SUCCEEDED(result)) return S_OK;
    const HRESULT removed = RemoveTypeLibKeys(libid, major, minor, locale, kind);
    return removed == S_FALSE ? result : removed;
}

}  // namespace velmora
