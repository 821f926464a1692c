// The template readers on real files in the configuration folder: the C
// runtime's text mode, the thread locale's code page and UTF-16 paths.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "framework/TextConversion.h"
#include "platform/WindowsConfigFiles.h"
#include "support/HostFixture.h"
#include "templates/CodeTemplateSet.h"
#include "testbed/fixtures/TestEnvironment.h"
#include "tests/native/TemplateTestFiles.h"
#include "tests/windows/templates/TemplateTestSupport.h"

namespace velmora::test {
namespace {

using namespace std::string_literals;

// Shift-JIS (code page 932) bytes.
const std::string kLoop = "\x83\x8b\x81\x5b\x83\x76";                    // ループ
const std::string kRepeat = "\x8c\x4a\x82\xe8\x95\xd4\x82\xb5";          // 繰り返し
const std::string kMarksInTrailBytes = "\x81\x5b\x83\x7c\x83\x5d";       // ーポゾ: bytes "[", "|", "]" inside
const std::string kDisplay = "\x95\x5c\x8e\xa6";                         // 表示
const std::string kTemplatesFolder = "\x83\x65\x83\x93\x83\x76\x83\x8c";  // テンプレ
const std::string kJapaneseWord = "\x93\xfa\x96\x7b\x8c\xea";                // 日本語

class TemplateFilesTest : public ::testing::Test {
protected:
    ConfigFolderFiles files;
    WindowsConfigFiles access;
};

TEST_F(TemplateFilesTest, PathsAreUnderTheApplicationDataFolder) {
    wchar_t appData[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE));
    const std::wstring folder = std::wstring(appData) + L"\\Orinth\\Velmora\\";
    EXPECT_EQ(ToWide(access.FolderPath()), folder);
    EXPECT_EQ(ToWide(access.FilePath(u"CodeSet.ini")), folder + L"CodeSet.ini");
}

TEST_F(TemplateFilesTest, TextModeLinesMatchTheNativeReading) {
    // The same table the native tests read through their text-mode model.
    for (const testing::LineCase& c : testing::LineCases()) {
        SCOPED_TRACE(c.label);
        files.Write(L"lines.txt", "[t|d]\n" + c.raw);
        CodeTemplateSet set(access);
        ASSERT_EQ(set.ReadTemplateFile(access.FolderPath() + u"lines.txt"), 0);
        ASSERT_EQ(set.GetCount(), 1);
        EXPECT_EQ(testing::Entries(set)[0].lines, c.lines);
    }
}

TEST_F(TemplateFilesTest, MissingFileCannotBeRead) {
    CodeTemplateSet set(access);
    EXPECT_EQ(set.ReadTemplateFile(access.FolderPath() + u"missing.txt"), -1);
    std::vector<std::u16string> paths{u"kept"};
    EXPECT_EQ(set.ReadSetFile(u"cpp", paths), -1);
    EXPECT_EQ(paths, std::vector<std::u16string>{u"kept"});
    EXPECT_EQ(set.LoadForExtension(u"cpp"), -1);
}

TEST_F(TemplateFilesTest, ShiftJisUnderAJapaneseThreadLocale) {
    ThreadLocale japanese(kJapanese);
    ASSERT_TRUE(japanese.Applied());
    files.Write(L"CodeSet.ini", "sjis.txt=cpp\r\n");
    files.Write(L"sjis.txt", "// [" + kLoop + " | " + kRepeat + "]\r\n" + kMarksInTrailBytes + "\r\n" + kDisplay +
                                 "\r\n\x81\r\n");
    CodeTemplateSet set(access);
    ASSERT_EQ(set.LoadForExtension(u"cpp"), 0);
    ASSERT_EQ(set.GetCount(), 1) << "the trail bytes \"[|]\" of a double-byte line open no template";
    const TemplateEntry entry = testing::Entries(set)[0];
    EXPECT_EQ(entry.name, u"ループ");
    EXPECT_EQ(entry.description, u"繰り返し");
    ASSERT_EQ(entry.lines.size(), 3u);
    EXPECT_EQ(entry.lines[0], u"ーポゾ");
    EXPECT_EQ(entry.lines[1], u"表示");
    EXPECT_EQ(entry.lines[2].size(), 1u) << "a lone lead byte becomes one replacement character";
    EXPECT_EQ(entry.displayText, u"ループ  繰り返し");
}

TEST_F(TemplateFilesTest, SameBytesUnderAWesternThreadLocale) {
    ThreadLocale english(kEnglish);
    ASSERT_TRUE(english.Applied());
    files.Write(L"CodeSet.ini", "sjis.txt=cpp\r\n");
    files.Write(L"sjis.txt", "[a|b]\r\n" + kMarksInTrailBytes + "\r\n");
    CodeTemplateSet set(access);
    ASSERT_EQ(set.LoadForExtension(u"cpp"), 0);
    // Code page 1252 reads 0x83 as U+0192, and the marks are real marks.
    ASSERT_EQ(set.GetCount(), 2);
    EXPECT_EQ(testing::Entries(set)[1].name, u"\u0192");
    EXPECT_EQ(testing::Entries(set)[1].description, u"\u0192");
}

TEST_F(TemplateFilesTest, TemplateFileNamedOutsideTheProcessCodePage) {
    // A Japanese folder and file name, read from CodeSet.ini under the
    // Japanese thread locale, while the process code page is a Western one:
    // only a UTF-16 path reaches the file.
    ThreadLocale japanese(kJapanese);
    ASSERT_TRUE(japanese.Applied());
    ASSERT_NE(GetACP(), 932u) << "the test needs a process code page other than 932";
    files.Write(L"テンプレ\\日本語.txt", "[x|y]\nbody\n");
    files.Write(L"CodeSet.ini", kTemplatesFolder + "\\" + kJapaneseWord + ".txt = cpp\n");
    CodeTemplateSet set(access);
    ASSERT_EQ(set.LoadForExtension(u"cpp"), 0);
    ASSERT_EQ(set.GetCount(), 1);
    EXPECT_EQ(testing::Entries(set)[0].lines, std::vector<std::u16string>{u"body"});
}

TEST_F(TemplateFilesTest, SeveralFilesShareOneNameColumn) {
    files.Write(L"CodeSet.ini", "short.txt=cs\nlong.txt=*\n");
    files.Write(L"short.txt", "[if|condition]\n[for|loop]\n");
    files.Write(L"long.txt", "[property|get and set]\n");
    CodeTemplateSet set(access);
    ASSERT_EQ(set.LoadForExtension(u"cs"), 0);
    std::vector<std::u16string> texts;
    for (int i = 0; i < set.GetCount(); ++i) texts.emplace_back(set.GetDisplayText(i));
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"if        condition", u"for       loop", u"property  get and set"}));
}

}  // namespace
}  // namespace velmora::test

