#include "templates/TemplateLineReader.h"

#include <cstring>
#include <string_view>

namespace velmora {

TemplateLineReader::TemplateLineReader(std::istream& in, const TemplateFileAccess& files, std::size_t blockSize)
    : source_(in.good() ? in.rdbuf() : nullptr),
      files_(files),
      blockSize_(blockSize > 0 ? blockSize : 1),
      block_(new char[blockSize_]) {}

bool TemplateLineReader::Refill() {
    if (!source_) return false;
    const std::streamsize got = source_->sgetn(block_.get(), static_cast<std::streamsize>(blockSize_));
    if (got <= 0) {
        source_ = nullptr;
        return false;
    }
    position_ = 0;
    end_ = static_cast<std::size_t>(got);
    zero_ = NextZero(0);
    return true;
}

std::size_t TemplateLineReader::NextZero(std::size_t from) const {
    const void* zero = std::memchr(block_.get() + from, '\0', end_ - from);
    return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - block_.get()) : end_;
}

void TemplateLineReader::Convert(const char* bytes, std::size_t size, std::u16string& line) const {
    const void* zero = std::memchr(bytes, '\0', size);
    if (zero) size = static_cast<std::size_t>(static_cast<const char*>(zero) - bytes);
    files_.ToUtf16(std::string_view(bytes, size), line);
}

bool TemplateLineReader::Next(std::u16string& line) {
    for (;;) {
        if (position_ == end_ && !Refill()) {
            if (pending_.empty()) return false;
            Convert(pending_.data(), pending_.size(), line);
            pending_.clear();
            return true;
        }
        const char* start = block_.get() + position_;
        const std::size_t available = end_ - position_;
        const void* lf = std::memchr(start, '\n', available);
        if (!lf) {
            pending_.append(start, available);
            position_ = end_;
            continue;
        }
        std::size_t length = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
        const std::size_t lineEnd = position_ + length;
        position_ = lineEnd + 1;
        if (pending_.empty()) {
            // The line lies within the block: cut it at a zero byte only when
            // the block's next one falls inside it.
            if (zero_ < lineEnd) length = zero_ - (lineEnd - length);
            files_.ToUtf16(std::string_view(start, length), line);
        } else {
            pending_.append(start, length);
            Convert(pending_.data(), pending_.size(), line);
            pending_.clear();
        }
        if (zero_ < position_ && position_ < end_) zero_ = NextZero(position_);
        return true;
    }
}

}  // namespace velmora
