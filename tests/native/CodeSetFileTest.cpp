// CodeSet.ini: which template files serve which document extension.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <map>

#include "templates/CodeTemplateSet.h"
#include "tests/native/TemplateTestFiles.h"

namespace velmora {
namespace {

using testing::MemoryTemplateFiles;
using namespace std::string_literals;

constexpr std::uint64_t kBudget = CodeTemplateSet::kByteBudget;

std::vector<std::u16string> FullPaths(const std::vector<std::u16string>& names) {
    std::vector<std::u16string> paths;
    for (const std::u16string& name : names) paths.push_back(MemoryTemplateFiles::kFolder + name);
    return paths;
}

struct SetFileCase {
    const char* label;
    std::string setFile;
    std::u16string extension;
    std::vector<std::u16string> files;  // names relative to the template folder
};

class SetFileLines : public ::testing::TestWithParam<SetFileCase> {};

TEST_P(SetFileLines, NameTheFittingFiles) {
    const SetFileCase& c = GetParam();
    MemoryTemplateFiles files;
    files.SetFile(c.setFile);
    CodeTemplateSet set(files);
    std::vector<std::u16string> paths{u"left over"};
    ASSERT_EQ(set.ReadSetFile(c.extension, paths), 0);
    EXPECT_EQ(paths, FullPaths(c.files));
    EXPECT_EQ(files.opened, std::vector<std::u16string>{files.SetFilePath()}) << "only CodeSet.ini is opened";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SetFileLines,
    ::testing::Values(
        SetFileCase{"list of extensions, first", "cpp.txt=cpp;h;hpp\n", u"cpp", {u"cpp.txt"}},
        SetFileCase{"list of extensions, middle", "cpp.txt=cpp;h;hpp\n", u"h", {u"cpp.txt"}},
        SetFileCase{"list of extensions, last", "cpp.txt=cpp;h;hpp\n", u"hpp", {u"cpp.txt"}},
        SetFileCase{"extension not listed", "cpp.txt=cpp;h;hpp\n", u"c", {}},
        SetFileCase{"star fits anything", "common.txt = *\n", u"cs", {u"common.txt"}},
        SetFileCase{"star fits the empty extension", "common.txt=*\n", u"", {u"common.txt"}},
        SetFileCase{"star after other items", "x.txt=cpp;*\n", u"h", {u"x.txt"}},
        SetFileCase{"double star is no star", "x.txt=**\n", u"h", {}},
        SetFileCase{"split at the last equals sign", "a=b=cs\n", u"cs", {u"a=b"}},
        SetFileCase{"equals sign in the name only", "a=b=cs\n", u"b", {}},
        SetFileCase{"empty item ends the scan", "cpp.txt=cpp;;h\n", u"h", {}},
        SetFileCase{"items before an empty one still fit", "cpp.txt=cpp;;h\n", u"cpp", {u"cpp.txt"}},
        SetFileCase{"empty first item", "cpp.txt=;h\n", u"h", {}},
        SetFileCase{"blank first item", "cpp.txt=  ;h\n", u"h", {}},
        SetFileCase{"trailing separator", "x.txt=h;\n", u"h", {u"x.txt"}},
        SetFileCase{"trailing separator, no fit", "x.txt=c;\n", u"h", {}},
        SetFileCase{"spaces trimmed around items", "cpp.txt = cpp ; h \n", u"h", {u"cpp.txt"}},
        SetFileCase{"spaces trimmed, first item", "cpp.txt = cpp ; h \n", u"cpp", {u"cpp.txt"}},
        SetFileCase{"case-sensitive extension", "cpp.txt=cpp\n", u"CPP", {}},
        SetFileCase{"tab stays in the item", "x.txt=\tcpp\n", u"cpp", {}},
        SetFileCase{"tab stays in the file name", "cpp.txt\t=cpp\n", u"cpp", {u"cpp.txt\t"}},
        SetFileCase{"no equals sign", "[Section]\n; comment\ncpp.txt cpp\n", u"cpp", {}},
        SetFileCase{"comment-like name", "; note=txt\n", u"txt", {u"; note"}},
        SetFileCase{"empty file name", "=cpp\n  =cpp\n", u"cpp", {}},
        SetFileCase{"empty item list", "x.txt=\ny.txt=   \n", u"", {}},
        SetFileCase{"subfolder name", "cs/cs.txt=cs\n", u"cs", {u"cs/cs.txt"}},
        SetFileCase{"duplicates removed at the first match",
                    "b.txt=cpp\na.txt=cpp\nb.txt=h;cpp\nc.txt=*\n", u"cpp", {u"b.txt", u"a.txt", u"c.txt"}},
        SetFileCase{"names differing in case are two files", "x.txt=cpp\nX.txt=cpp\nx.txt=*\n", u"cpp",
                    {u"x.txt", u"X.txt"}},
        SetFileCase{"non-fitting lines skipped between fitting ones", "a.txt=cpp\nb.txt=cs\nc.txt=cpp\n", u"cpp",
                    {u"a.txt", u"c.txt"}},
        SetFileCase{"CR LF line ends", "a.txt=cpp\r\nb.txt=cpp\r\n", u"cpp", {u"a.txt", u"b.txt"}},
        SetFileCase{"lone CR does not end a line", "x.txt=cpp\rh.txt=h\n", u"h", {u"x.txt=cpp\rh.txt"}},
        SetFileCase{"last line without LF", "a.txt=cs\nb.txt=cpp", u"cpp", {u"b.txt"}},
        SetFileCase{"zero byte drops the rest of the line", "x.txt=cpp\0;h\ny.txt=h\n"s, u"h", {u"y.txt"}},
        SetFileCase{"zero byte keeps the text before it", "x.txt=cpp\0;h\n"s, u"cpp", {u"x.txt"}},
        SetFileCase{"empty file", "", u"cpp", {}}),
    [](const ::testing::TestParamInfo<SetFileCase>& info) {
        std::string name;
        for (const char* p = info.param.label; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST(SetFile, MissingLeavesTheListAsItWas) {
    MemoryTemplateFiles files;
    CodeTemplateSet set(files);
    std::vector<std::u16string> paths{u"kept"};
    EXPECT_EQ(set.ReadSetFile(u"cpp", paths), -1);
    EXPECT_EQ(paths, std::vector<std::u16string>{u"kept"});
}

TEST(SetFile, LongLineAndCodePageBytes) {
    // A megabyte-long file name and bytes above 0x7F reach the converter whole.
    std::string name(1 << 20, 'n');
    name += "\x82\xa0\xff";
    MemoryTemplateFiles files;
    files.SetFile(name + "=cpp");
    CodeTemplateSet set(files);
    std::vector<std::u16string> paths;
    ASSERT_EQ(set.ReadSetFile(u"cpp", paths), 0);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], MemoryTemplateFiles::kFolder + testing::Latin1(name));
}

TEST(SetFile, RepeatsAreFoundInLinearTime) {
    // 100,000 distinct names, each listed again further down, some on lines
    // that fit only through "*": a search of the list for every line would
    // take billions of comparisons here.
    constexpr int kNames = 100000;
    std::string setFile;
    for (int i = 0; i < kNames; ++i) setFile += "name" + std::to_string(i) + ".txt=*\n";
    for (int i = kNames - 1; i >= 0; i -= 3) setFile += "name" + std::to_string(i) + ".txt = h;cpp\n";
    setFile += "last.txt=cpp\n";
    MemoryTemplateFiles files;
    files.SetFile(setFile);
    CodeTemplateSet set(files);
    std::vector<std::u16string> paths;
    ASSERT_EQ(set.ReadSetFile(u"cpp", paths), 0);
    ASSERT_EQ(paths.size(), static_cast<std::size_t>(kNames) + 1);
    for (int i : {0, 1, 4711, kNames - 1}) {
        EXPECT_EQ(paths[static_cast<std::size_t>(i)], FullPaths({testing::Latin1("name" + std::to_string(i) + ".txt")})[0]);
    }
    EXPECT_EQ(paths.back(), FullPaths({u"last.txt"})[0]);
    // The command ends with its result: the first file named is missing.
    EXPECT_EQ(set.LoadForExtension(u"cpp"), -1);
    EXPECT_EQ(files.opened.size(), 3u) << "CodeSet.ini twice, then the first template file only";
}

struct LoadCase {
    const char* label;
    bool hasSetFile;
    std::string setFile;
    std::u16string extension;
    int result;
    std::vector<std::u16string> names;   // entries after loading, in order
    std::vector<std::u16string> opened;  // files opened after CodeSet.ini
    std::map<std::u16string, std::uint64_t> sizes = {};  // sizes reported instead of the real ones
};

class LoadResults : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadResults, ReportAndRead) {
    const LoadCase& c = GetParam();
    MemoryTemplateFiles files;
    if (c.hasSetFile) files.SetFile(c.setFile);
    files.AddTemplate(u"a.txt", "[a1|first]\nbody\n[a2|second]\n");
    files.AddTemplate(u"b.txt", "[b1|third]\n");
    files.AddTemplate(u"empty.txt", "no header here\n");
    for (const auto& [name, size] : c.sizes) files.reportedSizes[MemoryTemplateFiles::kFolder + name] = size;
    CodeTemplateSet set(files);
    EXPECT_EQ(set.LoadForExtension(c.extension), c.result);
    std::vector<std::u16string> names;
    for (const TemplateEntry& entry : testing::Entries(set)) names.push_back(entry.name);
    EXPECT_EQ(names, c.names);
    std::vector<std::u16string> expectedOpened{files.SetFilePath()};
    for (const std::u16string& name : c.opened) expectedOpened.push_back(MemoryTemplateFiles::kFolder + name);
    EXPECT_EQ(files.opened, expectedOpened);
}

INSTANTIATE_TEST_SUITE_P(
    Results, LoadResults,
    ::testing::Values(
        LoadCase{"missing set file", false, "", u"cpp", -1, {}, {}},
        LoadCase{"empty set file", true, "", u"cpp", -2, {}, {}},
        LoadCase{"no line has an equals sign", true, "[Templates]\na.txt cpp\n", u"cpp", -2, {}, {}},
        LoadCase{"nothing fits", true, "a.txt=cs\n", u"cpp", -2, {}, {}},
        LoadCase{"upper-case document extension", true, "a.txt=cpp\n", u"CPP", -2, {}, {}},
        LoadCase{"files in set-file order", true, "b.txt=cpp\na.txt=*\n", u"cpp", 0, {u"b1", u"a1", u"a2"},
                 {u"b.txt", u"a.txt"}},
        LoadCase{"file without headers", true, "empty.txt=cpp\n", u"cpp", 0, {}, {u"empty.txt"}},
        LoadCase{"missing file stops the load", true, "a.txt=cpp\nmissing.txt=cpp\nb.txt=cpp\n", u"cpp", -1,
                 {u"a1", u"a2"}, {u"a.txt", u"missing.txt"}},
        LoadCase{"missing first file", true, "missing.txt=cpp\na.txt=cpp\n", u"cpp", -1, {}, {u"missing.txt"}},
        LoadCase{"tab in the name names a missing file", true, "a.txt\t=cpp\n", u"cpp", -1, {}, {u"a.txt\t"}},
        LoadCase{"file named twice is read once", true, "a.txt=cpp\na.txt=*\n", u"cpp", 0, {u"a1", u"a2"},
                 {u"a.txt"}},
        // The budget is judged from the sizes before any file is read.
        LoadCase{"one file over the budget", true, "a.txt=cpp\n", u"cpp", -1, {}, {}, {{u"a.txt", kBudget + 1}}},
        LoadCase{"files over the budget together", true, "a.txt=cpp\nb.txt=cpp\n", u"cpp", -1, {}, {},
                 {{u"a.txt", kBudget / 2 + 1}, {u"b.txt", kBudget / 2}}},
        LoadCase{"files filling the budget exactly", true, "a.txt=cpp\nb.txt=cpp\n", u"cpp", 0, {u"a1", u"a2", u"b1"},
                 {u"a.txt", u"b.txt"}, {{u"a.txt", kBudget / 2}, {u"b.txt", kBudget / 2}}},
        LoadCase{"files after a missing one do not count", true, "missing.txt=cpp\na.txt=cpp\n", u"cpp", -1, {},
                 {u"missing.txt"}, {{u"a.txt", kBudget * 2}}},
        LoadCase{"files that do not fit do not count", true, "a.txt=cs\nb.txt=cpp\n", u"cpp", 0, {u"b1"},
                 {u"b.txt"}, {{u"a.txt", kBudget * 2}}}),
    [](const ::testing::TestParamInfo<LoadCase>& info) {
        std::string name;
        for (const char* p = info.param.label; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST(LoadForExtension, AppendsToWhatTheSetHolds) {
    MemoryTemplateFiles files;
    files.SetFile("a.txt=cpp\n");
    files.AddTemplate(u"a.txt", "[a|one]\n");
    CodeTemplateSet set(files);
    ASSERT_EQ(set.LoadForExtension(u"cpp"), 0);
    ASSERT_EQ(set.LoadForExtension(u"cpp"), 0);
    ASSERT_EQ(set.GetCount(), 2);
    EXPECT_EQ(set.FindByDisplayText(u"a  one"), 0);
}

}  // namespace
}  // namespace velmora
