#include "explorer/BrowserCommandLine.h"

#include <algorithm>

namespace velmora::explorer {

std::u16string_view ProgramOfCommandLine(std::u16string_view commandLine) {
    if (commandLine.empty() || commandLine.front() != u'"') return commandLine;
    std::size_t closing = commandLine.find(u'"', 1);
    if (closing == std::u16string_view::npos) return commandLine;
    return commandLine.substr(1, closing - 1);
}

bool CopyIfFits(std::u16string_view text, char16_t* buffer, std::size_t capacity) {
    if (buffer == nullptr || text.size() >= capacity) return false;
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = u'\0';
    return true;
}

}  // namespace velmora::explorer
