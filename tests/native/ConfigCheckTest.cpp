// The configuration checker's warnings: each kind found with its file and
// line, and the configurations the add-in reads as meant left alone; and
// for each configuration, the templates the checker finds for an extension
// are those the add-in loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "checker/ConfigCheck.h"
#include "templates/CodeTemplateSet.h"
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
    // The names of the templates the add-in loads, by document extension.
    std::map<std::u16string, std::vector<std::u16string>> listed = {};
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

// A template where a reader places it: its file, header line and name.
using Placed = std::tuple<std::u16string, std::size_t, std::u16string>;
// LoadForExtension's result and the templates in the set's order.
using Loaded = std::pair<int, std::vector<Placed>>;

// What the add-in loads for a document with `extension`.
Loaded AddInLoads(const textfile::ConfigFileAccess& files, const std::u16string& extension) {
    CodeTemplateSet set(files);
    Loaded loaded{set.LoadForExtension(extension), {}};
    for (int i = 0; i < set.GetCount(); ++i) {
        const CodeTemplateSet::Origin origin = set.OriginOf(i);
        TemplateEntry entry;
        set.GetEntry(i, entry);
        loaded.second.emplace_back(origin.path.substr(files.FolderPath().size()), origin.line, entry.name);
    }
    return loaded;
}

// The same as the checker's report has it: the files of the entries whose
// served items hold the extension or "*", each once, and their headers.
Loaded CheckerFinds(const checker::ConfigReport& report, const std::u16string& extension) {
    if (!report.setFileOpened) return {-1, {}};
    std::vector<std::u16string> names;
    for (const checker::SetEntry& entry : report.setEntries) {
        const bool serves = std::any_of(entry.served.begin(), entry.served.end(),
                                        [&](const std::u16string& item) { return item == extension || item == u"*"; });
        if (serves && std::find(names.begin(), names.end(), entry.fileName) == names.end()) {
            names.push_back(entry.fileName);
        }
    }
    if (names.empty()) return {-2, {}};
    Loaded found{0, {}};
    for (const std::u16string& name : names) {
        const auto file = std::find_if(report.templateFiles.begin(), report.templateFiles.end(),
                                       [&](const checker::TemplateFileState& f) { return f.name == name; });
        if (file == report.templateFiles.end() || !file->opened) return {-1, found.second};
        for (const checker::HeaderAt& header : file->headers) found.second.emplace_back(name, header.line, header.name);
    }
    return found;
}

