// CodeSet.ini of any bytes: ReadSetFile must agree with a plain model of the
// decoding and the line rules, and LoadForExtension must report what it found.
// Input: one byte n, then n % 8 bytes of document extension, then the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "templates/CodeTemplateSet.h"
#include "tests/native/TemplateTestFiles.h"

namespace {

using velmora::CodeTemplateSet;
using velmora::testing::Latin1;
using velmora::testing::Repeated;
using velmora::testing::MemoryTemplateFiles;
using velmora::testing::ModelText;

std::u16string Trimmed(const std::u16string& s) {
    std::size_t b = s.find_first_not_of(u' ');
    if (b == std::u16string::npos) return {};
    return s.substr(b, s.find_last_not_of(u' ') - b + 1);
}

// The file names that serve `extension`, first match first, no repeats.
std::vector<std::u16string> ModelOf(const std::string& raw, const std::u16string& extension) {
    std::u16string text = ModelText(raw);
    std::vector<std::u16string> names;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t lf = text.find(u'\n', pos);
        std::size_t end = lf == std::u16string::npos ? text.size() : lf;
        std::u16string line = text.substr(pos, end - pos);
        pos = end + 1;
        line = line.substr(0, line.find(u'\0'));
        std::size_t eq = line.rfind(u'=');
        if (eq == std::u16string::npos) continue;
        std::u16string name = Trimmed(line.substr(0, eq));
        std::u16string list = Trimmed(line.substr(eq + 1));
        if (name.empty() || list.empty()) continue;
        std::vector<std::u16string> items;
        std::size_t start = 0;
        for (std::size_t i = 0; i <= list.size(); ++i) {
            if (i == list.size() || list[i] == u';') {
                items.push_back(Trimmed(list.substr(start, i - start)));
                start = i + 1;
            }
        }
        bool fits = false;
        for (const std::u16string& item : items) {
            if (item.empty()) break;
            if (item == extension || item == u"*") {
                fits = true;
                break;
            }
        }
        if (fits && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    return names;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckInput(const std::string& extension, const std::string& raw) {
    MemoryTemplateFiles files;
    files.SetFile(raw);
    CodeTemplateSet set(files);
    std::vector<std::u16string> paths{u"stale"};
    Check(set.ReadSetFile(Latin1(extension), paths) == 0);

    std::vector<std::u16string> expected = ModelOf(raw, Latin1(extension));
    Check(paths.size() == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) Check(paths[i] == files.FolderPath() + expected[i]);

    // No template file exists: anything that fits makes the load fail.
    int result = set.LoadForExtension(Latin1(extension));
    Check(result == (expected.empty() ? -2 : -1));
    Check(set.GetCount() == 0);
}

}  // namespace

// Inputs of a megabyte are checked once per run: mutating them would slow
// the search without reaching new code.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::size_t megabyte = 1 << 20;
    CheckInput("cpp", Repeated("name\x82=h;cpp;", megabyte));        // one line, no line end
    CheckInput("h", Repeated(std::string("x\0=h\r\n\ry.txt = h ;\n", 20), megabyte / 16));  // many lines
    CheckInput("", Repeated(" ", megabyte / 2) + "=" + Repeated("*; ", megabyte / 2));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::size_t extensionLength = std::min<std::size_t>(data[0] % 8, size - 1);
    CheckInput(std::string(reinterpret_cast<const char*>(data) + 1, extensionLength),
               std::string(reinterpret_cast<const char*>(data) + 1 + extensionLength, size - 1 - extensionLength));
    return 0;
}
