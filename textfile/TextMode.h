#pragma once
// The text-mode rules that the configuration files have always been read by
// (those of the Windows C runtime): a CR LF pair reads as LF, once, so CR CR
// LF reads as CR LF; any other CR stays; a Ctrl-Z (0x1A) ends the text.
#include <cstddef>

namespace velmora::textfile {

// Applies the rules to `text` in place and returns its new length. Bytes
// for 8-bit and UTF-8 text, UTF-16 units for UTF-16 text.
std::size_t ApplyTextMode(char* text, std::size_t size);
std::size_t ApplyTextMode(char16_t* text, std::size_t size);

}  // namespace velmora::textfile
