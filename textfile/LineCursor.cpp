#include "textfile/LineCursor.h"

#include "textfile/FindUnit.h"

namespace velmora::textfile {

LineCursor::LineCursor(std::u16string_view text, char16_t watch) : text_(text), watch_(watch) {}

bool LineCursor::Next(TextLine& line) {
    if (position_ >= text_.size()) return false;
    const char16_t* const begin = text_.data();
    const char16_t* const end = begin + text_.size();
    const char16_t* const start = begin + position_;
    // The line's text ends at its LF or at a zero unit before it, whichever
    // comes first; only in the second case is the LF searched for on its own.
    const char16_t* textEnd = FindAny(start, end, u'\n', u'\0', watch_);
    line.watched = std::u16string_view::npos;
    if (textEnd != end && *textEnd == watch_ && watch_ != u'\0') {
        line.watched = static_cast<std::size_t>(textEnd - start);
        textEnd = FindEither(textEnd + 1, end, u'\n', u'\0');
    }
    const char16_t* lf = textEnd == end || *textEnd == u'\n' ? textEnd : FindUnit(textEnd, end, u'\n');
    line.text = std::u16string_view(start, static_cast<std::size_t>(textEnd - start));
    line.start = position_;
    line.end = static_cast<std::size_t>(lf - begin);
    line.number = ++number_;
    position_ = line.end + 1;
    return true;
}

}  // namespace velmora::textfile
