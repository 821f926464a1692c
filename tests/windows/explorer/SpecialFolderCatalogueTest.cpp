// The special-folder catalogue against the real shell and registry of the
// test prefix: availability and icons, open targets, and the web browser
// looked up under HKEY_CLASSES_ROOT.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExplorerTestSupport.h"
#include "explorer/SpecialFolderCatalogue.h"
#include "explorer/SpecialFolderTable.h"
#include "framework/TextConversion.h"
#include "support/HostFixture.h"

namespace velmora::test {
namespace {

using explorer::DescribeSpecialFolder;
using explorer::FindBrowserPath;
using explorer::FindOpenTarget;
using explorer::OpenTarget;
using explorer::SpecialFolderEntry;

// The places every system has, virtual ones included.
constexpr int kAlwaysPresent[] = {0, 1, 3, 4, 10, 17, 18};

TEST(SpecialFolderCatalogue, DescribesExactlyThePlacesTheShellKnows) {
    int available = 0;
    for (int n = 0; n <= explorer::kLastShellFolder; ++n) {
        SCOPED_TRACE(n);
        SpecialFolderEntry entry;
        bool described = DescribeSpecialFolder(n, entry);
        EXPECT_EQ(described, explorer::IsOfferedFolder(n) && ShellKnowsFolder(n));
        if (!described) {
            EXPECT_EQ(entry.name, nullptr);
            EXPECT_FALSE(entry.icon);
            continue;
        }
        ++available;
        ASSERT_NE(entry.name, nullptr);
        EXPECT_STREQ(entry.name, AsWide(explorer::SpecialFolderTable[n]));
        EXPECT_TRUE(IconIsAlive(entry.icon.get()));
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(entry.icon.get(), &info));
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXSMICON)) << "not the small icon";
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    for (int n : kAlwaysPresent) {
        SpecialFolderEntry entry;
        EXPECT_TRUE(DescribeSpecialFolder(n, entry)) << n;
    }
    EXPECT_GE(available, static_cast<int>(std::size(kAlwaysPresent)));
    for (int n : {15, 50, 51, 52, -1, 63, 1000}) {
        SpecialFolderEntry entry;
        EXPECT_FALSE(DescribeSpecialFolder(n, entry)) << n;
    }
}

TEST(SpecialFolderCatalogue, TempEntryNeedsAnExistingTemporaryDirectory) {
    SpecialFolderEntry entry;
    ASSERT_TRUE(DescribeSpecialFolder(explorer::kTempFolder, entry));
    EXPECT_STREQ(entry.name, L"Tempディレクトリ");
    EXPECT_TRUE(IconIsAlive(entry.icon.get()));

    TemporaryDirectoryOverride missing(L"C:\\velmora-no-such-temp\\");
    ASSERT_EQ(TemporaryPath(), L"C:\\velmora-no-such-temp\\");
    SpecialFolderEntry gone;
    EXPECT_FALSE(DescribeSpecialFolder(explorer::kTempFolder, gone));
    EXPECT_FALSE(gone.icon);
}

// The icon the shell hands over belongs to the entry and goes with it.
TEST(SpecialFolderCatalogue, TheShellsIconIsDestroyedWithTheEntry) {
    for (int n : {0, 17, explorer::kTempFolder}) {
        SCOPED_TRACE(n);
        ShellIconWatch watch;
        ASSERT_TRUE(watch.Installed());
        {
            SpecialFolderEntry entry;
            ASSERT_TRUE(DescribeSpecialFolder(n, entry));
            ASSERT_EQ(watch.Icons().size(), 1u);
            EXPECT_EQ(entry.icon.get(), watch.Icons()[0]) << "the entry holds another icon than the shell's";
            EXPECT_TRUE(IconIsAlive(watch.Icons()[0]));
        }
        EXPECT_FALSE(IconIsAlive(watch.Icons()[0]));
    }
}

TEST(SpecialFolderCatalogue, OpenTargets) {
    // Shell folders: the shell's own item ID list, handed over with SEE_MASK_IDLIST.
    for (int n : {0, 3, 5, 17, 37}) {
        SCOPED_TRACE(n);
        OpenTarget target;
        ASSERT_TRUE(FindOpenTarget(n, target));
        EXPECT_EQ(target.verb, nullptr);
        EXPECT_TRUE(target.file.empty());
        ASSERT_TRUE(target.idList);
        LPITEMIDLIST expected = nullptr;
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, n, &expected), S_OK);
        EXPECT_TRUE(ILIsEqual(target.idList.get(), expected));
        CoTaskMemFree(expected);
    }
    // Numbers the shell does not know have nothing to open.
    for (int n : {15, 50}) {
        OpenTarget target;
        EXPECT_FALSE(FindOpenTarget(n, target)) << n;
        EXPECT_FALSE(target.idList);
    }
    // The temporary-files directory, and any number above the shell's, is the temp path.
    for (std::uint32_t n : {62u, 63u, 0x7FFFFFFFu}) {
        OpenTarget target;
        ASSERT_TRUE(FindOpenTarget(n, target)) << n;
        EXPECT_EQ(ToWide(target.file), TemporaryPath());
        EXPECT_FALSE(target.idList);
        EXPECT_EQ(target.verb, nullptr);
    }
}

