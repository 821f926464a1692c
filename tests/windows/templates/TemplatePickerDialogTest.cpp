// The picker on its own: the four ways it ends, their end codes and the index
// it reports, with entries given directly.
#include <windows.h>

#include <gtest/gtest.h>

#include "templates/TemplatePickerDialog.h"
#include "tests/native/TemplateTestFiles.h"
#include "tests/windows/templates/TemplateTestSupport.h"

namespace velmora::test {
namespace {

// Entries whose order differs from the list's sorted order: a set that
// answers the picker's three questions from a list of display texts.
class ListedSet : public CodeTemplateSet {
public:
    ListedSet() : ListedSet({u"charlie", u"alpha", u"bravo", u"alpha"}) {}
    explicit ListedSet(std::vector<std::u16string> texts) : CodeTemplateSet(NoFiles()), texts_(std::move(texts)) {}
    int GetCount() const override { return static_cast<int>(texts_.size()); }
    std::u16string_view GetDisplayText(int index) const override { return texts_.at(static_cast<std::size_t>(index)); }
    int FindByDisplayText(std::u16string_view text) const override {
        for (std::size_t i = 0; i < texts_.size(); ++i) {
            if (texts_[i] == text) return static_cast<int>(i);
        }
        return -1;
    }

private:
    static const testing::MemoryTemplateFiles& NoFiles() {
        static const testing::MemoryTemplateFiles files{};
        return files;
    }
    const std::vector<std::u16string> texts_;
};

struct Outcome {
    INT_PTR endCode;
    int chosenIndex;
    DialogSeen seen;
};

Outcome RunPicker(const CodeTemplateSet* set, DialogDriver::Action action) {
    TemplatePickerDialog picker(set);
    DialogDriver driver(std::move(action));
    INT_PTR code = picker.DoModal();
    EXPECT_TRUE(picker.WasShown());
    return Outcome{code, picker.ChosenIndex(), driver.Seen()};
}

TEST(TemplatePicker, EndCodesAndChosenIndex) {
    const ListedSet set;
    struct Case {
        const char* label;
        DialogDriver::Action action;
        INT_PTR endCode;
        int chosenIndex;
    };
    const Case cases[] = {
        {"Enter on the first item", SelectThenOk(0), 1, 1},  // "alpha": the first of two
        {"Enter on the second item", SelectThenOk(1), 1, 1},  // the other "alpha"
        {"Enter on bravo", SelectThenOk(2), 2, 2},
        {"Enter on charlie", SelectThenOk(3), 0, 0},
        {"double-click on charlie", DoubleClick(3), 0, 0},
        {"Enter with nothing selected", PressEnter(), -1, -1},
        {"Escape", PressEscape(), IDCANCEL, -1},
        {"close request", [](DialogSeen& seen) { PostMessageW(seen.window, WM_CLOSE, 0, 0); }, IDCANCEL, -1},
        {"focus taken by another window", ClickIntoAnotherWindow(), -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Outcome outcome = RunPicker(&set, c.action);
        ASSERT_TRUE(outcome.seen.appeared);
        EXPECT_TRUE(outcome.seen.closedByAction);
        EXPECT_EQ(outcome.seen.failure, "");
        EXPECT_EQ(outcome.seen.items, (std::vector<std::wstring>{L"alpha", L"alpha", L"bravo", L"charlie"}));
        EXPECT_EQ(outcome.endCode, c.endCode);
        EXPECT_EQ(outcome.chosenIndex, c.chosenIndex);
    }
}

// The picker puts its texts in the list itself; what it shows must be what
// the sorting list box shows when given them one by one: case ignored, the
// locale's rules for punctuation, digits, accents, widths and kana.
TEST(TemplatePicker, ShowsTheOrderOfASortingListBox) {
    const std::vector<std::u16string> texts = {
        u"zeta", u"Alpha", u"alpha2", u"_under", u"-dash", u"co-op", u"coop2", u"\u00c1bc", u"abd", u"10", u"9",
        u"\uff46\uff55\uff4c\uff4c", u"full2", u"\u304b\u306a", u"\u30ab\u30ca2", u"\u6f22\u5b57", u"Zebra",
        u"\u00e9mile", u"E", u"e1", u"[x]", u"x y"};
    const ListedSet set(texts);
    HWND reference = CreateWindowExW(0, L"LISTBOX", L"", LBS_SORT | LBS_HASSTRINGS, 0, 0, 100, 100, nullptr, nullptr,
                                     nullptr, nullptr);
    ASSERT_NE(reference, nullptr);
    std::vector<std::wstring> expected;
    for (const std::u16string& text : texts)
        SendMessageW(reference, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    for (LRESULT i = 0, n = SendMessageW(reference, LB_GETCOUNT, 0, 0); i < n; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(reference, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(reference, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
        expected.push_back(item);
    }
    DestroyWindow(reference);

    Outcome outcome = RunPicker(&set, PressEscape());
    ASSERT_TRUE(outcome.seen.appeared);
    EXPECT_EQ(outcome.seen.items, expected);
}

TEST(TemplatePicker, WithoutASetTheListStaysEmpty) {
    Outcome outcome = RunPicker(nullptr, PressEnter());
    ASSERT_TRUE(outcome.seen.appeared);
    EXPECT_TRUE(outcome.seen.items.empty());
    EXPECT_EQ(outcome.endCode, -1);
    EXPECT_EQ(outcome.chosenIndex, -1);
}

TEST(TemplatePicker, NoItemIsSelectedAtFirst) {
    const ListedSet set;
    LRESULT selection = 0;
    Outcome outcome = RunPicker(&set, [&](DialogSeen& seen) {
        selection = SendMessageW(seen.list, LB_GETCURSEL, 0, 0);
        PostMessageW(seen.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    ASSERT_TRUE(outcome.seen.appeared);
    EXPECT_EQ(selection, LB_ERR);
}

}  // namespace
}  // namespace velmora::test
