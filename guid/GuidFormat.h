#pragma once
// The five source-code renderings of a GUID. The templates are printf-style
// texts kept in the string table under ids 101 to 105 (101 + format index);
// this file holds the same texts for code that has no string table, and the
// small formatter that renders them.
#include <cstddef>
#include <cstdint>

namespace velmora::guid {

// A GUID's fields, laid out as the COM structure.
struct GuidValue {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

bool IsNullGuid(const GuidValue& guid);

inline constexpr int kFormatCount = 5;
inline constexpr int kAddInNameStringId = 100;
inline constexpr int kFirstFormatStringId = 101;  // 101 + format index

// The text of string-table entry `id` (100 to 105); nullptr for any other id.
const char16_t* StringTableText(int id);

// The template of format `index` (0 to 4); nullptr outside that range.
const char16_t* FormatTemplate(int index);

// Renders `guid` with `pattern` into `destination`, writing at most
// capacity - 1 units and always a terminating NUL (nothing at all when
// capacity is 0). Returns the number of units written before the NUL.
//
// The pattern is fed 22 values: the GUID's 11 fields (Data1, Data2, Data3,
// Data4[0..7]) twice over, each widened to 32 bits without sign extension.
// Conversions understood: %x and %X (lower- and upper-case hexadecimal) with
// an optional 0 flag, a decimal width and an optional l length modifier, and
// %%. Any other % sequence, and any conversion past the 22nd value, is copied
// as it stands, so a faulty template shows itself in the text.
std::size_t FormatGuid(char16_t* destination, std::size_t capacity, const char16_t* pattern, const GuidValue& guid);

}  // namespace velmora::guid
