// GuidSet.ini as real files in the application-data folder: reading, writing,
// the missing file and folder, a write that fails, and a folder whose name
// the ANSI code page cannot hold.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "addin/Connect.h"
#include "framework/TextConversion.h"
#include "platform/WindowsConfigFiles.h"
#include "guid/GuidStore.h"
#include "guid/GuidTestSupport.h"
#include "support/HostFixture.h"
#include "testbed/fixtures/UnixCommand.h"

namespace velmora::test {
namespace {

using GuidStoreTest = HostTest;

TEST(GuidStore, ReadsTheFirstNumberClampedToTheFormats) {
    GuidSetFile file;
    using namespace std::string_literals;
    struct Case {
        std::string bytes;
        int expected;
    };
    const Case cases[] = {
        {"3", 3},   {"-7", 0},  {"12", 4},    {" 2 xy", 2},       {"\r\n\r\n1", 1}, {"\n\n\t4\r\n", 4},
        {"0", 0},   {"", 0},    {"abc", 0},   {"x1", 0},          {"2147483648", 4}, {"99999999999999999999", 4},
        {"-99999999999999999999", 0},
        // Saved as UTF-8 or UTF-16 with a byte-order mark.
        {"\xEF\xBB\xBF" "3", 3}, {"\xFF\xFE" "2\0"s, 2}, {"\xFF\xFE" " \0" "1\0" "\r\0\n\0"s, 1},
        {"\xFE\xFF" "\0" "4"s, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("GuidSet.ini holds " + ::testing::PrintToString(c.bytes));
        file.Write(c.bytes);
        EXPECT_EQ(ReadGuidSet(WindowsConfigFiles()), c.expected);
    }
}

TEST(GuidStore, MissingFileOrFolderReadsAsMinusOne) {
    GuidSetFile file;
    EXPECT_EQ(ReadGuidSet(WindowsConfigFiles()), -1);
    file.RemoveFolders();
    EXPECT_EQ(ReadGuidSet(WindowsConfigFiles()), -1);
    // A folder where the file should be does not open as the file either.
    GuidSetFile again;
    ASSERT_TRUE(CreateDirectoryW(again.Path().c_str(), nullptr));
    EXPECT_EQ(ReadGuidSet(WindowsConfigFiles()), -1);
    RemoveDirectoryW(again.Path().c_str());
}

// Sets the add-in's format in memory the way a user does: an InsertGUID that
// reads it from the store.
void TakeFormat(ConnectedAddIn& addIn, GuidSetFile& file, int format) {
    file.Write(std::to_string(format));
    ASSERT_EQ(addIn.Object().InsertGUID(), 0);
    ASSERT_EQ(ConnectFields::GuidFormat(addIn.Object()), format);
}

TEST_F(GuidStoreTest, WritingStoresExactlyTheFormatInMemory) {
    GuidSetFile file;
    ConnectedAddIn addIn(host);
    for (int format = 0; format < 5; ++format) {
        SCOPED_TRACE(format);
        TakeFormat(addIn, file, format);
        file.Write("   17 and some text\r\n");
        EXPECT_EQ(addIn.Object().WriteGuidSet(), 0);
        EXPECT_EQ(file.Read(), std::to_string(format));
        EXPECT_TRUE(HoldsNoHostObjects(host));
    }
}

TEST_F(GuidStoreTest, WritingIntoAMissingFolderFailsAndCreatesNothing) {
    GuidSetFile file;
    ConnectedAddIn addIn(host);
    TakeFormat(addIn, file, 2);
    file.RemoveFolders();
    EXPECT_EQ(addIn.Object().WriteGuidSet(), -1);
    EXPECT_EQ(GetFileAttributesW(ConfigFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    // With the folder back but no file, writing creates the file.
    GuidSetFile recreated;
    EXPECT_EQ(addIn.Object().WriteGuidSet(), 0);
    EXPECT_EQ(recreated.Read(), "2");
}

TEST_F(GuidStoreTest, WriteThatFailsIsReportedLikeAFileThatDoesNotOpen) {
    // GuidSet.ini is made a link to /dev/full, a device that opens for
    // writing and refuses every byte, as a full disk does.
    const std::wstring folder = L"Z:\\tmp\\velmora-guid-full-" + std::to_wstring(GetCurrentProcessId());
    AppDataRedirect redirect(folder);
    ASSERT_TRUE(redirect.Active());
    GuidSetFile file;
    ConnectedAddIn addIn(host);
    TakeFormat(addIn, file, 3);
    file.Remove();
    std::wstring unixPath = file.Path().substr(2);
    for (wchar_t& c : unixPath) {
        if (c == L'\\') c = L'/';
    }
    if (!popup::StartUnixCommand(L"/bin/ln -s /dev/full " + unixPath) || !popup::WaitForPath(file.Path(), true)) {
        GTEST_SKIP() << "no /dev/full link can be made here (not running under Wine)";
    }
    EXPECT_EQ(addIn.Object().WriteGuidSet(), -1);
    // Wine deletes no link to a device; the Linux side does.
    ASSERT_TRUE(popup::StartUnixCommand(L"/bin/rm -f " + unixPath));
    ASSERT_TRUE(popup::WaitForPath(file.Path(), false));
    // The same folder with a plain file writes fine.
    EXPECT_EQ(addIn.Object().WriteGuidSet(), 0);
    EXPECT_EQ(file.Read(), "3");
}

TEST_F(GuidStoreTest, FolderNameOutsideTheAnsiCodePageIsReadAndWritten) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"設定データ 한글 Ωμέγα";
    // The test only means something when the thread's code page loses characters.
    bool lossy = false;
    ToCodePage(folder, CP_ACP, &lossy);
    ASSERT_TRUE(lossy) << "code page " << GetACP() << " holds every character of the folder name";

    AppDataRedirect redirect(folder);
    ASSERT_TRUE(redirect.Active());
    ASSERT_EQ(Narrow(AppDataFolder()), Narrow(folder));
    GuidSetFile file;
    ASSERT_EQ(file.Path(), folder + L"\\Orinth\\Velmora\\GuidSet.ini");
    file.Write("2");
    EXPECT_EQ(ReadGuidSet(WindowsConfigFiles()), 2);

    ConnectedAddIn addIn(host);
    host.SetDocument(L"", 0, 0);
    EXPECT_EQ(addIn.Object().InsertGUID(), 0);
    EXPECT_EQ(ConnectFields::GuidFormat(addIn.Object()), 2);
    EXPECT_EQ(host.DocumentText(), ConnectFields::GuidText(addIn.Object()));
    EXPECT_NE(host.DocumentText().find(L"}\r\nstatic const GUID <<name>> = \r\n{ 0x"), std::wstring::npos);
    file.Write("4");
    EXPECT_EQ(addIn.Object().WriteGuidSet(), 0);
    EXPECT_EQ(file.Read(), "2");
}

}  // namespace
}  // namespace velmora::test
