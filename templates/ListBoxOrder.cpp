#include "templates/ListBoxOrder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "framework/TextConversion.h"

namespace velmora {
namespace {

constexpr DWORD kListBoxComparison = NORM_IGNORECASE;

int Length(std::u16string_view text) { return static_cast<int>(text.size()); }

// Appends the sort key of `text` to `keys`: its size, or 0 when the locale
// gives none.
int AppendSortKey(std::u16string_view text, LCID locale, std::vector<BYTE>& keys) {
    const std::size_t start = keys.size();
    // Room for a usual key, so that one call mostly does; asked for its size
    // only when it needs more.
    int room = 8 * Length(text) + 64;
    keys.resize(start + static_cast<std::size_t>(room));
    int size = LCMapStringW(locale, LCMAP_SORTKEY | kListBoxComparison, AsWide(text.data()), Length(text),
                            reinterpret_cast<LPWSTR>(keys.data() + start), room);
    if (size == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        room = LCMapStringW(locale, LCMAP_SORTKEY | kListBoxComparison, AsWide(text.data()), Length(text), nullptr, 0);
        if (room > 0) {
            keys.resize(start + static_cast<std::size_t>(room));
            size = LCMapStringW(locale, LCMAP_SORTKEY | kListBoxComparison, AsWide(text.data()), Length(text),
                                reinterpret_cast<LPWSTR>(keys.data() + start), room);
        }
    }
    keys.resize(start + static_cast<std::size_t>(std::max(size, 0)));
    return size;
}

// A text's place in the sort: the first bytes of its key, big-endian, decide
// most comparisons without leaving this array.
struct SortItem {
    std::uint64_t head;
    std::uint32_t index;
};

std::uint64_t KeyHead(const BYTE* key, std::size_t size) {
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < 8; ++i) head = (head << 8) | (i < size ? key[i] : 0u);
    return head;
}

}  // namespace

std::vector<int> ListBoxOrder(const std::vector<std::u16string_view>& texts, LCID locale) {
    // One sort key per text, all in one pool: comparing keys byte by byte
    // costs far less than asking the locale at every comparison of the sort.
    std::vector<BYTE> keys;
    std::vector<std::size_t> keyStart(texts.size() + 1, 0);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (AppendSortKey(texts[i], locale, keys) <= 0) return {};
        keyStart[i + 1] = keys.size();
    }
    std::vector<SortItem> items(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        items[i] = {KeyHead(keys.data() + keyStart[i], keyStart[i + 1] - keyStart[i]), static_cast<std::uint32_t>(i)};
    std::stable_sort(items.begin(), items.end(), [&](const SortItem& left, const SortItem& right) {
        if (left.head != right.head) return left.head < right.head;
        const BYTE* a = keys.data() + keyStart[left.index];
        const BYTE* b = keys.data() + keyStart[right.index];
        const std::size_t aSize = keyStart[left.index + 1] - keyStart[left.index];
        const std::size_t bSize = keyStart[right.index + 1] - keyStart[right.index];
        const int byBytes = std::memcmp(a, b, std::min(aSize, bSize));
        return byBytes < 0 || (byBytes == 0 && aSize < bSize);
    });
    std::vector<int> order(texts.size());
    for (std::size_t i = 0; i < items.size(); ++i) order[i] = static_cast<int>(items[i].index);

    // The list box compares with CompareStringW, not with keys: a pair the
    // two would order differently leaves the ordering to the list box.
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::u16string_view before = texts[static_cast<std::size_t>(order[i - 1])];
        const std::u16string_view after = texts[static_cast<std::size_t>(order[i])];
        if (CompareStringW(locale, kListBoxComparison, AsWide(before.data()), Length(before), AsWide(after.data()),
                           Length(after)) == CSTR_GREATER_THAN)
            return {};
    }
    return order;
}

void FillSortingListBox(HWND listBox, const std::vector<std::u16string_view>& texts) {
    if (texts.empty()) return;
    std::size_t textBytes = 0;
    for (std::u16string_view text : texts) textBytes += (text.size() + 1) * sizeof(wchar_t);
    const std::vector<int> order = ListBoxOrder(texts, static_cast<LCID>(SendMessageW(listBox, LB_GETLOCALE, 0, 0)));

    // Room for every item and its text at once, and no repainting or
    // scroll-bar update per item.
    SendMessageW(listBox, WM_SETREDRAW, FALSE, 0);
    SendMessageW(listBox, LB_INITSTORAGE, texts.size(), static_cast<LPARAM>(textBytes));
    if (order.empty()) {
        for (std::u16string_view text : texts)
            SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AsWide(text.data())));
    } else {
        for (int index : order)
            SendMessageW(listBox, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(AsWide(texts[static_cast<std::size_t>(index)].data())));
    }
    SendMessageW(listBox, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listBox, nullptr, TRUE);
}

}  // namespace velmora
