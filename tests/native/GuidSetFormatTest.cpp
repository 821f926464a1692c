// The number rules of GuidSet.ini.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <locale>
#include <string>

#include "guid/GuidSetFormat.h"
#include "guid/GuidStore.h"
#include "tests/native/TemplateTestFiles.h"

namespace velmora::guid {
namespace {

using namespace std::string_literals;

// Hands out its bytes `piece` at a time, as a file read in small pieces does.
class PiecewiseSource : public textfile::ByteSource {
public:
    PiecewiseSource(std::string bytes, std::size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
    std::size_t Read(char* buffer, std::size_t capacity) override {
        const std::size_t count = std::min({capacity, piece_, bytes_.size() - position_});
        bytes_.copy(buffer, count, position_);
        position_ += count;
        return count;
    }

private:
    std::string bytes_;
    std::size_t piece_;
    std::size_t position_ = 0;
};

int Read(const std::string& content, std::size_t piece) {
    PiecewiseSource source(content, piece);
    return ReadGuidFormat(source);
}

TEST(GuidSetFormat, ReadingClampsWhatAStreamWouldExtract) {
    struct Case {
        std::string content;
        int expected;
    };
    const Case cases[] = {
        {"3", 3},
        {"0", 0},
        {"4", 4},
        {"-7", 0},
        {"12", 4},
        {" 2 xy", 2},
        {"\n\n\n1", 1},
        {"\r\n\t \v\f3", 3},
        {"+2", 2},
        {"-0", 0},
        {"03", 3},
        {"3abc", 3},
        {"1 4", 1},
        {"2\n4", 2},
        {"0x3", 0},
        {std::string(100000, ' ') + "3", 3},
        {std::string(100000, '0') + "2", 2},
        // Nothing readable: 0.
        {"", 0},
        {"   \n", 0},
        {"abc", 0},
        {"x3", 0},
        {"-", 0},
        {"+", 0},
        {"- 3", 0},
        {"\0" "3"s, 0},
        {"\xa0" "3", 0},
        // Ctrl-Z ends the text.
        {"\x1a" "3", 0},
        {" \x1a 3", 0},
        {"3\x1a" "4", 3},
        {"-\x1a" "4", 0},
        // In the encoding a byte-order mark names.
        {"\xEF\xBB\xBF" "3", 3},
        {"\xEF\xBB\xBF" " \r\n-2", 0},
        {"\xFF\xFE" "3\0"s, 3},
        {"\xFF\xFE" " \0\r\0\n\0" "4\0" "2\0"s, 4},
        {"\xFF\xFE" "2\0" "\x1a\0" "9\0"s, 2},
        {"\xFF\xFE" "\x00\x33"s, 0},  // U+3300, no digit
        {"\xFE\xFF" "\0" "1\0" "9"s, 4},
        {"\xFE\xFF" "\0-\0" "1"s, 0},
        {"\xFE\xFF" "\0" "3\xff"s, 3},  // an odd last byte ends it
        {"\xEF\xBB" "3", 0},           // two thirds of a mark are no mark
        // Too large for an int: the bound of the sign, then the clamp.
        {"2147483647", 4},
        {"2147483648", 4},
        {"99999999999999999999999", 4},
        {"18446744073709551615", 4},  // 2^64 - 1, 2^64 and past it: no wrap to a small number
        {"18446744073709551616", 4},
        {"18446744073709551619", 4},
        {"-18446744073709551616", 0},
        {"-2147483648", 0},
        {"-99999999999999999999999", 0},
        {"-" + std::string(100000, '9'), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("content: " + ::testing::PrintToString(c.content.substr(0, 30)));
        for (std::size_t piece : {std::size_t{1}, std::size_t{7}, c.content.size() + 1}) {
            EXPECT_EQ(Read(c.content, piece), c.expected) << "read " << piece << " bytes at a time";
        }
    }
}

TEST(GuidSetFormat, ClampKeepsTheFiveFormats) {
    const int values[][2] = {{INT_MIN, 0}, {-1, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 4}, {INT_MAX, 4}};
    for (const auto& v : values) EXPECT_EQ(ClampGuidFormat(v[0]), v[1]) << v[0];
}

TEST(GuidSetFormat, WritingGivesTheBareNumber) {
    for (int format : {0, 1, 2, 3, 4, -7, 12, INT_MIN, INT_MAX}) {
        const std::string text = GuidFormatText(format);
        EXPECT_EQ(text, std::to_string(format));
        EXPECT_EQ(Read(text, text.size()), ClampGuidFormat(format));
    }
}

// GuidSet.ini through the configuration folder's file access: missing reads
// as -1, a write is read back clamped, a file of other text reads as 0.
TEST(GuidSetFormat, StoreReadsAndWritesThroughTheFolder) {
    testing::MemoryTemplateFiles files;
    EXPECT_EQ(ReadGuidSet(files), -1);
    for (int format : {3, 0, 9}) {
        ASSERT_EQ(WriteGuidSet(files, format), 0);
        EXPECT_EQ(files.files.at(files.FilePath(kGuidSetName)), std::to_string(format));
        EXPECT_EQ(ReadGuidSet(files), ClampGuidFormat(format));
    }
    files.files[files.FilePath(kGuidSetName)] = "\xEF\xBB\xBF 2 formats";
    EXPECT_EQ(ReadGuidSet(files), 2);
}

TEST(GuidSetFormat, NumbersAreNotGroupedWhateverTheGlobalLocale) {
    // A locale that groups thousands would write 1,234 and read 1,234 as 1234.
    struct Grouping : std::numpunct<char> {
        char do_thousands_sep() const override { return ','; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Grouping));
    EXPECT_EQ(GuidFormatText(1234), "1234");
    EXPECT_EQ(Read("1,234", 5), 1);
    std::locale::global(previous);
}

}  // namespace
}  // namespace velmora::guid
