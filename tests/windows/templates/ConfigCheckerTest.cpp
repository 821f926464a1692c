// velmora-config.exe run as a user runs it, on configurations in the real
// configuration folder: the starter configuration lists what the picker
// shows, in the picker's order, with no warning; a broken one gets each
// warning with its file and line.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "framework/TextConversion.h"
#include "support/HostFixture.h"
#include "testbed/fixtures/TestEnvironment.h"
#include "tests/windows/templates/TemplateTestSupport.h"

namespace velmora::test {
namespace {

std::wstring BuildFolder() {
    const std::wstring dll = BuiltDllPath();
    return dll.substr(0, dll.find_last_of(L'\\') + 1);
}

std::vector<std::wstring> Utf8Lines(const std::string& bytes) {
    const std::wstring text = ToWide(FromCodePage(bytes, CP_UTF8, MB_ERR_INVALID_CHARS));
    std::vector<std::wstring> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

struct CheckerRun {
    long exitCode;
    std::vector<std::wstring> output;
    std::vector<std::wstring> errors;
};

// The program of `folder` (with its trailing backslash), by default the build output's.
CheckerRun RunChecker(const std::wstring& arguments = L"", const std::wstring& folder = BuildFolder()) {
    CapturedRun run = RunCapturing(L"\"" + folder + L"velmora-config.exe\" " + arguments);
    return {run.exitCode, Utf8Lines(run.output), Utf8Lines(run.errors)};
}

// The indented lines that follow `heading`.
std::vector<std::wstring> ItemsUnder(const std::vector<std::wstring>& lines, const std::wstring& heading) {
    std::vector<std::wstring> items;
    std::size_t at = 0;
    while (at < lines.size() && lines[at] != heading) ++at;
    for (++at; at < lines.size() && lines[at].rfind(L"    ", 0) == 0; ++at) items.push_back(lines[at].substr(4));
    return items;
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class ConfigCheckerTest : public HostTest {
protected:
    // What the picker lists for a document of that name.
    std::vector<std::wstring> PickerItems(const std::wstring& documentName) {
        host.SetDocumentName(documentName);
        host.SetDocument(L"", 0, 0);
        ConnectedAddIn addIn(host);
        DialogDriver driver(PressEscape());
        addIn.Exec(L"Velmora.Connect.CodeTemplate");
        return driver.Seen().items;
    }

    ConfigFolderFiles files;
};

// The starter files as the build output folder ships them, by name.
std::map<std::wstring, std::string> StarterFiles() {
    std::map<std::wstring, std::string> starter;
    const std::wstring folder = BuildFolder() + L"starter\\";
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return starter;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        starter[found.cFileName] = ReadFileBytes(folder + found.cFileName).value_or("<unreadable>");
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return starter;
}

TEST_F(ConfigCheckerTest, StarterConfigurationListsWhatThePickerShows) {
    const std::map<std::wstring, std::string> starter = StarterFiles();
    ASSERT_FALSE(starter.empty());
    for (const auto& [name, bytes] : starter) files.Write(name, bytes);

    const CheckerRun run = RunChecker();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errors, std::vector<std::wstring>{});
    ASSERT_FALSE(run.output.empty());
    EXPECT_EQ(run.output[0], L"設定フォルダ: " + files.Folder() + L"\\");
    EXPECT_TRUE(Contains(run.output, L"    GuidSet.ini         あり"));
    EXPECT_TRUE(Contains(run.output, L"GUID の書式: 0  IMPLEMENT_OLECREATE(...)"));
    const struct {
        const wchar_t* extension;
        const wchar_t* heading;
    } listings[] = {
        {L"cpp", L"拡張子 \"cpp\" (Cpp.txt):"},
        {L"CS", L"拡張子 \"CS\" (CSharp.txt):"},
        {L"vb", L"拡張子 \"vb\" (VisualBasic.txt):"},
    };
    for (const auto& listing : listings) {
        SCOPED_TRACE(Narrow(listing.extension));
        const std::vector<std::wstring> picker = PickerItems(std::wstring(L"Document.") + listing.extension);
        EXPECT_GE(picker.size(), 5u);
        EXPECT_EQ(ItemsUnder(run.output, listing.heading), picker) << "the checker lists in the picker's order";

        const CheckerRun one = RunChecker(listing.extension);
        EXPECT_EQ(one.exitCode, 0);
        EXPECT_EQ(one.errors, std::vector<std::wstring>{});
        ASSERT_EQ(one.output.size(), picker.size() + 2);
        EXPECT_EQ(ItemsUnder(one.output, one.output[1]), picker);
    }
}

TEST_F(ConfigCheckerTest, EachWarningNamesItsFileAndLine) {
    files.Write(L"CodeSet.ini",
                "Templates of this folder.\r\n"
                "cpp.txt cpp;h\r\n"
                "cpp.txt=cpp;;h\r\n"
                "upper.txt=CPP\r\n"
                "gone.txt=cpp\r\n");
    files.Write(L"cpp.txt", "[for | loop]\r\nfor (;;) {\r\nx = a[i | j];\r\n}\r\n\r\n[for | again]\r\ny\r\n");
    files.Write(L"upper.txt", "[X | y]\r\n");
    files.Write(L"GuidSet.ini", "12");
    const struct {
        const wchar_t* place;
        const wchar_t* fragment;
    } expected[] = {
        {L"CodeSet.ini(2)", L"\"cpp.txt cpp;h\""},
        {L"CodeSet.ini(3)", L"\"h\" は使われません"},
        {L"CodeSet.ini(4)", L"拡張子 \"CPP\" は \"cpp\" (CodeSet.ini(3))"},
        {L"CodeSet.ini(5)", L"\"gone.txt\" を開けません"},
        {L"cpp.txt(3)", L"\"x = a[i | j];\""},
        {L"cpp.txt(5)", L"テンプレート \"i\" の本文"},
        {L"cpp.txt(6)", L"テンプレート名 \"for\" が拡張子 \"cpp\" の一覧に二度出ます (最初は cpp.txt(1))"},
        {L"GuidSet.ini(1)", L"\"12\""},
    };
    CheckerRun run = RunChecker();
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.errors.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(Narrow(expected[i].place));
        const std::wstring& line = run.errors[i];
        EXPECT_EQ(line.rfind(std::wstring(expected[i].place) + L": 警告: ", 0), 0u) << Narrow(line);
        EXPECT_NE(line.find(expected[i].fragment), std::wstring::npos) << Narrow(line);
    }
    EXPECT_TRUE(Contains(run.output, L"    gone.txt            開けません"));
    EXPECT_TRUE(Contains(run.output, L"GUID の書式: 4  Velmora Format (ie. xxxxxxx-xxxx ... xxxx )"));

    // One extension: what CodeTemplate does for it, and the same warnings.
    const struct {
        const wchar_t* extension;
        const wchar_t* says;
    } extensions[] = {
        {L"cpp", L"拡張子 \"cpp\" の文書では、テンプレートファイル \"gone.txt\" を開けないため"},
        {L"h", L"拡張子 \"h\" の文書では、CodeTemplate は何もしません"},
        {L".CPP", L"拡張子 \"CPP\" の文書で CodeTemplate が表示する一覧 (upper.txt):"},
    };
    for (const auto& e : extensions) {
        SCOPED_TRACE(Narrow(e.extension));
        run = RunChecker(e.extension);
        EXPECT_EQ(run.exitCode, 1);
        ASSERT_GE(run.output.size(), 2u);
        EXPECT_EQ(run.output[1].rfind(e.says, 0), 0u) << Narrow(run.output[1]);
        EXPECT_EQ(run.errors.size(), std::size(expected));
    }

    // Without GuidSet.ini and CodeSet.ini.
    files.Remove(L"GuidSet.ini");
    files.Remove(L"CodeSet.ini");
    run = RunChecker();
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.errors.size(), 2u);
    EXPECT_EQ(run.errors[0].rfind(L"CodeSet.ini: 警告: CodeSet.ini を開けません", 0), 0u) << Narrow(run.errors[0]);
    EXPECT_EQ(run.errors[1].rfind(L"GuidSet.ini: 警告: GuidSet.ini を開けません", 0), 0u) << Narrow(run.errors[1]);
}

// --setup gives a user the starter files the configuration folder lacks and
// keeps every file that is there; without its starter folder beside it, or
// with more arguments, it makes nothing.
TEST_F(ConfigCheckerTest, SetupCopiesOnlyTheStarterFilesThatAreMissing) {
    const std::map<std::wstring, std::string> starter = StarterFiles();
    ASSERT_GE(starter.size(), 3u);
    ScratchFolder bare(L"velmora-config without starter");
    ASSERT_TRUE(CopyFileW((BuildFolder() + L"velmora-config.exe").c_str(), (bare.Path() + L"\\velmora-config.exe").c_str(),
                          FALSE));
    const std::map<std::wstring, std::string> edited = {
        {L"CodeSet.ini", "Mine.txt=cpp\r\n"}, {L"GuidSet.ini", "3"}, {L"Mine.txt", "[mine | my template]\r\n"}};
    const struct {
        const char* name;
        std::map<std::wstring, std::string> present;  // files in the folder before; none: no folder
        const wchar_t* arguments;
        bool starterFolder;  // the build output's program, or a copy with no starter folder beside it
        long exitCode;
    } cases[] = {
        {"no configuration folder", {}, L"--setup", true, 0},
        {"some files there, edited", edited, L"--setup", true, 0},
        {"no starter folder", {}, L"--setup", false, 1},
        {"a wrong command line", {}, L"--setup more", true, 2},
    };
    std::set<std::wstring> names;
    for (const auto& [name, bytes] : starter) names.insert(name);
    for (const auto& [name, bytes] : edited) names.insert(name);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::wstring& name : names) files.Remove(name);
        files.RemoveFolders();
        ASSERT_EQ(GetFileAttributesW(files.Folder().c_str()), INVALID_FILE_ATTRIBUTES) << "the folder holds other files";
        for (const auto& [name, bytes] : c.present) files.Write(name, bytes);