namespace velmora::test {
namespace {

std::string ReadSample(const std::string& name) {
    const char* source = std::getenv("VELMORA_SOURCE_DIR");
    if (!source) return {};
    const std::wstring path = WindowsPathOf(std::string(source) + "/testbed/demo/sample-config/" + name);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

TEST(Samples, TheDemoConfigurationOffersTheIntendedTemplates) {
    ASSERT_NE(std::getenv("VELMORA_SOURCE_DIR"), nullptr);
    ConfigFolderFiles files;
    for (const char* name : {"CodeSet.ini", "cpp.txt", "cs.txt", "common.txt"}) {
        const std::string bytes = ReadSample(name);
        ASSERT_FALSE(bytes.empty()) << name;
        for (unsigned char c : bytes) ASSERT_LT(c, 0x80) << name << " is ASCII";
        files.Write(std::wstring(name, name + std::strlen(name)), bytes);
    }
    struct Case {
        std::u16string extension;
        std::vector<std::u16string> names;
    };
    const Case cases[] = {
        {u"cpp", {u"for", u"range", u"if", u"switch", u"class", u"guard", u"try", u"todo", u"note"}},
        {u"h", {u"for", u"range", u"if", u"switch", u"class", u"guard", u"try", u"todo", u"note"}},
        {u"cs", {u"class", u"prop", u"foreach", u"using", u"try", u"todo", u"note"}},
        {u"txt", {u"todo", u"note"}},
    };
    WindowsConfigFiles access;
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(ToWide(c.extension)));
        CodeTemplateSet set(access);
        ASSERT_EQ(set.LoadForExtension(c.extension), 0);
        std::vector<std::u16string> names;
        for (const TemplateEntry& entry : testing::Entries(set)) {
            names.push_back(entry.name);
            EXPECT_FALSE(entry.lines.empty()) << Narrow(ToWide(entry.name));
        }
        EXPECT_EQ(names, c.names);
    }
}

}  // namespace
}  // namespace velmora::test
