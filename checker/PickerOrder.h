#pragma once
// The order in which the template picker shows its items: read back from a
// hidden sorting list box filled the way the picker fills its own.
#include <string>
#include <vector>

namespace velmora::checker {

// `texts` in the picker's order; in the given order when no list box can be
// made.
std::vector<std::u16string> InPickerOrder(const std::vector<std::u16string>& texts);

}  // namespace velmora::checker
