// The line reader takes its bytes in blocks: a line, a zero byte or an LF
// that straddles a block boundary must read exactly as with one big block.
#include "templates/TemplateLineReader.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TemplateTestFiles.h"

namespace velmora::testing {
namespace {

std::vector<std::u16string> ReadAll(const std::string& bytes, std::size_t blockSize) {
    MemoryTemplateFiles files;
    std::istringstream in(bytes);
    TemplateLineReader reader(in, files, blockSize);
    std::vector<std::u16string> lines;
    std::u16string line;
    while (reader.Next(line)) lines.push_back(line);
    return lines;
}

TEST(TemplateLineReader, BlockBoundariesDoNotChangeTheLines) {
    using namespace std::string_literals;
    const std::string longLine(70000, 'x');  // longer than the default block
    const std::string inputs[] = {
        "a\nbb\nccc\n"s,
        "abc"s,
        "\n\n\n"s,
        "ab\0cd\nef\0\0\ngh"s,
        "\0\n\0"s,
        longLine + "\n" + longLine,
        "head\n" + longLine + "\0tail\nend\n"s,
        "x\ry\n\rz"s,
    };
    for (const std::string& input : inputs) {
        const std::vector<std::u16string> expected = ReadAll(input, TemplateLineReader::kDefaultBlockSize);
        for (std::size_t blockSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{4096}}) {
            SCOPED_TRACE("input of " + std::to_string(input.size()) + " bytes, block " + std::to_string(blockSize));
            EXPECT_EQ(ReadAll(input, blockSize), expected);
        }
    }
}

TEST(TemplateLineReader, LinesFollowTheReadingRules) {
    using namespace std::string_literals;
    struct Case {
        std::string bytes;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {""s, {}},
        {"\n"s, {u""}},
        {"a\nb"s, {u"a", u"b"}},
        {"a\nb\n"s, {u"a", u"b"}},
        {"ab\0cd\nef"s, {u"ab", u"ef"}},
        {std::string(100000, 'q') + "\n", {std::u16string(100000, u'q')}},
    };
    for (const Case& c : cases) {
        for (std::size_t blockSize : {std::size_t{1}, std::size_t{5}, TemplateLineReader::kDefaultBlockSize}) {
            EXPECT_EQ(ReadAll(c.bytes, blockSize), c.lines) << c.bytes.size() << " bytes, block " << blockSize;
        }
    }
}

}  // namespace
}  // namespace velmora::testing
