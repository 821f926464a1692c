#pragma once
// Which encoding a configuration file is in, and the Unicode decoders. A
// file is read as:
//   UTF-8 when it starts with the UTF-8 byte-order mark (the mark dropped);
//   UTF-16 LE or BE when it starts with that byte-order mark (dropped);
//   UTF-8 when, without a mark, all of it is valid UTF-8 and some byte is
//   above 0x7F (text in a double-byte code page with any kana or kanji in it
//   is never valid UTF-8, so such files keep their reading);
//   the ANSI code page otherwise, as files have always been read.
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::textfile {

enum class Encoding { Ansi, Utf8, Utf16LittleEndian, Utf16BigEndian };

// The encoding that a byte-order mark at the start of `bytes` names, and the
// mark's length; Ansi and 0 without a mark. Only a mark decides here.
Encoding MarkedEncoding(std::string_view bytes, std::size_t& markLength);

// How many bytes from the start are ASCII (none above 0x7F).
std::size_t AsciiLength(std::string_view bytes);

// Whether `bytes` is valid UTF-8 with at least one byte above 0x7F.
bool IsUtf8BeyondAscii(std::string_view bytes);

// UTF-8 to UTF-16 into `out` (room for one unit a byte); returns the units
// written. Each ill-formed part (a byte that starts nothing, or a sequence
// cut short) becomes one U+FFFD.
std::size_t DecodeUtf8(std::string_view bytes, char16_t* out);

// Well-formed UTF-8 to UTF-16, replacing `out`: false, with `badOffset` the
// offset of the first ill-formed sequence, when there is one.
bool DecodeUtf8Strictly(std::string_view bytes, std::u16string& out, std::size_t& badOffset);

// Appends the UTF-8 form of `point` (at most U+10FFFF) to `out`.
void AppendUtf8(std::string& out, char32_t point);

// Pairs of bytes to UTF-16 units into `out` (room for half a unit a byte);
// returns the units written. A last odd byte becomes U+FFFD.
std::size_t DecodeUtf16(std::string_view bytes, bool bigEndian, char16_t* out);

}  // namespace velmora::textfile
