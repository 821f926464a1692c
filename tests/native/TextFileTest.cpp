// The byte-level text layer under every configuration reader: the search for
// a unit, the text-mode rules, the conversion of a whole file, and lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/native/TemplateTestFiles.h"
#include "textfile/FindUnit.h"
#include "textfile/LineCursor.h"
#include "textfile/TextDecoding.h"
#include "textfile/TextMode.h"

namespace velmora::testing {
namespace {

using namespace std::string_literals;

TEST(FindUnit, AgreesWithAPlainSearchAtEveryPositionAndLength) {
    // Blocks of units are tested at once (four, eight or sixteen): the unit
    // must be found in any lane, after any number of whole blocks, and not
    // past the end.
    for (std::size_t size = 0; size <= 37; ++size) {
        for (std::size_t at = 0; at <= size; ++at) {
            std::u16string text(size + 4, u'x');  // units beyond `size` must not be seen
            if (at < text.size()) text[at] = u'[';
            const char16_t* found = textfile::FindUnit(text.data(), text.data() + size, u'[');
            EXPECT_EQ(found - text.data(), static_cast<std::ptrdiff_t>(at)) << "size " << size << ", at " << at;
        }
    }
    // Other units sharing a byte with "[", or narrowed to 0x7F or 0x80, in
    // a short run and in a run long enough to be narrowed.
    for (const std::u16string lanes : {u"\u5b00\u005b"s, u"\u5b00\uff5b\u015b\u807f" + std::u16string(16, u'\u8000') + u"["}) {
        const std::u16string others = lanes.substr(0, lanes.size() - 1);
        EXPECT_EQ(textfile::FindUnit(lanes.data(), lanes.data() + lanes.size(), u'[') - lanes.data(),
                  static_cast<std::ptrdiff_t>(lanes.size() - 1));
        EXPECT_EQ(textfile::FindAny(others.data(), others.data() + others.size(), u'[', u'\0', u'\n') - others.data(),
                  static_cast<std::ptrdiff_t>(others.size()));
    }
}

TEST(TextMode, BytesAndUnitsFollowTheModel) {
    const std::string inputs[] = {
        ""s, "a"s, "\r"s, "\n"s, "\r\n"s, "\r\r\n"s, "\r\r\r\n\n"s, "a\rb\r\nc\r"s, "\x1a"s, "ab\x1a\r\ncd"s,
        "a\r\x1a\n"s, "\r\n\r\n\r\n"s, "x\0\r\n\0"s, std::string(100, '\r') + "\n", "\n\r" + std::string(70000, 'z'),
    };
    for (const std::string& input : inputs) {
        SCOPED_TRACE(::testing::PrintToString(input.substr(0, 40)));
        const std::string expected = TextModeBytes(input);
        std::string bytes = input;
        bytes.resize(textfile::ApplyTextMode(bytes.data(), bytes.size()));
        EXPECT_EQ(bytes, expected);
        std::u16string units = Latin1(input);
        units.resize(textfile::ApplyTextMode(units.data(), units.size()));
        EXPECT_EQ(units, Latin1(expected));
    }
}

TEST(LineCursor, LinesFollowTheReadingRules) {
    // The cursor watches for "["; `brackets` is where each line's text holds
    // its first one, when any line does.
    constexpr std::size_t npos = std::u16string_view::npos;
    struct Case {
        std::u16string text;
        std::vector<std::u16string> lines;
        std::vector<std::size_t> brackets = {};
    };
    const Case cases[] = {
        {u"", {}},
        {u"\n", {u""}},
        {u"a\nb", {u"a", u"b"}},
        {u"a\nb\n", {u"a", u"b"}},
        {u"\n\n", {u"", u""}},
        {u"ab\0cd\nef"s, {u"ab", u"ef"}},
        {u"\0\n\0"s, {u"", u""}},
        {u"a\0b\0c\nd\0"s, {u"a", u"d"}},
        {u"a\rb\n", {u"a\rb"}},
        {std::u16string(100000, u'q') + u"\n", {std::u16string(100000, u'q')}},
        {u"[a[\nb\0[\n\n["s, {u"[a[", u"b", u"", u"["}, {0, npos, npos, 0}},
        {u"// [x | y]\n" + std::u16string(40, u'a') + u"[b]", {u"// [x | y]", std::u16string(40, u'a') + u"[b]"}, {3, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.text.substr(0, 20)));
        textfile::LineCursor cursor(c.text, u'[');
        textfile::TextLine line;
        std::vector<std::u16string> lines;
        std::vector<std::size_t> brackets;
        std::size_t start = 0;
        while (cursor.Next(line)) {
            EXPECT_EQ(line.number, lines.size() + 1);
            EXPECT_EQ(line.start, start);
            EXPECT_TRUE(line.end == c.text.size() || c.text[line.end] == u'\n');
            lines.emplace_back(line.text);
            brackets.push_back(line.watched);
            start = line.end + 1;
        }
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(brackets, c.brackets.empty() ? std::vector<std::size_t>(lines.size(), npos) : c.brackets);
        EXPECT_FALSE(cursor.Next(line)) << "stays at the end";
    }
}

// A double-byte code page as Wine converts one: a lead byte (0x81) takes the
// next byte as its trail whatever it is; alone at the end it gives U+30FB.
class LeadByteCodePage : public textfile::CodePage {
public:
    mutable int calls = 0;
    std::size_t ToUtf16(std::string_view bytes, char16_t* out) const override {
        ++calls;
        char16_t* written = out;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(bytes[i]);
            if (c != 0x81) {
                *written++ = c;
            } else if (i + 1 < bytes.size()) {
                *written++ = static_cast<char16_t>(0x8100 | static_cast<unsigned char>(bytes[++i]));
            } else {
                *written++ = u'\u30fb';
            }
        }
        return static_cast<std::size_t>(written - out);
    }
};

std::vector<std::u16string> Lines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    textfile::LineCursor cursor(text);
    textfile::TextLine line;
    while (cursor.Next(line)) lines.emplace_back(line.text);
    return lines;
}

