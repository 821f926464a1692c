#include "checker/PickerOrder.h"

#include <windows.h>

#include <string_view>

#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"
#include "templates/ListBoxOrder.h"

namespace velmora::checker {

namespace {

// The picker's list box styles (dialog 104) that bear on its contents; it
// stays hidden and needs no parent.
constexpr DWORD kListBoxStyle = WS_POPUP | LBS_SORT | LBS_NOINTEGRALHEIGHT;

}  // namespace

std::vector<std::u16string> InPickerOrder(const std::vector<std::u16string>& texts) {
    UniqueWindow list(CreateWindowExW(0, L"LISTBOX", nullptr, kListBoxStyle, 0, 0, 100, 100, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
    if (!list.get()) return texts;
    FillSortingListBox(list.get(), std::vector<std::u16string_view>(texts.begin(), texts.end()));
    std::vector<std::u16string> sorted;
    const LRESULT count = SendMessageW(list.get(), LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list.get(), LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == LB_ERR) return texts;
        std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
        const LRESULT copied =
            SendMessageW(list.get(), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(AsWide(&text[0])));
        if (copied == LB_ERR) return texts;
        text.resize(static_cast<std::size_t>(copied));
        sorted.push_back(std::move(text));
    }
    return sorted.size() == texts.size() ? sorted : texts;
}

}  // namespace velmora::checker
