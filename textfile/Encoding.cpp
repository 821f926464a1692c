#include "textfile/Encoding.h"

namespace velmora::textfile {

namespace {

constexpr char16_t kReplacement = u'\ufffd';

// The length of a well-formed UTF-8 sequence at `at`, and its code point;
// 0 and the length of its longest well-formed start when it is ill-formed
// (at least 1). Follows the table of well-formed byte sequences of Unicode.
std::size_t Sequence(const unsigned char* at, const unsigned char* end, char32_t& point, std::size_t& partial) {
    const unsigned char lead = at[0];
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead < 0x80) {
        point = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        point = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        point = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        partial = 1;
        return 0;
    }
    std::size_t i = 1;
    for (; i < length && at + i < end; ++i) {
        const unsigned char next = at[i];
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) break;
        point = point << 6 | (next & 0x3F);
    }
    if (i == length) return length;
    partial = i;
    return 0;
}

}  // namespace

Encoding MarkedEncoding(std::string_view bytes, std::size_t& markLength) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        markLength = 3;
        return Encoding::Utf8;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        markLength = 2;
        return Encoding::Utf16LittleEndian;
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        markLength = 2;
        return Encoding::Utf16BigEndian;
    }
    markLength = 0;
    return Encoding::Ansi;
}

std::size_t AsciiLength(std::string_view text) {
    const unsigned char* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = begin + text.size();
    const unsigned char* at = begin;
    // In blocks of 64 bytes, which the compiler tests side by side: most
    // files are nothing but ASCII.
    while (end - at >= 64) {
        unsigned char block = 0;
        for (int k = 0; k < 64; ++k) block |= at[k];
        if (block & 0x80) break;
        at += 64;
    }
    while (at < end && *at < 0x80) ++at;
    return static_cast<std::size_t>(at - begin);
}

bool IsUtf8BeyondAscii(std::string_view text) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text.data()) + AsciiLength(text);
    const unsigned char* const end = reinterpret_cast<const unsigned char*>(text.data()) + text.size();
    unsigned char any = 0;
    while (at < end) {
        char32_t point = 0;
        std::size_t partial = 0;
        const std::size_t length = Sequence(at, end, point, partial);
        if (length == 0) return false;
        any |= at[0];
        at += length;
    }
    return (any & 0x80) != 0;
}

std::size_t DecodeUtf8(std::string_view bytes, char16_t* out) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* const end = at + bytes.size();
    char16_t* written = out;
    while (at < end) {
        char32_t point = 0;
        std::size_t partial = 0;
        const std::size_t length = Sequence(at, end, point, partial);
        if (length == 0) {
            *written++ = kReplacement;
            at += partial;
        } else if (point >= 0x10000) {
            point -= 0x10000;
            *written++ = static_cast<char16_t>(0xD800 | (point >> 10));
            *written++ = static_cast<char16_t>(0xDC00 | (point & 0x3FF));
            at += length;
        } else {
            *written++ = static_cast<char16_t>(point);
            at += length;
        }
    }
    return static_cast<std::size_t>(written - out);
}

std::size_t DecodeUtf16(std::string_view bytes, bool bigEndian, char16_t* out) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i, at += 2) {
        out[i] = static_cast<char16_t>(bigEndian ? at[0] << 8 | at[1] : at[1] << 8 | at[0]);
    }
    if (bytes.size() % 2 == 0) return units;
    out[units] = kReplacement;
    return units + 1;
}

bool DecodeUtf8Strictly(std::string_view bytes, std::u16string& out, std::size_t& badOffset) {
    out.clear();
    out.reserve(bytes.size());
    const unsigned char* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* const end = begin + bytes.size();
    for (const unsigned char* at = begin; at < end;) {
        char32_t point = 0;
        std::size_t partial = 0;
        const std::size_t length = Sequence(at, end, point, partial);
        if (length == 0) {
            badOffset = static_cast<std::size_t>(at - begin);
            return false;
        }
        if (point >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(point);
        }
        at += length;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

}  // namespace velmora::textfile