TEST(SpecialFolderCatalogue, InternetTargetIsTheBrowserOpenedWithOpen) {
    {
        RegisteredBrowser browser(RegisteredBrowser::Htm::PointsAtTestClass,
                                  L"\"C:\\Browsers\\見る.exe\" -nohome \"%1\"");
        ASSERT_TRUE(browser.Ready());
        OpenTarget target;
        ASSERT_TRUE(FindOpenTarget(explorer::kInternetFolder, target));
        EXPECT_EQ(target.file, u"C:\\Browsers\\見る.exe");
        ASSERT_NE(target.verb, nullptr);
        EXPECT_STREQ(target.verb, L"Open");
        EXPECT_FALSE(target.idList);
    }
    RegisteredBrowser none(RegisteredBrowser::Htm::Missing);
    ASSERT_TRUE(none.Ready());
    OpenTarget target;
    EXPECT_FALSE(FindOpenTarget(explorer::kInternetFolder, target));
    EXPECT_TRUE(target.file.empty());
}

TEST(SpecialFolderCatalogue, FindBrowserPath) {
    const std::wstring path259 = L"C:\\" + std::wstring(252, L'b') + L".exe";  // 259 units
    const std::wstring path260 = path259 + L"x";
    const struct {
        const char* what;
        RegisteredBrowser::Htm htm;
        std::wstring command;
        DWORD type;
        int result;
        std::wstring path;
    } cases[] = {
        {"quoted path with arguments", RegisteredBrowser::Htm::PointsAtTestClass,
         L"\"C:\\Program Files\\Browser\\browser.exe\" -nohome \"%1\"", REG_SZ, 0,
         L"C:\\Program Files\\Browser\\browser.exe"},
        {"unquoted line is kept whole", RegisteredBrowser::Htm::PointsAtTestClass, L"C:\\browser.exe -url %1", REG_SZ, 0,
         L"C:\\browser.exe -url %1"},
        {"lone quote", RegisteredBrowser::Htm::PointsAtTestClass, L"\"C:\\browser.exe -url", REG_SZ, 0,
         L"\"C:\\browser.exe -url"},
        {"longest path that fits", RegisteredBrowser::Htm::PointsAtTestClass, L"\"" + path259 + L"\" %1", REG_SZ, 0,
         path259},
        {"path one unit too long for the buffer", RegisteredBrowser::Htm::PointsAtTestClass,
         L"\"" + path260 + L"\" %1", REG_SZ, -1, L""},
        {"unquoted line too long for the buffer", RegisteredBrowser::Htm::PointsAtTestClass,
         std::wstring(511, L'c'), REG_SZ, -1, L""},
        {"command longer than 511 characters", RegisteredBrowser::Htm::PointsAtTestClass,
         L"\"C:\\b.exe\" " + std::wstring(501, L'a'), REG_SZ, -1, L""},
        {"command of 511 characters", RegisteredBrowser::Htm::PointsAtTestClass,
         L"\"C:\\b.exe\" " + std::wstring(500, L'a'), REG_SZ, 0, L"C:\\b.exe"},
        {"expandable string", RegisteredBrowser::Htm::PointsAtTestClass, L"\"%ProgramFiles%\\browser.exe\" %1",
         REG_EXPAND_SZ, -1, L""},
        {"binary value", RegisteredBrowser::Htm::PointsAtTestClass, L"\"C:\\browser.exe\"", REG_BINARY, -1, L""},
        {".htm names a class that does not exist", RegisteredBrowser::Htm::PointsAtMissingClass, L"", REG_SZ, -1, L""},
        {"no .htm at all", RegisteredBrowser::Htm::Missing, L"", REG_SZ, -1, L""},
    };
    constexpr wchar_t kGuard = L'\xFEFF';
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegisteredBrowser browser(c.htm, c.command, c.type);
        ASSERT_TRUE(browser.Ready());
        // The 260-unit buffer sits at the front of a larger block whose tail
        // shows any write past it.
        std::vector<wchar_t> block(explorer::kBrowserPathCapacity + 400, kGuard);
        int result = FindBrowserPath(block.data(), explorer::kBrowserPathCapacity);
        EXPECT_EQ(result, c.result);
        if (result == 0) {
            EXPECT_EQ(std::wstring(block.data()), c.path);
        }
        for (std::size_t i = explorer::kBrowserPathCapacity; i < block.size(); ++i)
            ASSERT_EQ(block[i], kGuard) << "written past the buffer at " << i;
    }
}

// Users who may not write to the class keys still get their browser: the
// lookup only reads.
TEST(SpecialFolderCatalogue, FindBrowserPathReadsKeysTheUserMayNotWrite) {
    RegisteredBrowser browser(RegisteredBrowser::Htm::PointsAtTestClass, L"\"C:\\Browser\\browser.exe\" \"%1\"");
    ASSERT_TRUE(browser.Ready());
    ASSERT_TRUE(browser.DenyWriting());
    HKEY key = nullptr;
    LONG writable = RegOpenKeyExW(HKEY_CLASSES_ROOT, L".htm", 0, KEY_READ | KEY_WRITE, &key);
    if (writable == ERROR_SUCCESS) RegCloseKey(key);
    ASSERT_EQ(writable, ERROR_ACCESS_DENIED) << "the system still grants write access; the case cannot be shown";

    wchar_t path[explorer::kBrowserPathCapacity] = {};
    EXPECT_EQ(FindBrowserPath(path, explorer::kBrowserPathCapacity), 0);
    EXPECT_STREQ(path, L"C:\\Browser\\browser.exe");
}

}  // namespace
}  // namespace velmora::test
