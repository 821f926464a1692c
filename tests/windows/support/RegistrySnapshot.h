#pragma once
// A registry subtree as text, for comparing the registry before and after a
// change or against an expected tree.
#include <windows.h>

#include <string>
#include <vector>

namespace velmora::test {

// Every key and value beneath root\path, one sorted line each: "sub\key" for a
// key, "sub\key: name = data" for a value ("@" for the default value); paths
// are relative to root\path, the key itself is "". Data is "sz:text" (stored
// with exactly one terminating NUL, else "<no terminator>" shows; inner NULs
// show as "<NUL>"), "dword:n", or "typeN:hex bytes". Empty when the key is
// missing. `view` (KEY_WOW64_32KEY or KEY_WOW64_64KEY) picks a registry view.
std::vector<std::string> RegistrySnapshot(HKEY root, const std::wstring& path, REGSAM view = 0);

// Writes a string (REG_SZ) or a number (REG_DWORD) value, making the key;
// `name` null for the default value. False when either fails.
bool SetRegistryString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& text,
                       REGSAM view = 0);
bool SetRegistryDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value, REGSAM view = 0);
// Deletes a key with everything beneath it, in the registry view `view`.
void DeleteRegistryTree(HKEY root, const std::wstring& path, REGSAM view = 0);

// What a removal failed to put back, from three snapshots of one subtree:
// before the install, installed, and after the removal. "+line" for each line
// the install added that is still there; "-line" for each line of `before`
// that is gone, except a key that held no value and no subkey before and that
// the install filled: Windows Installer deletes a key it emptied, and Wine
// creates some keys empty (the 32-bit CLSID key of a fresh 64-bit prefix).
// Lines that neither the install nor `before` had are not the package's and
// are passed over (a 32-bit view can show the 64-bit keys once its own key is
// gone). Empty when the removal left the subtree as it was.
std::vector<std::string> RemovalLeftovers(const std::vector<std::string>& before,
                                          const std::vector<std::string>& installed,
                                          const std::vector<std::string>& after);

}  // namespace velmora::test
