// The version resource of each shipped binary, read back as Windows reads it
// for a file's properties and as Windows Installer compares versions.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "InstallerTestSupport.h"
#include "support/HostFixture.h"

namespace velmora::test {
namespace {

// A value of the Japanese Unicode string block; "<none>" when missing.
std::wstring VersionString(std::vector<BYTE>& data, const std::wstring& name) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), (L"\\StringFileInfo\\041104B0\\" + name).c_str(), &value, &length) ||
        length == 0) {
        return L"<none>";
    }
    return static_cast<const wchar_t*>(value);
}

TEST(VersionResourceTest, EachShippedBinaryCarriesTheVersionAndNames) {
    unsigned version[4] = {};
    ASSERT_EQ(std::sscanf(VELMORA_FILE_VERSION, "%u.%u.%u.%u", &version[0], &version[1], &version[2], &version[3]), 4);
    const DWORD versionMs = MAKELONG(version[1], version[0]), versionLs = MAKELONG(version[3], version[2]);
    const struct {
        const wchar_t* file;
        DWORD type;
        const wchar_t* description;
    } binaries[] = {
        {L"velmora.dll", VFT_DLL, L"Velmora アドイン: コードテンプレート、GUID の挿入、フォルダを開くコマンド"},
        {L"velmora-config.exe", VFT_APP, L"Velmora 設定チェッカー"},
    };
    for (const auto& binary : binaries) {
        SCOPED_TRACE(Narrow(binary.file));
        const std::wstring path = BuildOutputFolder() + L"\\" + binary.file;
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource";
        std::vector<BYTE> data(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, versionMs);
        EXPECT_EQ(fixed->dwFileVersionLS, versionLs);
        EXPECT_EQ(fixed->dwProductVersionMS, versionMs);
        EXPECT_EQ(fixed->dwProductVersionLS, versionLs);
        EXPECT_EQ(fixed->dwFileType, binary.type);

        WORD* translation = nullptr;
        ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                                   &length));
        ASSERT_EQ(length, 2 * sizeof(WORD));
        EXPECT_EQ(translation[0], 0x0411);  // Japanese
        EXPECT_EQ(translation[1], 1200);    // Unicode

        std::wstring internalName = binary.file;
        internalName.erase(internalName.rfind(L'.'));
        const struct {
            const wchar_t* name;
            std::wstring value;
        } strings[] = {
            {L"CompanyName", L"Orinth"},
            {L"ProductName", L"Velmora"},
            {L"FileDescription", binary.description},
            {L"FileVersion", L"" VELMORA_FILE_VERSION},
            {L"ProductVersion", L"" VELMORA_VERSION},
            {L"OriginalFilename", binary.file},
            {L"InternalName", internalName},
            {L"LegalCopyright", L"Copyright (C) 2026 Orinth"},
        };
        for (const auto& string : strings) {
            EXPECT_EQ(VersionString(data, string.name), string.value) << Narrow(string.name);
        }
    }
}

}  // namespace
}  // namespace velmora::test
