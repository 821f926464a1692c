#include "support/RegistrySnapshot.h"

#include <algorithm>
#include <cstring>
#include <iterator>

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

namespace {

bool SetValue(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size,
              REGSAM view) {
    UniqueRegKey key;
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, key.put(), nullptr) ==
               ERROR_SUCCESS &&
           RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

}  // namespace

bool SetRegistryString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& text,
                       REGSAM view) {
    return SetValue(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                    view);
}

bool SetRegistryDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value, REGSAM view) {
    return SetValue(root, path, name, REG_DWORD, &value, sizeof value, view);
}

void DeleteRegistryTree(HKEY root, const std::wstring& path, REGSAM view) {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view, key.put()) != ERROR_SUCCESS) return;
    RegDeleteTreeW(key.get(), nullptr);
    key.reset();
    RegDeleteKeyExW(root, path.c_str(), view, 0);
}

namespace {

// Whether any line lies beneath the key line `key`: one of its values or subkeys.
bool AnyBeneath(const std::vector<std::string>& lines, const std::string& key) {
    if (key.empty()) return std::any_of(lines.begin(), lines.end(), [](const std::string& line) { return !line.empty(); });
    return std::any_of(lines.begin(), lines.end(), [&key](const std::string& line) {
        return line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
               (line[key.size()] == '\\' || line.compare(key.size(), 2, ": ") == 0);
    });
}

bool IsKeyLine(const std::string& line) { return line.find(": ") == std::string::npos; }

std::vector<std::string> Sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The lines of `a` that `b` lacks.
std::vector<std::string> Difference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const std::vector<std::string> sortedA = Sorted(a), sortedB = Sorted(b);
    std::vector<std::string> difference;
    std::set_difference(sortedA.begin(), sortedA.end(), sortedB.begin(), sortedB.end(), std::back_inserter(difference));
    return difference;
}

// The lines both have.
std::vector<std::string> Common(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const std::vector<std::string> sortedA = Sorted(a), sortedB = Sorted(b);
    std::vector<std::string> common;
    std::set_intersection(sortedA.begin(), sortedA.end(), sortedB.begin(), sortedB.end(), std::back_inserter(common));
    return common;
}

}  // namespace

std::vector<std::string> RemovalLeftovers(const std::vector<std::string>& before,
                                          const std::vector<std::string>& installed,
                                          const std::vector<std::string>& after) {
    const std::vector<std::string> added = Difference(installed, before);
    std::vector<std::string> leftovers;
    for (const std::string& line : Common(added, after)) leftovers.push_back("+" + line);
    for (const std::string& line : Difference(before, after)) {
        const bool emptiedByRemoval = IsKeyLine(line) && !AnyBeneath(before, line) && AnyBeneath(added, line);
        if (!emptiedByRemoval) leftovers.push_back("-" + line);
    }
    return leftovers;
}

}  // namespace velmora::test
