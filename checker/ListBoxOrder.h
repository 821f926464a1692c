#pragma once
// The order in which the template picker shows its items. Its list box sorts
// (LBS_SORT) by the system's own comparison, so the order is taken from a
// hidden list box of the same kind rather than computed here.
#include <string>
#include <vector>

namespace velmora::checker {

// `texts` in the sorted list box's order; in the given order when no list
// box can be made.
std::vector<std::u16string> InListBoxOrder(const std::vector<std::u16string>& texts);

}  // namespace velmora::checker
