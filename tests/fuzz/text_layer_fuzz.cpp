// The byte-level text layer on any bytes, each part against a plain model:
// the text-mode rules on bytes and on UTF-16 units; the whole-file reading
// and decoding, as a model of the encoding rules decodes the file, and 8-bit
// text as a conversion line by line (also when a lead byte of a double-byte
// code page would take a line break); the line cursor; and the same units
// saved as UTF-16 and UTF-8, with and without a mark, read back.
// Input: one byte that sets the reading limit, then the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/native/TemplateTestFiles.h"
#include "textfile/LineCursor.h"
#include "textfile/TextDecoding.h"
#include "textfile/TextMode.h"

namespace {

using velmora::testing::TextModeBytes;
using velmora::testing::TextModeUnits;

void Check(bool condition) {
    if (!condition) std::abort();
}

// A double-byte code page as Wine converts one: a byte from 0x81 to 0x9F
// takes the next byte, whatever it is, as its trail.
class LeadByteCodePage : public velmora::textfile::CodePage {
public:
    std::size_t ToUtf16(std::string_view bytes, char16_t* out) const override {
        char16_t* written = out;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(bytes[i]);
            if (c >= 0x81 && c <= 0x9F && i + 1 < bytes.size()) {
                *written++ = static_cast<char16_t>(c << 8 | static_cast<unsigned char>(bytes[++i]));
            } else {
                *written++ = c >= 0x81 && c <= 0x9F ? u'\u30fb' : c;
            }
        }
        return static_cast<std::size_t>(written - out);
    }
};

// Lines split at LF (an LF at the end gives no extra line), each cut at its
// first zero unit.
std::vector<std::u16string> SplitLines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t lf = text.find(u'\n', pos);
        if (lf == std::u16string::npos) lf = text.size();
        const std::u16string line = text.substr(pos, lf - pos);
        lines.push_back(line.substr(0, line.find(u'\0')));
        pos = lf + 1;
    }
    return lines;
}

// What a reading of 8-bit text line by line gives: each line's bytes up to
// its first zero byte converted alone.
std::vector<std::u16string> LinesOneByOne(const std::string& raw, const velmora::textfile::CodePage& codePage) {
    const std::string text = TextModeBytes(raw);
    std::vector<std::u16string> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t lf = text.find('\n', pos);
        if (lf == std::string::npos) lf = text.size();
        const std::string line = text.substr(pos, lf - pos);
        const std::string cut = line.substr(0, line.find('\0'));
        std::u16string converted(cut.size(), u'\0');
        converted.resize(codePage.ToUtf16(cut, converted.data()));
        lines.push_back(converted);
        pos = lf + 1;
    }
    return lines;
}

std::u16string Decode(std::string bytes, const velmora::textfile::CodePage& codePage,
                      velmora::textfile::Encoding* encoding = nullptr) {
    std::u16string text;
    velmora::textfile::DecodeText(bytes, codePage, text, encoding);
    return text;
}

std::vector<std::u16string> CursorLines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    velmora::textfile::LineCursor cursor(text);
    velmora::textfile::TextLine line;
    std::size_t start = 0;
    while (cursor.Next(line)) {
        Check(line.number == lines.size() + 1 && line.start == start && line.end <= text.size());
        Check(line.end == text.size() || text[line.end] == u'\n');
        Check(line.text.size() <= line.end - line.start && line.text.data() == text.data() + line.start);
        lines.emplace_back(line.text);
        start = line.end + 1;
    }
    Check(!cursor.Next(line));
    return lines;
}

void CheckInput(std::uint64_t limit, const std::string& raw) {
    // The rules on bytes, and on units made of the bytes both one and two
    // to a unit, so that units above 0xFF meet CR, LF and Ctrl-Z too.
    std::string bytes = raw;
    bytes.resize(velmora::textfile::ApplyTextMode(bytes.data(), bytes.size()));
    Check(bytes == TextModeBytes(raw));
    std::u16string pairs(raw.size() / 2, u'\0');
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        pairs[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                         static_cast<unsigned char>(raw[2 * i + 1]) << 8);
    }
    for (const std::u16string& units : {velmora::testing::Latin1(raw), pairs}) {
        std::u16string text = units;
        text.resize(velmora::textfile::ApplyTextMode(text.data(), text.size()));
        Check(text == TextModeUnits(units));
    }

    // A whole file read and decoded once: as the model decodes it, and for
    // 8-bit text in a double-byte code page as each line converted alone.
    velmora::testing::MemoryTemplateFiles files;
    files.SetFile(raw);
    std::u16string text = u"stale";
    const velmora::textfile::ReadResult result =
        velmora::textfile::ReadConfigText(files, files.SetFilePath(), limit, text);
    Check(result == (raw.size() > limit ? velmora::textfile::ReadResult::TooLarge : velmora::textfile::ReadResult::Read));
    bool eightBit = false;
    const std::u16string model = velmora::testing::ModelText(raw, &eightBit);
    if (result == velmora::textfile::ReadResult::Read) Check(CursorLines(text) == SplitLines(model));
    const LeadByteCodePage leadBytes;
    velmora::textfile::Encoding encoding;
    const std::u16string decoded = Decode(raw, leadBytes, &encoding);
    Check(CursorLines(decoded) == (eightBit ? LinesOneByOne(raw, leadBytes) : SplitLines(model)));
    Check((encoding == velmora::textfile::Encoding::Ansi) == eightBit);

    // The same units saved with each byte-order mark, and as UTF-8 with and
    // without one, read back as those units.
    for (bool bigEndian : {false, true}) {
        Check(Decode(velmora::testing::Utf16Of(pairs, bigEndian), files) == TextModeUnits(pairs));
    }
    const std::string utf8 = velmora::testing::Utf8Of(pairs);
    std::u16string expected;
    bool valid = true;
    for (char16_t unit : velmora::testing::ModelUtf8(utf8, valid)) expected += unit;
    Check(valid && Decode("\xEF\xBB\xBF" + utf8, files) == TextModeUnits(expected));
    const bool beyondAscii = utf8.find_first_of(std::string(1, '\0') + "\x1a") == std::string::npos &&
                             std::any_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) != 0; });
    if (beyondAscii && utf8.compare(0, 3, "\xEF\xBB\xBF") != 0) {  // U+FEFF first would read as a mark
        Check(Decode(utf8, leadBytes, &encoding) == TextModeUnits(expected));
        Check(encoding == velmora::textfile::Encoding::Utf8);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Larger than any block a reader might take at once.
    std::string large;
    while (large.size() < 200000) large += std::string("line\r\n\r\r\n\x81\n\x81\0x\n", 15);
    CheckInput(large.size(), large + "\x1a" "after the end");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint64_t limit = data[0] == 0xFF ? UINT64_MAX : std::uint64_t{data[0]} * 64;
    CheckInput(limit, std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    return 0;
}
