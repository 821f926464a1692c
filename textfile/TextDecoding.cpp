#include "textfile/TextDecoding.h"

#include "textfile/Encoding.h"
#include "textfile/FindUnit.h"
#include "textfile/TextMode.h"

namespace velmora::textfile {

namespace {

// Whether a byte of the upper half stands right before an LF or a zero byte.
// Lead bytes of the double-byte code pages all lie there, so without such a
// pair no conversion can take a line break into a character; with one, the
// breaks are counted. Sixteen lanes of bytes are kept apart, so that the
// compiler can test them side by side.
bool MayHaveTakenBreaks(std::string_view text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    unsigned char lanes[16] = {};
    std::size_t i = 1;
    for (; i + 16 <= size; i += 16) {
        for (std::size_t k = 0; k < 16; ++k) {
            const unsigned char c = bytes[i + k];
            const unsigned char isBreak = static_cast<unsigned char>(0u - static_cast<unsigned>((c == '\n') | (c == 0)));
            lanes[k] |= static_cast<unsigned char>(bytes[i + k - 1] & isBreak);
        }
    }
    unsigned char found = 0;
    for (unsigned char lane : lanes) found |= lane;
    for (; i < size; ++i) {
        if (bytes[i] == '\n' || bytes[i] == 0) found |= bytes[i - 1];
    }
    return (found & 0x80) != 0;
}

// How many units end a line or a line's text: what a conversion must keep.
// In the code pages of Windows only the bytes LF and zero give U+000A and
// U+0000, so equal counts mean that no break was taken into a character.
template <typename Unit>
std::size_t CountBreaks(const Unit* text, std::size_t size) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < size; ++i) count += (text[i] == Unit{'\n'}) | (text[i] == Unit{0});
    return count;
}

// Each line's text up to its first zero byte converted by itself, the lines
// joined with LF; the dropped rest of a line is not converted at all, but a
// zero unit stands for it, so that a line cut to nothing is still a line.
std::size_t ConvertLineByLine(std::string_view bytes, const CodePage& codePage, char16_t* out) {
    char16_t* written = out;
    const char* const end = bytes.data() + bytes.size();
    for (const char* start = bytes.data(); start < end;) {
        const char* lf = FindUnit(start, end, '\n');
        const char* zero = FindUnit(start, lf, '\0');
        written += codePage.ToUtf16(std::string_view(start, static_cast<std::size_t>(zero - start)), written);
        if (zero != lf) *written++ = u'\0';
        if (lf == end) break;
        *written++ = u'\n';
        start = lf + 1;
    }
    return static_cast<std::size_t>(written - out);
}

}  // namespace

std::size_t DecodeText(std::string& bytes, const CodePage& codePage, char16_t* out, Encoding* encoding) {
    std::size_t markLength = 0;
    Encoding found = MarkedEncoding(bytes, markLength);
    std::size_t size = 0;
    if (found == Encoding::Utf16LittleEndian || found == Encoding::Utf16BigEndian) {
        // The rules apply to the units: their bytes may be anything.
        size = DecodeUtf16(std::string_view(bytes).substr(markLength), found == Encoding::Utf16BigEndian, out);
        size = ApplyTextMode(out, size);
    } else {
        // No byte of a multi-byte character is a CR, LF or Ctrl-Z in UTF-8,
        // nor in any ANSI code page, so the rules apply to the bytes.
        char* const start = bytes.data() + markLength;
        const std::string_view text(start, ApplyTextMode(start, bytes.size() - markLength));
        // Up to its first byte above 0x7F a text is ASCII, which every
        // reading gives alike and in which no lead byte can take a break.
        const std::size_t ascii = AsciiLength(text);
        if (found == Encoding::Utf8 || (ascii < text.size() && IsUtf8BeyondAscii(text.substr(ascii)))) {
            found = Encoding::Utf8;
            size = DecodeUtf8(text, out);
        } else {
            size = codePage.ToUtf16(text, out);
            if (ascii < text.size() && MayHaveTakenBreaks(text.substr(ascii)) &&
                CountBreaks(text.data(), text.size()) != CountBreaks(out, size)) {
                size = ConvertLineByLine(text, codePage, out);
            }
        }
    }
    if (encoding) *encoding = found;
    return size;
}

void DecodeText(std::string& bytes, const CodePage& codePage, std::u16string& text, Encoding* encoding) {
    text.resize(bytes.size());
    text.resize(DecodeText(bytes, codePage, text.data(), encoding));
}

}  // namespace velmora::textfile
