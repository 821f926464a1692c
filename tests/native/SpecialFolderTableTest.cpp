#include "explorer/SpecialFolderTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

namespace velmora::explorer {
namespace {

std::u16string_view Name(int number) { return SpecialFolderTable[number]; }

TEST(SpecialFolderTable, HasSixtyThreeEntriesEndingWithTheTempDirectory) {
    EXPECT_EQ(sizeof(SpecialFolderTable) / sizeof(SpecialFolderTable[0]), 63u);
    EXPECT_EQ(kTempFolder, 62);
    EXPECT_EQ(Name(kTempFolder), u"Tempディレクトリ");
    EXPECT_EQ(Name(kInternetFolder), u"インターネット");
    EXPECT_EQ(Name(0), u"デスクトップ");
}

TEST(SpecialFolderTable, OnlyTheFourUnusedNumbersAreEmptyAndNotOffered) {
    const std::set<int> unused = {15, 50, 51, 52};
    for (int n = 0; n < kSpecialFolderCount; ++n) {
        SCOPED_TRACE(n);
        ASSERT_NE(SpecialFolderTable[n], nullptr);
        bool isUnused = unused.count(n) != 0;
        EXPECT_EQ(Name(n).empty(), isUnused);
        EXPECT_EQ(IsOfferedFolder(n), !isUnused);
    }
    EXPECT_FALSE(IsOfferedFolder(-1));
    EXPECT_FALSE(IsOfferedFolder(63));
}

TEST(SpecialFolderTable, OnlyThirtySevenAndFortyOneShareATextAndNoNameHasStraySpaces) {
    EXPECT_EQ(Name(37), u"システムフォルダ");
    EXPECT_EQ(Name(41), Name(37));
    std::set<std::u16string_view> seen;
    int duplicates = 0;
    for (int n = 0; n < kSpecialFolderCount; ++n) {
        if (Name(n).empty()) continue;
        SCOPED_TRACE(n);
        if (!seen.insert(Name(n)).second) ++duplicates;
        EXPECT_NE(Name(n).front(), u' ');
        EXPECT_NE(Name(n).back(), u' ');
        EXPECT_EQ(Name(n).find(u"  "), std::u16string_view::npos);
        EXPECT_EQ(Name(n).find(u'\0'), std::u16string_view::npos);
    }
    EXPECT_EQ(duplicates, 1);
}

TEST(SpecialFolderTable, OnlyEntrySeventeenUsesTheIdeographicSpace) {
    EXPECT_EQ(Name(17), std::u16string_view(u"マイ\u3000コンピュータ"));
    EXPECT_EQ(Name(17).size(), 9u);
    EXPECT_EQ(Name(17)[2], char16_t{0x3000});
    EXPECT_EQ(Name(17).find(u' '), std::u16string_view::npos);
    for (int n = 0; n < kSpecialFolderCount; ++n) {
        if (n == 17) continue;
        SCOPED_TRACE(n);
        EXPECT_EQ(Name(n).find(char16_t{0x3000}), std::u16string_view::npos);
    }
}

// The names whose spaces are ordinary ones, and the Latin names, exactly.
TEST(SpecialFolderTable, NamesWithSpacesOrLatinLetters) {
    const struct {
        int number;
        std::u16string_view name;
    } cases[] = {
        {5, u"マイ ドキュメント"},
        {12, u"論理 マイ ドキュメント"},
        {13, u"マイ ミュージック"},
        {14, u"マイ ビデオ"},
        {19, u"NETHOOD"},
        {27, u"PRINTHOOD"},
        {34, u"History"},
        {36, u"Windowsフォルダ"},
        {38, u"Program Files"},
        {39, u"マイ ピクチャー"},
        {42, u"x86 プログラムファイル"},
        {44, u"x86 共通共同プログラムファイル"},
        {49, u"ネットワーク・ダイヤルアップ接続"},
        {53, u"共通マイ ミュージック"},
        {54, u"共通マイ ピクチャー"},
        {55, u"共通マイ ビデオ"},
        {57, u"ローカライズ リソース"},
        {58, u"OEM リンク"},
        {59, u"CDバーニング"},
        {60, u"Web マイ ドキュメント"},
        {61, u"近くのコンピュータ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(Name(c.number), c.name);
    }
    // The interpunct of entry 49 is the katakana middle dot.
    EXPECT_EQ(Name(49)[6], char16_t{0x30FB});
}

TEST(SpecialFolderTable, ItemTagsAreNonZeroAndGiveTheirNumberBack) {
    for (int n = 0; n < kSpecialFolderCount; ++n) {
        SCOPED_TRACE(n);
        std::uint32_t tag = ItemTagOf(n);
        EXPECT_NE(tag, 0u);
        EXPECT_EQ(tag, static_cast<std::uint32_t>(n) + 0x80000000u);
        std::uint32_t number = 999;
        ASSERT_TRUE(FolderOfItemTag(tag, number));
        EXPECT_EQ(number, static_cast<std::uint32_t>(n));
    }
    std::uint32_t number = 999;
    EXPECT_FALSE(FolderOfItemTag(0, number));
    EXPECT_FALSE(FolderOfItemTag(5, number));
    EXPECT_FALSE(FolderOfItemTag(0x7FFFFFFFu, number));
    EXPECT_EQ(number, 999u);
}

}  // namespace
}  // namespace velmora::explorer
