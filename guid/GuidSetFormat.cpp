#include "guid/GuidSetFormat.h"

#include <climits>

namespace velmora::guid {

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The number's reading, one byte at a time.
class NumberReader {
public:
    // False once the number has ended.
    bool Take(char c) {
        switch (state_) {
        case State::Space:
            if (IsSpace(c)) return true;
            if (c == '+' || c == '-') {
                negative_ = c == '-';
                state_ = State::Sign;
                return true;
            }
            [[fallthrough]];
        case State::Sign:
        case State::Digits:
            if (c < '0' || c > '9') return false;
            state_ = State::Digits;
            // Past the bound of either sign the value stays where it is.
            if (magnitude_ <= kBound) magnitude_ = magnitude_ * 10 + static_cast<unsigned>(c - '0');
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
    constexpr char kEndOfText = '\x1a';
    NumberReader number;
    char block[64];
    for (bool reading = true; reading;) {
        const std::size_t got = bytes.Read(block, sizeof block);
        reading = got > 0;
        for (std::size_t i = 0; reading && i < got; ++i) reading = block[i] != kEndOfText && number.Take(block[i]);
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
