#pragma once
// From a configuration file's raw bytes to its text as UTF-16, ready to be
// walked line by line (LineCursor): the encoding found, the text decoded and
// the text-mode rules applied, the same for every configuration file.
#include <cstddef>
#include <string>
#include <string_view>

#include "textfile/Encoding.h"

namespace velmora::textfile {

// The ANSI code page the 8-bit text is written in.
class CodePage {
public:
    virtual ~CodePage() = default;
    // Converts 8-bit text to UTF-16 into `out`, which has room for one unit
    // per byte, and returns the number of units written.
    virtual std::size_t ToUtf16(std::string_view bytes, char16_t* out) const = 0;
};

// The text of a file whose raw bytes are `bytes` (used as working space),
// written to `out`, which has room for one unit per byte; returns its length
// and, when `encoding` is given, the encoding it was read in (Encoding.h).
// The text-mode rules apply to every encoding alike. 8-bit text is converted
// by `codePage` in one call for the whole file, and its lines read exactly as
// if each had been converted by itself: should a lead byte of a double-byte
// code page take the line's LF or a zero byte for its trail, which would
// merge lines, that file is converted line by line instead.
std::size_t DecodeText(std::string& bytes, const CodePage& codePage, char16_t* out, Encoding* encoding = nullptr);

// The same into a string, replacing its contents.
void DecodeText(std::string& bytes, const CodePage& codePage, std::u16string& text, Encoding* encoding = nullptr);

}  // namespace velmora::textfile
