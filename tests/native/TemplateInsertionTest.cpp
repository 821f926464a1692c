// The text pasted for a template and the extension it is looked up by.
#include <gtest/gtest.h>

#include "templates/InsertionText.h"

namespace velmora {
namespace {

TEST(InsertionText, IndentsEveryLineAfterTheFirst) {
    struct Case {
        const char* label;
        std::vector<std::u16string> lines;
        long column;
        std::u16string text;
    } cases[] = {
        {"no lines", {}, 9, u""},
        {"one line", {u"a"}, 9, u"a\n"},
        {"column 1 adds nothing", {u"a", u"b", u"c"}, 1, u"a\nb\nc\n"},
        {"column 9", {u"for (;;) {", u"}"}, 9, u"for (;;) {\n        }\n"},
        {"column 2", {u"a", u"b"}, 2, u"a\n b\n"},
        {"empty first line still indents the next", {u"", u"b"}, 5, u"\n    b\n"},
        {"empty later line gets the indentation", {u"a", u"", u"c"}, 3, u"a\n  \n  c\n"},
        {"only empty lines", {u"", u""}, 2, u"\n \n"},
        {"tabs in lines kept", {u"\tx", u"\ty"}, 4, u"\tx\n   \ty\n"},
        {"column 0 adds nothing", {u"a", u"b"}, 0, u"a\nb\n"},
        {"negative column adds nothing", {u"a", u"b"}, -7, u"a\nb\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildInsertionText(c.lines, c.column), c.text) << c.label;
}

TEST(ExtensionOf, TextAfterTheLastDot) {
    struct Case {
        std::u16string name;
        std::u16string extension;
    } cases[] = {
        {u"main.cpp", u"cpp"},   {u"MAIN.CPP", u"CPP"},   {u"a.b.cs", u"cs"},
        {u"Makefile", u"Makefile"}, {u"name.", u""},   {u".gitignore", u"gitignore"},
        {u"", u""},              {u"dir.x\\file", u"x\\file"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtensionOf(c.name), c.extension) << ::testing::PrintToString(c.name);
}

}  // namespace
}  // namespace velmora
