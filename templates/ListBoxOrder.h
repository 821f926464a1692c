#pragma once
// The order in which a sorting list box (LBS_SORT) shows strings: the
// locale's comparison with case ignored, equal strings in the order given.
#include <windows.h>

#include <string_view>
#include <vector>

namespace velmora {

// Indexes into `texts` in the list box's order, for a list box whose locale
// (LB_GETLOCALE) is `locale`. Empty when the locale cannot order them, in
// which case only the list box itself can. The texts hold no NUL.
std::vector<int> ListBoxOrder(const std::vector<std::u16string_view>& texts, LCID locale);

}  // namespace velmora