        const CheckerRun run = RunChecker(c.arguments, c.starterFolder ? BuildFolder() : bare.Path() + L"\\");
        EXPECT_EQ(run.exitCode, c.exitCode);
        if (c.exitCode != 0) {
            EXPECT_EQ(run.output, std::vector<std::wstring>{});
            ASSERT_EQ(run.errors.size(), 1u);
            if (!c.starterFolder) {
                EXPECT_EQ(run.errors[0], L"スターター設定のフォルダがありません: " + bare.Path() + L"\\starter\\");
            }
            EXPECT_EQ(GetFileAttributesW(files.Folder().c_str()), INVALID_FILE_ATTRIBUTES) << "a folder was made";
            continue;
        }
        // One line per starter file, in name order; every file the user had stays.
        std::vector<std::wstring> expectedOutput = {L"設定フォルダ: " + files.Folder() + L"\\"};
        std::map<std::wstring, std::string> expectedFiles = c.present;
        for (const auto& [name, bytes] : starter) {
            const bool kept = c.present.count(name) != 0;
            std::wstring line = L"    " + name;
            line.resize(24, L' ');
            expectedOutput.push_back(line + (kept ? L"既にあるので、そのまま残しました" : L"スターター設定からコピーしました"));
            if (!kept) expectedFiles[name] = bytes;
        }
        EXPECT_EQ(run.output, expectedOutput);
        EXPECT_EQ(run.errors, std::vector<std::wstring>{});
        for (const std::wstring& name : names) {
            const auto expected = expectedFiles.find(name);
            EXPECT_EQ(files.Read(name).value_or("<missing>"),
                      expected == expectedFiles.end() ? "<missing>" : expected->second)
                << Narrow(name);
        }
    }
    for (const std::wstring& name : names) files.Remove(name);
}

}  // namespace
}  // namespace velmora::test
