// GuidSet.ini of any bytes: ReadGuidFormat must agree with the C library's
// strtoll on the same text (in the encoding a byte-order mark names), however the bytes arrive in pieces, and the
// text it writes for any int must read back as that int clamped.
// Input: one byte that sets the piece size, then the file.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "guid/GuidSetFormat.h"

namespace {

using velmora::guid::ClampGuidFormat;

void Check(bool condition) {
    if (!condition) std::abort();
}

// Hands out the bytes `piece` at a time.
class PiecewiseSource : public velmora::textfile::ByteSource {
public:
    PiecewiseSource(const std::string& bytes, std::size_t piece) : bytes_(bytes), piece_(piece) {}
    std::size_t Read(char* buffer, std::size_t capacity) override {
        std::size_t count = std::min(std::min(capacity, piece_), bytes_.size() - position_);
        std::memcpy(buffer, bytes_.data() + position_, count);
        position_ += count;
        return count;
    }

private:
    const std::string& bytes_;
    std::size_t piece_;
    std::size_t position_ = 0;
};

// The characters of the file: after a UTF-16 mark its units (any beyond
// ASCII made an 'x', which no number holds), after a UTF-8 mark the bytes
// that follow it, else the bytes.
std::string Characters(const std::string& bytes) {
    const bool little = bytes.compare(0, 2, "\xFF\xFE") == 0;
    if (little || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        std::string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const unsigned first = static_cast<unsigned char>(bytes[i]);
            const unsigned second = static_cast<unsigned char>(bytes[i + 1]);
            const unsigned unit = little ? second << 8 | first : first << 8 | second;
            text += unit < 0x80 ? static_cast<char>(unit) : 'x';
        }
        return text;
    }
    return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
}

// The text up to a Ctrl-Z (the end in text mode) or a zero character (which
// ends a C string and no number contains), read by strtoll in base 10.
int Model(const std::string& bytes) {
    std::string text = Characters(bytes);
    text = text.substr(0, text.find('\x1a'));
    text = text.substr(0, text.find('\0'));
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str()) return 0;
    if (value > INT_MAX) return ClampGuidFormat(INT_MAX);
    if (value < INT_MIN) return ClampGuidFormat(INT_MIN);
    return ClampGuidFormat(static_cast<int>(value));
}

int Read(const std::string& bytes, std::size_t piece) {
    PiecewiseSource source(bytes, piece);
    return velmora::guid::ReadGuidFormat(source);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A number after 100,000 blanks, and one of 100,000 digits.
    Check(Read(std::string(100000, ' ') + "3", 4096) == 3);
    Check(Read("-" + std::string(100000, '7'), 64) == 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = data[0] % 17 + 1;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const int expected = Model(bytes);
    Check(Read(bytes, piece) == expected);
    Check(Read(bytes, bytes.size() + 1) == expected);

    // Written and read back: any int, taken from the first bytes.
    std::int32_t value = 0;
    std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
    const std::string written = velmora::guid::GuidFormatText(value);
    Check(written == std::to_string(value));
    Check(Read(written, piece) == ClampGuidFormat(value));
    return 0;
}
