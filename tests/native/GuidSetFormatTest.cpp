// The number rules of GuidSet.ini.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <streambuf>
#include <string>

#include "guid/GuidSetFormat.h"

namespace velmora::guid {
namespace {

TEST(GuidSetFormat, ReadingClampsWhatTheStreamExtracts) {
    struct Case {
        const char* content;
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
        // Nothing readable: 0.
        {"", 0},
        {"   \n", 0},
        {"abc", 0},
        {"x3", 0},
        {"-", 0},
        {"+", 0},
        {"- 3", 0},
        // Too large for an int: the bound of the sign, then the clamp.
        {"2147483647", 4},
        {"2147483648", 4},
        {"99999999999999999999999", 4},
        {"-2147483648", 0},
        {"-99999999999999999999999", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("content: \"") + c.content + "\"");
        std::istringstream in(c.content);
        EXPECT_EQ(ReadGuidFormat(in), c.expected);
    }
}

TEST(GuidSetFormat, ClampKeepsTheFiveFormats) {
    const int values[][2] = {{INT_MIN, 0}, {-1, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 4}, {INT_MAX, 4}};
    for (const auto& v : values) EXPECT_EQ(ClampGuidFormat(v[0]), v[1]) << v[0];
}

TEST(GuidSetFormat, WritingGivesTheBareNumber) {
    for (int format = 0; format < 5; ++format) {
        std::ostringstream out;
        ASSERT_TRUE(WriteGuidFormat(out, format));
        EXPECT_EQ(out.str(), std::to_string(format));
        std::istringstream back(out.str());
        EXPECT_EQ(ReadGuidFormat(back), format);
    }
}

TEST(GuidSetFormat, NumbersAreNotGroupedWhateverTheGlobalLocale) {
    // A locale that groups thousands would write 1,234 and read 1,234 as 1234.
    struct Grouping : std::numpunct<char> {
        char do_thousands_sep() const override { return ','; }
        std::string do_grouping() const override { return "\3"; }
    };
    std::ostringstream out;
    out.imbue(std::locale(std::locale::classic(), new Grouping));
    ASSERT_TRUE(WriteGuidFormat(out, 1234));
    EXPECT_EQ(out.str(), "1234");
    std::istringstream in("1,234");
    in.imbue(std::locale(std::locale::classic(), new Grouping));
    EXPECT_EQ(ReadGuidFormat(in), 1);
}

// A stream buffer that refuses every character, as a full disk would.
class RefusingBuffer : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
};

// One that takes the characters but fails to flush them.
class FailingSyncBuffer : public std::streambuf {
public:
    FailingSyncBuffer() { setp(storage, storage + sizeof storage); }

protected:
    int sync() override { return -1; }

private:
    char storage[16];
};

TEST(GuidSetFormat, WritingReportsAStreamThatFails) {
    RefusingBuffer refusing;
    std::ostream refused(&refusing);
    EXPECT_FALSE(WriteGuidFormat(refused, 3));

    FailingSyncBuffer failingSync;
    std::ostream unflushed(&failingSync);
    EXPECT_FALSE(WriteGuidFormat(unflushed, 3));

    std::ostream noBuffer(nullptr);
    EXPECT_FALSE(WriteGuidFormat(noBuffer, 3));
}

}  // namespace
}  // namespace velmora::guid
