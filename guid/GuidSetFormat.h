#pragma once
// The content of GuidSet.ini: one decimal int, the GUID format index, written
// as stream insertion writes an int and read back as stream extraction reads
// one, then clamped to the five formats.
#include <iosfwd>

namespace velmora::guid {

// Brings any int into 0 to 4: below 0 gives 0, above 4 gives 4.
int ClampGuidFormat(int value);

// Reads the stored format from `in` (imbued with the classic locale first):
// leading white space is skipped, then an optional sign and decimal digits
// are read, and whatever follows is ignored. The result is clamped to 0 to 4.
// Content with no readable number (empty, a letter first, a sign without
// digits) reads as 0. A number too large for an int reads as the bound of its
// sign (INT_MAX or INT_MIN) before clamping, so a huge positive number gives 4
// and a huge negative one gives 0.
int ReadGuidFormat(std::istream& in);

// Writes `format` as a decimal int with nothing around it and flushes.
// True when the stream took every character.
bool WriteGuidFormat(std::ostream& out, int format);

}  // namespace velmora::guid
