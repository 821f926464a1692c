#pragma once
// Reads a text stream one line at a time for the template readers: a line
// runs up to the next LF (consumed, not kept), its text is cut at the first
// zero byte and converted to UTF-16 by the file access's converter. A last
// line without LF counts; an LF at the very end gives no extra empty line.
//
// The stream's bytes are taken from its buffer in blocks, and a line that
// lies within one block goes to the converter straight from there, so a
// line costs one scan and one conversion and no copy of its bytes.
#include <cstddef>
#include <istream>
#include <memory>
#include <string>

#include "templates/TemplateFileAccess.h"

namespace velmora {

class TemplateLineReader {
public:
    static constexpr std::size_t kDefaultBlockSize = 64 * 1024;

    // `in` and `files` must outlive the reader; `blockSize` is at least 1.
    TemplateLineReader(std::istream& in, const TemplateFileAccess& files, std::size_t blockSize = kDefaultBlockSize);
    TemplateLineReader(const TemplateLineReader&) = delete;
    TemplateLineReader& operator=(const TemplateLineReader&) = delete;

    // The next line into `line` (its contents replaced); false at the end of
    // the stream, `line` untouched.
    bool Next(std::u16string& line);

private:
    bool Refill();
    void Convert(const char* bytes, std::size_t size, std::u16string& line) const;
    std::size_t NextZero(std::size_t from) const;

    std::streambuf* source_;
    const TemplateFileAccess& files_;
    std::size_t blockSize_;
    std::unique_ptr<char[]> block_;
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    // Where the next zero byte in the block stands at or after position_,
    // or end_: zero bytes are rare, so the block is searched for them once
    // rather than every line.
    std::size_t zero_ = 0;
    // The start of a line that runs past the end of the block.
    std::string pending_;
};

}  // namespace velmora
