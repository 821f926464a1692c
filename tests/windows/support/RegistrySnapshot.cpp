#include "support/RegistrySnapshot.h"

#include <algorithm>
#include <cstring>

#include "framework/UniqueHandle.h"
#include "support/HostFixture.h"

namespace velmora::test {

namespace {

std::string Hex(const BYTE* data, DWORD size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (DWORD i = 0; i < size; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

std::string ValueText(DWORD type, const BYTE* data, DWORD size) {
    if (type == REG_SZ) {
        std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
        if (!text.empty() && text.back() == L'\0') {
            text.pop_back();
        } else {
            text += L"<no terminator>";
        }
        std::string line = "sz:" + Narrow(text);
        for (size_t nul = line.find('\0'); nul != std::string::npos; nul = line.find('\0')) line.replace(nul, 1, "<NUL>");
        return line;
    }
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, data, sizeof number);
        return "dword:" + std::to_string(number);
    }
    return "type" + std::to_string(type) + ":" + Hex(data, size);
}

void Snapshot(HKEY key, const std::wstring& relative, REGSAM view, std::vector<std::string>& lines) {
    const std::string prefix = Narrow(relative);
    lines.push_back(prefix);
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = ARRAYSIZE(name);
        DWORD type = 0;
        BYTE data[8192];
        DWORD size = sizeof data;
        const LSTATUS status = RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) {
            lines.push_back(prefix + ": <enum error " + std::to_string(status) + ">");
            break;
        }
        lines.push_back(prefix + ": " + (nameLength == 0 ? std::string("@") : Narrow(name)) + " = " +
                        ValueText(type, data, size));
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = ARRAYSIZE(name);
        const LSTATUS status = RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) {
            lines.push_back(prefix + "\\<enum error " + std::to_string(status) + ">");
            break;
        }
        UniqueRegKey subkey;
        if (RegOpenKeyExW(key, name, 0, KEY_READ | view, subkey.put()) != ERROR_SUCCESS) {
            lines.push_back(prefix + "\\" + Narrow(name) + " <cannot open>");
            continue;
        }
        Snapshot(subkey.get(), relative.empty() ? std::wstring(name) : relative + L"\\" + name, view, lines);
    }
}

}  // namespace

std::vector<std::string> RegistrySnapshot(HKEY root, const std::wstring& path, REGSAM view) {
    std::vector<std::string> lines;
    UniqueRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return lines;
    Snapshot(key.get(), L"", view, lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

}  // namespace velmora::test
