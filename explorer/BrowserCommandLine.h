#pragma once
// The web browser's program as found in a shell open command.
#include <cstddef>
#include <string_view>

namespace velmora::explorer {

// The text between the first two double quotes when the command line starts
// with a quote and a second one follows; otherwise the whole command line,
// arguments included.
std::u16string_view ProgramOfCommandLine(std::u16string_view commandLine);

// Copies `text` and a terminating NUL into `buffer` when both fit in
// `capacity` units. When they do not, nothing is written and false returned.
bool CopyIfFits(std::u16string_view text, char16_t* buffer, std::size_t capacity);

}  // namespace velmora::explorer
