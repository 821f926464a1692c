// The configuration checker's warnings: each kind found with its file and
// line, and the configurations the add-in reads as meant left alone.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "checker/ConfigCheck.h"
#include "tests/native/TemplateTestFiles.h"

namespace velmora {
namespace {

using checker::Finding;
using testing::MemoryTemplateFiles;

// Finding, file, line, subject.
using Found = std::tuple<Finding, std::u16string, std::size_t, std::u16string>;

struct Case {
    const char* label;
    std::optional<std::string> setFile;  // nothing: CodeSet.ini missing
    std::map<std::u16string, std::string> templates;
    std::optional<std::string> guidSet;
    std::vector<Found> expected;
};

const char kTemplates[] = "// [for | loop]\nfor (;;) {\n}\n// [if | condition]\nif () {\n}\n";

// Files saved as UTF-8 (one- to three-byte sequences here), so that a line
// can hold characters beyond ISO 8859-1.
struct Utf8Files : MemoryTemplateFiles {
    std::size_t ToUtf16(std::string_view bytes, char16_t* out) const override {
        std::size_t length = 0;
        for (std::size_t i = 0; i < bytes.size();) {
            const unsigned char lead = static_cast<unsigned char>(bytes[i]);
            const std::size_t trail = lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
            unsigned unit = trail == 2 ? lead & 0x0Fu : trail == 1 ? lead & 0x1Fu : lead;
            for (std::size_t k = 1; k <= trail && i + k < bytes.size(); ++k) {
                unit = (unit << 6) | (bytes[i + k] & 0x3Fu);
            }
            out[length++] = static_cast<char16_t>(unit);
            i += 1 + trail;
        }
        return length;
    }
};

TEST(ConfigCheckTest, WarningsNameTheirFileAndLine) {
    const Case cases[] = {
        {"as meant: comments, both spellings on one line, comment markers, a blank line inside a body",
         "Templates by language, one file a line.\n"
         "; a note\n"
         "[Section]\n"
         "semicolons. An asterisk serves every document.\n"
         "cpp.txt=cpp;CPP;h;\n"
         "any.txt = *\n",
         {{u"cpp.txt", kTemplates},
          {u"any.txt", "intro\n\n# [todo | note]\nTODO\n<!-- [c | comment] -->\nx\n\ny\n"}},
         "3",
         {}},
        {"set file lines without \"=\" that look like entries",
         "cpp.txt cpp;h\ncpp.txt: cpp\ncs;vb\ncs.txt\xef\xbc\x9d" "cs\nREADME.txt\ncpp.txt=cpp\n",
         {{u"cpp.txt", kTemplates}},
         "0",
         {{Finding::LineWithoutEquals, u"CodeSet.ini", 1, u"cpp.txt cpp;h"},
          {Finding::LineWithoutEquals, u"CodeSet.ini", 2, u"cpp.txt: cpp"},
          {Finding::LineWithoutEquals, u"CodeSet.ini", 3, u"cs;vb"},
          {Finding::LineWithoutEquals, u"CodeSet.ini", 4, u"cs.txt\uFF1Dcs"},
          {Finding::LineWithoutEquals, u"CodeSet.ini", 5, u"README.txt"}}},
        {"an empty item hides the items after it", "cpp.txt=cpp;;h; hpp\nc.txt=;c\nok.txt=x;\n",
         {{u"cpp.txt", kTemplates}, {u"c.txt", kTemplates}, {u"ok.txt", kTemplates}},
         "0",
         {{Finding::EmptyItemEndsList, u"CodeSet.ini", 1, u"h;hpp"},
          {Finding::EmptyItemEndsList, u"CodeSet.ini", 2, u"c"}}},
        {"one extension in two spellings with other files", "cpp.txt=cpp\nupper.txt=H;CPP\nh.txt=h\n",
         {{u"cpp.txt", kTemplates}, {u"upper.txt", "[x | y]\n"}, {u"h.txt", "[z | w]\n"}},
         "0",
         {{Finding::ExtensionCaseVariant, u"CodeSet.ini", 2, u"CPP"},
          {Finding::ExtensionCaseVariant, u"CodeSet.ini", 3, u"h"}}},
        {"template files that cannot be opened",
         "gone.txt=cpp\ncpp.txt=cpp\ngone.txt=h\nsub\\gone.txt=*\nunused.txt=;\n",
         {{u"cpp.txt", kTemplates}},
         "0",
         {{Finding::TemplateFileUnreadable, u"CodeSet.ini", 1, u"gone.txt"},
          {Finding::TemplateFileUnreadable, u"CodeSet.ini", 4, u"sub\\gone.txt"}}},
        {"a name twice for one extension", "a.txt=cpp\nb.txt=cpp;cs\nc.txt=cs\n",
         {{u"a.txt", "[for | loop]\n[for | again]\n"},
          {u"b.txt", "[if | c]\n[for | loop]\n"},
          {u"c.txt", "[if | x]\n"}},
         "0",
         {{Finding::DuplicateTemplateName, u"a.txt", 2, u"for"},
          {Finding::DuplicateTemplateName, u"b.txt", 2, u"for"},
          {Finding::DuplicateTemplateName, u"c.txt", 1, u"if"}}},
        {"body lines that start a template", "cpp.txt=cpp\n",
         {{u"cpp.txt", "// [sum | add up]\nx = a[i | j];\n  f(m[k | l]);\n[m | n]\nx = a[ | j];\n"}},
         "0",
         {{Finding::BodyLineStartsTemplate, u"cpp.txt", 2, u"x = a[i | j];"},
          {Finding::BodyLineStartsTemplate, u"cpp.txt", 3, u"  f(m[k | l]);"}}},
        {"empty lines that end a template", "cpp.txt=cpp\n",
         {{u"cpp.txt", "before\n\n[a | x]\nA\n\n \t\n[b | y]\n\nB\n[c | z]\nC\n\n"}},
         "0",
         {{Finding::EmptyLinesInTemplate, u"cpp.txt", 5, u"a"}, {Finding::EmptyLinesInTemplate, u"cpp.txt", 12, u"c"}}},
        {"CodeSet.ini missing", std::nullopt, {}, "0", {{Finding::SetFileMissing, u"CodeSet.ini", 0, u""}}},
        {"GuidSet.ini missing", "cpp.txt=cpp\n", {{u"cpp.txt", kTemplates}}, std::nullopt,
         {{Finding::GuidSetMissing, u"GuidSet.ini", 0, u""}}},
        {"GuidSet.ini with a line end", "", {}, "3\r\n", {{Finding::GuidSetContent, u"GuidSet.ini", 1, u"3\n"}}},
        {"GuidSet.ini out of range", "", {}, "7", {{Finding::GuidSetContent, u"GuidSet.ini", 1, u"7"}}},
        {"GuidSet.ini empty", "", {}, "", {{Finding::GuidSetContent, u"GuidSet.ini", 1, u""}}},
        {"warnings come by file, then line", "b.txt=cpp\na.txt=cpp\nb.txt cpp\n",
         {{u"a.txt", "[x | y]\n\n"}, {u"b.txt", "[x | y]\nv = w[1 | 2];\n"}},
         "9",
         {{Finding::LineWithoutEquals, u"CodeSet.ini", 3, u"b.txt cpp"},
          {Finding::BodyLineStartsTemplate, u"b.txt", 2, u"v = w[1 | 2];"},
          {Finding::DuplicateTemplateName, u"a.txt", 1, u"x"},
          {Finding::EmptyLinesInTemplate, u"a.txt", 2, u"x"},
          {Finding::GuidSetContent, u"GuidSet.ini", 1, u"9"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Utf8Files files;
        if (c.setFile) files.SetFile(*c.setFile);
        for (const auto& [name, raw] : c.templates) files.AddTemplate(name, raw);
        if (c.guidSet) files.AddTemplate(u"GuidSet.ini", *c.guidSet);
        const checker::ConfigReport report = checker::CheckConfiguration(files, files.FolderPath() + u"GuidSet.ini");
        std::vector<Found> found;
        for (const checker::Warning& w : report.warnings) found.emplace_back(w.finding, w.file, w.line, w.subject);
        EXPECT_EQ(found, c.expected);
    }
}

}  // namespace
}  // namespace velmora
