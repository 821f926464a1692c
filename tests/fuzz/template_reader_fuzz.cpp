// Template files of any bytes: ReadTemplateFile must agree with a plain
// model of the format and keep one display-text width for the whole set.
// Input: the raw bytes of up to three template files separated by "\xff\xfe\xfd".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "templates/CodeTemplateSet.h"
#include "tests/native/TemplateTestFiles.h"

namespace {

using velmora::CodeTemplateSet;
using velmora::testing::MemoryTemplateFiles;
using velmora::testing::ModelText;
using velmora::testing::Repeated;

struct Model {
    std::u16string name;
    std::u16string description;
    std::vector<std::u16string> lines;
};

std::u16string Trimmed(const std::u16string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == u' ') ++b;
    while (e > b && s[e - 1] == u' ') --e;
    return s.substr(b, e - b);
}

// The format as a reader of the file would describe it, on its decoded text.
std::vector<Model> ModelOf(const std::string& raw) {
    std::u16string text = ModelText(raw);
    std::vector<std::u16string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t lf = text.find(u'\n', pos);
        std::size_t end = lf == std::u16string::npos ? text.size() : lf;
        std::u16string line = text.substr(pos, end - pos);
        line = line.substr(0, line.find(u'\0'));
        lines.push_back(line);
        pos = end + 1;
    }
    std::vector<Model> models;
    bool open = false;
    for (const std::u16string& line : lines) {
        std::size_t a = line.find(u'[');
        std::size_t b = a == std::u16string::npos ? a : line.find(u'|', a);
        std::size_t c = b == std::u16string::npos ? b : line.find(u']', b);
        if (c != std::u16string::npos) {
            std::u16string name = Trimmed(line.substr(a + 1, b - a - 1));
            std::u16string description = Trimmed(line.substr(b + 1, c - b - 1));
            if (!name.empty() && !description.empty()) {
                models.push_back({name, description, {}});
                open = true;
                continue;
            }
        }
        if (open) models.back().lines.push_back(line);
    }
    return models;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckInput(const std::string& input) {
    std::vector<std::string> raws;
    for (std::size_t pos = 0;;) {
        std::size_t cut = raws.size() < 2 ? input.find("\xff\xfe\xfd", pos) : std::string::npos;
        raws.push_back(input.substr(pos, cut == std::string::npos ? std::string::npos : cut - pos));
        if (cut == std::string::npos) break;
        pos = cut + 3;
    }

    MemoryTemplateFiles files;
    CodeTemplateSet set(files);
    std::vector<Model> expected;
    for (std::size_t i = 0; i < raws.size(); ++i) {
        std::u16string name = u"t" + std::u16string(1, static_cast<char16_t>(u'0' + i)) + u".txt";
        files.AddTemplate(name, raws[i]);
        Check(set.ReadTemplateFile(files.FolderPath() + name) == 0);
        for (Model& m : ModelOf(raws[i])) expected.push_back(std::move(m));
    }

    const std::vector<velmora::TemplateEntry> entries = velmora::testing::Entries(set);
    Check(entries.size() == expected.size());
    std::size_t longest = 0;
    for (const Model& m : expected) longest = std::max(longest, m.name.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const velmora::TemplateEntry& entry = entries[i];
        Check(entry.name == expected[i].name);
        Check(entry.description == expected[i].description);
        Check(entry.lines == expected[i].lines);
        Check(entry.displayText ==
              entry.name + std::u16string(longest + 2 - entry.name.size(), u' ') + entry.description);
        int found = set.FindByDisplayText(entry.displayText);
        Check(found >= 0 && static_cast<std::size_t>(found) <= i);
        const std::u16string_view shown = set.GetDisplayText(found);
        Check(shown == entry.displayText && shown.data()[shown.size()] == u'\0');
    }
}

}  // namespace

// Inputs of a megabyte are checked once per run: mutating them would slow
// the search without reaching new code.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::size_t megabyte = 1 << 20;
    CheckInput("[long|line]\n" + Repeated("x = a[ | j]; \x81\xff\x1b", megabyte));  // no line end at all
    CheckInput(Repeated(std::string("[n|d]\r\n\n\r\0\x80", 11), megabyte / 16));                  // many short lines
    CheckInput("[" + Repeated("name ", megabyte / 2) + "|" + Repeated("d", megabyte / 2) + "]\nbody\xff\xfe\xfd[a|b]");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckInput(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
