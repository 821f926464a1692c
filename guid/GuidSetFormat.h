#pragma once
// The content of GuidSet.ini: one decimal int, the GUID format index, written
// bare and read back by the rules of a stream's int extraction, then clamped
// to the five formats. No stream or locale is involved, so no locale setting
// of the host can group or translate the digits.
#include <string>

#include "textfile/ByteSource.h"

namespace velmora::guid {

// Brings any int into 0 to 4: below 0 gives 0, above 4 gives 4.
int ClampGuidFormat(int value);

// Reads the stored format from the file's bytes, as text in the encoding a
// byte-order mark names (UTF-8 or UTF-16), or 8-bit text; a Ctrl-Z ends it:
// leading white space (space, tab, LF, VT, FF, CR) is skipped, then an
// optional sign and decimal digits are read, and whatever follows is ignored.
// The result is clamped to 0 to 4. Content with no readable number (empty, a
// letter first, a sign without digits) reads as 0. A number too large for an
// int reads as the bound of its sign (INT_MAX or INT_MIN) before clamping, so
// a huge positive number gives 4 and a huge negative one gives 0. The bytes
// are read in small pieces, so a file of any size costs no memory.
int ReadGuidFormat(textfile::ByteSource& bytes);

// `format` as a decimal int with nothing around it: the whole of GuidSet.ini.
std::string GuidFormatText(int format);

}  // namespace velmora::guid
