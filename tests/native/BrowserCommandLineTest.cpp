#include "explorer/BrowserCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::explorer {
namespace {

TEST(BrowserCommandLine, ProgramOfCommandLine) {
    const struct {
        std::u16string_view commandLine;
        std::u16string_view program;
    } cases[] = {
        // A quoted program path followed by arguments: the path alone.
        {u"\"C:\\Program Files\\Browser\\browser.exe\" -nohome \"%1\"", u"C:\\Program Files\\Browser\\browser.exe"},
        {u"\"C:\\ブラウザ\\見る.exe\"", u"C:\\ブラウザ\\見る.exe"},
        {u"\"a\"\"b\"", u"a"},
        // Unquoted: kept whole, arguments included.
        {u"C:\\browser.exe -url %1", u"C:\\browser.exe -url %1"},
        {u"browser.exe \"%1\"", u"browser.exe \"%1\""},
        {u" \"C:\\browser.exe\" %1", u" \"C:\\browser.exe\" %1"},
        // A lone quote has no partner: the whole line stays.
        {u"\"C:\\browser.exe -url %1", u"\"C:\\browser.exe -url %1"},
        {u"\"", u"\""},
        // Two quotes with nothing between.
        {u"\"\" -x", u""},
        {u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::u16string(c.commandLine).size());
        EXPECT_EQ(ProgramOfCommandLine(c.commandLine), c.program);
    }
}

TEST(BrowserCommandLine, CopyIfFitsWritesNothingPastTheBuffer) {
    constexpr std::size_t capacity = 260;
    constexpr char16_t guard = u'#';
    const struct {
        std::size_t length;
        bool fits;
    } cases[] = {{0, true}, {1, true}, {258, true}, {259, true}, {260, false}, {261, false}, {511, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        std::u16string text(c.length, u'p');
        // The buffer sits inside a larger block whose tail shows stray writes.
        std::vector<char16_t> block(capacity + 300, guard);
        bool copied = CopyIfFits(text, block.data(), capacity);
        EXPECT_EQ(copied, c.fits);
        if (c.fits) {
            EXPECT_EQ(std::u16string(block.data()), text);
        } else {
            EXPECT_EQ(block[0], guard) << "a failed copy leaves the buffer alone";
        }
        for (std::size_t i = capacity; i < block.size(); ++i) ASSERT_EQ(block[i], guard) << i;
    }
    char16_t one = guard;
    EXPECT_FALSE(CopyIfFits(u"", &one, 0));
    EXPECT_EQ(one, guard);
    EXPECT_FALSE(CopyIfFits(u"", nullptr, 10));
}

}  // namespace
}  // namespace velmora::explorer
