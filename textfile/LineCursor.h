#pragma once
// Walks a decoded text line by line, as every configuration file is read: a
// line runs up to the next LF, which is not part of it; its text is cut at
// its first U+0000 (a zero byte in the file), and what follows that on the
// line is dropped. A last line without LF counts; an LF at the very end of
// the text gives no extra empty line.
#include <cstddef>
#include <string_view>

namespace velmora::textfile {

struct TextLine {
    std::u16string_view text;  // cut at the first U+0000
    // Where in `text` the unit the cursor watches for first stands; npos
    // when `text` does not hold it.
    std::size_t watched = std::u16string_view::npos;
    std::size_t start = 0;     // offset of the line in the text
    std::size_t end = 0;       // offset of its LF, or the text's length
    std::size_t number = 0;    // from 1, for messages that name a line
};

class LineCursor {
public:
    // `text` must outlive the cursor. With a `watch` unit other than U+0000
    // each line tells where its text holds that unit, found in the same
    // pass as its end (a reader's cheap first test of a line).
    explicit LineCursor(std::u16string_view text, char16_t watch = u'\0');

    // The next line; false after the last one, `line` untouched.
    bool Next(TextLine& line);

private:
    std::u16string_view text_;
    std::size_t position_ = 0;
    std::size_t number_ = 0;
    char16_t watch_;
};

}  // namespace velmora::textfile
