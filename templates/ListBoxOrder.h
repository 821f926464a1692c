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

// Fills an empty sorting list box with `texts`, each followed by a zero unit
// in memory, and shows the same order as LB_ADDSTRING one by one would. The
// texts go in the list box's own order with LB_INSERTSTRING, which takes the
// place it is given: LB_ADDSTRING searches for each place and moves every
// item after it, which costs time in the square of the count.
void FillSortingListBox(HWND listBox, const std::vector<std::u16string_view>& texts);

}  // namespace velmora
