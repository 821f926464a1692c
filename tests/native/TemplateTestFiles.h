#pragma once
// In-memory configuration folder for the template readers' native tests and
// fuzzers, and the line cases that the Windows tests check with real files.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "templates/CodeTemplateSet.h"
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
    // Sizes to report instead of the contents' own, by full path: a file of
    // gigabytes without its bytes.
    std::map<std::u16string, std::uint64_t> reportedSizes;
    // Every path whose bytes were asked for, in order.
    mutable std::vector<std::u16string> opened;

    void SetFile(std::string raw) { files[SetFilePath()] = std::move(raw); }
    void AddTemplate(const std::u16string& name, std::string raw) { files[FolderPath() + name] = std::move(raw); }

    std::u16string SetFilePath() const override { return FolderPath() + u"CodeSet.ini"; }
    std::u16string FolderPath() const override { return kFolder; }
    bool FileSize(const std::u16string& path, std::uint64_t& size) const override {
        auto found = files.find(path);
        if (found == files.end()) return false;
        auto reported = reportedSizes.find(path);
        size = reported != reportedSizes.end() ? reported->second : found->second.size();
        return true;
    }
    textfile::ReadResult ReadBytes(const std::u16string& path, std::uint64_t limit, std::string& bytes) const override {
        opened.push_back(path);
        std::uint64_t size = 0;
        if (!FileSize(path, size)) return textfile::ReadResult::CannotOpen;
        if (size > limit) return textfile::ReadResult::TooLarge;
        bytes = files.at(path);
        return textfile::ReadResult::Read;
    }
    std::size_t ToUtf16(std::string_view bytes, char16_t* out) const override {
        for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
        return bytes.size();
    }
};

// Every entry of a set, in index order, as GetEntry copies it.
inline std::vector<TemplateEntry> Entries(const CodeTemplateSet& set) {
    std::vector<TemplateEntry> entries(static_cast<std::size_t>(set.GetCount()));
    for (int i = 0; i < set.GetCount(); ++i) set.GetEntry(i, entries[static_cast<std::size_t>(i)]);
    return entries;
}

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