TEST(ConfigCheckTest, WarningsAndTheTemplatesOfEachExtension) {
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
         {},
         {{u"cpp", {u"for", u"if", u"todo", u"c"}}, {u"cs", {u"todo", u"c"}}}},
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
          {Finding::EmptyItemEndsList, u"CodeSet.ini", 2, u"c"}},
         {{u"cpp", {u"for", u"if"}}, {u"h", {}}, {u"hpp", {}}, {u"c", {}}, {u"x", {u"for", u"if"}}}},
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
          {Finding::DuplicateTemplateName, u"c.txt", 1, u"if"}},
         {{u"cpp", {u"for", u"for", u"if", u"for"}}, {u"cs", {u"if", u"for", u"if"}}}},
        {"a name twice under two extensions is warned once", "x.txt=cpp;h\n",
         {{u"x.txt", "[for | a]\n[for | b]\n"}},
         "0",
         {{Finding::DuplicateTemplateName, u"x.txt", 2, u"for"}},
         {{u"cpp", {u"for", u"for"}}, {u"h", {u"for", u"for"}}}},
        {"body lines that start a template", "cpp.txt=cpp\n",
         {{u"cpp.txt", "// [sum | add up]\nx = a[i | j];\n  f(m[k | l]);\n[m | n]\nx = a[ | j];\n"}},
         "0",
         {{Finding::BodyLineStartsTemplate, u"cpp.txt", 2, u"x = a[i | j];"},
          {Finding::BodyLineStartsTemplate, u"cpp.txt", 3, u"  f(m[k | l]);"}},
         {{u"cpp", {u"sum", u"i", u"k", u"m"}}}},
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
        {"the last \"=\" splits a line", "a=b=cpp\nc\xef\xbc\x9d" "d=h\n",
         {{u"a=b", "[t | x]\n"}, {u"c\uFF1Dd", "[u | y]\n"}},
         "0",
         {},
         {{u"cpp", {u"t"}}, {u"b", {}}, {u"h", {u"u"}}}},
        {"spaces are trimmed, tabs are not", "sp.txt = cpp ; h \ntab.txt\t=\tcpp\n",
         {{u"sp.txt", "[s | x]\n"}, {u"tab.txt\t", "[t | y]\n"}},
         "0",
         {},
         {{u"cpp", {u"s"}}, {u"h", {u"s"}}, {u"\tcpp", {u"t"}}}},
        {"a full-width equals sign names no file", "fw.txt\xef\xbc\x9d" "cpp\nok.txt=cpp\n",
         {{u"fw.txt", "[f | x]\n"}, {u"ok.txt", "[o | y]\n"}},
         "0",
         {{Finding::LineWithoutEquals, u"CodeSet.ini", 1, u"fw.txt\uFF1Dcpp"}},
         {{u"cpp", {u"o"}}}},
        {"\"*\" serves every document, \"**\" only its own", "any.txt=*\nx.txt=**\ncpp.txt = cpp ; *\n",
         {{u"any.txt", "[a | x]\n"}, {u"x.txt", "[d | y]\n"}, {u"cpp.txt", "[c | z]\n"}},
         "0",
         {},
         {{u"cpp", {u"a", u"c"}}, {u"**", {u"a", u"d", u"c"}}, {u"cs", {u"a", u"c"}}}},
        {"CR LF ends a line, a lone CR does not", "a.txt=cpp\r\nb.txt=cpp\rc.txt=h\n",
         {{u"a.txt", "[a1 | x]\r\nbody\r\n[a2 | y]\r"}, {u"b.txt=cpp\rc.txt", "[p | q]\r[r | s]\n"}},
         "0",
         {},
         {{u"cpp", {u"a1", u"a2"}}, {u"h", {u"p"}}}},
        {"byte-order marks, UTF-8 set file", "\xEF\xBB\xBFle.txt=cpp\nbe.txt=cpp\n",
         {{u"le.txt", testing::Utf16Of(u"[\u00fc | x]\r\nbody\r\n", false)},
          {u"be.txt", testing::Utf16Of(u"// [\u30eb\u30fc\u30d7 | y]\n", true)}},
         "0",
         {},
         {{u"cpp", {u"\u00fc", u"\u30eb\u30fc\u30d7"}}}},
        {"byte-order marks, UTF-16 set file", testing::Utf16Of(u"a.txt=h\r\n", false),
         {{u"a.txt", "\xEF\xBB\xBF[h | x]\n"}},
         "0",
         {},
         {{u"h", {u"h"}}}},
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

        // Every extension CodeSet.ini names, one it does not, and those of the case.
        std::set<std::u16string> extensions{u"unnamed"};
        for (const checker::SetEntry& entry : report.setEntries) {
            extensions.insert(entry.served.begin(), entry.served.end());
        }
        for (const auto& listed : c.listed) extensions.insert(listed.first);
        for (const std::u16string& extension : extensions) {
            SCOPED_TRACE("extension " + ::testing::PrintToString(extension));
            const Loaded loaded = AddInLoads(files, extension);
            EXPECT_EQ(CheckerFinds(report, extension), loaded);
            const auto expected = c.listed.find(extension);
            if (expected == c.listed.end()) continue;
            std::vector<std::u16string> names;
            for (const Placed& placed : loaded.second) names.push_back(std::get<2>(placed));
            EXPECT_EQ(names, expected->second);
        }
    }
}

}  // namespace
}  // namespace velmora
