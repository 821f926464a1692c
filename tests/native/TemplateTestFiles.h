#pragma once
// In-memory configuration folder for the template readers' native tests and
// fuzzers, and the line cases that the Windows tests check with real files.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "templates/CodeTemplateSet.h"
#include "textfile/ConfigFileAccess.h"

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

// `unit` repeated until the text is at least `size` bytes long: the large
// inputs of the reader tests and fuzzers.
inline std::string Repeated(const std::string& unit, std::size_t size) {
    std::string text;
    while (text.size() < size) text += unit;
    return text;
}

// Widens each byte (ISO 8859-1): enough to tell every byte apart. The native
// stand-in for an ANSI code page.
inline std::u16string Latin1(std::string_view bytes) {
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
    return text;
}

// The text-mode rules on UTF-16 units.
inline std::u16string TextModeUnits(std::u16string_view raw) {
    std::u16string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == 0x1A) break;
        if (raw[i] == u'\r' && i + 1 < raw.size() && raw[i + 1] == u'\n') continue;
        text += raw[i];
    }
    return text;
}

// UTF-8 read plainly: at each byte the longest run that can begin a well-
// formed sequence is taken; a whole sequence gives its character, anything
// shorter one U+FFFD. `valid` says whether no U+FFFD had to be made.
inline std::u16string ModelUtf8(std::string_view bytes, bool& valid) {
    // The bytes a sequence may hold at each place, by its first byte.
    auto allowed = [](unsigned char lead, std::size_t place, unsigned char byte) {
        if (place == 0) return byte < 0x80 || (byte >= 0xC2 && byte <= 0xF4);
        if (place == 1 && lead == 0xE0) return byte >= 0xA0 && byte <= 0xBF;
        if (place == 1 && lead == 0xED) return byte >= 0x80 && byte <= 0x9F;
        if (place == 1 && lead == 0xF0) return byte >= 0x90 && byte <= 0xBF;
        if (place == 1 && lead == 0xF4) return byte >= 0x80 && byte <= 0x8F;
        return byte >= 0x80 && byte <= 0xBF;
    };
    std::u16string text;
    valid = true;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::size_t taken = 0;
        while (taken < length && i + taken < bytes.size() &&
               allowed(lead, taken, static_cast<unsigned char>(bytes[i + taken]))) {
            ++taken;
        }
        if (taken < length) {
            text += u'\ufffd';
            valid = false;
            i += taken > 0 ? taken : 1;
            continue;
        }
        char32_t point = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) point = point << 6 | (bytes[i + k] & 0x3F);
        if (point >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(point);
        }
        i += length;
    }
    return text;
}

// A configuration file's text as the readers must see it: a byte-order mark
// decides its encoding; without one, text that is valid UTF-8 with a byte
// above 0x7F is UTF-8, anything else 8-bit text (here: Latin1, and
// `eightBit` set). The text-mode rules apply to the units of UTF-16 and to
// the bytes otherwise.
inline std::u16string ModelText(std::string_view raw, bool* eightBit = nullptr) {
    if (eightBit) *eightBit = false;
    const bool little = raw.substr(0, 2) == "\xFF\xFE";
    if (little || raw.substr(0, 2) == "\xFE\xFF") {
        std::u16string units;
        for (std::size_t i = 2; i + 1 < raw.size(); i += 2) {
            const unsigned char first = static_cast<unsigned char>(raw[i]);
            const unsigned char second = static_cast<unsigned char>(raw[i + 1]);
            units += static_cast<char16_t>(little ? second << 8 | first : first << 8 | second);
        }
        if (raw.size() % 2) units += u'\ufffd';
        return TextModeUnits(units);
    }
    bool valid = true;
    if (raw.substr(0, 3) == "\xEF\xBB\xBF") return ModelUtf8(TextModeBytes(raw.substr(3)), valid);
    const std::string text = TextModeBytes(raw);
    std::u16string utf8 = ModelUtf8(text, valid);
    const bool beyondAscii = std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
    if (valid && beyondAscii) return utf8;
    if (eightBit) *eightBit = true;
    return Latin1(text);
}

// UTF-8 for a run of UTF-16 units, without a mark; an unpaired surrogate
// is left out.
inline std::string Utf8Of(const std::u16string& units) {
    std::string bytes;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t point = units[i];
        if (point >= 0xD800 && point <= 0xDFFF) {
            if (point > 0xDBFF || i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) continue;
            point = 0x10000 + ((point - 0xD800) << 10) + (units[++i] - 0xDC00);
        }
        if (point < 0x80) {
            bytes += static_cast<char>(point);
        } else if (point < 0x800) {
            bytes += static_cast<char>(0xC0 | point >> 6);
            bytes += static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            bytes += static_cast<char>(0xE0 | point >> 12);
            bytes += static_cast<char>(0x80 | (point >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | point >> 18);
            bytes += static_cast<char>(0x80 | (point >> 12 & 0x3F));
            bytes += static_cast<char>(0x80 | (point >> 6 & 0x3F));
            bytes += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    return bytes;
}

// UTF-16 bytes, with the byte-order mark first.
inline std::string Utf16Of(std::u16string_view units, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

class MemoryTemplateFiles : public textfile::ConfigFileAccess {
public:
    static constexpr char16_t kFolder[] = u"C:\\Users\\user\\AppData\\Roaming\\Orinth\\Velmora\\";

    // Raw file contents by full path; CodeSet.ini is at SetFilePath().
    mutable std::map<std::u16string, std::string> files;
    // Sizes to report instead of the contents' own, by full path: a file of
    // gigabytes without its bytes.
    std::map<std::u16string, std::uint64_t> reportedSizes;
    // Every path whose bytes were asked for, in order.
    mutable std::vector<std::u16string> opened;

    void SetFile(std::string raw) { files[SetFilePath()] = std::move(raw); }
    void AddTemplate(const std::u16string& name, std::string raw) { files[FolderPath() + name] = std::move(raw); }

    std::u16string SetFilePath() const { return FilePath(CodeTemplateSet::kSetFileName); }
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
    bool WriteBytes(const std::u16string& path, std::string_view bytes) const override {
        files[path] = std::string(bytes);
        return true;
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
