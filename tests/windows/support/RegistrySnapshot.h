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

}  // namespace velmora::test
