// CodeTemplateSet as the pick list and the insertion use it, and the readers'
// calls through the object's own operations.
#include <gtest/gtest.h>

#include <climits>

#include "templates/CodeTemplateSet.h"
#include "tests/native/TemplateTestFiles.h"

namespace velmora {
namespace {

using testing::MemoryTemplateFiles;

class LoadedSet : public ::testing::Test {
protected:
    void SetUp() override {
        files.SetFile("t.txt=cpp\n");
        files.AddTemplate(u"t.txt", "[b|second]\nB1\nB2\n[a|first]\n[b|second]\nother\n");
        ASSERT_EQ(set.LoadForExtension(u"cpp"), 0);
        ASSERT_EQ(set.GetCount(), 3);
    }
    MemoryTemplateFiles files;
    CodeTemplateSet set{files};
};

TEST_F(LoadedSet, GetEntryCopiesAllFields) {
    TemplateEntry entry;
    ASSERT_EQ(set.GetEntry(0, entry), 0);
    EXPECT_EQ(entry.name, u"b");
    EXPECT_EQ(entry.description, u"second");
    EXPECT_EQ(entry.displayText, u"b  second");
    EXPECT_EQ(entry.lines, (std::vector<std::u16string>{u"B1", u"B2"}));
    ASSERT_EQ(set.GetEntry(2, entry), 0);
    EXPECT_EQ(entry.lines, std::vector<std::u16string>{u"other"});
}

TEST_F(LoadedSet, OutOfRangeIndexes) {
    for (int index : {-1, 3, 4, INT_MIN, INT_MAX}) {
        TemplateEntry entry{u"untouched", u"n", u"d", {u"l"}};
        EXPECT_EQ(set.GetEntry(index, entry), -1) << index;
        EXPECT_EQ(entry.displayText, u"untouched");
        EXPECT_EQ(entry.lines, std::vector<std::u16string>{u"l"});
        EXPECT_EQ(set.GetDisplayText(index), u"") << index;
    }
    EXPECT_EQ(set.GetDisplayText(1), u"a  first");
}

TEST_F(LoadedSet, FindByDisplayTextIsExactAndTakesTheFirst) {
    struct Case {
        std::u16string text;
        int index;
    } cases[] = {
        {u"b  second", 0},   // entries 0 and 2 are equal: the first wins
        {u"a  first", 1},
        {u"a first", -1},    // padding is part of the text
        {u"A  first", -1},   // case-sensitive
        {u"a  first ", -1},  // no trimming
        {u"a", -1},
        {u"", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(set.FindByDisplayText(c.text), c.index) << ::testing::PrintToString(c.text);
}

TEST(EmptySet, HasNothing) {
    MemoryTemplateFiles files;
    CodeTemplateSet set(files);
    TemplateEntry entry;
    EXPECT_EQ(set.GetCount(), 0);
    EXPECT_EQ(set.GetEntry(0, entry), -1);
    EXPECT_EQ(set.GetDisplayText(0), u"");
    EXPECT_EQ(set.FindByDisplayText(u""), -1);
}

// Replaces the file operations to see what LoadForExtension asks of them.
class ScriptedSet : public CodeTemplateSet {
public:
    using CodeTemplateSet::CodeTemplateSet;
    int setFileResult = 0;
    std::vector<std::u16string> paths;
    std::vector<int> fileResults;  // by call; 0 beyond the end
    std::vector<std::u16string> read;

    int ReadSetFile(const std::u16string&, std::vector<std::u16string>& out) override {
        if (setFileResult == 0) out = paths;
        return setFileResult;
    }
    int ReadTemplateFile(const std::u16string& path) override {
        read.push_back(path);
        return read.size() <= fileResults.size() ? fileResults[read.size() - 1] : 0;
    }
};

TEST(LoadForExtension, CallsTheReadersThroughTheObject) {
    struct Case {
        const char* label;
        int setFileResult;
        std::vector<std::u16string> paths;
        std::vector<int> fileResults;
        int result;
        std::vector<std::u16string> read;
    } cases[] = {
        {"set file fails", -1, {u"p"}, {}, -1, {}},
        {"set file gives an odd result", 1, {u"p"}, {}, -1, {}},
        {"nothing fits", 0, {}, {}, -2, {}},
        {"all read in list order", 0, {u"p1", u"p2", u"p3"}, {}, 0, {u"p1", u"p2", u"p3"}},
        {"stops at the first failure", 0, {u"p1", u"p2", u"p3"}, {0, -1}, -1, {u"p1", u"p2"}},
        {"any non-zero is a failure", 0, {u"p1", u"p2"}, {5}, -1, {u"p1"}},
    };
    MemoryTemplateFiles files;
    for (const auto& c : cases) {
        ScriptedSet set(files);
        set.setFileResult = c.setFileResult;
        set.paths = c.paths;
        set.fileResults = c.fileResults;
        EXPECT_EQ(set.LoadForExtension(u"cpp"), c.result) << c.label;
        EXPECT_EQ(set.read, c.read) << c.label;
    }
}

// Header test and trimming replaced: the reader must use the replacements.
class RedefinedSet : public CodeTemplateSet {
public:
    using CodeTemplateSet::CodeTemplateSet;
    mutable int headerCalls = 0;
    mutable int trimCalls = 0;
    bool IsHeaderLine(std::u16string_view line) const override {
        ++headerCalls;
        return line.compare(0, 2, u"@@") == 0 && CodeTemplateSet::IsHeaderLine(line);
    }
    int TrimSpaces(std::u16string_view& text) const override {
        ++trimCalls;
        return CodeTemplateSet::TrimSpaces(text);
    }
};

TEST(ReadTemplateFile, UsesTheObjectsHeaderTestAndTrim) {
    MemoryTemplateFiles files;
    files.AddTemplate(u"t.txt", "[a|one]\n@@[b|two]\nx\n");
    RedefinedSet set(files);
    ASSERT_EQ(set.ReadTemplateFile(MemoryTemplateFiles::kFolder + std::u16string(u"t.txt")), 0);
    EXPECT_EQ(set.headerCalls, 3);
    EXPECT_EQ(set.trimCalls, 2) << "name and description of the one header";
    ASSERT_EQ(set.GetCount(), 1);
    EXPECT_EQ(testing::Entries(set)[0].name, u"b");
}

TEST(ReadSetFile, UsesTheObjectsTrim) {
    MemoryTemplateFiles files;
    files.SetFile("a.txt=cpp;h\nno equals\n");
    RedefinedSet set(files);
    std::vector<std::u16string> paths;
    ASSERT_EQ(set.ReadSetFile(u"h", paths), 0);
    EXPECT_EQ(set.trimCalls, 4) << "name, list, two items";
    EXPECT_EQ(paths.size(), 1u);
}

}  // namespace
}  // namespace velmora
