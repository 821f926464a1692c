#pragma once
// In-memory configuration folder for the template readers' native tests,
// fuzzers and benchmark, and the line cases that the Windows tests check
// against the real C runtime with real files.
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "templates/TemplateFileAccess.h"

namespace velmora::testing {

// The bytes a file opened in the Windows C runtime's text mode reads as: a
// CR LF pair becomes LF (once: CR CR LF reads as CR LF), any other CR stays,
// and a Ctrl-Z byte ends the file.
inline std::string TextModeBytes(std::string_view raw) {
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == '\x1a') break;
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        text += c;
    }
    return text;
}

// Widens each byte (ISO 8859-1): enough to tell every byte apart.
inline std::u16string Latin1(std::string_view bytes) {
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
    return text;
}

class MemoryTemplateFiles : public TemplateFileAccess {
public:
    static constexpr char16_t kFolder[] = u"C:\\Users\\user\\AppData\\Roaming\\Orinth\\Velmora\\";

    // Raw file contents by full path; CodeSet.ini is at SetFilePath().
    std::map<std::u16string, std::string> files;
    // Every path Open was asked for, in order.
    mutable std::vector<std::u16string> opened;

    void SetFile(std::string raw) { files[SetFilePath()] = std::move(raw); }
    void AddTemplate(const std::u16string& name, std::string raw) { files[FolderPath() + name] = std::move(raw); }

    std::u16string SetFilePath() const override { return FolderPath() + u"CodeSet.ini"; }
    std::u16string FolderPath() const override { return kFolder; }
    std::unique_ptr<std::istream> Open(const std::u16string& path) const override {
        opened.push_back(path);
        auto found = files.find(path);
        if (found == files.end()) return nullptr;
        return std::make_unique<std::istringstream>(TextModeBytes(found->second));
    }
    void ToUtf16(std::string_view bytes, std::u16string& text) const override {
        text.resize(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
    }
};

// How a file's raw bytes divide into body lines. Both builds read these
// through ReadTemplateFile after a header line "[t|d]\n": natively through
// TextModeBytes, on Windows from real files through the C runtime.
struct LineCase {
    const char* label;
    std::string raw;  // the file after the header line
    std::vector<std::u16string> lines;
};

inline std::vector<LineCase> LineCases() {
    using namespace std::string_literals;
    return {
        {"empty file", ""s, {}},
        {"LF ends lines", "a\nb\n"s, {u"a", u"b"}},
        {"last line without LF", "a\nb"s, {u"a", u"b"}},
        {"single LF is one empty line", "\n"s, {u""}},
        {"empty lines kept", "a\n\n\nb\n"s, {u"a", u"", u"", u"b"}},
        {"CR LF ends a line", "a\r\nb\r\n"s, {u"a", u"b"}},
        {"CR LF without LF at the end", "a\r\nb"s, {u"a", u"b"}},
        {"lone CR stays", "a\rb\n"s, {u"a\rb"}},
        {"CR at the very end stays", "a\r"s, {u"a\r"}},
        {"CR CR LF keeps one CR", "a\r\r\nb\n"s, {u"a\r", u"b"}},
        {"LF CR LF", "\n\r\n"s, {u"", u""}},
        {"zero byte ends the line's text", "ab\0cd\nef\n"s, {u"ab", u"ef"}},
        {"zero byte first", "\0x\ny"s, {u"", u"y"}},
        {"zero byte before CR LF", "a\0\r\nb"s, {u"a", u"b"}},
        {"Ctrl-Z ends the file", "a\nb\x1a" "c\nd\n"s, {u"a", u"b"}},
        {"Ctrl-Z after CR", "a\r\x1a" "b\n"s, {u"a\r"}},
        {"tabs and spaces kept", "\t x \t\n  \n"s, {u"\t x \t", u"  "}},
    };
}

}  // namespace velmora::testing
