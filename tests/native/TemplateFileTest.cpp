// Template files: lines, headers, bodies and the display texts of the list.
#include <gtest/gtest.h>

#include <cctype>

#include "templates/CodeTemplateSet.h"
#include "tests/native/TemplateTestFiles.h"

namespace velmora {
namespace {

using testing::MemoryTemplateFiles;
using namespace std::string_literals;

std::string TestName(const char* label) {
    std::string name;
    for (const char* p = label; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

// Reads one template file from memory into a new set.
struct Loaded {
    MemoryTemplateFiles files;
    CodeTemplateSet set{files};
    int result = 0;
    explicit Loaded(std::string raw) {
        files.AddTemplate(u"t.txt", std::move(raw));
        result = set.ReadTemplateFile(MemoryTemplateFiles::kFolder + std::u16string(u"t.txt"));
    }
};

class LineRules : public ::testing::TestWithParam<testing::LineCase> {};

TEST_P(LineRules, BodyLines) {
    const testing::LineCase& c = GetParam();
    Loaded loaded("[t|d]\n" + c.raw);
    ASSERT_EQ(loaded.result, 0);
    ASSERT_EQ(loaded.set.GetCount(), 1);
    EXPECT_EQ(testing::Entries(loaded.set)[0].lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(TextMode, LineRules, ::testing::ValuesIn(testing::LineCases()),
                         [](const ::testing::TestParamInfo<testing::LineCase>& info) {
                             return TestName(info.param.label);
                         });

struct HeaderCase {
    const char* label;
    std::string line;
    bool isHeaderLine;  // what IsHeaderLine says
    bool opens;         // whether it opens a template
    std::u16string name;
    std::u16string description;
};

class HeaderRules : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderRules, NameDescriptionOrBody) {
    const HeaderCase& c = GetParam();
    Loaded loaded("[first|one]\n" + c.line + "\nafter\n");
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.set.IsHeaderLine(testing::Latin1(c.line)), c.isHeaderLine);
    if (c.opens) {
        ASSERT_EQ(loaded.set.GetCount(), 2);
        EXPECT_TRUE(testing::Entries(loaded.set)[0].lines.empty());
        EXPECT_EQ(testing::Entries(loaded.set)[1].name, c.name);
        EXPECT_EQ(testing::Entries(loaded.set)[1].description, c.description);
        EXPECT_EQ(testing::Entries(loaded.set)[1].lines, std::vector<std::u16string>{u"after"});
    } else {
        ASSERT_EQ(loaded.set.GetCount(), 1);
        EXPECT_EQ(testing::Entries(loaded.set)[0].lines, (std::vector<std::u16string>{testing::Latin1(c.line), u"after"}))
            << "a line that opens nothing is kept untrimmed in the body";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, HeaderRules,
    ::testing::Values(
        HeaderCase{"bare header", "[for | counted loop]", true, true, u"for", u"counted loop"},
        HeaderCase{"no spaces", "[if|if statement]", true, true, u"if", u"if statement"},
        HeaderCase{"comment marker before", "// [if | if statement]", true, true, u"if", u"if statement"},
        HeaderCase{"text after", "[w | while] trailing text", true, true, u"w", u"while"},
        HeaderCase{"code with an index and a bar", "x = a[i | j];", true, true, u"i", u"j"},
        HeaderCase{"blank name", "x = a[ | j];", true, false, u"", u""},
        HeaderCase{"blank description", "[a |   ]", true, false, u"", u""},
        HeaderCase{"both blank", "[|]", true, false, u"", u""},
        HeaderCase{"no closing bracket", "[a | b", false, false, u"", u""},
        HeaderCase{"no bar", "[a] b", false, false, u"", u""},
        HeaderCase{"no opening bracket", "a | b]", false, false, u"", u""},
        HeaderCase{"marks in the wrong order", "] | [", false, false, u"", u""},
        HeaderCase{"bar only before the bracket", "| [a] ]", false, false, u"", u""},
        HeaderCase{"closing bracket in the name", "[a] | b]", true, true, u"a]", u"b"},
        HeaderCase{"opening bracket in the name", "[[x | y]", true, true, u"[x", u"y"},
        HeaderCase{"bar in the description", "[x | y | z]", true, true, u"x", u"y | z"},
        HeaderCase{"description ends at the first bracket", "[x | y] z]", true, true, u"x", u"y"},
        HeaderCase{"bracket in the description", "[x | a[0]", true, true, u"x", u"a[0"},
        HeaderCase{"only spaces trimmed", "[\tx\t | \xa0y]", true, true, u"\tx\t", u"\u00a0y"},
        HeaderCase{"inner spaces kept", "[  long  name  |  some  words  ]", true, true, u"long  name",
                   u"some  words"}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return TestName(info.param.label); });

struct Template {
    std::u16string name;
    std::u16string description;
    std::vector<std::u16string> lines;
    bool operator==(const Template& other) const {
        return name == other.name && description == other.description && lines == other.lines;
    }
};

void PrintTo(const Template& t, std::ostream* out) {
    *out << "{" << ::testing::PrintToString(t.name) << ", " << ::testing::PrintToString(t.description) << ", "
         << ::testing::PrintToString(t.lines) << "}";
}

std::vector<Template> Templates(const CodeTemplateSet& set) {
    std::vector<Template> result;
    for (const TemplateEntry& e : testing::Entries(set)) result.push_back({e.name, e.description, e.lines});
    return result;
}

struct FileCase {
    const char* label;
    std::string raw;
    std::vector<Template> templates;
};

class FileStructure : public ::testing::TestWithParam<FileCase> {};

TEST_P(FileStructure, Templates) {
    Loaded loaded(GetParam().raw);
    ASSERT_EQ(loaded.result, 0);
    EXPECT_EQ(Templates(loaded.set), GetParam().templates);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileStructure,
    ::testing::Values(
        FileCase{"no header gives nothing", "just\ntext\n", {}},
        FileCase{"lines before the first header dropped",
                 "Common templates\n\n[for | counted loop]\nfor (;;) {\n}\n// [if | if statement]\nif () {\n}\n",
                 {{u"for", u"counted loop", {u"for (;;) {", u"}"}}, {u"if", u"if statement", {u"if () {", u"}"}}}},
        FileCase{"header right after header has an empty body", "[a|one]\n[b|two]\nx\n",
                 {{u"a", u"one", {}}, {u"b", u"two", {u"x"}}}},
        FileCase{"empty lines belong to the template before", "[a|one]\nx\n\n\n[b|two]\ny",
                 {{u"a", u"one", {u"x", u"", u""}}, {u"b", u"two", {u"y"}}}},
        FileCase{"header as the last line", "[a|one]\nx\n[b|two]", {{u"a", u"one", {u"x"}}, {u"b", u"two", {}}}},
        FileCase{"blank header is a body line", "[a|one]\n[ | two]\n", {{u"a", u"one", {u"[ | two]"}}}},
        FileCase{"code line opens a template", "[a|one]\nx = a[i | j];\ny\n",
                 {{u"a", u"one", {}}, {u"i", u"j", {u"y"}}}},
        FileCase{"same template twice", "[a|one]\nfirst\n[a|one]\nsecond\n",
                 {{u"a", u"one", {u"first"}}, {u"a", u"one", {u"second"}}}},
        FileCase{"file order kept", "[z|last]\n[a|first]\n[m|middle]\n",
                 {{u"z", u"last", {}}, {u"a", u"first", {}}, {u"m", u"middle", {}}}}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return TestName(info.param.label); });

TEST(TemplateFile, MissingFileLeavesEntriesUnchanged) {
    Loaded loaded("[a|one]\n");
    ASSERT_EQ(loaded.set.GetCount(), 1);
    EXPECT_EQ(loaded.set.ReadTemplateFile(MemoryTemplateFiles::kFolder + std::u16string(u"missing.txt")), -1);
    ASSERT_EQ(loaded.set.GetCount(), 1);
    EXPECT_EQ(testing::Entries(loaded.set)[0].displayText, u"a  one");
}

TEST(TemplateFile, OverTheBudgetNothingIsAppended) {
    // A file too large for what is left of the budget, and one whose display
    // texts would overflow their header lines by more than the overflow
    // budget (one long name widens every short header's text).
    Loaded loaded("[a|one]\nbody\n");
    const std::u16string folder = MemoryTemplateFiles::kFolder;
    loaded.files.AddTemplate(u"big.txt", "[b|two]\n");
    loaded.files.reportedSizes[folder + u"big.txt"] = CodeTemplateSet::kByteBudget;
    std::string wide = "[" + std::string(5000, 'w') + "|wide]\n";
    while (wide.size() < 40000) wide += "[s|t]\n";
    loaded.files.AddTemplate(u"wide.txt", wide);
    for (const char16_t* name : {u"big.txt", u"wide.txt"}) {
        EXPECT_EQ(loaded.set.ReadTemplateFile(folder + name), -1) << ::testing::PrintToString(std::u16string(name));
        EXPECT_TRUE(loaded.set.OverBudget());
        ASSERT_EQ(loaded.set.GetCount(), 1);
        EXPECT_EQ(loaded.set.GetDisplayText(0), u"a  one");
    }
    // What was left stays usable: a later file reads as if they never had been.
    loaded.files.AddTemplate(u"next.txt", "[abc|three]\nx\n");
    ASSERT_EQ(loaded.set.ReadTemplateFile(folder + u"next.txt"), 0);
    EXPECT_FALSE(loaded.set.OverBudget());
    const std::vector<TemplateEntry> entries = testing::Entries(loaded.set);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].displayText, u"a    one");
    EXPECT_EQ(entries[0].lines, std::vector<std::u16string>{u"body"});
    EXPECT_EQ(entries[1].displayText, u"abc  three");
    EXPECT_EQ(entries[1].lines, std::vector<std::u16string>{u"x"});
}

TEST(TemplateFile, LinesBeforeTheFirstHeaderOfALaterFileStayOut) {
    MemoryTemplateFiles files;
    files.SetFile("a.txt=cpp\nb.txt=cpp\n");
    files.AddTemplate(u"a.txt", "[a|one]\nbody\n");
    files.AddTemplate(u"b.txt", "preamble of b\n\n[b|two]\nx\n");
    CodeTemplateSet set(files);
    ASSERT_EQ(set.LoadForExtension(u"cpp"), 0);
    ASSERT_EQ(set.GetCount(), 2);
    EXPECT_EQ(testing::Entries(set)[0].lines, std::vector<std::u16string>{u"body"});
    EXPECT_EQ(testing::Entries(set)[1].lines, std::vector<std::u16string>{u"x"});
}

TEST(TemplateFile, MegabyteLinesWithoutLineEnd) {
    std::string body(1 << 20, 'b');
    std::string name(1 << 20, 'n');
    Loaded loaded("[" + name + "|d]\n" + body);
    ASSERT_EQ(loaded.set.GetCount(), 1);
    EXPECT_EQ(testing::Entries(loaded.set)[0].name.size(), name.size());
    ASSERT_EQ(testing::Entries(loaded.set)[0].lines.size(), 1u);
    EXPECT_EQ(testing::Entries(loaded.set)[0].lines[0].size(), body.size());
    EXPECT_EQ(testing::Entries(loaded.set)[0].displayText.size(), name.size() + 2 + 1);
}

struct DisplayCase {
    const char* label;
    std::vector<std::string> files;  // read in this order, one ReadTemplateFile each
    std::vector<std::u16string> displayTexts;
};

class DisplayTexts : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayTexts, OneWidthForTheWholeSet) {
    const DisplayCase& c = GetParam();
    MemoryTemplateFiles files;
    std::string setFile;
    for (std::size_t i = 0; i < c.files.size(); ++i) {
        std::string name = "f" + std::to_string(i) + ".txt";
        files.AddTemplate(testing::Latin1(name), c.files[i]);
        setFile += name + "=cpp\n";
    }
    files.SetFile(setFile);
    CodeTemplateSet set(files);
    ASSERT_EQ(set.LoadForExtension(u"cpp"), 0);
    std::vector<std::u16string> texts;
    for (int i = 0; i < set.GetCount(); ++i) texts.emplace_back(set.GetDisplayText(i));
    EXPECT_EQ(texts, c.displayTexts);
    for (const TemplateEntry& entry : testing::Entries(set)) {
        EXPECT_EQ(entry.displayText.compare(0, entry.name.size(), entry.name), 0)
            << "a display text starts with the full name";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Width, DisplayTexts,
    ::testing::Values(
        DisplayCase{"one file pads to the longest name plus two",
                    {"[for|counted loop]\n[while|condition loop]\n"},
                    {u"for    counted loop", u"while  condition loop"}},
        DisplayCase{"equal names", {"[ab|x]\n[ab|y]\n"}, {u"ab  x", u"ab  y"}},
        DisplayCase{"longer name in a later file widens earlier entries",
                    {"[if|a]\n", "[foreach|b]\n"},
                    {u"if       a", u"foreach  b"}},
        DisplayCase{"shorter names in a later file keep the width",
                    {"[foreach|b]\n", "[if|a]\n"},
                    {u"foreach  b", u"if       a"}},
        DisplayCase{"longest name in the middle file",
                    {"[a|1]\n", "[abcdef|2]\n", "[abc|3]\n"},
                    {u"a       1", u"abcdef  2", u"abc     3"}},
        DisplayCase{"file without headers changes nothing", {"[ab|x]\n", "no header\n"}, {u"ab  x"}},
        DisplayCase{"a full-width letter is one unit",
                    {"[\xef\xbd\x86\xef\xbd\x8f\xef\xbd\x92|d]\n[while|e]\n"},
                    {u"\uff46\uff4f\uff52    d", u"while  e"}},
        DisplayCase{"a surrogate pair is two units",
                    {"[\xf0\x9f\x98\x80|d]\n[abc|e]\n"},
                    {u"\U0001f600   d", u"abc  e"}}),
    [](const ::testing::TestParamInfo<DisplayCase>& info) { return TestName(info.param.label); });

TEST(TrimSpaces, OnlyTheSpaceCharacter) {
    struct Case {
        std::u16string in;
        std::u16string out;
    } cases[] = {
        {u"", u""},
        {u"    ", u""},
        {u" a ", u"a"},
        {u"  a b  ", u"a b"},
        {u"a", u"a"},
        {u"\ta\t", u"\ta\t"},
        {u"\u3000a\u3000", u"\u3000a\u3000"},
        {u" \u3000 a \t ", u"\u3000 a \t"},
        {u"\u00a0 x", u"\u00a0 x"},
    };
    MemoryTemplateFiles files;
    CodeTemplateSet set(files);
    for (const Case& c : cases) {
        std::u16string_view text = c.in;
        EXPECT_EQ(set.TrimSpaces(text), 0);
        EXPECT_EQ(text, c.out) << ::testing::PrintToString(c.in);
    }
}

}  // namespace
}  // namespace velmora
