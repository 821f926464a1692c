// The package test's removal check on the real registry, in a scratch key:
// a removal may take a key that was empty before and that the install filled
// (the 32-bit CLSID key of a fresh 64-bit prefix), nothing else. The empty
// key happens here on every machine, also where the package test's CLSID
// key is never empty.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/UniqueHandle.h"
#include "support/RegistrySnapshot.h"

namespace velmora::test {
namespace {

constexpr wchar_t kScratch[] = L"Software\\VelmoraTest\\Removal";

std::wstring At(const wchar_t* key) { return kScratch + (L"\\" + std::wstring(key)); }

// Keys under the scratch key, each with the default value `value` unless that is empty.
void Write(const std::vector<std::pair<const wchar_t*, const wchar_t*>>& entries) {
    for (const auto& [key, value] : entries) {
        UniqueRegKey made;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, At(key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, made.put(),
                                  nullptr),
                  ERROR_SUCCESS);
        if (*value) {
            ASSERT_TRUE(SetRegistryString(HKEY_CURRENT_USER, At(key), nullptr, value));
        }
    }
}

TEST(RemovalLeftovers, OnlyAKeyEmptyBeforeAndFilledByTheInstallMayGo) {
    using Entries = std::vector<std::pair<const wchar_t*, const wchar_t*>>;
    struct Case {
        const char* name;
        Entries before, installed;
        std::vector<const wchar_t*> removed;  // trees the removal deletes
        Entries appeared;                     // after the removal
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"the emptied key goes", {{L"CLSID", L""}}, {{L"CLSID\\{A}\\Server", L"a.dll"}}, {L"CLSID"}, {}, {}},
        {"another view's keys show once it is gone", {{L"CLSID", L""}}, {{L"CLSID\\{A}", L"A"}}, {L"CLSID"},
         {{L"CLSID\\{B}", L"B"}}, {}},
        {"a key that held a value stays", {{L"CLSID", L"kept"}}, {{L"CLSID\\{A}", L"A"}}, {L"CLSID"}, {},
         {"-CLSID", "-CLSID: @ = sz:kept"}},
        {"a key that held a subkey stays", {{L"CLSID\\{B}", L""}}, {{L"CLSID\\{A}", L"A"}}, {L"CLSID"}, {},
         {"-CLSID", "-CLSID\\{B}"}},
        {"an empty key the install left alone stays", {{L"CLSID", L""}, {L"Empty", L""}}, {{L"CLSID\\{A}", L"A"}},
         {L"CLSID", L"Empty"}, {}, {"-Empty"}},
        {"what the install wrote goes", {{L"CLSID", L""}}, {{L"CLSID\\{A}\\Server", L"a.dll"}},
         {L"CLSID\\{A}\\Server"}, {}, {"+CLSID\\{A}"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteRegistryTree(HKEY_CURRENT_USER, kScratch);
        ASSERT_NO_FATAL_FAILURE(Write(c.before));
        const std::vector<std::string> before = RegistrySnapshot(HKEY_CURRENT_USER, kScratch);
        ASSERT_NO_FATAL_FAILURE(Write(c.installed));
        const std::vector<std::string> installed = RegistrySnapshot(HKEY_CURRENT_USER, kScratch);
        for (const wchar_t* tree : c.removed) DeleteRegistryTree(HKEY_CURRENT_USER, At(tree));
        ASSERT_NO_FATAL_FAILURE(Write(c.appeared));
        EXPECT_EQ(RemovalLeftovers(before, installed, RegistrySnapshot(HKEY_CURRENT_USER, kScratch)), c.expected);
    }
    DeleteRegistryTree(HKEY_CURRENT_USER, L"Software\\VelmoraTest");
}

}  // namespace
}  // namespace velmora::test