TEST(DecodeText, ConvertsOnceAndReadsAsIfLineByLine) {
    struct Case {
        std::string raw;
        std::vector<std::u16string> lines;  // each line converted by itself
        int calls;
    };
    const Case cases[] = {
        {"a\r\nb\x81q\nc"s, {u"a", u"b\u8171", u"c"}, 1},
        {"\x81" "ab\n\x1a\x81"s, {u"\u8161b"}, 1},
        // The lead byte would take the LF or the zero byte: line by line.
        {"x\x81\r\ny\n"s, {u"x\u30fb", u"y"}, 1 + 2},
        {"x\x81\0\x81\nz"s, {u"x\u30fb", u"z"}, 1 + 2},
        {"\x81\n\x81\n"s, {u"\u30fb", u"\u30fb"}, 1 + 2},
        {"\0a\x81\0"s, {u""}, 1 + 1},  // a line cut to nothing is still a line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.raw));
        LeadByteCodePage codePage;
        std::string bytes = c.raw;
        std::u16string text;
        textfile::DecodeText(bytes, codePage, text);
        EXPECT_EQ(Lines(text), c.lines);
        EXPECT_EQ(codePage.calls, c.calls);
    }
}

}  // namespace
}  // namespace velmora::testing

namespace velmora::testing {
namespace {

// The same lines, whatever the file's encoding: a mark decides, then valid
// UTF-8 beyond ASCII; everything else is 8-bit text as before.
TEST(DecodeText, EncodingsGiveTheSameLines) {
    using namespace std::string_literals;
    using textfile::Encoding;
    const std::u16string text = u"[\u30eb\u30fc\u30d7 | \u7e70\u308a\u8fd4\u3057]\r\nfor (;;) {\r\n\tx\rx;\0cut\r\n}\r\n"s;
    const std::vector<std::u16string> lines = {u"[\u30eb\u30fc\u30d7 | \u7e70\u308a\u8fd4\u3057]", u"for (;;) {",
                                               u"\tx\rx;", u"}"};
    struct Case {
        std::string label;
        std::string bytes;
        Encoding encoding;
        std::vector<std::u16string> lines;
    };
    std::vector<Case> cases = {
        {"UTF-8", Utf8Of(text), Encoding::Utf8, lines},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + Utf8Of(text), Encoding::Utf8, lines},
        {"UTF-16 LE with mark", Utf16Of(text, false), Encoding::Utf16LittleEndian, lines},
        {"UTF-16 BE with mark", Utf16Of(text, true), Encoding::Utf16BigEndian, lines},
        {"UTF-16 with Ctrl-Z", Utf16Of(u"a\r\nb\x1a" u"c", false), Encoding::Utf16LittleEndian, {u"a", u"b"}},
        {"UTF-16 units holding the bytes of CR, LF, Ctrl-Z",
         Utf16Of(u"\u0d0a\u1a0d\u0a1a\n\U0001f600", true), Encoding::Utf16BigEndian,
         {u"\u0d0a\u1a0d\u0a1a", u"\U0001f600"}},
        {"UTF-16 of an odd length", "\xFF\xFE" "a\0b"s, Encoding::Utf16LittleEndian, {u"a\ufffd"}},
        {"only a UTF-16 mark", "\xFE\xFF"s, Encoding::Utf16BigEndian, {}},
        {"four-byte UTF-8", "x\xF0\x9F\x98\x80"s, Encoding::Utf8, {u"x\U0001f600"}},
        {"ill-formed UTF-8 with mark", "\xEF\xBB\xBF" "a\xE0\x80" "b\xF0\x9F\x98\n\xC0"s, Encoding::Utf8,
         {u"a\ufffd\ufffdb\ufffd", u"\ufffd"}},
        // Not UTF-8, so 8-bit text (here each byte widened), as always.
        {"ASCII", "a=b\r\nc"s, Encoding::Ansi, {u"a=b", u"c"}},
        {"Shift_JIS", "\x83\x8b\x81\x5b\x83\x76"s, Encoding::Ansi, {Latin1("\x83\x8b\x81\x5b\x83\x76")}},
        {"a UTF-16 surrogate in UTF-8", "\xED\xA0\x80"s, Encoding::Ansi, {Latin1("\xED\xA0\x80")}},
        {"an overlong form", "\xC0\xAF"s, Encoding::Ansi, {Latin1("\xC0\xAF")}},
        {"UTF-8 cut short at the end", "\xE3\x83"s, Encoding::Ansi, {Latin1("\xE3\x83")}},
        {"valid UTF-8 before a Ctrl-Z, anything after it", "\xC3\xA9\x1a\xFF"s, Encoding::Utf8, {u"\u00e9"}},
    };
    // The ASCII run before the first other byte is skipped in blocks: that
    // byte at every place in a block, and in the block after.
    for (std::size_t at = 0; at <= 130; ++at) {
        cases.push_back({"UTF-8 after " + std::to_string(at) + " ASCII bytes", std::string(at, 'a') + "\xC3\xA9",
                         Encoding::Utf8, {std::u16string(at, u'a') + u"\u00e9"}});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        MemoryTemplateFiles files;
        std::string bytes = c.bytes;
        std::u16string decoded;
        Encoding encoding = Encoding::Ansi;
        textfile::DecodeText(bytes, files, decoded, &encoding);
        EXPECT_EQ(encoding, c.encoding);
        EXPECT_EQ(Lines(decoded), c.lines);
        EXPECT_EQ(decoded, ModelText(c.bytes)) << "the fuzz targets' model agrees";
    }
}

}  // namespace
}  // namespace velmora::testing
