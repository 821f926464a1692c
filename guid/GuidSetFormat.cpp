#include "guid/GuidSetFormat.h"

#include <climits>
#include <string_view>

#include "textfile/Encoding.h"

namespace velmora::guid {

namespace {

bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// The number's reading, one byte at a time.
class NumberReader {
public:
    // False once the number has ended.
    bool Take(char16_t c) {
        switch (state_) {
        case State::Space:
            if (IsSpace(c)) return true;
            if (c == u'+' || c == u'-') {
                negative_ = c == u'-';
                state_ = State::Sign;
                return true;
            }
            [[fallthrough]];
        case State::Sign:
        case State::Digits:
            if (c < u'0' || c > u'9') return false;
            state_ = State::Digits;
            // Past the bound of either sign the value stays where it is.
            if (magnitude_ <= kBound) magnitude_ = magnitude_ * 10 + static_cast<unsigned>(c - u'0');
            return true;
        }
        return false;
    }

    int Value() const {
        if (state_ != State::Digits) return 0;
        if (negative_) return magnitude_ > kBound ? INT_MIN : -static_cast<int>(magnitude_);
        return magnitude_ > static_cast<unsigned long long>(INT_MAX) ? INT_MAX : static_cast<int>(magnitude_);
    }

private:
    enum class State { Space, Sign, Digits };
    static constexpr unsigned long long kBound = static_cast<unsigned long long>(INT_MAX);
    State state_ = State::Space;
    bool negative_ = false;
    unsigned long long magnitude_ = 0;
};

}  // namespace

int ClampGuidFormat(int value) {
    if (value < 0) return 0;
    if (value > 4) return 4;
    return value;
}

int ReadGuidFormat(textfile::ByteSource& bytes) {
    // The first bytes tell the encoding by its byte-order mark. Without one,
    // UTF-8 and every ANSI code page hold the number's characters as the
    // same single bytes, and any other byte ends the number in both, so the
    // bytes are taken as they are.
    char block[64];
    std::size_t size = 0;
    while (size < 3) {
        const std::size_t got = bytes.Read(block + size, sizeof block - size);
        if (got == 0) break;
        size += got;
    }
    std::size_t from = 0;
    const textfile::Encoding encoding = textfile::MarkedEncoding(std::string_view(block, size), from);
    const bool utf16 =
        encoding == textfile::Encoding::Utf16LittleEndian || encoding == textfile::Encoding::Utf16BigEndian;
    const bool bigEndian = encoding == textfile::Encoding::Utf16BigEndian;

    constexpr char16_t kEndOfText = 0x1A;
    NumberReader number;
    int half = -1;  // the first byte of a UTF-16 unit whose second is still to come
    for (bool reading = true; reading && size > 0; from = 0, size = bytes.Read(block, sizeof block)) {
        for (std::size_t i = from; reading && i < size; ++i) {
            const unsigned char byte = static_cast<unsigned char>(block[i]);
            char16_t unit = byte;
            if (utf16) {
                if (half < 0) {
                    half = byte;
                    continue;
                }
                unit = static_cast<char16_t>(bigEndian ? half << 8 | byte : byte << 8 | half);
                half = -1;
            }
            reading = unit != kEndOfText && number.Take(unit);
        }
    }
    return ClampGuidFormat(number.Value());
}

std::string GuidFormatText(int format) {
    char digits[16];
    char* end = digits + sizeof digits;
    char* p = end;
    unsigned magnitude = format < 0 ? 0u - static_cast<unsigned>(format) : static_cast<unsigned>(format);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (format < 0) *--p = '-';
    return std::string(p, end);
}

}  // namespace velmora::guid
