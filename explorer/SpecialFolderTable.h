#pragma once
// The places the special-folder picker offers, by folder number: 0 to 61 are
// the shell's special-folder identifiers, 62 is the temporary-files directory.
#include <cstddef>
#include <cstdint>

namespace velmora::explorer {

inline constexpr int kSpecialFolderCount = 63;
inline constexpr int kInternetFolder = 1;     // opened as the default web browser
inline constexpr int kLastShellFolder = 61;   // the highest number the shell is asked about
inline constexpr int kTempFolder = 62;        // the temporary-files directory
inline constexpr std::uint32_t kItemTagBit = 0x80000000u;

// The Japanese display names, indexed by folder number. Numbers without a
// folder (15, 50, 51, 52) have an empty name.
extern const char16_t* const SpecialFolderTable[kSpecialFolderCount];

// False for the numbers that name no folder and are never offered.
bool IsOfferedFolder(int number);

// The tree item data of an entry: the number with the top bit set, so that
// entry 0 is told from an item without data.
inline std::uint32_t ItemTagOf(int number) { return static_cast<std::uint32_t>(number) | kItemTagBit; }

// The folder number an item tag stands for; false when the tag bit is clear.
inline bool FolderOfItemTag(std::uint32_t tag, std::uint32_t& number) {
    if ((tag & kItemTagBit) == 0) return false;
    number = tag & ~kItemTagBit;
    return true;
}

}  // namespace velmora::explorer
